// Splitting one file into numbered chunk files that each fit a removable
// disk, and restoring the file from such a set with each chunk's number and
// checksum checked.
//
// A chunk file is: (first chunk only) the source's name as a stored string, the
// zip flag (1 byte), the pack level (16 bits), the chunk size, the source's
// attributes, its last write time (a 64-bit date-time) and the number of
// chunks (32 bits each); then in every chunk its number from 0 (32 bits), its
// data, and the 32-bit wrapping sum of its data bytes. All little-endian.
// Chunk files are named "<folder>/chunk <n> of <count>.tmp", n from 1.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

class TZipArchiver;

// (chunk file name, its number from 1, the number of chunks)
using TOnChunkFileMadeEvent = std::function<void(const String& FileName, Int32 Number, Int32 Count)>;
using TOnRestoreFileEvent = std::function<void(const String& FileName, Int32 Number, Int32 Count)>;
// (the number of the disk wanted, from 1)
using TOnNewDiskNeededEvent = std::function<void(Int32 DiskNumber)>;

// Copies count bytes from source into dest in pieces of at most bufferSize,
// answering the 32-bit wrapping sum of every byte copied. count below 1 copies
// the whole source from its start. ERangeError "Buffersize<=0" for a buffer
// size below 1; EReadError when the source holds fewer bytes.
Int64 ChecksumCopy(TStream* dest, TStream* source, Int64 count, Int32 bufferSize, Int32& checksum);

// A file stream that sums the bytes it copies in.
class TMyFileStream : public TFileStream {
 public:
  using TFileStream::TFileStream;
  // Copies as ChecksumCopy does and leaves the sum in fChecksum; answers the
  // count copied.
  Int64 MyCopyFrom(TStream* source, Int64 count, Int32 bufferSize);
  Int32 fChecksum = 0;
};

// What the first chunk of a set says before its chunk number.
struct TChunkSetHeader {
  String SourceName;
  bool ZipToo = false;
  SmallInt PackLevel = 0;
  Int32 ChunkSize = 0;
  Int32 Attributes = 0;
  TDateTime Date = 0;
  Int32 Count = 0;
};

// Reads the header at the stream's position; false when the stream holds
// fewer bytes than a field needs or the count is outside 1 to
// TFileChunker::MaxChunks.
bool ReadChunkSetHeader(TStream* stream, TChunkSetHeader& header);
void WriteChunkSetHeader(TStream* stream, const TChunkSetHeader& header);

class TFileChunker : public TObject {
 public:
  // The largest number of chunks a set may have.
  static constexpr Int32 MaxChunks = 1000000;

  explicit TFileChunker(TObject* owner = nullptr);
  ~TFileChunker() override;
  TFileChunker(const TFileChunker&) = delete;
  TFileChunker& operator=(const TFileChunker&) = delete;

  // Splits Sourcename into chunk files in DirCreating; answers the number
  // written. A chunk size too small to hold the first chunk's header and one
  // data byte, or a set of more than MaxChunks, is refused (0) before
  // anything is written. Exception "Copy failure" when the run was stopped
  // before the last chunk; with ZipToo, "Zip operation failed: " and the
  // reason when the source could not be zipped. The chunks are written aside
  // and take their names when the set is whole (those on a disk that is
  // changed, before it goes): a run that fails or stops, a full disk
  // included, leaves an old set under the same names as it was, and none of
  // its own chunks that have not taken their names. OnChunkMade names the
  // chunk by the name it takes. Readers of a set at the names are waited for
  // (ZANewFileSetWait), then the make is refused with EFCreateError.
  Int32 MakeChunkFiles();
  // Restores the file of the set whose first chunk is Sourcename into
  // DirRestoring; true when every chunk was restored without fault. A file
  // already there (the user agreed to overwrite it) is replaced only when
  // every chunk passed; a new file keeps the chunks restored before a fault.
  // The set is read whole under a hold on its first chunk: false, with
  // nothing written, when another process's move-in of a set under its
  // names went on for the whole wait (ZANewFileSetWait), or a killed one's
  // left it torn and could not be finished.
  // A set of the zip option whose file would inflate past the inflate
  // bounds raises the engine's error 80 before anything is written.
  bool RestoreAllChunks();
  void Stop();

  // The bytes chunk index (from 0) carries besides its data, for a source
  // name of nameLength UTF-16 units.
  static Int64 ChunkOverhead(Int32 index, Int64 nameLength);
  // The number of chunks of a source of sourceSize bytes; 0 when chunkSize
  // cannot carry the first chunk's header and a data byte.
  static Int64 ChunkCount(Int64 sourceSize, Int32 chunkSize, Int64 nameLength);
  // The name of chunk number (from 1) of count in folder.
  static String ChunkFileName(const String& folder, Int32 number, Int32 count);

  // ---- properties -----------------------------------------------------------
  Int32 ChunkSize() const { return fChunksize; }
  void SetChunkSize(Int32 value) { fChunksize = value; }
  bool DeleteAfterRestore() const { return fDeleteChunksAfterwards; }
  void SetDeleteAfterRestore(bool value) { fDeleteChunksAfterwards = value; }
  bool WaitForNewDisk() const { return fWaitForNewDisk; }
  void SetWaitForNewDisk(bool value) { fWaitForNewDisk = value; }
  bool ZipToo() const { return fZiptoo; }
  void SetZipToo(bool value) { fZiptoo = value; }
  const TUTF8Stringlist& ChunkerFilenames() const { return *fChunks; }
  const String& FirstFileInSet() const { return fFirstFileInSet; }
  void SetFirstFileInSet(const String& value) { fFirstFileInSet = value; }
  const String& RestoredName() const { return fRestoredName; }
  void SetRestoredName(const String& value) { fRestoredName = value; }
  const String& DirCreating() const { return fDirCreating; }
  void SetDirCreating(const String& value) { fDirCreating = value; }
  const String& DirRestoring() const { return fDirRestoring; }
  void SetDirRestoring(const String& value) { fDirRestoring = value; }
  const String& DirWorking() const { return fDirWorking; }
  void SetDirWorking(const String& value) { fDirWorking = value; }
  const String& Sourcename() const { return fSourcename; }
  void SetSourcename(const String& value) { fSourcename = value; }
  SmallInt PackLevel() const { return fPackLevel; }

  TOnChunkFileMadeEvent OnChunkMade;
  TOnRestoreFileEvent OnRestoreOne;
  TOnNewDiskNeededEvent OnNewDiskNeeded;

 private:
  // Asks for disk diskNumber until there is one at path (and, with testRoom,
  // bytesNeeded free bytes on it); false when the user cancelled.
  bool fGetNewDisk(Int32 diskNumber, Int64 bytesNeeded, const String& path, bool testRoom);
  // The zip option's first step: the source zipped into a new archive, a
  // file without a name in DirWorking; null when nothing was stored.
  std::unique_ptr<TTemporaryFileStream> ZipSource();
  // A chunk read whole: its name and the file that held it.
  struct TChunkRead {
    String Name;
    TFileStamp Stamp;  // the chunk as it stood before it was read
  };
  // Copies every chunk, checked, into out; read lists the chunks that came.
  bool RestoreInto(TStream* out, std::vector<TChunkRead>& read);
  // Deletes the chunks read, each only while its name still holds it,
  // unchanged since it was read.
  void DeleteChunks(const std::vector<TChunkRead>& read);

  std::unique_ptr<TZipArchiver> fZipper;
  Int32 ftest_CheckSum = 0;
  Int32 fAttributos = 0;
  Int32 fthis_filenum = 0;
  Int32 fOut_of = 0;
  Int32 fChunksize = 1400000;
  TDateTime fDataArquivo = 0;
  bool fDeleteChunksAfterwards = false;
  bool fWaitForNewDisk = false;
  bool fZiptoo = false;
  std::unique_ptr<TUTF8Stringlist> fChunks;
  String fFirstFileInSet;
  String fRestoredName;
  String fDirCreating;
  String fDirRestoring;
  String fDirWorking;
  String fSourcename;
  SmallInt fPackLevel = 9;
  bool processing = false;
};

// Unit start and stop (the unit has no work of its own).
void File_chunker_initialization();
void File_chunker_Finalization();

}  // namespace sk
