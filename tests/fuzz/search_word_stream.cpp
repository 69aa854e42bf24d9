// Fuzz target: a search-word list's stream. A read either succeeds, and the
// list then writes itself and reads back the same words, or fails without
// leaking; a stored string over the limit may raise its read error.
//
// Build by hand against the library built with Clang and coverage, e.g.:
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DSK_SANITIZE=ON -DSK_BUILD_TESTS=OFF \
//     -DSK_BUILD_EXAMPLES=OFF "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link -Dconstinit="
//   cmake --build build-fuzz --target sharedkit
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Dconstinit= -I. \
//     tests/fuzz/search_word_stream.cpp -Lbuild-fuzz -lsharedkit -Wl,-rpath,$PWD/build-fuzz -o fuzz_search_word_stream
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "analysis/Base_search_itemsU.h"
#include "platform/runtime/Streams.h"

using namespace sk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TBytesStream stream(TBytes(data, data + size));
  TSearchWordItems list;
  bool ok = false;
  try {
    ok = list.ReadFromStream(&stream);
  } catch (const Exception&) {
    return 0;
  }
  if (!ok) return 0;
  TMemoryStream out;
  if (!list.SaveToStream(&out)) std::abort();
  out.SetPosition(0);
  TSearchWordItems again;
  if (!again.ReadFromStream(&out) || again.Count() != list.Count()) std::abort();
  for (Int32 i = 0; i < list.Count(); ++i) {
    const TQMSearchWordRec a = list.GetSWR(i);
    const TQMSearchWordRec b = again.GetSWR(i);
    if (a.typed_in_text != b.typed_in_text || a.search_text != b.search_text ||
        a.within_tag_section != b.within_tag_section || a.sw_contexts_needed.size() != b.sw_contexts_needed.size() ||
        a.variants_found->Count() != b.variants_found->Count() || b.version != a.version || b.version < 3)
      std::abort();
  }
  return 0;
}
