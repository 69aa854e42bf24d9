// The character-level matcher that finds a working search pattern in a text
// buffer, and the small character-class tests and text helpers around it.
//
// The matcher reads one of the two process-wide buffers (global_bufStr) with
// its character-class array (global_Wchars): one 16-bit code per character,
// as ParseAString gives them (1 lower-case letter, 2 other letter or mark, 3
// number, 4 punctuation, 5 currency, 6 separator, 7 other), bit 0x800 for a
// character inside markup (the first character of a tag holds 0x800 plus the
// tag's number, exactly 0x800 a character of an ignored tag), codes from
// 0x1000 up for text markers. The class tests below take such a code whole:
// a character inside markup or a marker is never a letter, digit, space or
// punctuation.
//
// Positions: hit_edge_1B and tag_edge_1B hold 1-based positions, the start
// inclusive and the finish exclusive, so that finish - start is the length
// (full_hit_len for the hit).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// ---- class tests (on one class code) ----------------------------------------------
inline bool TextMarkerHere(Word k) { return k >= 0x1000; }
inline bool DigitHere(Word k) { return k == 3; }
inline bool LetterHere(Word k) { return k == 1 || k == 2; }
inline bool LetterOrDigitHere(Word k) { return k >= 1 && k <= 3; }
inline bool LetterOrDigitOrPunctHere(Word k) { return k >= 1 && k <= 4; }
inline bool PunctHere(Word k) { return k == 4; }
inline bool SpaceHere(Word k) { return k == 6; }
inline bool ControlHere(Word k) { return k == 7; }
inline bool SpaceOrControlHere(Word k) { return k == 6 || k == 7; }
inline bool SpaceOrPunctHere(Word k) { return k == 4 || k == 6; }
inline bool PunctSpaceOrControlHere(Word k) { return k == 4 || k == 6 || k == 7; }
inline bool TaggedCharHere(Word k) { return (k & 0x800) != 0; }
inline bool IgnoreTagHere(Word k) { return k == 0x800; }
// Exactly one of the two is inside markup.
inline bool IsTagBoundary(Word a, Word b) { return TaggedCharHere(a) != TaggedCharHere(b); }

// 0-based index p of text: p is above 0 and the class before it is below 4.
bool NonTagAlphNumPrecedesChar(const String& text, Int32 p, const std::vector<Word>& classes);
// The character after p exists, is not U+0000, and its class is below 4.
bool NonTagAlphNumFollowsChar(const String& text, Int32 p, const std::vector<Word>& classes);

// ---- comparing -------------------------------------------------------------------
// Equal characters match; without case sensitivity so do two whose upper
// cases (one-to-one per UTF-16 unit, the user's locale) are equal. Otherwise
// a pattern character from U+0020 up matches nothing else; U+0015 matches a
// letter or digit, U+001B a digit, U+001C and U+001D any character; every
// other code below U+0020 matches only itself.
bool CharsMatch(Char t, Char p, bool caseSensitive);
// The first place within the first textLen characters of text where the
// pattern matches (CharsMatch per character, a U+0000 of the text matching
// nothing), or nil; nil for an empty text or pattern.
const Char* StrPosLen(const Char* text, const Char* pattern, Int32 textLen, Int32 patternLen, bool caseSensitive);

// ---- the matcher -----------------------------------------------------------------
// The longest buffer the matcher addresses, in UTF-16 units: its positions
// are 1-based Int32s that reach one past a hit's last character, and it looks
// a unit or two ahead of the one it is on.
inline constexpr size_t kMostMatchedUnits = static_cast<size_t>(INT32_MAX) - 15;

// The next hit of the working pattern at or after start, a pointer into
// global_bufStr[which] (nil when start is not in that buffer, the pattern is
// empty or nothing more is found). rec is the caller's record: it is filled
// with the hit (where_hit_started, exact_hit_char_position_1B, hit_edge_1B,
// full_hit_len, puncts_in_hit, buffer_charStats.number[stats_word] = the
// words that begin at or before the hit's first character) and carries
// in_tagged_text, tag_edge_1B, tag_number_1B and the matcher's bookkeeping
// from one call to the next on the same buffer.
//
// The first pattern character is looked for first (many characters at a
// time when it is a plain character), then the rest of the pattern is walked
// against the text, skipping markup unless searchInTags. With msLeftBounded
// the character before the hit must be punctuation, space or control, or a
// tag boundary; with msRightBounded the character after it must not be a
// letter or digit; without them the hit runs to the start and end of its word
// (the start never before the buffer's second character). When
// initialWildcard is not 0, the wildcards that begin the pattern are matched
// backwards from the first plain character, a leading "#" taking the whole
// run of digits (never before start); when they make the whole first word,
// the scan looks for the plain character after the blank that ends it and
// takes each place found back over the gap (spaces, a line end, controls,
// markup) to that blank. upperTable is the one-to-one upper-case
// table to compare with; nil means the user's locale. A buffer longer than
// kMostMatchedUnits is not searched (nil).
//
// A star inside a word takes one or more letters or digits (a run of k stars
// k or more), as few as let the rest of the pattern match; "?", "^" and "#"
// after it mean what they mean elsewhere. Each place of a star that fails is
// tried once (starMemo keeps what failed from one call to the next; without
// one it lasts a call), so that a word costs at most its length times the
// pattern's. The matcher yields to the host by time inside long words and
// gives up (nil) when the host raises a Stop there.
struct TStarPlacesMemo;
const Char* ConcSearch(const Char* start, TWholeOrPart which, const TTextStatsPositions_rec& positions,
                       const String& searchText, const String& withinTag, TMSSearchFlags flags,
                       Tcollocation_barrier barrier, Byte initialWildcard, bool searchInTags, TConcSearchRec& rec,
                       const Char* upperTable = nullptr, TStarPlacesMemo* starMemo = nullptr);

// The places of each star of one pattern in one buffer that are known to
// fail, the places where no hit begins and the runs of digits walked: a
// caller that asks ConcSearch for hit after hit of the same pattern in the
// same buffer keeps one, so that the hits inside one long word do not walk
// the word again each time. It forgets itself when the buffer, the pattern or
// what decides a match changes.
struct TStarPlacesMemo {
  // Places from..to of one star all fail (to may be a letter's or digit's
  // end, or past the buffer).
  struct TKnownFailed {
    Int32 from = -1;
    Int32 to = -2;
  };
  const Char* buffer{};
  const Word* classes{};
  Int32 length{};
  String pattern;
  Byte flags{};
  Tcollocation_barrier barrier{};
  bool searchInTags{};
  const Char* table{};
  Byte initialWildcard{};
  std::vector<TKnownFailed> known;  // by the star's index in the pattern
  // No hit's first plain character stands at from..to for a search that
  // starts at or after candidates_start (-1: nothing known).
  TKnownFailed candidates;
  Int32 candidates_start = -1;
  // Every index from digits_from up to (not including) digits_end is a
  // digit; the one at digits_end is not.
  Int32 digits_from = -1;
  Int32 digits_end = -1;
  // Every index from back_found up to (not including) back_probe is in one
  // run (of digits when back_digits, else of letters and digits);
  // back_at_start: the run begins at back_found.
  Int32 back_probe = -1;
  Int32 back_found = -1;
  bool back_digits = false;
  bool back_at_start = false;
};

// ---- class-array helpers ---------------------------------------------------------
// The number of runs that begin with a space or control character, each run
// taking the punctuation, spaces and controls that follow it; characters
// inside markup are passed over.
Int32 WordCount(const std::vector<Word>& classes);
// The characters from the 0-based start for length become spaces; the first
// class becomes 0x800 + tagNumber, the others gain bit 0x800. Positions
// outside the text or the class array are left alone.
void BlankedOutSomeChars(String& text, Int32 start, Int32 length, std::vector<Word>& classes, Int32 tagNumber);
// The first class becomes 0x800 + tagNumber, each following one gains bit
// 0x800, except a "<", whose class becomes exactly 0x800 and sets nested.
void MarkWCharsTagged(const String& text, Int32 start, Int32 length, std::vector<Word>& classes, Int32 tagNumber,
                      bool& nested);
// Each occurrence of one of middleChars whose class is set and not markup
// becomes a letter (class 1) when a letter or digit comes before it (or
// atLeftAllowed) and a letter or digit after it (or atRightAllowed).
void HandleMiddleChars(const String& text, const String& middleChars, std::vector<Word>& classes,
                       bool atRightAllowed, bool atLeftAllowed);
// For each digit, non-digit, digit triple: with spacesToo a space in the
// middle becomes a digit; otherwise an opening bracket in the middle makes
// the numbers and closing brackets after it digits; then punctuation in the
// middle becomes a digit. Triples within the class array's last three
// entries are left alone.
void HandleMiddleCharsInNumbers(const String& text, bool spacesToo, std::vector<Word>& classes);

// ---- text helpers ----------------------------------------------------------------
// The text unchanged when every character is a letter or digit; otherwise
// without the characters that are neither letters, digits nor allowed middle
// letters of the language, and without an allowed middle letter at either end
// unless the language allows middles on that side.
String StringWithoutInitialAndFinalPunct(const String& text, const Tfixed_lang_details& lang);
// "#" when flag is set and the text holds a digit, else the text.
String CollocateNumberCheckedStr(const String& text, bool flag);
// When the text holds "'", the curly apostrophes U+2018, U+2019, U+275B and
// U+275C are appended to it.
void CheckForCurlyApostrophes(String& text);

// Unit start and stop (the unit has no work of its own).
void Further_string_functions_initialization();
void Further_string_functions_Finalization();

}  // namespace sk
