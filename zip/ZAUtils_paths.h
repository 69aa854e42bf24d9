// The zip engine's drive, folder and path helpers, the rule that turns a file
// name on disk into the name stored in an archive, and the thin wrappers
// through which the engine reaches the file system.
//
// Stored names and names handed in by hosts may use "/" or "\" as separators;
// both are accepted, and stored names always use "/". A backslash in a name
// the system gives (a file found, the current folder) is part of the name:
// the engine carries it as NameBackslash, never as a separator.
#pragma once

#include <sys/stat.h>

#include <ctime>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/runtime/FileUtils.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"
#include "zip/ZATypes.h"

namespace sk {

// ---------------------------------------------------------------------------
// Drives and folders

// No drive of this system is a floppy drive: always false.
bool IsFloppyDrive(const String& path);
// True when the file system that holds the path is removable.
bool IsRemovableDrive(const String& path);
// Removes the folder and every subfolder that holds no files, deepest first.
// True when the folder is gone afterwards; a folder that still holds a file
// (or a link) anywhere below it stays, and the answer is false. Links to
// folders are never followed.
bool DelTreeIfNoFiles(const String& folder);

// ---------------------------------------------------------------------------
// Stored names

// The folder that relative names are resolved against: the base directory
// when given, else the current directory (curDir, or the process's when
// empty), with a trailing "/".
String ZABaseFolder(const String& baseDir, const String& curDir);
// An absolute name: a name that begins with a drive letter and a colon, or
// with two separators (a network path), stays as it is; an absolute name is
// resolved ("." and ".." removed); any other name is appended to the base
// folder and resolved. An empty name gives the base folder.
String ExpandToBaseDir(const String& name, const String& baseDir, const String& curDir);
// The name under which a file is stored:
//   spNoPath             the file-name part only;
//   spRelativePath       the path below the base folder, or the full name for
//                        a file outside it;
//   spFullPath           the full name;
//   spFullPathWithDrive  the full name.
// A drive prefix ("D:"), the server part of a network path and the leading
// separator are dropped (with spFullPathWithDrive only the leading separators),
// and every "\" becomes "/". "/data/sub/file.txt" under "/data" gives
// "sub/file.txt".
String GetStoredName(const String& fileName, const String& baseDir, TZAStorePathMode mode,
                     const String& curDir);

// ---------------------------------------------------------------------------
// File-system wrappers with the platform's meaning

String ZAIncludeTrailingBackslash(const String& s);
String ZAExcludeTrailingBackslash(const String& s);
bool ZADirectoryExists(const String& dir);
bool ZAFileExists(const String& fileName);
bool ZAForceDirectories(const String& dir);
String ZALowerCase(const String& s);
String ZAUpperCase(const String& s);
// Every occurrence of oldPattern replaced (case-sensitive).
String ZAStringReplace(const String& s, const String& oldPattern, const String& newPattern);
// Bytes of a string: 2 per UTF-16 unit.
Int64 ZAByteLength(const String& s);
bool ZADeleteFile(const String& fileName);
bool ZARenameFile(const String& oldName, const String& newName);
bool ZACopyFile(const String& source, const String& target, bool failIfExists);
// The platform's search, each name found with its backslashes held as
// NameBackslash.
Int32 ZAFindFirst(const String& pathWithMask, Int32 attr, TSearchRec& rec);
Int32 ZAFindNext(TSearchRec& rec);
void ZAFindClose(TSearchRec& rec);
// The attributes of a file or folder: faDirectory, faReadOnly (no write
// permission), faHidden (a name beginning with "."), faArchive (a regular
// file), faSysFile (anything else). When reading them fails for a name that
// exists the answer is faSysFile (4); -1 when nothing of that name exists.
Int32 ZAFileGetAttr(const String& fileName);
// Sets or clears read-only (the owner's write permission); true on success.
// A link is never followed: false for a link, whatever it points to.
bool ZAFileSetAttr(const String& fileName, Int32 attr);
// A file's permission bits with read-only set or cleared as attr says.
Cardinal ZAModeWithAttr(Cardinal mode, Int32 attr);
// The path of destName relative to the folder of baseName ("../" for each
// folder to go up).
String ZAExtractRelativePath(const String& baseName, const String& destName);
String ZAExtractFileName(const String& fileName);
String ZAExpandFileName(const String& fileName);
String ZAExtractFilePath(const String& fileName);
String ZAExtractFileExt(const String& fileName);
// The process's current folder, its backslashes held as NameBackslash.
String ZAGetCurrentDir();
bool ZAFileAge(const String& fileName, TDateTime& age);

// ---------------------------------------------------------------------------
// Writing below a folder held open

// Opens each "/"-separated folder of rel in turn below the folder open as
// baseFd, making the missing ones, each relative to the descriptor of the one
// before and with O_NOFOLLOW: a link anywhere on the way (even one swapped in
// while the walk runs) is refused, never entered. Empty and "." elements are
// skipped; ".." is refused. Answers a new descriptor of the last folder
// (of baseFd's folder when rel names none), or -1 with errno set.
int ZAOpenFoldersBelow(int baseFd, const String& rel);

// Removes the file open as fd from the name fileName, and nothing else: the
// folders on the way to the name are opened one at a time without following
// a link (one swapped in at any moment is refused, never entered), the name
// is looked at in the last of them without following a link, and its entry
// is removed through that folder's descriptor only when it is the file open
// as fd (the same device and inode). Asks the file seam first, as a delete.
// True when the file is no longer at the name (removed, or nothing there);
// false (errno set) when it still is, when something else is there, or when
// the way to it holds a link.
bool ZADeleteOpenFile(const String& fileName, int fd);
// The same for the file of device dev and inode ino (one read and closed
// before), named as the user named it: the folder is reached as the name
// reaches it (a link on the way followed) and held by its descriptor, and
// the entry is removed only while it is that file, seen without following
// a link. True when it is no longer at the name; false (errno set) when it
// still is or another file is there.
bool ZADeleteFileAs(const String& fileName, UInt64 dev, UInt64 ino);

// ZADeleteFileAs for the stamped file, removed only while it is unchanged:
// a file written to since its read stays (false, errno EBUSY). Removing one
// name of a file that has others moves the file's status-change time: when
// left is given it receives the file's stamp after the removal (the stamp
// itself when the file has no other name, or when more than that time moved).
// Carried into the stamps of its other names taken as it stood (CarryStamp),
// it keeps the library's own removal from counting as another program's write.
bool ZADeleteFileAs(const String& fileName, const TFileStamp& stamp, TFileStamp* left = nullptr);
// Moves the file of device dev and inode ino from fromName to toName in one
// step (renameat: what toName holds, a file or a link, is replaced), and only
// while fromName holds that file, seen without following a link. The folders
// are reached as the names reach them and held by their descriptors. Asks the
// file seam first, as a rename. False (errno set, EEXIST when another file is
// at fromName) leaves both names as they were.
bool ZAMoveFileOverAs(const String& fromName, const String& toName, UInt64 dev, UInt64 ino);
// DelTreeIfNoFiles for the folder of device dev and inode ino only: when
// the name (not followed when a link) holds another, nothing is removed
// (false, errno EEXIST). The subfolders are entered through their parents'
// descriptors, never through a link. True when the folder is gone.
bool ZADelTreeIfNoFilesAs(const String& folderName, UInt64 dev, UInt64 ino);

// The entry name in the folder open as dirFd, seen without following a link:
// false (errno set) when nothing of that name is there.
bool ZAStatInFolder(int dirFd, const String& name, struct ::stat& st);

// The local date and time of a file time.
TDateTime ZALocalDateTimeOf(const struct ::timespec& t);

// A new file for a name in a folder held open as a descriptor. The content is
// written to a file created under a fresh temporary name in that same folder
// (O_CREAT | O_EXCL | O_NOFOLLOW, so nothing that is already there, a link
// least of all, is opened), and Commit moves it over the name with renameat:
// an entry of that name (a file or a link, never a folder) is replaced, and
// until then it keeps every byte it had. Destroying the stream without a
// commit removes the temporary file.
class TZAFolderFileStream : public THandleStream {
 public:
  // dirFd stays the caller's; the stream holds its own duplicate.
  TZAFolderFileStream(int dirFd, const String& name);
  ~TZAFolderFileStream() override;
  TZAFolderFileStream(const TZAFolderFileStream&) = delete;
  TZAFolderFileStream& operator=(const TZAFolderFileStream&) = delete;

  bool Ok() const { return fHandle >= 0 && !fFailed; }
  Int64 Write(const void* buffer, Int64 count) override;
  // Flushes the content, gives it the modification time (when not 0) and
  // the permissions (a replaced file's permission bits 0777, never its
  // set-id or sticky bits, and only its owner's bits when another user owns
  // it; without any write permission when readOnly), and
  // moves it over the name. False (the name untouched)
  // when a write failed or a step is refused.
  bool Commit(TDateTime modified, bool readOnly);
  // Commit in two steps, for files published together (TZAFileBatch): Seal
  // gives the content its time and permissions, Publish moves it over the
  // name. Neither flushes; the caller flushes between them. False as Commit.
  bool Seal(TDateTime modified, bool readOnly);
  bool Publish();
  // The system error of the first failure (0 while none).
  Int32 LastError() const { return fError; }
  // The bytes written so far.
  Int64 Written() const { return fWritten; }
  // The device and inode of the folder, and the name, the file is for.
  bool IsFor(UInt64 dev, UInt64 ino, const std::string& name) const {
    return fDirDev == dev && fDirIno == ino && fName == name;
  }
  int FolderHandle() const { return fDir; }

 private:
  void Fail(Int32 error);
  void Discard();
  // Whether the temporary name in the folder still holds the file written.
  bool TempIsOurs() const;

  int fDir = -1;
  std::string fName;
  std::string fTempName;
  bool fFailed = false;
  bool fCommitted = false;
  bool fReplaces = false;
  bool fSealed = false;
  Cardinal fMode = 0;
  Int32 fError = 0;
  Int64 fWritten = 0;
  UInt64 fDirDev = 0;
  UInt64 fDirIno = 0;
};

// Files written in one run (an extraction of many entries) that wait, whole
// and sealed, for their names. Publish flushes each file system they lie on
// once, then moves every file over its name, then flushes those file systems
// again so that the names last: a file reaches its name only with its content
// on the disk, as with TZAFolderFileStream::Commit, at two flushes a batch
// instead of two a file. Without flushes (flush false) only the moves are
// made. A batch destroyed with files waiting removes their temporary files.
class TZAFileBatch {
 public:
  explicit TZAFileBatch(bool flush) : fFlush(flush) {}
  TZAFileBatch(const TZAFileBatch&) = delete;
  TZAFileBatch& operator=(const TZAFileBatch&) = delete;

  // A file of the batch that could not take its name (it is gone again).
  struct TFailure {
    String target;
    String entry;
    Int32 error = 0;
  };
  // Whether a file waits for this name in the folder open as dirFd: a later
  // file for the same name must see it there, so the batch goes out first.
  bool Holds(int dirFd, const String& name) const;
  // Takes a sealed file; target is its full name, entry what it came from.
  void Add(std::unique_ptr<TZAFolderFileStream> file, const String& target, const String& entry);
  size_t Count() const { return fFiles.size(); }
  // How many files were ever taken.
  size_t Added() const { return fAdded; }
  Int64 Bytes() const { return fBytes; }
  // Puts every waiting file in place; answers those that could not be, and
  // adds the entries of those that were to published (when given), in order.
  std::vector<TFailure> Publish(std::vector<String>* published = nullptr);
  // Before the run's first file goes into the folder open as dirFd: the
  // hidden temporaries that a killed extraction (or any killed writer of the
  // library) left there go, once a run for each folder.
  void SweepFolderOnce(int dirFd);

 private:
  struct TWaiting {
    std::unique_ptr<TZAFolderFileStream> file;
    String target;
    String entry;
  };
  bool fFlush;
  std::vector<TWaiting> fFiles;
  Int64 fBytes = 0;
  size_t fAdded = 0;
  std::set<std::pair<UInt64, UInt64>> fSwept;  // folders, by device and inode
};

}  // namespace sk
