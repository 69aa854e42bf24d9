// Words, sentences and whole-word rules of the text library.
//
// A word, unless a routine says otherwise, is a maximal run of letters and
// digits (Unicode general categories L* and Nd). Positions are 1-based and -1
// means none. The routines are pure, except that the word and n-gram list
// builders tick a TTimedYield per character (yielding to the host by time) so
// that a long text does not freeze the host.
#pragma once

#include <functional>
#include <memory>

#include "core/Basic_types.h"
#include "core/Useful_classes_base_stringlists.h"

namespace sk {

// ---- character and word predicates --------------------------------------------

// c is one of the sentence terminators (basic_sent_terminators or
// other_sent_terminators).
bool IsPotentialSentenceTerminator(Char c);

// The span start..finish of text is preceded by a non-letter-or-digit or by
// the start of the text. False for a start below 1 or beyond the text.
bool BoundedAtLeft(const String& text, Int32 start, Int32 finish);
// The span is followed by a non-letter-or-digit or by the end of the text.
// False for a finish below 0 or beyond the text.
bool BoundedAtRight(const String& text, Int32 start, Int32 finish);
bool BoundedWholeWord(const String& text, Int32 start, Int32 finish);

// Some character is not a letter; "<" counts as a letter only when the word
// also holds ">", and ">" only when it also holds "<". False for "".
bool WordHasNonLetterChar(const String& word);
// s holds "<" but no ">", or ">" but no "<".
bool StringHasUnMatchedAngleBrackets(const String& s);
// No character is a lower-case letter (true for "").
bool IsAllUppercase(const String& s);
bool ContainsAPercent(const String& s);
// Some character is a decimal digit.
bool ContainsADigit(const String& s);
// Occurrences of c in s.
Int32 NCharsInString(const String& s, Char c);
// Characters of s whose code is below that of c.
Int32 NCharsBelowXInString(const String& s, Char c);
// The first character is an upper-case letter (false for "").
bool FirstLetterIsCapitalised(const String& s);
// From pos, skips characters that are not letters or digits; true when the
// character reached is upper case (false beyond the end).
bool NextWordCapitalised(const String& s, Int32 pos);
// Position of the first letter or digit, -1 when none.
Int32 FirstLetterOrDigitOfStr(const String& s);
// A readable name of a character for messages: "<Tab>", "space", "control",
// 'number "7"', 'character "x"' ... (texts from the message tables).
String CharacterName(Cardinal code);

// ---- sentences ------------------------------------------------------------------

// End of the sentence that runs from start: once a letter or digit has been
// seen, the first position that is the last of the text or holds a sentence
// terminator (beyond position 1) followed by a non-letter-or-digit. -1 when
// start is beyond the text or no end is found.
Int32 EndOfSentence(Int32 start, const String& text);
// From pos, the first position holding a letter or digit; stops at the last
// position of the text.
Int32 FirstLetterOrDigitPosAfterSentenceEnd(const String& text, Int32 pos);
// True when pos is at or past the last position, else when the character at
// pos + 1 is not a lower-case letter.
bool FirstCharAfterSentenceEndUpperCase(const String& text, Int32 pos);
// The first letter-or-digit position from pos whose next character is not
// lower case, skipping whole sentences; negative when the text runs out.
Int32 FirstValidStartOfSentence(const String& text, Int32 pos);

// On zero-terminated wide text. Steps forward from q (exclusive) up to limit
// (exclusive): a lower-case letter gives false, a digit right after q gives
// false, the first other letter or digit gives true; reaching the limit (or
// the terminating zero) gives false.
bool NextValidNotLowercase(const Char* q, const Char* limit);
// The position just after the first "!", "." or "?" after p that is followed
// by a valid sentence start (NextValidNotLowercase); the limit (the
// terminating zero, or 250 characters after p) when none. p itself when p is
// at the limit; nullptr for nullptr.
const Char* NextAutoFoundSentenceEnd(const Char* p);

// The sentences of a paragraph found by counting letters; each sentence is
// added trimmed when longer than minLength characters. With addLast the
// sentence that runs to the end of the text is added too. The caller owns
// the list.
std::unique_ptr<TUTF8Stringlist> SentencesExtractedFromParagraph(bool addLast, Int32 minLength, const String& text);
// The sentences of a paragraph: cut at every separator when one is given,
// else by the character classes of the text (sentences of 20 characters or
// fewer stay joined to the next one; tags up to maxTagLength characters are
// read as punctuation). unusedNumber plays no part. The caller owns the list.
std::unique_ptr<TUTF8Stringlist> SentencesFromParagraph(const String& text, const String& separator,
                                                        Int32 unusedNumber, Int32 maxTagLength);

// ---- counting and lists -----------------------------------------------------------

// 1 + the number of spaces (U+0020).
Int32 WordsInCluster(const String& cluster);
// Number of maximal runs of letters and digits.
Int32 BasicWordCount(const String& text);
// Scanning back from pos (clamped to the text) to 1, the first position
// holding CR or LF; -1 when there is none or pos < 1.
Int32 BeginningOfSameLine(const String& text, Int32 pos);

// A new sorted list of the words of text with at least minLength characters,
// each with its frequency. With sortByFreq the list is re-sorted by
// descending frequency (global_reversed_sort is left as it was). The caller
// owns it.
std::unique_ptr<TStringlistWithALongint> SimpleWordListOfTxt(const String& text, Int32 minLength, bool sortByFreq);
// The same, counting each word for which accept(word) is true, in order of
// first appearance (the list is not kept sorted by text).
using TAcceptWordFunc = std::function<bool(const String& word)>;
std::unique_ptr<TStringlistWithALongint> SimpleWordListOfTxt(const String& text, const TAcceptWordFunc& accept,
                                                             bool sortByFreq);
// Progress of the n-gram builder, in percent of the text.
using TNGramProgress = std::function<void(Int32 percent)>;
// A new sorted list of the word n-grams of text with their frequencies. The
// caller owns it.
std::unique_ptr<TStringlistWithALongint> SimpleNGramListOfTxt(const String& text, Int32 n, Int32 maxTagLength,
                                                              bool sortByFreq, const TNGramProgress& onProgress);
// The first word (upper-cased) whose frequencies in the two texts differ by
// more than maxDifference: int1 is its frequency in textA, int2 in textB, s
// the word. An empty s means the two texts are similar.
TString2IntegersAndStringArrayrec BagOfWordsSimilar(const String& textA, const String& textB, Int32 maxDifference,
                                                    Int32 minFrequency, Int32 minLength);

}  // namespace sk
