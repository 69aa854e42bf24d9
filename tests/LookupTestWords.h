// Words for comparing the library's indexed lookups with the scans they
// replace: case variants (also Turkish dotted and dotless i and the sharp s),
// precomposed and decomposed accents, a zero-width space that collation
// ignores, the empty word, and words that differ only by such things.
#pragma once

#include <vector>

#include "platform/runtime/RtlTypes.h"

namespace sk {

inline const std::vector<String>& LookupTestWords() {
  // clang-format off
  static const std::vector<String> words = {
      u"go", u"GO", u"Go", u"goes", u"went", u"WENT", u"",
      u"\u00e9t\u00e9", u"\u00c9T\u00c9", u"e\u0301te\u0301", u"ete", u"stra\u00dfe", u"STRASSE",
      u"\u0130stanbul", u"istanbul", u"ISTANBUL", u"\u0131rmak", u"Irmak", u"a\u200bb", u"ab",
      u"\u65e5\u672c", u"x y", u"x-y"};
  // clang-format on
  return words;
}

// A small seeded generator, so that a failing case repeats.
class TLookupTestDice {
 public:
  explicit TLookupTestDice(Cardinal seed) : fState(seed) {}
  Cardinal Next(Cardinal below) {
    fState = fState * 1103515245u + 12345u;
    return below == 0 ? 0 : (fState >> 16) % below;
  }
  const String& Word() { return LookupTestWords()[Next(static_cast<Cardinal>(LookupTestWords().size()))]; }

 private:
  Cardinal fState;
};

}  // namespace sk
