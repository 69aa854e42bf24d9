// Random texts for checking text fitting against a plain reference: words of
// Latin letters, long tokens without blanks, CJK runs and characters outside
// the Basic Multilingual Plane (surrogate pairs), mixed. The same seed gives
// the same texts.
#pragma once

#include <cmath>
#include <random>

#include "platform/runtime/Strings.h"

namespace sk {

class TRandomTexts {
 public:
  explicit TRandomTexts(unsigned seed) : fRng(seed) {}

  // A text of 0 to maxLen units, its length spread evenly on a log scale so
  // that short texts are as common as long ones. A pair is never cut by the
  // length limit.
  String Next(size_t maxLen) {
    const double logMax = std::log(static_cast<double>(maxLen) + 1);
    const auto len = static_cast<size_t>(std::exp(std::uniform_real_distribution<double>(0, logMax)(fRng))) - 1;
    const unsigned kind = fRng() % 5;  // words, token, CJK, pairs, mixed
    String s;
    while (s.size() < len) {
      const unsigned pick = kind == 4 ? fRng() % 4 : kind;
      if (pick == 0 && fRng() % 6 == 0) {
        s += fRng() % 4 == 0 ? u'-' : u' ';
      } else if (pick == 0 || pick == 1) {
        s += static_cast<Char>((fRng() % 3 == 0 ? u'A' : u'a') + fRng() % 26);
      } else if (pick == 2) {
        s += static_cast<Char>(0x4E00 + fRng() % 500);
      } else if (s.size() + 2 <= len) {
        // Emoji and mathematical letters, each a surrogate pair.
        const char32_t cp = fRng() % 2 == 0 ? 0x1F600 + fRng() % 50 : 0x1D400 + fRng() % 50;
        s += static_cast<Char>(0xD800 + ((cp - 0x10000) >> 10));
        s += static_cast<Char>(0xDC00 + ((cp - 0x10000) & 0x3FF));
      } else {
        s += u'x';
      }
    }
    return s;
  }

  // A width from 0 to max.
  Int32 Width(Int32 max) { return static_cast<Int32>(fRng() % static_cast<unsigned>(max + 1)); }

 private:
  std::mt19937 fRng;
};

// True when s holds half of a surrogate pair without the other half.
inline bool HasHalfAPair(const String& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    const Char c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= s.size() || s[i + 1] < 0xDC00 || s[i + 1] > 0xDFFF) return true;
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

}  // namespace sk
