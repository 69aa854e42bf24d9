// Fuzz target: lemma, match, stop and relation list files. The first byte
// picks the list and the case sensitivity; the rest is the file, in whatever
// encoding its bytes suggest. Every answer the loaded lists give must stay
// inside them.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "services/Lem_match_stop_rel_lists.h"

using namespace sk;

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
    for (Int32 i = 0; i < h.GetLemmaVariantCount(); ++i) {
      const THeadword_and_Variant v = h.GetLemmalistVariantWithHeadword(i);
      if (v.headword.empty() || v.variante.empty()) std::abort();
      // The head word is passed as a zero-terminated text.
      if (v.headword.find(u'\0') == String::npos && h.GetLemmalistVariantsOf(v.headword.c_str()).empty())
        std::abort();
    }
    for (Int32 i = 0; i < h.GetLemmaHeadWordCount(); ++i)
      if (h.IndexOfWordInList(h.GetLemmalistHeadWord(i), as_lemma) < 0) std::abort();
  } else {
    for (Int32 i = 0; i < count; ++i) {
      const String w = which == as_match ? h.GetMatchlistWord(i)
                       : which == as_stop ? h.GetStoplistWord(i)
                                          : h.GetRelationlistWord(i);
      if (h.IndexOfWordInList(w, which) < 0) std::abort();
    }
  }
  ::close(fd);
  return 0;
}
