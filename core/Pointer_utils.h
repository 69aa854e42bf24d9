// Zero-terminated wide strings: copies, raw ordinal comparison, and the
// locale-aware comparers of texts and tagged words (one word with its tag
// number) used by the word lists.
#pragma once

#include <vector>

#include "core/Basic_types.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// ---- copies -------------------------------------------------------------------

// A new copy of the zero-terminated text p (nil gives an empty text).
TOwnedPWideChar MyNewPChar(const Char* p);
// Frees a copy made by MyNewPChar or CheckedNewLenPchar; p is nil afterwards.
void DeletePChar(TOwnedPWideChar& p);
// A new text of the first len characters of p and a terminating zero, when p is
// set and len is above 0; otherwise a new empty text. Copying stops early at a
// zero in p, so a short p is never read past its end.
TOwnedPWideChar CheckedNewLenPchar(const Char* p, Int32 len);

// True when the word of some element contains ch; false for an empty array.
bool PCharTagArrayContainsSymbol(const std::vector<TPcharTag>& arr, Char ch);

// ---- ordinal comparison -------------------------------------------------------

// The difference of the first differing code units (negative, 0, positive); a
// nil text counts as empty.
Int32 ComparePchar(const Char* p1, const Char* p2);

// ---- locale-aware comparison --------------------------------------------------

// Collation of two zero-terminated texts in the locale lcid: -1, 0 or 1; -2
// when the comparison itself fails.
Int32 CompareLCID_Pchar(Cardinal lcid, const Char* p1, const Char* p2);
// The same for texts of explicit lengths (in characters).
Int32 CompareLCID_PcharWithLength(Cardinal lcid, const Char* p1, const Char* p2, Int32 len1, Int32 len2);

// Words by locale, then tag numbers (the tag text takes no part).
Int32 CompareLCID_PcharTag(Cardinal lcid, const TPcharTag& a, const TPcharTag& b);
// Tag numbers first, then words by locale.
Int32 CompareLCID_TagPchar(Cardinal lcid, const TPcharTag& a, const TPcharTag& b);
Int32 CompareLCID_StringTag(Cardinal lcid, const TStringTag& a, const TStringTag& b);
Int32 CompareLCID_TagString(Cardinal lcid, const TStringTag& a, const TStringTag& b);

// Array forms: element by element over the shorter length, the first non-zero
// answer wins; when all compared elements are equal the longer array is the
// greater.
Int32 CompareLCID_PcharTagArray(Cardinal lcid, const std::vector<TPcharTag>& a, const std::vector<TPcharTag>& b);
Int32 CompareLCID_TagPcharArray(Cardinal lcid, const std::vector<TPcharTag>& a, const std::vector<TPcharTag>& b);
Int32 CompareLCID_StringTagArray(Cardinal lcid, const std::vector<TStringTag>& a, const std::vector<TStringTag>& b);
Int32 CompareLCID_TagStringArray(Cardinal lcid, const std::vector<TStringTag>& a, const std::vector<TStringTag>& b);
// Only the words, by locale.
Int32 CompareLCID_PcharTagArrayWordOnly(Cardinal lcid, const std::vector<TPcharTag>& a,
                                        const std::vector<TPcharTag>& b);
// Only the tag numbers (lcid is not used).
Int32 CompareLCID_PcharTagArrayTagOnly(Cardinal lcid, const std::vector<TPcharTag>& a,
                                       const std::vector<TPcharTag>& b);

// A position test, not an order: 0 when the test holds. With digitFlag: whether
// text holds a digit 0-9 (pattern unused). With prefixFlag: whether text begins
// with pattern. With suffixFlag: whether text ends with pattern. Otherwise:
// whether pattern occurs in text. A nil text or pattern gives 1. All tests are
// case-sensitive; lcid is not used.
Int32 CompareLCID_PosPchar(Cardinal lcid, const Char* text, const Char* pattern, bool prefixFlag, bool suffixFlag,
                           bool digitFlag);

// Unit start and stop (the unit has no work of its own).
void Pointer_utils_initialization();
void Pointer_utils_Finalization();

}  // namespace sk
