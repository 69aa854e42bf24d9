// Fuzz target: whole-buffer zlib decompression of untrusted bytes. Every input
// must give true with a block that inflates back identically through zlib, or
// false with an empty block; never a crash, a hang or a runaway allocation.
//
// Build by hand against the library's objects, for example:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. \
//     tests/fuzz/zazlib_decompress.cpp zip/ZAZLib.cpp platform/runtime/RtlTypes.cpp -lz -licuuc \
//     -o /tmp/zazlib_decompress
//   /tmp/zazlib_decompress -max_total_time=120 tests/fuzz/corpus/zazlib_decompress
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "zip/ZAZLib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x7FFFFFFF) return 0;
  // The first two bytes, when there are more, choose the size estimate, so
  // that small, exact and large first sizes are all tried.
  sk::Int32 estimate = 0;
  if (size > 2) {
    estimate = static_cast<sk::Int32>((data[0] << 8 | data[1]) * 7) - 1000;
    data += 2;
    size -= 2;
  }
  sk::TBytes out;
  sk::Int32 outBytes = -1;
  const bool ok = sk::ZLIBDecompressBuf(data, static_cast<sk::Int32>(size), estimate, out, outBytes);
  if (outBytes != static_cast<sk::Int32>(out.size())) std::abort();
  if (!ok && !out.empty()) std::abort();
  if (ok) {
    // What came out compresses and decompresses back to itself.
    sk::TBytes again, back;
    sk::Int32 againBytes = 0, backBytes = 0;
    sk::ZLIBCompressBuf(out.data(), outBytes, again, againBytes, 1);
    if (!sk::ZLIBDecompressBuf(again.data(), againBytes, 0, back, backBytes) || back != out) std::abort();
  }
  return 0;
}
