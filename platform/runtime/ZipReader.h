// A small zip-file reader and writer on libzip: open an archive, list its
// member names, read one member into bytes, a new memory stream or a piece at
// a time as it is inflated, and (in write mode) add members.  Member names
// are stored as UTF-8.  Every failure, a damaged archive included, raises
// EZipException; nothing is trusted from the archive without a check (a
// member whose stated size is out of proportion to its data, for its
// compression method, is refused before anything is allocated).
#pragma once

#include <sys/stat.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/ZipReader_changes.h"

namespace sk {

class EZipException : public Exception {
  using Exception::Exception;
};

// The reason given when an archive cannot be opened because it is damaged.
extern const TResStringRec _SKZipArchiveDamaged;  // 60457 "The archive is damaged"

enum TZipMode : uint8_t { zmClosed, zmRead, zmReadWrite, zmWrite };

enum TZipCompression : uint8_t { zcStored, zcDeflate };

// A write session's hold on its archive file (defined where it is used).
struct TZipWriteSession;

// Takes one piece of a member's data as it is inflated.
using TZipPieceHandler = std::function<void(const Byte* data, size_t size)>;

// What the archive says about one member.
struct TZipHeader {
  String FileName;
  Int64 CompressedSize = 0;
  Int64 UncompressedSize = 0;
  Cardinal CRC32 = 0;
  Word CompressionMethod = 0;
  TDateTime ModifiedDateTime = 0;  // local time
};

// What one read of an archive may inflate, over all the members it reads:
// at most TotalBytes, and past FreeBytes no more than Ratio bytes per byte of
// the archive. A small file of many members, each within its own bounds,
// would otherwise take as long to read as its members' total. Tests lower
// the bounds to reach them with small files.
struct TZipInflateBounds {
  Int64 TotalBytes = Int64{4} << 30;
  Int64 Ratio = 100;
  Int64 FreeBytes = Int64{64} << 20;
};
inline TZipInflateBounds zip_InflateBounds;

// Counts what an archive's members inflate to as they are read; Spend raises
// EZipException once the bounds are passed.
class TZipInflateBudget {
 public:
  explicit TZipInflateBudget(Int64 archiveSize) : fArchiveSize(archiveSize) {}
  void Spend(size_t bytes);
  Int64 Spent() const { return fSpent; }

 private:
  Int64 fArchiveSize;
  Int64 fSpent = 0;
};

class TZipFile : public TObject {
 public:
  TZipFile();
  ~TZipFile() override;
  TZipFile(const TZipFile&) = delete;
  TZipFile& operator=(const TZipFile&) = delete;

  // zmRead: the archive must exist; zmWrite: a new archive replaces any file of
  // that name when Close commits it; zmReadWrite: opens an existing archive
  // (or starts a new one) to add members.  A file already open is closed first.
  //
  // In zmRead the archive is read as the zip engine's readers read it: its
  // directory, and later each member, under the archive file's shared lock
  // (which the engine's writers take exclusive), waiting up to LockWait
  // milliseconds for a writer. Before each member is read, a change by
  // another process since (the file at the name replaced, or its size or
  // times moved) has the directory read again: the members keep the names
  // and indexes they had when the archive was opened, and one that is no
  // longer what it was then (gone, or other data) raises the error
  // _SKZipChangedByAnotherProcess, never one of damaged data. A writer that
  // does not let go in time raises _SKZipBeingChangedByAnotherProcess.
  // LockWait 0 reads without the lock (a file this process holds locked
  // while it writes it): a read that fails then is put down to another
  // process when the member is no longer what it was.
  //
  // In zmReadWrite and zmWrite the archive file at the name is held under
  // its exclusive lock (the one the engine's writers take) from Open to
  // Close, so that no other writer changes it meanwhile: Open waits up to
  // LockWait milliseconds for another writer, and raises
  // _SKZipWriteBeingChanged when it does not let go. Close puts the new
  // archive in place of the very file that was opened and locked, through a
  // descriptor of its folder, and raises _SKZipWriteChanged, changing
  // nothing, when another file took the name meanwhile (or, where a new
  // archive is made, when a file appeared at the name). Where the wait
  // ends on readers only, the error is _SKZipWriteBeingRead. An archive
  // file with more than one name (hard links) is refused at Open and at
  // Close with _SKZipWriteHardLinked, changing nothing: a new file put at
  // one name would leave the other names on the old archive.
  void Open(const String& fileName, TZipMode mode);
  Int32 LockWait = 5000;
  // Commits what was added (write modes) and closes; nothing when closed.
  void Close();

  TZipMode Mode() const { return fMode; }
  // Bytes of the archive file when it was opened.
  Int64 ArchiveSize() const { return fArchiveSize; }
  const String& FileName() const { return fFileName; }

  Int32 FileCount() const;
  std::vector<String> FileNames() const;
  // Name of member index; raises EZipException for an index out of range.
  String FileName(Int32 index) const;
  // Index of the member with exactly this name; -1 when absent.
  Int32 IndexOf(const String& name) const;
  // As IndexOf, but raises EZipException "File "%s" not found in zip archive".
  Int32 GetFileIndex(const String& name) const;
  TZipHeader FileInfo(Int32 index) const;

  void Read(Int32 index, TBytes& bytes);
  void Read(const String& name, TBytes& bytes);
  // A new memory stream holding the member, positioned at 0.
  void Read(Int32 index, std::unique_ptr<TStream>& stream);
  void Read(const String& name, std::unique_ptr<TStream>& stream);
  void Read(Int32 index, std::unique_ptr<TStream>& stream, TZipHeader& header);

  // The member handed to onPiece a piece at a time (at most pieceSize bytes
  // each, in order) as it is inflated, so that a large member never has to
  // be held whole.  The same checks as reading it into bytes: a member whose
  // data does not match its stated size or checksum raises EZipException
  // once its end is reached (after the pieces before were handed on); an
  // exception thrown by onPiece ends the read and passes to the caller.
  void ReadInPieces(Int32 index, const TZipPieceHandler& onPiece, size_t pieceSize = size_t{1} << 16);

  void Add(const TBytes& data, const String& archiveName, TZipCompression compression = zcDeflate);
  // Adds what stream holds from its start to its end.
  void Add(TStream* data, const String& archiveName, TZipCompression compression = zcDeflate);
  void Add(const String& fileName, const String& archiveName, TZipCompression compression = zcDeflate);

  // True when the file opens as a zip archive.
  static bool IsValid(const String& fileName);

 private:
  // The made-by host the library's zip engine writes (high byte of the
  // version made by).
  static constexpr uint8_t kEngineHost = 11;
  // The name of member index as text; found false when it has none.
  String EntryName(Int32 index, bool& found) const;
  void CheckOpen() const;
  void CheckIndex(Int32 index) const;
  void CheckWritable() const;
  // Checks the stated sizes of member at of archive (a zip_t*) against the
  // archive file and opens it for reading; the stated size goes to size.
  void* OpenMember(void* archive, UInt64 at, const String& where, size_t& size);
  // zmRead: opens the archive through a descriptor of its own, under the
  // shared lock; false (nothing opened) when the name reaches no regular
  // file, for the plain road to report.
  bool OpenForReading(const String& fileName, const std::string& path);
  // Before a member is read (locked: under the shared lock): follows a file
  // that took the archive's name, and reads the directory again when the
  // file changed.
  void Refresh(const String& where, bool locked);
  // The archive member index is read from (a zip_t*) and its index there.
  void* ReadArchive(Int32 index, const String& where, UInt64& at);
  // Runs read on the archive (a zip_t*) and index that member index is read
  // from, under the shared lock; inHandler, when given, is set while read
  // hands data on (its exceptions pass unchanged).
  void ReadMember(Int32 index, const String& where, const std::function<void(void*, UInt64)>& read,
                  const bool* inHandler = nullptr);
  // Takes the shared lock for one read of a member; false when the file
  // system has no locks (the read goes on). Raises when a writer holds on.
  bool LockForRead(const String& where);
  void ReleaseReading();
  // Hands a malloc'ed block to the archive, which frees it.
  void AddBuffer(void* data, size_t size, const String& archiveName, TZipCompression compression);
  // zmReadWrite and zmWrite: takes the archive file's exclusive lock and
  // opens the archive on it.
  void OpenForWriting(const String& fileName, const std::string& path, TZipMode mode);

  void* fArchive = nullptr;  // zip_t*
  TZipMode fMode = zmClosed;
  String fFileName;
  Int64 fArchiveSize = 0;  // bytes of the archive file when it was opened
  // zmRead: the descriptor of the file read, which carries its lock; the
  // file's path, links resolved; the file as last seen; the directory of
  // the file as another process left it (a zip_t*), once it changed.
  int fFd = -1;
  std::string fPath;
  TZipChangeWatch fSeen;
  void* fCurrent = nullptr;
  // A complete journal of another process's update lay beside the file when
  // it last changed: its bytes may be half-written.
  bool fHalfWritten = false;
  // The write modes: the archive file locked, and where the new one goes.
  std::unique_ptr<TZipWriteSession> fSession;
};

// The errors of a read of an archive that another process changed since it
// was opened, or is changing; %s names what was read.
extern const TResStringRec _SKZipChangedByAnotherProcess;       // 60455
extern const TResStringRec _SKZipBeingChangedByAnotherProcess;  // 60456
// The errors of a write session whose archive another process is changing,
// or changed before the session could put its own in place; %s names the
// archive file.
extern const TResStringRec _SKZipWriteBeingChanged;  // 60462
extern const TResStringRec _SKZipWriteChanged;       // 60463
// The error of a write session whose archive other processes hold only to
// read it when the wait ends; %s names the archive file.
extern const TResStringRec _SKZipWriteBeingRead;  // 60464
// The error of a write session on an archive file with more than one name
// (hard links): the new archive put in place at one name would part it from
// the others, so the session is refused and the file left as it is.
extern const TResStringRec _SKZipWriteHardLinked;  // 60465

// After a wait for the lock of the file open as handle ran out: whether
// the processes in the way hold it only to read it (a new description of
// the file is given the shared lock at once), so that the failure can say
// what they are doing.
bool ZipLockHeldOnlyForReading(int handle);

// ---- the zip engine's rollback journal -------------------------------------
// While the zip engine updates an archive in place it keeps the bytes it
// overwrites in a journal beside it, so that an update cut short can be put
// back. The format is described here, where this reader (which must not read
// an archive half-written) and the engine both see it:
//
//   header, ZipJournalHeaderSize bytes: the signature ZipJournalHeaderSignature,
//     then 64-bit little-endian numbers: the archive file's device and inode,
//     its length before the update, the restore point (where the update
//     starts writing), the first of the archive's bytes before the restore
//     point whose checksum follows; then the CRC-32 of the archive's bytes
//     from there to the restore point (which the update never changes), and
//     the CRC-32 of the header's bytes before it (32-bit little-endian each);
//   tail: the archive's old bytes from the restore point to its old end;
//   closing record, ZipJournalRecordSize bytes: the signature
//     ZipJournalRecordSignature, the old length, the restore point and the
//     tail's length (64-bit little-endian), then the CRC-32 of the header,
//     the tail and those three numbers.
//
// A file at the journal's name that does not start with the header is not a
// journal: nothing reads it as one, applies it or deletes it. Nor is one
// that someone who may not write the archive could have written
// (ZipJournalTrusted): it is evidence only as far as its writers could have
// written the archive. The engine and this reader go by the same rules
// below; this reader refuses an archive beside its complete or damaged
// journal, and reads it beside anything else (a complete journal whose old
// bytes the archive holds already among them).
inline constexpr char ZipJournalHeaderSignature[8] = {'Z', 'A', 'J', 'H', 'D', 'R', '0', '2'};
inline constexpr char ZipJournalRecordSignature[8] = {'Z', 'A', 'J', 'R', 'N', 'L', '0', '2'};
inline constexpr Int64 ZipJournalHeaderSize = 56;
inline constexpr Int64 ZipJournalRecordSize = 36;
// The most of the archive's bytes before the restore point that the header's
// checksum covers.
inline constexpr Int64 ZipJournalCheckedBytes = 65536;

// The journal's name of an archive path: the path with "-journal" appended.
// Where that would pass the 255-byte limit of a name, the file's name is
// shortened and a hash of the whole name keeps it apart from others'.
std::string ZipJournalFileName(const std::string& archivePath);

// The journal's name of the archive file that archiveName reaches, links
// resolved (so that every name of one file finds the same journal); the
// name as given when it does not resolve.
std::string ZipJournalFileNameOf(const std::string& archiveName);
// The extended attribute in which an update of an archive file with more
// than one name (hard links) names its journal while it runs: every name of
// the file sees it, so an open through any of them finds the journal that an
// update killed part-way left beside another.
inline constexpr char ZipJournalPointerName[] = "user.sharedkit.journal";

// Where the journal of the open archive file is looked for: the name its
// pointer attribute gives (an absolute name ending "-journal" at which
// something lies, or that cannot be looked at), else the journal's name
// beside archiveName. pointerStale tells that the attribute names what is
// gone. The name is only where to look: what lies there is checked as any
// journal is.
std::string ZipJournalNameFor(int archiveFd, const std::string& archiveName, bool* pointerStale = nullptr);

// What a journal's header says.
struct TZipJournalHeader {
  UInt64 Device = 0;  // the archive file's identity
  UInt64 Inode = 0;
  Int64 OriginalSize = 0;
  Int64 RestorePoint = 0;
  Int64 TailSize = 0;
  Int64 CheckedFrom = 0;  // the archive's bytes from here to the restore point
  Cardinal CheckedCrc = 0;  // have this CRC-32
};

// What a file at the journal's name is to the archive beside it.
enum TZipJournalState : uint8_t {
  zjsNotJournal,  // it does not start with a journal's header: not ours, left alone
  zjsForeign,     // a journal of another file, or of this one before it changed
  zjsDamaged,     // bound to this archive but not whole: a journal takes its
                  // name only once whole, so it was damaged since, and the
                  // archive beside it may be torn
  zjsComplete,    // this archive's complete journal: it puts the archive back
  zjsApplied,     // this archive's complete journal, whose old bytes the
                  // archive holds already (put back by an open that could
                  // not remove it): it changes nothing, and stops no read
};

// Reads count bytes at offset into buffer; false when they cannot all be
// read. A reader may raise instead; the exception passes to the caller.
using TZipReadAt = std::function<bool(Byte* buffer, size_t count, Int64 offset)>;

// Whether the journal starts with a whole header that holds sound numbers;
// fills header.
bool ZipReadJournalHeader(const TZipReadAt& journal, Int64 journalSize, TZipJournalHeader& header);

// Whether a journal with that header is whole: its length is the header's,
// the tail's and the record's, the closing record repeats the header's
// numbers and the checksum of the whole holds. unreadable is set (and false
// answered) when a read fails.
bool ZipJournalWhole(const TZipReadAt& journal, Int64 journalSize, const TZipJournalHeader& header,
                     bool* unreadable = nullptr);

// Checks a journal against the archive as it is now: bound to it when the
// header names the archive's device and inode and the archive's bytes
// before the restore point have the header's checksum (a journal with
// nothing before its restore point binds to nothing: a commit from the
// first byte replaces the whole file instead); complete when the closing
// record matches the header and the journal's length, and the checksum of
// the whole holds; applied when, complete, its tail is byte for byte the
// archive's from the restore point to its end, at the old length. Reads the
// archive past the restore point only for a complete journal. unreadable is
// set (and zjsNotJournal answered) when a read within the stated sizes
// fails.
TZipJournalState ZipCheckJournal(const TZipReadAt& journal, Int64 journalSize, const TZipReadAt& archive,
                                 Int64 archiveSize, UInt64 device, UInt64 inode, TZipJournalHeader& header,
                                 bool* unreadable = nullptr);

// The permissions the owning group of the file open as fd (described by st)
// has, in the mode's group bits: the mode's, or where an access list names
// other users or groups (and the mode's group bits are its mask), the
// group's entry limited by the mask.
Cardinal ZipGroupPermissions(int fd, const struct stat& st);

// Whether the file described by journal (open as journalFd) may be taken for
// the journal of the archive described by archive (open as archiveFd, or -1
// when only its mode is known): a regular file with one name that no one
// can write who cannot write the archive. Its owner is the archive's owner,
// the system's administrator or a user the archive lets write (one of its
// group, by the system's user list, when the group may write it; anyone when
// everyone may); the journal's group may write it only when that group, or
// everyone, may write the archive, and everyone only when everyone may write
// the archive; its access list lets no other user or group write it.
bool ZipJournalTrusted(const struct stat& journal, int journalFd, const struct stat& archive, int archiveFd = -1);

// Opens what lies at the journal's name path when it may be the journal of
// the archive described by archive (and open as archiveFd, or -1), never a
// link followed, never a pipe waited on: the descriptor, or -1 with errno
// ENOENT when nothing is there, EPERM when what is there is refused, else
// the system's error.
int ZipOpenJournalCandidate(const std::string& path, const struct stat& archive, int archiveFd = -1);

// The state of the file at the journal's name of the open archive file
// archiveFd (reached as archiveName) by the rules above; zjsNotJournal when
// nothing is there or what is there is refused. Reads the journal whole
// only when it is bound to the archive.
TZipJournalState ZipJournalStateOf(int archiveFd, const std::string& archiveName);

// Whether the archive's complete journal lies beside it, and the archive
// does not hold its old bytes.
bool ZipJournalComplete(int archiveFd, const std::string& archiveName);

// The text a reader refuses an archive with beside its damaged journal.
extern const TResStringRec _SKZipJournalDamaged;  // 60452

}  // namespace sk
