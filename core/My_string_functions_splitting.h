// Splitting, joining, stripping and replacing: the text library's routines
// that cut texts into pieces and lists, join pieces back, remove or replace
// characters and runs of characters, find strings regardless of case, and
// decide small things about the characters next to a position.
//
// Positions are 1-based; -1 means "not found" where a position is returned
// (the case-insensitive finders answer 0, as the runtime's Pos does). Routines
// that walk a long text character by character tick a TTimedYield per
// character or per occurrence, as stated, so that a host stays responsive on
// texts of many megabytes without being called millions of times.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "core/Basic_types.h"
#include "core/Useful_classes_base_stringlists.h"

namespace sk {

// ---- joining -----------------------------------------------------------------------

// list + separator + item; the separator only when list is not empty (an empty
// item still adds the separator to a non-empty list).
String AddToListWithSeparatorIfNeeded(const String& list, const String& item, const String& separator);
String AddToListWithSeparatorIfNeeded(const String& list, const String& item, Char separator);
// item + separator + list; the separator only when list is not empty.
String BackwardsAddToListWithSeparatorIfNeeded(const String& list, const String& item, const String& separator);
String BackwardsAddToListWithSeparatorIfNeeded(const String& list, const String& item, Char separator);
// The non-empty lines from index firstLine on, joined by separator. As soon as
// the joined text reaches maxLength characters the joining stops, and when
// lines remain after the one just added, " " and "etc." are appended.
String StringListToString(Char separator, const TStrings* list, Int32 firstLine, Int32 maxLength);
// All non-empty lines joined by separator, without a length limit.
String StringListToString(Char separator, const TStrings* list);

// ---- splitting -----------------------------------------------------------------------

// Clears list and adds every piece of text between separators, empty pieces
// included (also a last empty piece after a final separator); each piece
// carries its 1-based start position in the text as the line's object (an
// integer in the object slot, not owned; lists that own their objects get the
// lines only). Returns the number of pieces: 0 for an empty text.
Int32 StringToStringlist(Char separator, const String& text, TStrings* list);
// The 1-based start position stored with a line by the splitters.
Int32 StartPositionOfLine(const TStrings* list, Int32 index);
// Clears list and splits text at separator, double quotes enclosing one piece
// (a separator between quotes stays in the piece; the quotes are dropped).
// Returns the number of pieces, negated when the text ends inside a quote.
Int32 StringToStringListDoubleQuotesEqualsOneChunk(Char separator, const String& text, TStrings* list);
// For each non-empty line of list, in order, a new list holding that line
// split at separator. The caller owns the lists.
std::vector<std::unique_ptr<TUTF8Stringlist>> ArrayOfStringlists(const TStrings* list, Char separator);
// The pieces between "," characters, each trimmed; the piece after the last ","
// only when it is not empty. The caller owns the list. Yields to the host by time (TTimedYield) as it goes.
std::unique_ptr<TUTF8Stringlist> CommaSeparatedStrings(const String& text);
// The text before the first occurrence of mark and the text after it; the
// whole text and "" when mark is absent or empty.
TTwoStringsRec StringHalvesSplitAtMark(const String& text, const String& mark);
// Lines of at most width characters, broken at the last space (which is
// dropped) or after the last other non-letter-or-digit that fits, else after
// width characters. A width below 1 gives the whole text as one line. The
// caller owns the list.
std::unique_ptr<TUTF8Stringlist> StringToStringlistWithLineWidth(const String& text, Int32 width);
// The text cut into lines, each at the first delimiter lying at least n
// characters after the line's start: prefix + line (delimiter included) +
// CR LF per line, then prefix + the rest without a line end.
String StringInNCharacterChunks(const String& text, const String& prefix, const String& delimiter, Int32 n);
// The line spans of the text: one span per CR (start, position of the CR),
// then a last span whose finish is one past its last character that is not
// CR or LF.
std::vector<TStartFinishIntegerRec> CRLF_LRs(const String& text);

// ---- stripping and cleaning (each returns a new string) ------------------------------

// Each run of spaces (U+0020) becomes one space. Yields to the host by time as it goes.
String StrippedMultipleSpaces(const String& text);
// Each run of characters below U+0021 becomes one space. Yields to the host by time as it goes.
String StrippedMultipleSpacesOrBelow(const String& text);
// Each run of characters below U+0020 becomes one space; spaces stay as they
// are. Yields to the host by time as it goes.
String ReplacedCRLF(const String& text);
// Every c removed. Yields to the host by time as it goes.
String StrippedOfChar(const String& text, Char c);
// As above; positions receives the 1-based positions (in text) of the
// characters removed, in order.
String StrippedOfChar(const String& text, Char c, std::vector<Int32>& positions);
// Every character that occurs in chars removed. Yields to the host by time as it goes.
String StrippedOfChars(const String& text, const String& chars);
String StrippedOfCommas(const String& text);
// Every c removed, without yielding.
String RemovedCharStr(const String& text, Char c);
// The first character removed when it is c.
String RemovedInitialChar(const String& text, Char c);
// Where s occurs twice in a row, the second copy is removed; the scan resumes
// one character after the first copy of each pair ('x---y' gives 'x--y').
String StrippedDoubleStrs(const String& text, const String& s);
// A space is removed when NextValidCharIsPunctuation from the next position
// is true.
String StrippedSpacesBeforePunctuation(const String& text);
// Every character in order, except that after a CR the CR and LF characters
// that follow it are dropped, never the text's last character.
String StrippedMultipleLineEnds(const String& text);
// Leading and trailing white space removed.
String WideTrimSpaceOnly(const String& text);
// Every character below U+0020 becomes a space, in place / in a copy.
void ClearAStringBelowSpace(String& text);
String ClearedStringBelowSpace(const String& text);
// Every CR becomes a space, and an LF directly after it too.
void ReplaceCRLFWithBlanks(String& text);
// Every "</p>", "</div>" and "</head>" (any case) replaced by CR LF.
String ParaDivHeadingEndToCRLF(const String& text);
// The trimmed text between two double quotes.
String DoubleQuotesAdded(const String& text);
// The trimmed text with every double quote removed.
String DoubleQuotesRemoved(const String& text);
// Characters not valid in a file name replaced: "*" and ":" by "-", "<" by
// "(", ">" by ")", any other invalid character by a space; same length.
String AcceptableShortFilename(const String& text);
// Every space becomes "_".
String UnderscoredStr(const String& text);
// A leading "." removed when the text is longer than one character.
String WithoutDotDefaultExt(const String& ext);
// The characters in reverse order.
String BackwardsStr(const String& text);
// The text unchanged when it contains a check mark (U+2713), else text + " "
// + the check mark.
String StringWithACheckMarkAtEnd(const String& text);

// ---- replacing -----------------------------------------------------------------------

// Every c1 replaced by c2 in place; returns the number of replacements.
// Yields to the host by time (TTimedYield) as it goes.
Int32 Replace1With2In(Char c1, Char c2, String& text);
Int32 Replace1With2In(AnsiChar c1, AnsiChar c2, AnsiString& text);
String ReplacedCharWithChar(Char c1, Char c2, const String& text);
// Every a replaced by c, then every b by d; returns the sum of the counts.
Int32 Replace2With4In(Char a, Char b, Char c, Char d, String& text);
// A copy in which every character occurring in chars is replaced by c.
String ReplaceAnyOfTheseWithChar(const String& text, const String& chars, Char c);
// For i from 1 to the shorter length of from and to, every from[i] replaced
// by to[i] in place, pair by pair in order (a character produced by an earlier
// pair can be replaced again by a later one).
void ReplaceEachOfTheseWithEachOfChar(String& text, const String& from, const String& to);
// A copy of text with each whole-word occurrence of find replaced; count grows
// by one per replacement (it is not reset). Occurrences that overlap a
// replaced one are left alone.
String ReplaceWholeWord(const String& text, const String& find, const String& replacement, bool caseSensitive,
                        Int32& count);

// ---- finding regardless of case (0 when absent) ------------------------------------------

Int32 CaseInsensitivePos(const String& sub, const String& text);
// For a sub already upper-cased by the caller.
Int32 CaseInsensitiveUpperedPos(const String& upperSub, const String& text);
Int32 CaseInsensitivePosEx(const String& sub, const String& text, Int32 offset);
Int32 CaseInsensitiveUpperedPosEx(const String& upperSub, const String& text, Int32 offset);

// ---- characters around a position --------------------------------------------------------

// Forwards, the first position after pos whose character is above U+0020 and
// not white space; backwards, the first such position before pos. -1 when none.
Int32 NextOrLastNonSpaceCharPos(Int32 pos, const String& text, bool backwards);
// The character there, U+0000 when there is none.
Char NextOrLastNonSpaceChar(Int32 pos, const String& text, bool backwards);
// From pos on: a letter or digit gives false; the first other character above
// U+0020 that is not white space gives whether it is punctuation; false at the
// end of the text.
bool NextValidCharIsPunctuation(Int32 pos, const String& text);
// From the last character backwards: a number, currency sign or cased letter
// gives true, punctuation gives false; false when nothing decides.
bool LastCharIsNotPunctuation(const String& text);
// From the first character: the first lower-case letter is returned; an
// upper-case or title-case letter, a number or a currency sign met first gives
// U+0000; U+0000 when nothing decides.
Char FirstCharIsLowerCase(const String& text);
// Position of the first character above U+0020, -1 when none.
Int32 FirstCharPosAboveSpace(const String& text);
// With removeIfPresent and c first: the text without it; otherwise with
// addIfMissing and c not first: c + text; otherwise the text.
String FirstCharGuaranteedAs(const String& text, Char c, bool addIfMissing, bool removeIfPresent);

// ---- similarity tests ---------------------------------------------------------------------

// How many of the strings occur in text, tested in order; after an absent
// string the test stops when the count so far is below its index div 4.
Int32 NCharStringsPresentInText(const String& text, const std::vector<String>& strings);
// For each percentage, the n characters of textA from position
// length(textA) * percent div 100 (0 reads as 1); true as soon as one such
// piece occurs in textB.
bool TextAContainsAnNCharStringFromTextB(const std::array<Int32, 5>& percents, Int32 n, const String& textA,
                                         const String& textB);
// b sorts before a (ordinal), or the first length(a) * percent div 100
// characters of a and b are equal.
bool LeftMostPercentBelowOrMatch(Int32 percent, const String& a, const String& b);
// 0 equal; 1 lengths differ and the names match apart from a number; else 2
// when a sorts before b (ordinal), 3 when not.
Int32 SimilarShortFilenames(const String& a, const String& b);
// 0 when SimilarShortFilenames gives 0 or 1, else Compare2Strings(a, b).
Int32 CompareSimilarShortFilenames(const String& a, const String& b);

// ---- code pages and case ---------------------------------------------------------------------

// The zero-terminated wide text converted to the code page (characters the
// code page cannot hold become its substitution byte); "" for nullptr.
AnsiString ConvertedFromString(Cardinal codePage, const Char* wideText);
// The same in the ANSI code page of a locale identifier.
AnsiString ConvertedFromStringForLCID(Cardinal lcid, const Char* wideText);
// The same in the process's ANSI code page.
AnsiString ConvertedFromString(const Char* wideText);
// Upper-cases a zero-terminated wide buffer in place with the linguistic
// casing of the locale.
void Capitalise(Cardinal lcid, Char* wideText);

// ---- list helpers ------------------------------------------------------------------------------

// Makes sure that a list of integer lines kept in ascending order holds n:
// nothing when the text of n is a line; otherwise n is inserted before the
// first line greater than n whose preceding line (-1 before the first) is
// less than n, or added at the end. Raises EConvertError for a line that is
// not an integer.
void ForceItemsToInclude(TStrings* list, Int32 n);
// Deletes lines at random positions until at most n remain (none for n < 0).
void RandomReduceStringlist(TStrings* list, Int32 n);

}  // namespace sk
