// Random texts for checking text fitting against a plain reference: words of
// Latin letters, long tokens without blanks, CJK runs and characters outside
// the Basic Multilingual Plane (surrogate pairs), mixed; and texts whose
// characters change width with a cut (NextShaped). The same seed gives the
// same texts.
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

  // A text of 0 to maxLen units whose characters change width with a cut:
  // a CJK line with its punctuation (，。、「」, U+3000, ー), often opening
  // with a quote; Japanese with kana; Latin words with a soft hyphen near
  // each end; Arabic, Syriac or N'Ko words with vowel marks, tatweel and
  // lam-alef; or words of Latin, Greek, Cyrillic and CJK mixed with symbols
  // that the DejaVu fonts draw from one another by the script around them
  // (ℓ, ※, ‧, ⁄), emoji and mathematical letters.
  String NextShaped(size_t maxLen) {
    static const Char cjkMarks[] = {0xFF0C, 0x3002, 0x3001, 0x300C, 0x300D, 0x3000, 0x30FC};
    static const Char symbols[] = {0x2113, 0x203B, 0x2027, 0x2044, 0x2110, 0x20A9};
    const double logMax = std::log(static_cast<double>(maxLen) + 1);
    const auto len = static_cast<size_t>(std::exp(std::uniform_real_distribution<double>(0, logMax)(fRng))) - 1;
    const unsigned kind = fRng() % 5;  // CJK, Japanese, Latin, joined, mixed
    auto pick = [&](const Char* from, size_t n) { return from[fRng() % n]; };
    String s;
    if (kind <= 1 && fRng() % 2 == 0) s += u'\u300C';
    if (kind == 4 && fRng() % 3 == 0)
      for (unsigned k = 1 + fRng() % 8; k > 0; --k) s += pick(symbols, 6);
    while (s.size() < len) {
      const unsigned r = fRng() % 12;
      if (kind == 0 || kind == 1) {
        if (r < 2) {
          s += pick(cjkMarks, 7);
        } else if (r == 2) {
          s += pick(symbols, 6);
        } else if (kind == 1 && r < 6) {
          s += static_cast<Char>(0x3041 + fRng() % 80);  // hiragana
        } else if (kind == 1 && r < 8) {
          s += static_cast<Char>(0x30A1 + fRng() % 80);  // katakana
        } else {
          s += static_cast<Char>(0x4E00 + fRng() % 500);
        }
      } else if (kind == 2) {
        s += r == 0 ? u' ' : static_cast<Char>(u'a' + fRng() % 26);
      } else if (kind == 3) {
        // Arabic mostly; a word of Syriac or N'Ko now and then.
        const unsigned script = fRng() % 8;
        const Char base = script == 0 ? 0x0710 : script == 1 ? 0x07CA : 0x0621;
        const unsigned letters = script == 0 ? 28 : script == 1 ? 32 : 42;
        if (r == 0)
          s += u' ';
        else if (r == 1)
          s += script >= 2 ? static_cast<Char>(0x064B + fRng() % 8) : u'\u0640';
        else if (r == 2)
          s += u"\u0644\u0627";
        else
          s += static_cast<Char>(base + fRng() % letters);
      } else {
        if (r < 2) {
          s += u' ';
        } else if (r < 4) {
          s += pick(symbols, 6);
        } else if (r == 4) {
          s += pick(cjkMarks, 7);
        } else if (r == 5 && s.size() + 2 <= len) {
          const char32_t cp = fRng() % 2 == 0 ? 0x1F600 + fRng() % 50 : 0x1D400 + fRng() % 50;
          s += static_cast<Char>(0xD800 + ((cp - 0x10000) >> 10));
          s += static_cast<Char>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
          // A few characters of one script at a time.
          const unsigned script = fRng() % 4;
          const Char base = script == 0 ? u'a' : script == 1 ? 0x03B1 : script == 2 ? 0x0430 : 0x4E00;
          for (unsigned k = 1 + fRng() % 4; k > 0; --k) s += static_cast<Char>(base + fRng() % 24);
        }
      }
    }
    s.resize(len);
    if (!s.empty() && s.back() >= 0xD800 && s.back() <= 0xDBFF) s.back() = u'x';
    // Latin lines carry a soft hyphen near each end.
    if (kind == 2 && len >= 8) {
      s[1 + fRng() % 3] = 0x00AD;
      s[len - 2 - fRng() % 3] = 0x00AD;
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
