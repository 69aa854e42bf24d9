#include "platform/runtime/Streams.h"

#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileSeam.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

namespace sk {

namespace {

constexpr Int64 kCopyChunk = 1 << 20;

String SystemErrorText(int err) { return Utf8ToString(std::string(std::strerror(err))); }

// Reads or writes count bytes through op (::read or ::write) in pieces of at
// most 1 GiB, going on after an interrupted call; stops at an error (left in
// error) or at the end of the file. Returns the bytes moved.
template <typename Ptr, typename Op>
Int64 TransferAll(int handle, Ptr* p, Int64 count, Op op, Int32& error) {
  error = 0;
  if (count <= 0) return 0;
  if (handle < 0) {
    error = EBADF;
    return 0;
  }
  Int64 done = 0;
  while (done < count) {
    size_t want = static_cast<size_t>(std::min<Int64>(count - done, 1 << 30));
    ssize_t n = op(handle, p + done, want);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno != 0 ? errno : EIO;
      break;
    }
    if (n == 0) break;
    done += n;
  }
  return done;
}

}  // namespace

// ---- TStream ------------------------------------------------------------------

Int64 TStream::Position() const { return const_cast<TStream*>(this)->Seek(0, soCurrent); }

void TStream::SetPosition(Int64 pos) { Seek(pos, soBeginning); }

Int64 TStream::Size() {
  Int64 pos = Seek(0, soCurrent);
  Int64 end = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return end;
}

void TStream::SetSize(Int64) {}

TBytes TStream::ReadRest() {
  TBytes buf;
  const Int64 expected = Remaining();
  if (expected > 0 && static_cast<UInt64>(expected) < buf.max_size()) buf.reserve(static_cast<size_t>(expected));
  std::vector<Byte> chunk(1 << 16);
  for (;;) {
    const Int64 n = Read(chunk.data(), static_cast<Int64>(chunk.size()));
    if (n > 0) buf.insert(buf.end(), chunk.begin(), chunk.begin() + n);
    if (LastReadError() != 0) throw EReadError(u"Stream read error");
    if (n <= 0) break;
  }
  return buf;
}

Int64 TStream::Remaining() {
  Int64 r = Size() - Position();
  return r > 0 ? r : 0;
}

void TStream::ReadBuffer(void* buffer, Int64 count) {
  if (count <= 0) return;
  Int64 done = 0;
  auto* p = static_cast<Byte*>(buffer);
  while (done < count) {
    Int64 n = Read(p + done, count - done);
    if (n <= 0) break;
    done += n;
  }
  if (done != count) throw EReadError(u"Stream read error");
}

void TStream::WriteBuffer(const void* buffer, Int64 count) {
  if (count <= 0) return;
  Int64 done = 0;
  const auto* p = static_cast<const Byte*>(buffer);
  while (done < count) {
    Int64 n = Write(p + done, count - done);
    if (n <= 0) break;
    done += n;
  }
  if (done != count) throw EWriteError(u"Stream write error");
}

void TStream::WriteBuffer(const TBytes& bytes) {
  if (!bytes.empty()) WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
}

Int64 TStream::CopyFrom(TStream* source, Int64 count) {
  if (source == nullptr) return 0;
  if (count == 0) {
    source->SetPosition(0);
    count = source->Size();
  }
  if (count <= 0) return 0;
  std::vector<Byte> buf(static_cast<size_t>(std::min(count, kCopyChunk)));
  Int64 left = count;
  while (left > 0) {
    Int64 n = std::min(left, static_cast<Int64>(buf.size()));
    source->ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    left -= n;
  }
  return count;
}

// ---- memory streams -----------------------------------------------------------

Int64 TCustomMemoryStream::Read(void* buffer, Int64 count) {
  Int64 size = static_cast<Int64>(fData.size());
  if (count <= 0 || fPosition < 0 || fPosition >= size) return 0;
  Int64 n = std::min(count, size - fPosition);
  std::memcpy(buffer, fData.data() + fPosition, static_cast<size_t>(n));
  fPosition += n;
  return n;
}

Int64 TCustomMemoryStream::Seek(Int64 offset, TSeekOrigin origin) {
  Int64 base = 0;
  switch (origin) {
    case soBeginning: base = 0; break;
    case soCurrent: base = fPosition; break;
    case soEnd: base = static_cast<Int64>(fData.size()); break;
  }
  // A position before the start is clamped to it, so a later read or write
  // never addresses memory in front of the block.
  if (offset < 0 && base + offset < 0) {
    fPosition = 0;
  } else if (offset > 0 && base > std::numeric_limits<Int64>::max() - offset) {
    fPosition = std::numeric_limits<Int64>::max();
  } else {
    fPosition = base + offset;
  }
  return fPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* stream) {
  if (stream != nullptr && !fData.empty()) stream->WriteBuffer(fData.data(), static_cast<Int64>(fData.size()));
}

void TCustomMemoryStream::SaveToFile(const String& fileName) {
  ReplaceFileWith(fileName, [this](TStream& f) { SaveToStream(&f); });
}

Int64 TMemoryStream::Write(const void* buffer, Int64 count) {
  if (count <= 0 || fPosition < 0) return 0;
  if (fPosition > std::numeric_limits<Int64>::max() - count) return 0;
  Int64 end = fPosition + count;
  // Bytes taken from this stream's own block (appending a part of itself)
  // would be freed by the growth below: copy them out first.
  std::vector<Byte> own;
  const auto* src = static_cast<const Byte*>(buffer);
  if (!fData.empty() && std::less_equal<const Byte*>()(fData.data(), src) &&
      std::less<const Byte*>()(src, fData.data() + fData.size()) &&
      end > static_cast<Int64>(fData.capacity())) {
    if (count > static_cast<Int64>(fData.data() + fData.size() - src)) return 0;  // reaches beyond the block
    try {
      own.assign(src, src + count);
    } catch (const std::bad_alloc&) {
      return 0;
    }
    src = own.data();
  }
  if (end > static_cast<Int64>(fData.size())) {
    if (static_cast<UInt64>(end) > fData.max_size()) return 0;
    try {
      if (static_cast<UInt64>(end) > fData.capacity()) {
        // grow by a quarter at least, so many small writes stay linear
        size_t want = std::max<size_t>(static_cast<size_t>(end), fData.capacity() + fData.capacity() / 4);
        fData.reserve(want);
      }
      fData.resize(static_cast<size_t>(end), 0);
    } catch (const std::bad_alloc&) {
      return 0;
    }
  }
  std::memmove(fData.data() + fPosition, src, static_cast<size_t>(count));
  fPosition = end;
  return count;
}

void TMemoryStream::SetSize(Int64 newSize) {
  if (newSize < 0) newSize = 0;
  if (static_cast<UInt64>(newSize) > fData.max_size()) throw EStreamError(u"Out of memory while expanding memory stream");
  try {
    fData.resize(static_cast<size_t>(newSize), 0);
  } catch (const std::bad_alloc&) {
    throw EStreamError(u"Out of memory while expanding memory stream");
  }
  if (fPosition > newSize) fPosition = newSize;
}

void TMemoryStream::Clear() {
  fData.clear();
  fData.shrink_to_fit();
  fPosition = 0;
}

void TMemoryStream::SetCapacity(Int64 capacity) {
  if (capacity > static_cast<Int64>(fData.size()) && static_cast<UInt64>(capacity) <= fData.max_size())
    fData.reserve(static_cast<size_t>(capacity));
}

void TMemoryStream::LoadFromStream(TStream* stream) {
  if (stream == nullptr) return;
  stream->SetPosition(0);
  TBytes data;
  // Read in pieces until the stream ends rather than trusting its size alone.
  Int64 expected = stream->Size();
  if (expected > 0 && static_cast<UInt64>(expected) < data.max_size()) data.reserve(static_cast<size_t>(expected));
  std::vector<Byte> buf(static_cast<size_t>(kCopyChunk));
  for (;;) {
    Int64 n = stream->Read(buf.data(), static_cast<Int64>(buf.size()));
    if (n <= 0) break;
    data.insert(data.end(), buf.begin(), buf.begin() + n);
  }
  // A read the system failed is not the end of the stream.
  if (stream->LastReadError() != 0) throw EReadError(u"Stream read error. " + SystemErrorText(stream->LastReadError()));
  fData.swap(data);
  fPosition = 0;
}

void TMemoryStream::LoadFromFile(const String& fileName) {
  TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&f);
}

TBytesStream::TBytesStream(const TBytes& bytes) { fData = bytes; }

TBytesStream::TBytesStream(TBytes&& bytes) { fData = std::move(bytes); }

// ---- handle and file streams --------------------------------------------------

Int64 THandleStream::Read(void* buffer, Int64 count) {
  fReadError = 0;
  if (count > 0) {
    const Int32 fault = FileSeamAsk(fsoRead);
    if (fault > 0) {
      fReadError = fault;
      return 0;
    }
    if (fault == FileSeamShortTransfer) count = count / 2;
  }
  return TransferAll(fHandle, static_cast<Byte*>(buffer), count, ::read, fReadError);
}

Int64 THandleStream::Write(const void* buffer, Int64 count) {
  if (count > 0) {
    const Int32 fault = FileSeamAsk(fsoWrite);
    if (fault > 0) return 0;
    if (fault == FileSeamShortTransfer) count = count / 2;
  }
  Int32 error = 0;
  return TransferAll(fHandle, static_cast<const Byte*>(buffer), count, ::write, error);
}

Int64 THandleStream::Seek(Int64 offset, TSeekOrigin origin) {
  int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  // Asking where the stream is moves nothing and cannot fail.
  const bool moves = !(origin == soCurrent && offset == 0);
  if (moves) {
    if (const Int32 fault = FileSeamAsk(fsoSeek); fault != 0)
      throw EStreamError(u"Stream seek error. " + SystemErrorText(fault > 0 ? fault : EIO));
  }
  off_t r = ::lseek(fHandle, static_cast<off_t>(offset), whence);
  if (r < 0) {
    // A failure other than a position before the start leaves the stream
    // somewhere the caller did not ask for: that must not pass unnoticed.
    if (errno != EINVAL) throw EStreamError(u"Stream seek error. " + SystemErrorText(errno));
    // A position before the start is not possible; report where we are.
    r = ::lseek(fHandle, 0, SEEK_CUR);
    return r < 0 ? 0 : static_cast<Int64>(r);
  }
  return static_cast<Int64>(r);
}

Int64 THandleStream::Size() {
  struct stat st;
  if (fHandle >= 0 && ::fstat(fHandle, &st) == 0) return static_cast<Int64>(st.st_size);
  return TStream::Size();
}

void THandleStream::SetSize(Int64 newSize) {
  if (newSize < 0) newSize = 0;
  if (const Int32 fault = FileSeamAsk(fsoSetSize); fault != 0)
    throw EStreamError(u"Stream size error. " + SystemErrorText(fault > 0 ? fault : EIO));
  if (::ftruncate(fHandle, static_cast<off_t>(newSize)) != 0)
    throw EStreamError(u"Stream size error. " + SystemErrorText(errno));
  if (Position() > newSize) Seek(newSize, soBeginning);
}

TFileStream::TFileStream(const String& fileName, Word mode) : THandleStream(-1), fFileName(fileName) {
  OpenFile(mode, 0666);
}

TFileStream::TFileStream(const String& fileName, Word mode, Cardinal rights)
    : THandleStream(-1), fFileName(fileName) {
  OpenFile(mode, rights);
}

void TFileStream::OpenFile(Word mode, Cardinal rights) {
  const std::string path = StringToSystemName(fFileName);
  const bool create = (mode & fmCreate) == fmCreate;
  int flags = O_CLOEXEC;
  if (create) {
    flags |= O_RDWR | O_CREAT | O_TRUNC;
    if (mode & fmExclusive) flags |= O_EXCL;
  } else {
    switch (mode & 0x3) {
      case fmOpenWrite: flags |= O_WRONLY; break;
      case fmOpenReadWrite: flags |= O_RDWR; break;
      default: flags |= O_RDONLY; break;
    }
  }
  int err = 0;
  int fd = -1;
  if (path.empty()) {
    err = ENOENT;
  } else if (const Int32 fault = FileSeamAsk(create ? fsoCreate : fsoOpen, path); fault != 0) {
    err = fault > 0 ? fault : EIO;
  } else {
    do {
      fd = ::open(path.c_str(), flags, static_cast<mode_t>(rights & 07777));
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) err = errno;
  }
  if (fd >= 0) {
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd);
      fd = -1;
      err = EISDIR;
    }
  }
  if (fd < 0) {
    String reason = SystemErrorText(err);
    if (create) throw EFCreateError(u"Cannot create file \"" + fFileName + u"\". " + reason);
    throw EFOpenError(u"Cannot open file \"" + fFileName + u"\". " + reason);
  }
  fHandle = fd;
}

TFileStream::~TFileStream() {
  if (fHandle >= 0) ::close(fHandle);
}

}  // namespace sk
