// Search-word syntax: the helpers that turn what a user types into the
// working patterns the matcher reads.
//
// A typed search word may hold several alternatives separated by "/", the
// markers "==" (both ends: case-sensitive), "~" (leading: a word to avoid) and
// "*" (leading or trailing: the word may continue on that side), wildcards
// inside the word, a context word after " context:=" with an optional span
// "[[left,right]]", and a markup condition "<:text:>". The working pattern
// (search_text) codes every wildcard as one control character:
//   U+0014  a markup section "<:" ... ":>" (a tag holding within_tag_section)
//   U+0015  "*" inside a word, or the first character of "}}}"
//   U+0018  "*" followed by a space (the rest of the word)
//   U+0019  "*" preceded by a space (the start of a word)
//   U+001A  "*" between spaces, or a final " *" (one whole word)
//   U+001B  "#" (a run of digits)
//   U+001C  "?" (one letter or digit)
//   U+001D  "*" directly before ">" (anything: the match ends there)
//   U+001E  "^" (one letter)
// A symbol written between double quotes is matched as itself.
#pragma once

#include <memory>

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "core/Useful_classes_base_holders.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// The symbols a pair of double quotes keeps literal, in the order they are
// looked for, and the private-use characters that stand for them while a
// word is parsed (U+E000 onwards, in the same order). The last, a lone
// backslash, comes after the two longer symbols that hold one.
inline constexpr int SWRetainedSymbolCount = 13;
inline constexpr Char SWRetainedFirstCode = 0xE000;
inline constexpr const Char* SWRetainedSymbols[SWRetainedSymbolCount] = {
    u"^", u"//", u"/", u"*", u"==", u"?", u":\\", u"<", u">", u"#", u"}}}", u"/\\", u"\\"};

// The codes of the working pattern.
inline constexpr Char sw_code_tag_section = 0x14;
inline constexpr Char sw_code_any_in_word = 0x15;
inline constexpr Char sw_code_rest_of_word = 0x18;
inline constexpr Char sw_code_word_start = 0x19;
inline constexpr Char sw_code_whole_word = 0x1A;
inline constexpr Char sw_code_digits = 0x1B;
inline constexpr Char sw_code_one_char = 0x1C;
inline constexpr Char sw_code_anything = 0x1D;
inline constexpr Char sw_code_one_letter = 0x1E;

// The full parse of one typed search word: context word and span, then the
// chunk parse of the word itself; search_text is trimmed of white space only.
// The record's lists are not created: the holder calls ManageAQMSearchWordRec.
TQMSearchWordRec SWFullParsed_SearchWord(const TIgnore_tag& ignore_tags, const String& word);

// The chunk parse: a final " *", the markers (SWFlags), whether the chunk
// holds markup ("<" and ">" with one of the delimiter pairs "<" ">"), quoted
// symbols kept, stars by their neighbours, the markup section, "^" "#" "?"
// "}}}", the line-break symbol at an end, readable character codes, and the
// quoted symbols given back bare. chunk is replaced by the result.
void FullSWParse_SWChunk(const TIgnore_tag& ignore_tags, bool& contains_tag, String& within_tag_section,
                         String& chunk, TMSSearchFlags& flags, Byte& initial_wildcard);

// The alternatives of a typed list. With splitting on, a "/" splits when it
// is neither the first nor the last character, neither neighbour is a double
// quote and it does not begin the line-break symbol "/\"; items are not
// trimmed and an empty rest is not added. With splitting off, the text is the
// one item (none when empty). The caller owns the list.
std::unique_ptr<TUTF8Stringlist> SplitSWList(const String& text, bool split_at_slashes);

// A cleared record for the word without parsing: typed_in_text the word,
// flags and search_text from SWFlags, typed_unlike_search when they differ.
TQMSearchWordRec SWUnParsed_SearchWord(const String& word);
// The word without its markers, and the markers as flags.
TWordAndSearchFlags WordAndFlagsFromString(const String& word);

// The text made safe to be searched for literally: every "#", "*", "/", "<",
// ">", "?", "\" and "^" between double quotes, then "==" quoted, a colon
// with a quoted backslash as ":\" quoted together, a colon with two quoted
// slashes as colon and "//" quoted together.
String SWCheckedForConcordance(const String& text);

// Each search string of both requirements loses its markers into its flags,
// and is upper-cased unless the flags make it case-sensitive.
void CheckFlagsOfSearches(TDoubleSearchCategoryRec& rec);

// The number of U+0020 in the text; the number of characters below U+0020.
Int32 SpacesInSearchString(const String& text);
Int32 WildCardsInSearchString(const String& text);

// Turns the tag wildcards of a text-selection or tag search text into their
// control codes. The five pairs of tag_wildcards_converters are taken in
// order ("~" 31, "^" 30, "*" 29, "?" 28, "#" 27): when the wildcard occurs
// between double quotes, its first quoted form becomes the bare wildcard (a
// literal); otherwise its first bare occurrence becomes its code. Each pair
// finds its symbol in the text as the pairs before it left it. Every other
// character is left as it is; an empty text gives the empty string.
String TagWildcardConverted(const String& s);

// The steps of the chunk parse on their own.
// Every quoted symbol (SWRetainedSymbols) becomes its private-use code.
void SWParse_Retain(String& text);
void SWParse_RetainOne(String& text, const String& symbol, Char code);
// Every private-use code becomes its symbol without the quotes.
void SWParse_Restore(String& text);
void SWParse_RestoreOne(String& text, Char code, const String& symbol);
// Every occurrence of from becomes to in its first character (the rest of
// from stays); true when an occurrence stood at the first position.
bool SWParse_Translate(String& text, const String& from, Char to);
// "^", "#", "?" and "}}}" in that order; initial_wildcard becomes 30, 27 or
// 28 when "^", "#" or "?" stood first.
void SWDoMainParse_Translates(String& text, Byte& initial_wildcard);

// Unit start and stop (the unit has no work of its own).
void Search_parsing_initialization();
void Search_parsing_Finalization();

}  // namespace sk
