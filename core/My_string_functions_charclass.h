// Character classes of a text and the whole-word tests built on them.
//
// A character-class array holds one 16-bit code per UTF-16 unit of a text,
// element 0 for the first character. The low 11 bits (code & 2047) hold the
// class from the Unicode general category:
//   1 lower-case letter (and U+200C ZERO WIDTH NON-JOINER)
//   2 other, title-case, upper-case and modifier letters, and every mark
//     (spacing, non-spacing, enclosing)
//   3 numbers
//   4 punctuation
//   5 currency symbols
//   6 line, paragraph and space separators
//   7 everything else: controls, format characters, unassigned and private-use
//     characters, a lone half of a surrogate pair and the symbols
// Classes 1 to 3 are a word's characters, for the search on class arrays and
// for the word routines on text alike.
// A character outside the Basic Multilingual Plane is classed by its code
// point, and both units of its surrogate pair get that class.
// Bit 11 (2048) marks a character inside a tag and bit 12 (4096) a span
// boundary; the whole-word tests read only the low 11 bits. Positions of the
// string forms are 1-based, indexes into class arrays 0-based.
#pragma once

#include <vector>

#include "core/Basic_types.h"

namespace sk {

inline constexpr Word wchar_class_lower = 1;
inline constexpr Word wchar_class_letter = 2;
inline constexpr Word wchar_class_number = 3;
inline constexpr Word wchar_class_punctuation = 4;
inline constexpr Word wchar_class_currency = 5;
inline constexpr Word wchar_class_separator = 6;
inline constexpr Word wchar_class_other = 7;
inline constexpr Word wchar_class_mask = 2047;
inline constexpr Word wchar_in_tag_bit = 2048;
inline constexpr Word wchar_span_boundary_bit = 4096;

// The code point that the unit at index i of text (n units) belongs to: both
// halves of a surrogate pair give the pair's code point; any other unit,
// a lone half included, gives itself. Letter and digit tests go through it so
// that a character outside the Basic Multilingual Plane counts as one.
inline char32_t CodePointOfUnitAt(const Char* text, size_t n, size_t i) {
  const Char c = text[i];
  if ((c & 0xF800) != 0xD800) return c;
  if (c <= 0xDBFF) {
    if (i + 1 < n && (text[i + 1] & 0xFC00) == 0xDC00)
      return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
    return c;
  }
  if (i > 0 && (text[i - 1] & 0xFC00) == 0xD800)
    return 0x10000 + ((static_cast<char32_t>(text[i - 1]) - 0xD800) << 10) + (c - 0xDC00);
  return c;
}
inline char32_t CodePointOfUnitAt(const String& text, size_t i) {
  return CodePointOfUnitAt(text.data(), text.size(), i);
}

// The widest vector instructions that the class and matching routines use
// (vl_plain: none). The best the processor has is in force unless a lower
// level is set: every level gives the same results, and tests set each in
// turn to compare the faster paths with the plain code.
enum TVectorLevel : uint8_t { vl_plain, vl_sse2, vl_avx2 };
TVectorLevel VectorLevel();
// Sets the level, never above the best the processor has.
void SetVectorLevel(TVectorLevel level);
// The best level the processor has.
TVectorLevel BestVectorLevel();

// The class (1 to 7) of one UTF-16 unit taken alone (a surrogate half is 7).
Word CharClassOf(Char c);

// Whether the character that the unit at index i belongs to is a letter or a
// decimal digit (both halves of a surrogate pair answer for the pair).
bool IsLetterOrDigitAt(const Char* text, size_t n, size_t i);
inline bool IsLetterOrDigitAt(const String& text, size_t i) { return IsLetterOrDigitAt(text.data(), text.size(), i); }
// Whether that character belongs to a word: its class is 1, 2 or 3 (a
// letter, a modifier letter such as the katakana length mark, a mark, a
// number, the zero-width non-joiner), so that the vowel signs of Hindi or
// Thai and the harakat of Arabic stay with their word, and the word routines
// end a word where the search does.
bool IsWordCharAt(const Char* text, size_t n, size_t i);
inline bool IsWordCharAt(const String& text, size_t i) { return IsWordCharAt(text.data(), text.size(), i); }

// Fills classes[i - 1] for every 1-based position i of text; elements past the
// text are left alone. Raises Exception("wchars needs allocating") and writes
// nothing when classes has fewer elements than text has characters.
void ParseAString(const String& text, std::vector<Word>& classes);
// The classes of the units [from, to) of a text of n units into dst[from..to).
// A surrogate pair cut by from or to is still read whole from the text, so a
// text may be classified in pieces.
void ParseAString(const Char* src, size_t n, size_t from, size_t to, Word* dst);

// The platform's character-type flags (CT_CTYPE1, CT_CTYPE2 or CT_CTYPE3) of the
// first count units of text (count -1: all of them) into classes; false when
// the call fails or when text or classes are shorter than count.
bool GetStringTypeQM(Cardinal locale, Cardinal infoType, const String& text, Int32 count,
                     std::vector<Word>& classes);

// pos is the 1-based position of the character before (left) or after (right)
// a word. Bounded when there is no character there or when it is neither a
// letter nor a digit.
bool IsBoundedOnLeft(const String& text, Int32 pos);
bool IsBoundedOnRight(const String& text, Int32 pos);
// index is the 0-based index of the neighbouring character in the class array
// global_Wchars[part]; no element there bounds. Otherwise the neighbour's class
// must be 4, 6 or 7 on the left, and 0, 4, 6 or 7 on the right.
bool IsBoundedOnLeft(TWholeOrPart part, Int32 index);
bool IsBoundedOnRight(TWholeOrPart part, Int32 index);
// The same over any class array (the forms above read global_Wchars).
bool IsBoundedOnLeft(const std::vector<Word>& classes, Int32 index);
bool IsBoundedOnRight(const std::vector<Word>& classes, Int32 index);
// Bounded on the left at before and on the right at after (the right side is
// not tested when the left fails).
bool IsWholeWord(const String& text, Int32 before, Int32 after);
bool IsWholeWord(TWholeOrPart part, Int32 before, Int32 after);

// True when any character is a letter or a digit.
bool ContainsAlphanumCharacter(const String& text);
// True for "#" and "{".
bool IsHashOrBrace(Char c);

}  // namespace sk
