// Fuzz target: a search-word text file, in whatever encoding its bytes
// suggest. Every word loaded is then sought in the file's own text by the
// search engine, so the parser's patterns also drive the matcher: every hit
// must lie inside the buffer, and the search must end.
//
// Build by hand against the library built with Clang and coverage, e.g.:
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DSK_SANITIZE=ON -DSK_BUILD_TESTS=OFF \
//     -DSK_BUILD_EXAMPLES=OFF "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link -Dconstinit="
//   cmake --build build-fuzz --target sharedkit
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Dconstinit= -I. \
//     tests/fuzz/search_word_files.cpp -Lbuild-fuzz -lsharedkit -Wl,-rpath,$PWD/build-fuzz -o fuzz_search_word_files
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "analysis/Base_search_itemsU.h"
#include "analysis/Search_and_do_engineU.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_notation.h"

using namespace sk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return 0;
  const int fd = ::memfd_create("fuzz", 0);
  if (fd < 0) std::abort();
  if (size > 0 && ::write(fd, data, size) != static_cast<ssize_t>(size)) std::abort();
  const String name = Utf8ToString("/proc/self/fd/" + std::to_string(fd));

  TSearchWordItems list(StringToIgnoreTag(u"<*>,[*]"), LOCALE_USER_DEFAULT, true, se_searchword);
  const bool ok = list.LoadFromTextFile(name);
  ::close(fd);
  if (ok != (list.Count() > 0) || list.fFrom_a_file != ok) std::abort();

  // The file's text is the buffer searched.
  String text;
  for (Int32 i = 0; i < list.Count(); ++i) text += list.TypedInWord(i) + u" ";
  TSearchAndDoEngine& engine = *list.fSearchEngine;
  Int64 hits = 0;
  engine.PrepareFirst(text, true, wp_part, static_cast<Int32>(text.size() * 2), 0,
                      [&](TSearchAndDoEngine*, TConcSearchRec& rec) {
                        const Int32 n = static_cast<Int32>(global_bufStr[wp_part].size());
                        if (rec.hit_edge_1B[sf_start2] < 1 || rec.hit_edge_1B[sf_finish2] > n + 1 ||
                            rec.full_hit_len < 0 || rec.hit_edge_1B[sf_start2] > rec.hit_edge_1B[sf_finish2])
                          std::abort();
                        return (++hits & 1) == 0;
                      });
  for (Int32 i = 0; i < list.Count() && i < 20; ++i) {
    const TQMSearchWordRec* w = list.GetPtr(i);
    engine.SearchAndDo(w, wp_part, i, TTextStatsPositions_rec{});
  }
  global_bufStr[wp_part].clear();
  global_Wchars[wp_part].clear();
  return 0;
}
