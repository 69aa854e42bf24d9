// A small zip-file reader and writer on libzip: open an archive, list its
// member names, read one member into bytes, a new memory stream or a piece at
// a time as it is inflated, and (in write mode) add members.  Member names
// are stored as UTF-8.  Every failure, a damaged archive included, raises
// EZipException; nothing is trusted from the archive without a check (a
// member whose stated size is out of proportion to its data, for its
// compression method, is refused before anything is allocated).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"

namespace sk {

class EZipException : public Exception {
  using Exception::Exception;
};

enum TZipMode : uint8_t { zmClosed, zmRead, zmReadWrite, zmWrite };

enum TZipCompression : uint8_t { zcStored, zcDeflate };

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
  void Open(const String& fileName, TZipMode mode);
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
  void CheckOpen() const;
  void CheckIndex(Int32 index) const;
  void CheckWritable() const;
  // Checks the member's stated sizes against the archive and opens it for
  // reading; the stated size goes to size.
  void* OpenMember(Int32 index, const String& where, size_t& size);
  // Hands a malloc'ed block to the archive, which frees it.
  void AddBuffer(void* data, size_t size, const String& archiveName, TZipCompression compression);

  void* fArchive = nullptr;  // zip_t*
  TZipMode fMode = zmClosed;
  String fFileName;
  Int64 fArchiveSize = 0;  // bytes of the archive file when it was opened
};

}  // namespace sk
