// The suite's notation for what a user types as a search word and what the
// search code works on: arrays of tagged words, the fixed 80-character
// search-word field, the two ways of writing a tag next to a word, the
// ignore-tag notation, the split of a token into punctuation and word, the
// names of the relationship statistics, the context of a word-counting
// search condition, and scanners that hand each find in a text to a callback.
//
// Array indexes are 0-based, string positions 1-based; -1 means not found.
#pragma once

#include <functional>
#include <vector>

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"

namespace sk {

// ---- tagged-word arrays ---------------------------------------------------------

// Index of the first element that StringTagMatches item (with the same
// wildcards flag); -1 when none.
Int32 StringTagPos(const TStringTag& item, const std::vector<TStringTag>& arr, bool wildcards);
// Index in whole at which the sequence part starts, trying only the first
// occurrence of part's first element; -1 when part is empty, does not fit or
// does not follow there.
Int32 PosStringTagArrayInOther(const std::vector<TStringTag>& whole, const std::vector<TStringTag>& part,
                               bool wildcards);
Int32 PosPcharTagArrayInOther(const std::vector<TPcharTag>& whole, const std::vector<TPcharTag>& part,
                              bool wildcards);
// Index of the first element whose word is exactly "*" and the number of such
// elements; (-1, 0) when none.
TPositionAndCount FirstAsteriskPosAndCount(const std::vector<TStringTag>& arr);
// Whether one array, or two arrays together, respect an asterisk rule.
bool StringTagArrayRuleCheck(const std::vector<TStringTag>& arr, const TPositionAndCount& pc,
                             TStringTagMatchingRule rule);
bool StringTagArrayRuleCheck(const std::vector<TStringTag>& arr1, const std::vector<TStringTag>& arr2,
                             const TPositionAndCount& pc1, const TPositionAndCount& pc2,
                             TStringTagMatchingRule rule);
void AddAStringTagToStringTagArray(const TStringTag& item, std::vector<TStringTag>& arr);
// Appends word with an empty tag and tagnum_2B 0.
void AddAStringToStringTagArray(const String& word, std::vector<TStringTag>& arr);
// Each element as its tag followed by its word, joined with separator.
String StringTagArrayToString(const std::vector<TStringTag>& arr, const String& separator);
String PcharTagArrayToString(const std::vector<TPcharTag>& arr, const String& separator);
// One element per piece of text between spaces (empty pieces kept), with an
// empty (nil) tag.
std::vector<TStringTag> StringToClusterStringAndTags(const String& text);
std::vector<TPcharTag> StringToClusterPcharAndTags(const String& text);
// One-to-one conversions; every TPcharTag made holds fresh copies.
TStringTag PCharTagToStringTag(const TPcharTag& rec);
TPcharTag StringTagToPcharTag(const TStringTag& rec);
std::vector<TStringTag> PcharTagArrayToStringTagArray(const std::vector<TPcharTag>& arr);
std::vector<TPcharTag> StringTagArrayToPcharTagArray(const std::vector<TStringTag>& arr);
std::vector<TPcharTag> CopiedPcharTagArrayToPcharTagArray(const std::vector<TPcharTag>& arr);
// The word, tag and tag number of a concordance tagged word (punctuation dropped).
TStringTag StringAndTagStrRecToStringAndTag(const TConcStringTag& rec);
// Every word upper-cased, title-cased (first word only) or lower-cased in
// place; tags are not touched.
void SetCaseStringTagArray(std::vector<TStringTag>& arr, TOutput_results_case outputCase);

// ---- search-word notation ---------------------------------------------------------

// The zero-filled field with at most the first 80 characters of text.
eightywidechar StringToSearch_word(const String& text);
// The text up to the first zero.
String Search_wordToString(const eightywidechar& field);
// list_creating gives the record an empty variants list (a list it already
// holds is emptied, not replaced, since copies of the record share it);
// list_freeing empties the context words and frees the variants list;
// list_clearing empties both.
void ManageAQMSearchWordRec(TQMSearchWordRec& rec, TListManage how);
// "<TAG>word" or "word<TAG>" (message-table texts).
String TagWordPrecedenceToStr(TTagWordPrecedence p);
// tag_before_word when s is exactly its text, else tag_after_word.
TTagWordPrecedence StringToTagWordPrecedence(const String& s);
// Removes every U+F8FF.
void RemoveAnyPrivateUse(String& s);
// Units i and i + 1 (0-based) of the zero-terminated text when it is longer
// than i + 1; otherwise all zero.
twowidechar TwoWideCharFrom(const Char* p, Int32 i);
// The ignore-tag notation: comma-separated items, each giving a pair of its
// first and last character ('<*>,[*]' and '<>,[]' both give < > and [ ]);
// "*" and characters below U+0021 are dropped first; a seventh and later item
// overwrites the sixth.
TIgnore_tag StringToIgnoreTag(const String& text);
// opening + "*" + closing for each pair with both characters set, joined by
// "," (a pair of two commas is written as one comma, which reads back as it).
String IgnoreTagToString(const TIgnore_tag& pairs);
// Leading punctuation, word and trailing punctuation of a token (a token
// without a letter or digit lands whole in both punctuation sections).
TConcWordSectionsRec StringToConcWordSections(const String& text);
String ConcWordSectionsToString(const TConcWordSectionsRec& rec);
// The display name of a relationship statistic.
String RelationshipAsString(TRelationshipStats stat);
// "name threshold" (threshold with three decimals) for each statistic that is
// switched on, joined by ",".
String RelationshipRequirements(const TConcgramChecks& checks);
// Upper-cases the two search strings and string_actual.
void CapitaliseASearchRequirementRec(TSearchRequirementRec& rec);
// The stretch of text around pos that a word-counting condition looks at: n
// words to the left and/or right of the word at pos (words are runs of
// letters and digits); '' for any other requirement.
String NManyWordsContext(TSearchMethodRequirement how, const String& text, Int32 pos, Int32 n);

// ---- scanners -------------------------------------------------------------------------

// How many characters of a can be paired with distinct, equal characters of b.
Int32 LetterMatches(const String& a, const String& b);
// The up to span characters just before pos; '' when span is 0 or less.
String PrecedingContext(const String& text, Int32 span, Int32 pos);
// For each occurrence of sub: callback(before, sub, after, percent, pos), with
// before the up to span characters before it and after the span characters
// after it. true stops. Answers the number of occurrences reported.
Int32 FindAndStudyStringInText(const String& text, const String& sub,
                               const TContextsAndStringAtAndQuitFunct& callback, Int32 span);
// For each open ... close stretch: callback(before, stretch, percent, pos).
// true stops. Answers the number of stretches reported.
Int32 FindAndStudyStringInText(const String& text, const String& open, const String& close,
                               const TContextAndStringAtAndQuitFunct& callback, Int32 span);
// Counts open ... close stretches; after each, predicate((stretch, count), n)
// true stops. Answers the count so far.
Int32 FindAndStudyStringInText(const String& text, const String& open, const String& close, Int32 n,
                               TObjectLessStringAndIntTestBoolMaxFunct predicate);
// The number of "<...>" tags in chunk, counted up to n + 1.
Int32 NumberOfTagsWithinChunk(const String& chunk, Int32 n);
// Called with the position of the "<", the tag and the text before it;
// true accepts the tag.
using TUnclosedTagFoundFunct = std::function<bool(Int32 position, const String& tag, const String& context)>;
// The first opening tag of text whose closing form occurs nowhere in text
// (and that onFound accepts, when given); closing tags, tags with "%" (with
// skipPercent) and tags with a lower-case letter (with onlyUpper) are passed
// over. '' when there is none. The first two texts play no part.
String OpenWithoutCloseTagInText(const String& ignored1, const String& ignored2, const String& text,
                                 bool skipPercent, bool onlyUpper, Int32 span,
                                 const TUnclosedTagFoundFunct& onFound);
// text holds a "<" and, after it, a ">".
bool AngleBracketedSubstringInString(const String& text);
// Passages shared by all the texts, found from 20-character chunks of the
// first text and extended while every text agrees: for each text its list of
// (start, end) pairs, start 1-based and end exclusive.
std::vector<std::vector<TStartFinishIntegerRec>> ComputedOverlaps(const std::vector<String>& texts);

}  // namespace sk
