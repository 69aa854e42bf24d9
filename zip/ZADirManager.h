// The directory manager of an open archive: finds the end of the central
// directory, loads the whole directory into the entry table, writes it back
// (with zip64 end records when the archive needs them), rebuilds it from the
// local headers when it is missing or damaged, and finds, corrects and places
// a stub (data before the first entry, such as a self-extracting program).
//
// Nothing read from the archive is trusted: counts, sizes, offsets and
// lengths are checked against the bytes that are there before anything is
// allocated or read, and a damaged directory ends in an engine error or a
// rebuild, never in a crash or a huge allocation.
#pragma once

#include <memory>

#include "platform/runtime/Streams.h"
#include "zip/ZADirArray.h"
#include "zip/ZARecords.h"
#include "zip/ZATypes.h"

namespace sk {

// When set, every load rebuilds the directory from the local headers even
// when an end record is found.
inline constinit bool ForceBuildCentralDir = false;

// What the directory manager needs of its archiver: the archiver's settings
// and stream, and its volume operations. The archiver component implements
// it; TZASingleVolumeArchiver serves an archive held in one stream or file.
class TZAArchiverLink : public TZAComponent {
 public:
  ~TZAArchiverLink() override = default;

  bool isZIPFormat = true;  // false: the engine's second form
  TZASpanningMode FSpanningMode = smNone;
  bool FOpenCorruptedArchives = false;
  TZAOptions FOptions;
  TZAVolumeNumberInfo FVolumeNumberInfo;  // the current volume
  TZASpanningOptions FSpanningOptions;
  String FSFXStub;                        // stub file placed before a new archive
  TStream* FCompressedStream = nullptr;   // the current volume's stream, owned by the archiver
  String FFileName;                       // the archive's file
  String VolumeFileName;                  // the file of the current volume

  // Makes the volume the open one; FCompressedStream is then its stream.
  // A cancelled request raises engine error 45.
  virtual void OpenVolume(TZAVolumeNumberInfo& volume) = 0;
  // Writes count bytes, to pending when given, else to stream, moving to new
  // volumes as they fill; reserve bytes more must fit after them on the same
  // volume (-1: no such need); with count 0, only the room for reserve bytes
  // is made. A short write raises engine error 46.
  virtual void WriteBufferToStream(const void* buffer, Int64 count, TStream*& stream,
                                   TZAVolumeNumberInfo& volume, Int32 reserve, TStream* pending) = 0;
  // The file name of a volume of the archive (-1: the last volume).
  virtual String MakeDefaultVolumeName(const String& archiveName, Int32 volumeNumber, bool preferExisting) = 0;
  // Frees the current stream and opens the named file with mode as the new
  // FCompressedStream; VolumeFileName becomes the name.
  virtual void ReopenFileStream(const String& fileName, Word mode) = 0;
  // Frees the current stream (FCompressedStream becomes null).
  virtual void CloseCompressedStream() = 0;
  // Once a multi-volume archive's directory is written: the volumes take
  // their names, and FCompressedStream is the last volume's stream.
  virtual void PlaceLastVolume() {}
};

// The bytes under which a name is stored and the flag that goes with them: an
// all-ASCII name as it is, with bit 11 cleared; a name taken from the system
// that holds bytes that are not UTF-8 (EntryNameHasSystemBytes) with those
// bytes as the system has them, bit 11 cleared, as Linux tools store a name
// they cannot read as UTF-8; any other name in UTF-8, with bit 11 set. A
// backslash that is part of a name (NameBackslash) is its byte 0x5C, which
// alone does not set bit 11. Names are never cut.
RawByteString EncodeEntryName(const String& name, Word& genPurposeFlag);
// Whether the name holds a byte of a system name that is not UTF-8 (U+DC00
// plus the byte, not after a lead surrogate), or a backslash that is part of
// it (NameBackslash). Such a name is stored as its bytes, from the engine's
// own host (11, on which a backslash is part of a name), and the entry
// carries the Unicode-name block too, so that this engine reads back the
// very name (from the local header as well, where no host is stored), and
// the file extracts under its bytes.
bool EntryNameHasSystemBytes(const String& name);
// Whether names from the made-by host (the high byte of versionMadeBy) use
// a backslash to separate folders: MS-DOS (0), OS/2 HPFS (6), Windows NTFS
// (10) and VFAT (14). On every other host, the engine's own (11) and Unix
// (3) among them, a backslash is part of a name.
bool HostSeparatesWithBackslash(Word versionMadeBy);
// The name that stored bytes stand for: UTF-8 when bit 11 is set or the bytes
// are valid UTF-8; otherwise the OEM code page when oemAllowed and the
// made-by host (the high byte of versionMadeBy) is 0, else the ANSI code page.
// A backslash in it separates folders only from a host that uses it so
// (HostSeparatesWithBackslash); from any other it is part of the name, and
// becomes NameBackslash.
String DecodeEntryName(const Byte* bytes, size_t count, Word genPurposeFlag, Word versionMadeBy, bool oemAllowed);
// Whether the bytes are well-formed UTF-8 (ASCII included).
bool IsValidUTF8(const Byte* bytes, size_t count);
// Reads the extra blocks of a central record or local header (length bytes
// at p) into the entry: the zip64 block into Zip64ExtInfo and bHugeFile (each
// value only where its 32-bit field in item.CentralDir is all ones and its
// bytes are there), every other block into ExtraFields; a Unicode-name block
// replaces name, and on a zip-form entry an AES block sets the encryption
// algorithm and the real compression method. A block that claims more bytes
// than remain is cut to what remains.
void ReadExtraBlocks(const Byte* p, size_t length, bool zipForm, TDirItem& item, String& name);
// The number of bytes of the zip64 block among the extra blocks (length
// bytes at p), as far as they lie within them; -1 when there is none.
Int64 Zip64BlockBytes(const Byte* p, size_t length);

class TZADirManager : public TObject {
 public:
  // Takes the stream (not owned) for an archive of arc. With create, the
  // archiver's current volume becomes the first one and, when the archiver
  // names a stub file, the stub is written to the stream.
  TZADirManager(TStream* stream, bool create, TZAArchiverLink* arc);
  ~TZADirManager() override;
  TZADirManager(const TZADirManager&) = delete;
  TZADirManager& operator=(const TZADirManager&) = delete;

  // Empties CDir and starts a new end record of the archive's form.
  void InitCentralDirEnd();
  // Searches the last 65,600 bytes backwards for an end record with the
  // signature whose fields fit the stream; fills the record, its position
  // and ArchiveComment. False (position -1) when there is none.
  bool GetCentralDirEnd(TZAZipCentralDirEnd& rec, Int64& position, Cardinal signature);
  // Whether the archive has an end record of its form (always true when the
  // archiver opens corrupted archives).
  bool HasCentralDirEnd();
  // Loads the directory into CDir; rebuilds it from the local headers when
  // there is no end record. Engine errors: 40 (zip64 locator without its
  // record), 57 (a damaged directory, or entries larger than the archive,
  // unless the archiver opens corrupted archives, which rebuilds instead),
  // 35 (nothing to rebuild from).
  void LoadDir();
  // Writes the directory and the end records: at the end of the stream
  // (writeAtEnd), or in place of the directory found in the stream.
  void SaveDir(bool writeAtEnd, TStream* stream = nullptr);
  bool IsEncrypted() const;
  bool IsSFXArchive() const;
  void OpenVolume(TZAVolumeNumberInfo& volume);

  // Rebuilds CDir from the local headers (engine errors 44 for a spanned or
  // split archive, 35 when there is no local header).
  void RebuildCentralDir();
  // The position of the next local header of the archive's form at or after
  // start, with at least 30 bytes after it; -1 when none.
  Int64 FindLocalFileHeader(Int64 start);
  // The first data descriptor at or after start with 16 bytes after it.
  bool FindDataDescriptor(Int64 start, TZAZipDataDescriptor& descriptor);
  // Forward search for signature (length bytes) from position; position is
  // the find. The stream's position is kept.
  static bool FindSignature(TStream* stream, Int64& position, const Byte* signature, Int32 length);
  // Sets StubSize: the position of the first entry's local header (or of the
  // end record in an archive without entries).
  void CalculateStubSize(Int64 endPosition);
  // Adds StubSize to every entry's local-header offset.
  void ApplyStubOffset();
  // Copies the archiver's stub file to the start of the (emptied) stream.
  void SaveSFXStub();

  TStream* FCompressedStream = nullptr;
  bool FCreate = false;
  bool FIsCustomStream = false;
  TZAArchiverLink* FArc = nullptr;
  std::unique_ptr<TZADirArray> RBCDir;
  std::unique_ptr<TZADirArray> CDir;
  AnsiString ArchiveComment;
  TZAZip64CentralDirEndLocator Zip64CentralDirEndLocator;
  TZAZip64CentralDirEnd Zip64CentralDirEnd;
  TZAZipCentralDirEnd CentralDirEnd;
  Int64 StubSize = 0;
  bool FZip64 = false;
  bool Aborted = false;
  Int64 CentralDirOffset = 0;

 private:
  // Reads the records of a directory held whole in memory.
  void ReadDirectoryBuffer(const TBytes& dir, Int64 count);
  // Reads the records volume by volume from the current stream.
  void ReadDirectorySpanned(Int64 count, TZAVolumeNumberInfo& walk);
  // Fills entry index from a central record whose variable part follows it;
  // answers the bytes it took.
  size_t ParseCentralRecord(Int32 index, const Byte* p, size_t available);
  [[noreturn]] void Damaged() const;
  bool OemNamesAllowed() const;
  Int64 ScanForSignature(Int64 start, Cardinal signature, Int64 following);

  // The end record's signature found by the last load (0: none).
  Cardinal fFoundEndSignature = 0;
  // Block cache of the forward searches during one rebuild or stub scan.
  TBytes fCache;
  Int64 fCacheStart = -1;
};

// Unit start and stop (the unit has no work of its own).
void ZADirManager_initialization();
void ZADirManager_Finalization();

}  // namespace sk

// The unit's other theme: the archiver link over one plain stream or file.
#include "zip/ZADirManager_single.h"
