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
#include "support/FuzzSupport.h"

using namespace sk;

namespace {

// Texts of both directions with numbers, separators, markup, joiners and a
// surrogate pair, each with a hit or two.
void WriteSeeds(fuzz::Seeds& seeds) {
  auto add = [&](uint8_t options, std::vector<std::pair<uint16_t, uint16_t>> hits, const String& text) {
    TBytes b{options, static_cast<uint8_t>(hits.size())};
    for (const auto& [lo, hi] : hits)
      for (const uint16_t v : {lo, hi}) {
        b.push_back(static_cast<uint8_t>(v & 0xFF));
        b.push_back(static_cast<uint8_t>(v >> 8));
      }
    for (const Char c : text) {
      b.push_back(static_cast<uint8_t>(c & 0xFF));
      b.push_back(static_cast<uint8_t>(c >> 8));
    }
    seeds.Add(b);
  };
  add(0, {{5, 8}}, u"the cat sat, 3,5 <b>x</b>");
  add(1, {{7, 10}}, u"  \u05E9\u05DC\u05D5\u05DD abc def \u05E2\u05D5\u05DC\u05DD");
  add(3, {}, u"\u0645\u0631\u062D\u0628\u0627 \u0661\u0662\u0663 12.5%");
  add(4, {{1, 3}, {2, 9}}, u"ab\u200Dcd\u202Fef\u200C\u2060 \U0001D49C");
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

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
    SK_FUZZ_CHECK(!c.w.empty() && c.string_pos == static_cast<Int32>(first + joined.size()) + 1);
    joined += c.w;
  }
  SK_FUZZ_CHECK(joined == text.substr(std::min(first, text.size())));

  const Int32 n = chunks.Count();
  const TWordsWhichFit fit = chunks.WhichWordsFit(options % 5, 3, (options & 4) != 0);
  SK_FUZZ_CHECK(fit.last_segment < std::max(n, fit.first_segment) && fit.pixels >= 0);
  TWordChunkList::ReorderAnyLTRSinRTLSequences(chunks, fit.first_segment, fit.last_segment);
  TWordChunkList::ReorderAnyLTRSinRTLSequences(chunks, -3, n + 3);
  SK_FUZZ_CHECK(chunks.Count() == n);
  size_t total = 0;
  for (Int32 i = 0; i < n; ++i) total += chunks.Chunk(i).w.size();
  SK_FUZZ_CHECK(total == joined.size());
  return 0;
}
