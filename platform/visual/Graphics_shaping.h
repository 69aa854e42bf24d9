// Which characters of a text may change width with the characters around
// them, so that cutting a character out of the text can make it wider: the
// text fitters search for their cut by halving only over texts that hold none
// of them.
#pragma once

#include <cstddef>

#include "platform/runtime/RtlTypes.h"

class QFont;

namespace sk {

// Positions [first, end) in a text: from the start of its first character
// whose width depends on its neighbours to the end of its last one. A text
// without such characters gets first = its size and end = 0, so that "the
// part [head, tail) was cut out and the rest holds none of them" reads
// head <= first && tail >= end in every case.
struct TShapedSpan {
  size_t first;
  size_t end;
};

// The span of the characters of text that the font may draw differently by
// their neighbours. A character's width is taken as its own (a text of such
// characters only narrows, or keeps its width, when a character is cut out)
// when it is a letter, digit, symbol, punctuation or blank of the Latin,
// Greek, Cyrillic, Han, kana, Bopomofo or Hangul-syllable scripts, or of no
// script (punctuation, digits, symbols) and drawn from the font itself (a
// character the font lacks is drawn from a fallback font chosen by the
// script of its neighbours), or a tab. The rest depend on their neighbours:
// joining scripts (Arabic, Syriac, N'Ko, Mongolian and the others that join),
// right-to-left text, the complex scripts (Indic, Thai, Tibetan, Khmer...),
// combining marks, format characters (ZWJ, ZWNJ, the soft hyphen, direction
// marks), variation selectors, emoji modifiers and flags, conjoining Hangul
// letters, other control characters, private-use and unassigned code points,
// half a surrogate pair and the object replacement character.
// The widths of the plain characters still meet through kerning and
// ligatures; their search takes a font's pair adjustments to be smaller than
// the characters they adjust, as in every text font.
TShapedSpan ShapedSpan(const QFont& font, const String& text);

}  // namespace sk
