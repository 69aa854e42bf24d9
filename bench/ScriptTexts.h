// Lines of the scripts a corpus holds, for timing text fitting beside plain
// Latin of the same length: each line repeats a sentence of its script (with
// what once made a cut costly: Japanese punctuation and the long mark, Latin
// acronyms in Chinese, English words in Hindi, flags, direction isolates) up
// to the length asked. With SK_BENCH_SCRIPT_FONTS set, a script that has a
// Noto font of its own is drawn in it (when installed); otherwise every line
// is drawn in DejaVu Sans and Qt falls back for what it lacks.
#pragma once

#include <cstdlib>

#include "platform/runtime/RtlTypes.h"

namespace sk_bench {

struct TScriptLine {
  const char* name;
  const char16_t* sentence;
  const char16_t* ownFont;  // the script's own Noto font, or nullptr
  bool opensLatin;          // the sentence opens a Latin line
};

inline const TScriptLine kScriptLines[] = {
    {"latin", u"the quick brown fox jumps over the lazy dog and keeps on running ", nullptr, false},
    {"japanese", u"「東京は、とても大きいです。」コーヒーを飲みましょう、ね。", u"Noto Sans CJK JP", false},
    {"chinese_latin", u"DNA测序技术的发展，使基因研究进入新阶段。病毒COVID-19", u"Noto Sans CJK SC", false},
    {"han_acronym_start", u"DNA测序技术的发展使基因研究进入新阶段病毒研究人员分析了数据", u"Noto Sans CJK SC", false},
    {"hindi_english", u"यह एक test है और हम computer science पढ़ते हैं। ", u"Noto Sans Devanagari", false},
    {"arabic", u"السلام عليكم ورحمة الله وبركاته ", u"Noto Sans Arabic", false},
    {"urdu", u"اردو ایک ہند آریائی زبان ہے جو پاکستان کی قومی زبان ہے ", u"Noto Nastaliq Urdu", false},
    {"thai", u"ภาษาไทยเป็นภาษาที่มีวรรณยุกต์และอักษรของตนเอง ", u"Noto Sans Thai", false},
    {"korean", u"한국어는 한글로 적으며 한자를 섞어 쓰기도 한다 ", u"Noto Sans CJK KR", false},
    {"tibetan", u"བོད་སྐད་ནི་བོད་ཀྱི་སྐད་ཡིག་རེད། ", u"Noto Serif Tibetan", false},
    {"mongolian", u"ᠮᠣᠩᠭᠣᠯ ᠪᠢᠴᠢᠭ ᠦᠨ ᠦᠰᠦᠭ ", u"Noto Sans Mongolian", false},
    {"emoji_flags", u"😀🇯🇵🇩🇪 👍🏽 🇺🇸🇬🇧 party 🎉 ", nullptr, false},
    {"flag_then_latin", u"🇫🇷 ", nullptr, true},
    {"isolate_then_latin", u"\u2067عربي\u2069 ", nullptr, true},
    // Posts dense with emoji: skin tones, sequences joined by ZWJ, flags.
    {"emoji_posts",
     u"so good 👍🏽👍🏿 👩🏽\u200D💻👨\u200D👩\u200D👧\u200D👦 🇯🇵🇧🇷🇮🇳 🏳\uFE0F\u200D🌈🧑🏻\u200D🤝\u200D🧑🏾 lol 😂😂🙌🏼 ",
     nullptr, false},
    // Letters under stacks of 3 to 10 combining marks.
    {"combining_stacks",
     u"z\u0301\u0302\u0303a\u0304\u0305\u0306\u0307l\u0308\u0309\u030A\u030B\u030Cg\u030D\u030E\u030F\u0310"
     u"\u0311\u0312o\u0313\u0314\u0315\u031A\u031B\u0340\u0341 t\u0342\u0343\u0344\u0346\u034A\u034B\u034C"
     u"\u0350\u0351\u0352e\u0357\u035B\u0363\u0364\u0365x\u0366\u0367\u0368\u0369\u036At\u036B\u036C\u036D"
     u"\u036E\u036F\u0301\u0302 ",
     u"Noto Sans", false},
};
inline constexpr int kScriptCount = static_cast<int>(sizeof(kScriptLines) / sizeof(kScriptLines[0]));

// The line of script k, n units long: its sentence repeated, except the
// flag and isolate lines, which open with theirs and go on in Latin.
inline sk::String ScriptLine(int k, size_t n) {
  const TScriptLine& l = kScriptLines[k];
  const bool opening = l.opensLatin;
  sk::String s = opening ? sk::String(l.sentence) : sk::String();
  const sk::String rest = opening ? sk::String(kScriptLines[0].sentence) : sk::String(l.sentence);
  while (s.size() < n) s += rest;
  s.resize(n);
  if (!s.empty() && s.back() >= 0xD800 && s.back() <= 0xDBFF) s.back() = u' ';
  return s;
}

// The font a script's line is drawn in.
inline const char16_t* ScriptFont(int k) {
  const char16_t* own = kScriptLines[k].ownFont;
  return own != nullptr && std::getenv("SK_BENCH_SCRIPT_FONTS") != nullptr ? own : u"DejaVu Sans";
}

}  // namespace sk_bench
