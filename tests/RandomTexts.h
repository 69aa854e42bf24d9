// Random texts for checking text fitting against a plain reference: words of
// Latin letters, long tokens without blanks, CJK runs and characters outside
// the Basic Multilingual Plane (surrogate pairs), mixed; and texts whose
// characters change width with a cut (NextShaped). The same seed gives the
// same texts.
#pragma once

#include <cmath>
#include <random>
#include <vector>

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
  // a CJK line with its punctuation, often opening with a quote; Japanese
  // with kana; Latin words with a soft hyphen near each end; Arabic, Syriac
  // or N'Ko words with vowel marks, tatweel and lam-alef; or Latin, Greek,
  // Cyrillic and CJK mixed with emoji, mathematical letters and symbols that
  // the DejaVu fonts draw from one another by the script around them.
  String NextShaped(size_t maxLen) {
    static const Char marks[] = {0xFF0C, 0x3002, 0x3001, 0x300C, 0x300D, 0x3000, 0x30FC};
    static const Char symbols[] = {0x2113, 0x203B, 0x2027, 0x2044, 0x2110, 0x20A9};
    static const Char scripts[] = {u'a', 0x03B1, 0x0430, 0x4E00};
    const double logMax = std::log(static_cast<double>(maxLen) + 1);
    const auto len = static_cast<size_t>(std::exp(std::uniform_real_distribution<double>(0, logMax)(fRng))) - 1;
    const unsigned kind = fRng() % 5;  // CJK, Japanese, Latin, joined, mixed
    auto from = [&](Char base, unsigned n) { return static_cast<Char>(base + fRng() % n); };
    String s;
    if (kind <= 1 && fRng() % 2 == 0) s += u'\u300C';
    if (kind == 4 && fRng() % 3 == 0)
      for (unsigned k = 1 + fRng() % 8; k > 0; --k) s += symbols[fRng() % 6];
    while (s.size() < len) {
      const unsigned r = fRng() % 12;
      if (kind <= 1) {  // hiragana and katakana only in Japanese
        s += r < 2                 ? marks[fRng() % 7]
             : r == 2              ? symbols[fRng() % 6]
             : kind == 0 || r >= 8 ? from(0x4E00, 500)
                                   : from(r < 6 ? 0x3041 : 0x30A1, 80);
      } else if (kind == 2) {
        s += r == 0 ? u' ' : from(u'a', 26);
      } else if (kind == 3) {  // Arabic mostly; a word of Syriac or N'Ko now and then
        const unsigned script = fRng() % 8;
        if (r == 2)
          s += u"\u0644\u0627";
        else
          s += r == 0        ? u' '
               : r == 1      ? (script >= 2 ? from(0x064B, 8) : u'\u0640')
               : script == 0 ? from(0x0710, 28)
               : script == 1 ? from(0x07CA, 32)
                             : from(0x0621, 42);
      } else if (r < 5) {
        s += r < 2 ? u' ' : r < 4 ? symbols[fRng() % 6] : marks[fRng() % 7];
      } else if (r == 5 && s.size() + 2 <= len) {
        const char32_t cp = fRng() % 2 == 0 ? 0x1F600 + fRng() % 50 : 0x1D400 + fRng() % 50;
        s += static_cast<Char>(0xD800 + ((cp - 0x10000) >> 10));
        s += static_cast<Char>(0xDC00 + ((cp - 0x10000) & 0x3FF));
      } else {  // a few characters of one script at a time
        const Char base = scripts[fRng() % 4];
        for (unsigned k = 1 + fRng() % 4; k > 0; --k) s += from(base, 24);
      }
    }
    s.resize(len);
    if (!s.empty() && s.back() >= 0xD800 && s.back() <= 0xDBFF) s.back() = u'x';
    if (kind == 2 && len >= 8) {  // a soft hyphen near each end
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

// Three fonts that lack different symbols, so that each draws them from
// other fonts.
struct TShapingFont {
  const char16_t* name;
  Int32 points;
};
inline const TShapingFont kShapingFonts[] = {{u"DejaVu Sans", 9}, {u"DejaVu Sans Mono", 9}, {u"DejaVu Serif", 11}};

// Lines of the scripts a corpus holds, each with what once made a cut
// costly: Japanese with its punctuation and long mark, Chinese with Latin
// acronyms at its start and end, Hindi with English words, a Latin line
// opening with a flag and one with an isolate around an Arabic word, emoji
// with flags, Urdu, Tibetan and Mongolian.
inline const std::vector<String>& ScriptMixLines() {
  static const std::vector<String> lines = {
      u"\u300C\u6771\u4EAC\u306F\u3001\u3068\u3066\u3082\u5927\u304D\u3044\u3067\u3059\u3002\u300D"
      u"\u30B3\u30FC\u30D2\u30FC\u3092\u98F2\u307F\u307E\u3057\u3087\u3046\u3001\u306D\u3002",
      u"DNA\u6D4B\u5E8F\u6280\u672F\u7684\u53D1\u5C55\uFF0C\u4F7F\u57FA\u56E0\u7814\u7A76\u8FDB\u5165"
      u"\u65B0\u9636\u6BB5\u3002\u75C5\u6BD2COVID-19",
      u"\u092F\u0939 \u090F\u0915 test \u0939\u0948 \u0914\u0930 \u0939\u092E computer science "
      u"\u092A\u0922\u093C\u0924\u0947 \u0939\u0948\u0902\u0964",
      u"\U0001F1EB\U0001F1F7 Paris is the capital of France and a city of lights",
      u"\u2067\u0639\u0631\u0628\u064A\u2069 is an Arabic word in a Latin line of text",
      u"\U0001F600\U0001F1EF\U0001F1F5\U0001F1E9\U0001F1EA \U0001F44D\U0001F3FD "
      u"\U0001F1FA\U0001F1F8\U0001F1EC\U0001F1E7 party \U0001F389",
      u"\u0627\u0631\u062F\u0648 \u0627\u06CC\u06A9 \u06C1\u0646\u062F \u0622\u0631\u06CC\u0627\u0626\u06CC "
      u"\u0632\u0628\u0627\u0646 \u06C1\u06D2",
      u"\u0F56\u0F7C\u0F51\u0F0B\u0F66\u0F90\u0F51\u0F0B\u0F53\u0F72\u0F0B\u0F56\u0F7C\u0F51\u0F0B"
      u"\u0F40\u0FB1\u0F72\u0F0B\u0F66\u0F90\u0F51\u0F0B\u0F61\u0F72\u0F42\u0F0D",
      u"\u182E\u1823\u1829\u182D\u1823\u182F \u182A\u1822\u1834\u1822\u182D \u1826\u1828 "
      u"\u1826\u1830\u1826\u182D",
      // Emoji with skin tones and sequences joined by ZWJ; letters under
      // stacks of combining marks.
      u"so \U0001F44D\U0001F3FD\U0001F469\U0001F3FD\u200D\U0001F4BB \U0001F468\u200D\U0001F469\u200D\U0001F467 "
      u"\U0001F3F3\uFE0F\u200D\U0001F308\U0001F1EF\U0001F1F5 lol",
      u"z\u0301\u0302\u0303a\u0304\u0305\u0306\u0307l\u0308\u0309\u030A g\u030D\u030E\u030F\u0310\u0311"
      u"\u0312o t\u0342\u0343\u0344e",
  };
  return lines;
}

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

// The lines of the scripts a corpus holds, and posts dense with emoji and
// letters under stacks of 3 to 10 combining marks (some that DejaVu Sans
// lacks).
inline const std::vector<String>& DenseLines() {
  static const std::vector<String> lines = [] {
    std::vector<String> all = ScriptMixLines();
    const String posts =
        u"so good \U0001F44D\U0001F3FD\U0001F44D\U0001F3FF \U0001F469\U0001F3FD\u200D\U0001F4BB"
        u"\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466 \U0001F1EF\U0001F1F5\U0001F1E7\U0001F1F7"
        u"\U0001F1EE\U0001F1F3 \U0001F3F3\uFE0F\u200D\U0001F308\U0001F9D1\U0001F3FB\u200D\U0001F91D\u200D"
        u"\U0001F9D1\U0001F3FE lol \U0001F602\U0001F602\U0001F64C\U0001F3FC ";
    const String stacks =
        u"z\u0301\u0302\u0303a\u0304\u0305\u0306\u0307l\u0308\u0309\u030A\u030B\u030Cg\u030D\u030E\u030F"
        u"\u0310\u0311\u0312o\u0313\u0314\u0315\u031A\u031B\u0340\u0341 t\u0342\u0343\u0344\u0346\u034A\u034B"
        u"\u034C\u0350\u0351\u0352e\u0357\u035B\u0363\u0364\u0365x\u0366\u0367\u0368\u0369\u036At\u036B"
        u"\u036C\u036D\u036E\u036F\u0301\u0302 ";
    all.push_back(posts);
    all.push_back(stacks);
    return all;
  }();
  return lines;
}

}  // namespace sk
