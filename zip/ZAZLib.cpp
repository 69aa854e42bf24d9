#include "zip/ZAZLib.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>
#include <string>

#include "core/UnitCounter.h"

namespace sk {

namespace {

constexpr Int64 kMaxBlock = std::numeric_limits<Int32>::max();
// Deflate's largest expansion: a 258-byte match costs at least two bits.
constexpr Int64 kMaxInflateRatio = 1032;

Int64 RoundUp256(Int64 n) { return (n + 255) & ~Int64{255}; }

// The next size of an output block that ran full: half as much again (at
// least 256 bytes more), so that growing costs linear copying; capped at the
// largest Int32.
Int64 GrownSize(Int64 size) { return std::min(kMaxBlock, size + std::max<Int64>(256, size / 2)); }

// Ends an inflate stream on every way out of a decompression.
class TInflateGuard {
 public:
  explicit TInflateGuard(z_stream& zs) : fStream(zs) {}
  ~TInflateGuard() { inflateEnd(&fStream); }
  TInflateGuard(const TInflateGuard&) = delete;
  TInflateGuard& operator=(const TInflateGuard&) = delete;

 private:
  z_stream& fStream;
};

}  // namespace

Int32 CCheck(Int32 code) {
  if (code < 0) throw ECompressionError(u"error " + Utf8ToString(std::to_string(code)));
  return code;
}

Int32 DCheck(Int32 code) {
  if (code < 0) throw EDecompressionError(u"error");
  return code;
}

voidpf zcAlloc(voidpf /*opaque*/, uInt items, uInt size) {
  // calloc refuses a product that overflows instead of handing out a short block.
  return std::calloc(items, size);
}

void zcFree(voidpf /*opaque*/, voidpf block) { std::free(block); }

void ZLIBCompressBuf(const void* InBuf, Int32 InBytes, TBytes& OutBuf, Int32& OutBytes, Byte level) {
  OutBuf.clear();
  OutBytes = 0;
  if (InBytes < 0 || (InBuf == nullptr && InBytes > 0)) CCheck(Z_STREAM_ERROR);

  z_stream zs{};
  zs.zalloc = zcAlloc;
  zs.zfree = zcFree;
  // First size: the input, a tenth more and 12 bytes, in whole 256-byte
  // steps; this is above deflate's bound, so growing is the exception.
  TBytes out(static_cast<size_t>(std::min(kMaxBlock, RoundUp256(Int64{InBytes} + InBytes / 10 + 12))));
  zs.next_in = static_cast<Bytef*>(const_cast<void*>(InBuf));
  zs.avail_in = static_cast<uInt>(InBytes);
  zs.next_out = out.data();
  zs.avail_out = static_cast<uInt>(out.size());

  CCheck(deflateInit_(&zs, level, ZLIB_VERSION, static_cast<int>(sizeof zs)));
  try {
    while (CCheck(deflate(&zs, Z_FINISH)) != Z_STREAM_END) {
      // The output room ran out before the stream ended.
      if (static_cast<Int64>(out.size()) >= kMaxBlock) CCheck(Z_BUF_ERROR);
      const size_t used = out.size() - zs.avail_out;
      out.resize(static_cast<size_t>(GrownSize(static_cast<Int64>(out.size()))));
      zs.next_out = out.data() + used;
      zs.avail_out = static_cast<uInt>(out.size() - used);
    }
  } catch (...) {
    // The first failure is the one the caller hears of; ending the stream
    // only frees zlib's state.
    deflateEnd(&zs);
    throw;
  }
  const size_t produced = out.size() - zs.avail_out;
  CCheck(deflateEnd(&zs));
  out.resize(produced);
  out.shrink_to_fit();
  OutBuf = std::move(out);
  OutBytes = static_cast<Int32>(produced);
}

bool ZLIBDecompressBuf(const void* InBuf, Int32 InBytes, Int32 OutEstimate, TBytes& OutBuf, Int32& OutBytes) {
  OutBuf.clear();
  OutBytes = 0;
  // No input holds no zlib stream (not even an empty one: that takes 8 bytes).
  if (InBuf == nullptr || InBytes <= 0) return false;

  // The estimate is only where the output block starts; a stream that claims
  // more than deflate can expand its input to cannot make us allocate it.
  Int64 size = OutEstimate > 0 ? std::min<Int64>(OutEstimate, Int64{InBytes} * kMaxInflateRatio)
                               : RoundUp256(InBytes);
  size = std::min(size, kMaxBlock);

  z_stream zs{};
  zs.zalloc = zcAlloc;
  zs.zfree = zcFree;
  zs.next_in = static_cast<Bytef*>(const_cast<void*>(InBuf));
  zs.avail_in = static_cast<uInt>(InBytes);
  if (inflateInit_(&zs, ZLIB_VERSION, static_cast<int>(sizeof zs)) != Z_OK) return false;
  TInflateGuard guard(zs);

  try {
    TBytes out(static_cast<size_t>(size));
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    for (;;) {
      const int rc = inflate(&zs, Z_NO_FLUSH);
      if (rc == Z_STREAM_END) break;
      // Negative results are corrupt data, and a stream that asks for a
      // preset dictionary cannot be read without one.
      if (rc != Z_OK) return false;
      if (zs.avail_out > 0) {
        if (zs.avail_in == 0) return false;  // the input ended inside the stream
        continue;
      }
      if (static_cast<Int64>(out.size()) >= kMaxBlock) return false;  // past Int32
      const size_t used = out.size();
      out.resize(static_cast<size_t>(GrownSize(static_cast<Int64>(used))));
      zs.next_out = out.data() + used;
      zs.avail_out = static_cast<uInt>(out.size() - used);
    }
    const size_t produced = out.size() - zs.avail_out;
    out.resize(produced);
    out.shrink_to_fit();
    OutBuf = std::move(out);
    OutBytes = static_cast<Int32>(produced);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

SK_COUNTER_ONLY_UNIT(ZAZLib)

}  // namespace sk
