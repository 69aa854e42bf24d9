// Byte streams: the abstract stream with exact-read helpers, a growable memory
// stream, a memory stream over a byte array, and file streams on POSIX file
// descriptors.  Positions and sizes are 64-bit; multi-byte values read and
// written through ReadValue / WriteValue are little-endian.
#pragma once

#include <bit>
#include <cstring>
#include <type_traits>

#include "platform/runtime/RtlTypes.h"

namespace sk {

enum TSeekOrigin : uint8_t { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
 public:
  // Reads up to count bytes; returns the number read (0 at the end, and also
  // when the system fails the read: LastReadError tells the two apart).
  virtual Int64 Read(void* buffer, Int64 count) = 0;
  // The system error that cut the last Read short; 0 when it stopped at the
  // end or moved every byte asked for.  Streams in memory never fail a read.
  virtual Int32 LastReadError() const { return 0; }
  // Writes up to count bytes; returns the number written.
  virtual Int64 Write(const void* buffer, Int64 count) = 0;
  // Moves the position; returns the new position from the start.
  virtual Int64 Seek(Int64 offset, TSeekOrigin origin) = 0;

  Int64 Position() const;
  void SetPosition(Int64 pos);
  virtual Int64 Size();
  // The base stream cannot change its size; streams that can override this.
  virtual void SetSize(Int64 newSize);
  // Bytes between the position and the end (0 when positioned past the end).
  Int64 Remaining();

  // Exact transfers: throw EReadError "Stream read error" / EWriteError
  // "Stream write error" when fewer bytes move than asked.
  void ReadBuffer(void* buffer, Int64 count);
  void WriteBuffer(const void* buffer, Int64 count);
  void WriteBuffer(const TBytes& bytes);

  // Copies count bytes from source's position; count 0 copies all of source
  // from its start.  Returns the number of bytes copied; a source that ends
  // early raises EReadError.
  Int64 CopyFrom(TStream* source, Int64 count);

  // Everything from the position to the end, read in pieces so that a stream
  // whose size is not what it claims still gives what it holds. A read that
  // the system fails raises EReadError: it is never taken for the end.
  TBytes ReadRest();

  // Little-endian scalars; a short read raises EReadError.
  template <class T>
  T ReadValue() {
    static_assert(std::is_trivially_copyable_v<T>);
    T v{};
    ReadBuffer(&v, sizeof(T));
    return FromLittleEndian(v);
  }
  // Reads a scalar; false (value untouched) when the stream ends first.
  template <class T>
  bool TryReadValue(T& out) {
    static_assert(std::is_trivially_copyable_v<T>);
    T v{};
    if (Read(&v, sizeof(T)) != static_cast<Int64>(sizeof(T))) return false;
    out = FromLittleEndian(v);
    return true;
  }
  template <class T>
  void WriteValue(T value) {
    static_assert(std::is_trivially_copyable_v<T>);
    T v = FromLittleEndian(value);  // the swap is its own inverse
    WriteBuffer(&v, sizeof(T));
  }

 private:
  template <class T>
  static T FromLittleEndian(T v) {
    if constexpr (std::endian::native == std::endian::big && std::is_arithmetic_v<T> && sizeof(T) > 1) {
      unsigned char b[sizeof(T)];
      std::memcpy(b, &v, sizeof(T));
      for (size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(b[i], b[sizeof(T) - 1 - i]);
      std::memcpy(&v, b, sizeof(T));
    }
    return v;
  }
};

// A stream over a block of memory held by the stream.
class TCustomMemoryStream : public TStream {
 public:
  Int64 Read(void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  Int64 Size() override { return static_cast<Int64>(fData.size()); }

  void* Memory() { return fData.data(); }
  const Byte* Bytes() const { return fData.data(); }
  // Copy of the bytes from 0 to Size.
  TBytes ToBytes() const { return fData; }

  // Writes the whole content (from 0, whatever the position) to the stream /
  // file.  The file is replaced whole: a failed save raises and leaves the
  // file as it was.
  void SaveToStream(TStream* stream);
  void SaveToFile(const String& fileName);

 protected:
  TBytes fData;
  Int64 fPosition = 0;
};

class TMemoryStream : public TCustomMemoryStream {
 public:
  TMemoryStream() = default;
  ~TMemoryStream() override = default;

  // Writing past the end grows the stream; a gap left by seeking beyond the
  // end is filled with zero bytes.
  Int64 Write(const void* buffer, Int64 count) override;
  // Growing fills with zero bytes; shrinking moves the position back to the
  // new end when it was beyond it.
  void SetSize(Int64 newSize) override;
  void Clear();
  Int64 Capacity() const { return static_cast<Int64>(fData.capacity()); }
  void SetCapacity(Int64 capacity);

  // Replace the content by the whole of stream (from its start) / the file;
  // the position becomes 0.  A read that fails raises EReadError and leaves
  // the content as it was.
  void LoadFromStream(TStream* stream);
  void LoadFromFile(const String& fileName);
};

// A memory stream that starts with a copy of a byte array.
class TBytesStream : public TMemoryStream {
 public:
  TBytesStream() = default;
  explicit TBytesStream(const TBytes& bytes);
  // Takes over the bytes without copying them.
  explicit TBytesStream(TBytes&& bytes);
};

// Open modes: the low nibble is the access, the next one the sharing (sharing
// is accepted and ignored: POSIX files are not locked by opening them).
inline constexpr Word fmCreate = 0xFF00;
inline constexpr Word fmOpenRead = 0x0000;
inline constexpr Word fmOpenWrite = 0x0001;
inline constexpr Word fmOpenReadWrite = 0x0002;
inline constexpr Word fmExclusive = 0x0004;  // with fmCreate: fail when the file exists
inline constexpr Word fmShareCompat = 0x0000;
inline constexpr Word fmShareExclusive = 0x0010;
inline constexpr Word fmShareDenyWrite = 0x0020;
inline constexpr Word fmShareDenyRead = 0x0030;
inline constexpr Word fmShareDenyNone = 0x0040;

// A stream on an open file descriptor, which it does not own.
class THandleStream : public TStream {
 public:
  explicit THandleStream(int handle) : fHandle(handle) {}
  Int64 Read(void* buffer, Int64 count) override;
  Int32 LastReadError() const override { return fReadError; }
  Int64 Write(const void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  Int64 Size() override;
  // Throws EStreamError when the file cannot be resized.
  void SetSize(Int64 newSize) override;
  int Handle() const { return fHandle; }

 protected:
  int fHandle = -1;
  Int32 fReadError = 0;
};

// A file opened by name, closed by the destructor.  The name is used as given
// (converted to UTF-8).  Failures raise EFOpenError "Cannot open file "%s". %s"
// or, for fmCreate, EFCreateError "Cannot create file "%s". %s" with the
// system's reason.  A folder cannot be opened as a file stream.
class TFileStream : public THandleStream {
 public:
  TFileStream(const String& fileName, Word mode);
  TFileStream(const String& fileName, Word mode, Cardinal rights);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  const String& FileName() const { return fFileName; }

 private:
  void OpenFile(Word mode, Cardinal rights);
  String fFileName;
};

}  // namespace sk
