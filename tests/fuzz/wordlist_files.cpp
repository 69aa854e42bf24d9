// Fuzz target: lemma, match, stop and relation list files. The first byte
// picks the list and the case sensitivity; the rest is the file, in whatever
// encoding its bytes suggest. Every answer the loaded lists give must stay
// inside them, and a word's lookup finds it or an equal word before it. The
// checks visit at most 256 words, spread over the whole list and the last one
// included, so that a long list stays quick.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "services/Lem_match_stop_rel_lists.h"

using namespace sk;

namespace {

std::vector<Int32> Sampled(Int32 n) {
  std::vector<Int32> at;
  const Int32 step = n <= 256 ? 1 : (n + 255) / 256;
  for (Int32 i = 0; i < n; i += step) at.push_back(i);
  if (n > 0 && at.back() != n - 1) at.push_back(n - 1);
  return at;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 1 << 16) return 0;
  const auto which = static_cast<TLemmaMatchStopRelOptions>(data[0] & 3);
  const bool caseSensitive = (data[0] & 4) != 0;
  const int fd = ::memfd_create("fuzz", 0);
  if (fd < 0) std::abort();
  if (size > 1 && ::write(fd, data + 1, size - 1) != static_cast<ssize_t>(size - 1)) std::abort();
  const String name = Utf8ToString("/proc/self/fd/" + std::to_string(fd));

  TLemMatchStopRelHolder h;
  const bool ok = h.StartUpAndLoadList(name, which, caseSensitive);
  const Int32 count = h.GetWordCount(which);
  if (which == as_lemma) {
    if (ok != (count > 0)) std::abort();
    for (const Int32 i : Sampled(h.GetLemmaVariantCount())) {
      const THeadword_and_Variant v = h.GetLemmalistVariantWithHeadword(i);
      if (v.headword.empty() || v.variante.empty()) std::abort();
      // The head word is passed as a zero-terminated text.
      if (v.headword.find(u'\0') == String::npos && h.GetLemmalistVariantsOf(v.headword.c_str()).empty())
        std::abort();
    }
    for (const Int32 i : Sampled(h.GetLemmaHeadWordCount())) {
      const Int32 k = h.IndexOfWordInList(h.GetLemmalistHeadWord(i), as_lemma);
      if (k < 0 || k > i) std::abort();
    }
  } else {
    for (const Int32 i : Sampled(count)) {
      const String w = which == as_match ? h.GetMatchlistWord(i)
                       : which == as_stop ? h.GetStoplistWord(i)
                                          : h.GetRelationlistWord(i);
      const Int32 k = h.IndexOfWordInList(w, which);
      if (k < 0 || k > i) std::abort();
    }
  }
  ::close(fd);
  return 0;
}
