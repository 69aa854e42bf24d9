// Fuzz target: a longer text cut into word chunks, highlighted, fitted and
// reordered. Input: one byte of options (bit 0 right-to-left, bit 1 the
// picked-word colours), one byte giving how many hit pairs follow (each two
// 16-bit positions), then the text as UTF-16LE. The chunks must give back the
// text from its first character above blank, each at its own position, and
// fitting and reordering must keep every chunk.
//
// Build by hand against the library built with Clang and coverage, e.g.:
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DSK_SANITIZE=ON -DSK_BUILD_TESTS=OFF \
//     -DSK_BUILD_EXAMPLES=OFF "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link -Dconstinit="
//   cmake --build build-fuzz --target sharedkit
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Dconstinit= -I. \
//     tests/fuzz/word_chunks.cpp -Lbuild-fuzz -lsharedkit -Wl,-rpath,$PWD/build-fuzz -o fuzz_word_chunks
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "display/Wordchunklistu.h"

using namespace sk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t options = data[0];
  const size_t pairs = data[1] % 8;
  size_t at = 2;
  std::vector<Int64> hits;
  for (size_t k = 0; k < pairs && at + 4 <= size; ++k, at += 4) {
    const Int32 a = data[at] | (data[at + 1] << 8), b = data[at + 2] | (data[at + 3] << 8);
    hits.push_back(MakeHitInt64(std::min(a, b), std::max(a, b)));
  }
  std::sort(hits.begin(), hits.end());
  String text;
  for (; at + 2 <= size; at += 2) text += static_cast<Char>(data[at] | (data[at + 1] << 8));

  TQMInt64List list;
  for (Int64 h : hits) list.AddOne(h);
  TForegroundBackGroundColours none{};
  TWordChunkList chunks(TColourFontRec{}, none, wcl_large_text, {});
  const TBiDiMode base = (options & 1) ? bdRightToLeft : bdLeftToRight;
  chunks.LoadFromLargerString(text, nullptr, 0x0409, base, false, (options & 2) != 0, &list);

  size_t first = 0;
  while (first < text.size() && text[first] <= u' ') ++first;
  String joined;
  for (Int32 i = 0; i < chunks.Count(); ++i) {
    const TPaintWordChunk& c = chunks.Chunk(i);
    if (c.w.empty() || c.string_pos != static_cast<Int32>(first + joined.size()) + 1) std::abort();
    joined += c.w;
  }
  if (joined != text.substr(std::min(first, text.size()))) std::abort();

  const Int32 n = chunks.Count();
  const TWordsWhichFit fit = chunks.WhichWordsFit(options % 5, 3, (options & 4) != 0);
  if (fit.last_segment >= std::max(n, fit.first_segment) || fit.pixels < 0) std::abort();
  TWordChunkList::ReorderAnyLTRSinRTLSequences(chunks, fit.first_segment, fit.last_segment);
  TWordChunkList::ReorderAnyLTRSinRTLSequences(chunks, -3, n + 3);
  if (chunks.Count() != n) std::abort();
  size_t total = 0;
  for (Int32 i = 0; i < n; ++i) total += chunks.Chunk(i).w.size();
  if (total != joined.size()) std::abort();
  return 0;
}
