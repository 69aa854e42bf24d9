// Comparers of strings, tagged words, the shared small records, dates and text
// encodings, the comparers of file-search records handed to a pointer list's
// sort, and a few exchange and conversion helpers.
//
// Every comparer answers exactly -1, 0 or 1 unless its comment says otherwise,
// and a comparison that involves a NaN answers -1. None of them yields or looks
// at the cancel flag; the file-search comparers read global_reversed_sort.
#pragma once

#include <utility>
#include <vector>

#include "core/Basic_types.h"
#include "core/Global_vars.h"
#include "core/Comparing_types.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Strings.h"

namespace sk {

// Which field of a T2_longint_rec a comparer or a list sort reads.
enum T2LongintSort : uint8_t { t2_long0, t2_long1 };

// The orders offered for lists of file-search records.
enum TMySearchRecSort : uint8_t {
  sr_sort_none,
  sr_sort_by_name,
  sr_sort_by_date,
  sr_sort_by_size,
  sr_sort_by_extension
};

// ---- strings and tagged words ---------------------------------------------------

// Ordinal comparison of UTF-16 code units.
Int32 Compare2Strings(const String& a, const String& b);
// 0 when the strings are equal ignoring the case of A-Z, or when their
// upper-case forms (full case mapping of the user's locale) are equal, so that
// case variants of any script sort together; otherwise the upper-case forms
// compared ordinally.
Int32 Compare2StringsCaseInsensitively(const String& a, const String& b);
// ComparePchar on the two strings: the raw difference of the first differing
// code units, stopping at an embedded zero character.
Int32 CrudeStringComparison(const String& a, const String& b);
// Collation in the locale lcid (CompareLCID_Pchar).
Int32 LCIDStringComparison(const String& a, const String& b, Cardinal lcid);

// Words by Compare2Strings, then tag numbers.
Int32 Compare2StringAndTags(const TStringTag& a, const TStringTag& b);
// Words by Compare2StringsCaseInsensitively, then tag numbers.
Int32 Compare2StringAndTagsInsensitive(const TStringTag& a, const TStringTag& b);
// Tag numbers first, then words by Compare2Strings.
Int32 Compare2TagsAndStrings(const TStringTag& a, const TStringTag& b);
// Element by element by Compare2StringAndTags; when every compared element is
// equal the longer array is the greater.
Int32 Compare2StringAndTagsArray(const std::vector<TStringTag>& a, const std::vector<TStringTag>& b);
// Words ordinally, then tag numbers.
Int32 Compare2PcharAndTags(const TPcharTag& a, const TPcharTag& b);
Int32 Compare2PcharAndTagsArray(const std::vector<TPcharTag>& a, const std::vector<TPcharTag>& b);
Int32 CompareChars(Char a, Char b);

// ---- records, dates and encodings -------------------------------------------------

Int32 Compare2LongintRecs(const T2_longint_rec& a, const T2_longint_rec& b, T2LongintSort which);
Int32 Compare2CardinalsCard1(const Tdouble_cardinal_rec& a, const Tdouble_cardinal_rec& b);
Int32 Compare2CardinalsCard2(const Tdouble_cardinal_rec& a, const Tdouble_cardinal_rec& b);
Int32 CompareIntAnd3CardinalsCard1(const TIntegerAnd3CardinalsRec& a, const TIntegerAnd3CardinalsRec& b);
Int32 CompareIntAnd3CardinalsCard2(const TIntegerAnd3CardinalsRec& a, const TIntegerAnd3CardinalsRec& b);
Int32 CompareIntAnd3CardinalsCard3(const TIntegerAnd3CardinalsRec& a, const TIntegerAnd3CardinalsRec& b);
// freq read as an unsigned 32-bit value.
Int32 CompareIntAnd3CardinalsFreq(const TIntegerAnd3CardinalsRec& a, const TIntegerAnd3CardinalsRec& b);
Int32 CompareIntAnd2CardinalsCard1(const TIntegerAnd2CardinalsRec& a, const TIntegerAnd2CardinalsRec& b);
Int32 CompareIntAnd2CardinalsCard2(const TIntegerAnd2CardinalsRec& a, const TIntegerAnd2CardinalsRec& b);
// freq read as a signed value.
Int32 CompareIntAnd2CardinalsFreq(const TIntegerAnd2CardinalsRec& a, const TIntegerAnd2CardinalsRec& b);
// 0 when equal, 1 when a is later, else -1 (also when either is a NaN).
Int32 CompareJulianDates(Double a, Double b);
Int32 CompareDates(Double a, Double b);

// nil -1, ASCII 0, UTF-7 1, ANSI 2, UTF-8 3, UTF-16LE 4, UTF-16BE 5, any other
// encoding 6 (the standard encodings are recognised by identity).
Int32 ValueOfEncoding(TEncoding* e);
// 0 for the same encoding object; otherwise 1 when a's value is the greater,
// else -1 (so two distinct objects of one value answer -1 in both orders).
Int32 CompareEncodings(TEncoding* a, TEncoding* b);

// The opposite of a comparison result.
Int32 ReversedComparisonInteger(Int32 v);

// ---- file-search records ------------------------------------------------------------
// Sort callbacks of a pointer list whose items each hold one TMySearchRec in
// their field `data`. When global_reversed_sort is true the two items are
// exchanged first. There is no further tie-break.
//
// The holder class is declared with the owning lists; the callbacks are
// templates over it so that this header does not depend on them. The default
// argument names the library's holder, so `MySearchRecNameSort<>` is the
// callback wherever that holder's declaration is visible (a plain function
// pointer parameter also takes the name without the brackets).

class TMySearchRecHolder;

namespace compare_detail {

// The record held by a list item; an item without a holder reads as a cleared
// record.
template <class THolder>
const TMySearchRec& SearchRecOf(Pointer item) {
  static const TMySearchRec cleared{};
  return item != nullptr ? static_cast<THolder*>(item)->data : cleared;
}

template <class THolder>
void OrderedSearchRecs(Pointer item1, Pointer item2, const TMySearchRec*& a, const TMySearchRec*& b) {
  if (global_reversed_sort) std::swap(item1, item2);
  a = &SearchRecOf<THolder>(item1);
  b = &SearchRecOf<THolder>(item2);
}

}  // namespace compare_detail

// ShortName by CompareText (case of A-Z ignored); the raw difference it gives.
template <class THolder = TMySearchRecHolder>
Int32 MySearchRecNameSort(Pointer item1, Pointer item2) {
  const TMySearchRec *a, *b;
  compare_detail::OrderedSearchRecs<THolder>(item1, item2, a, b);
  return CompareText(a->ShortName, b->ShortName);
}

// The extensions of ShortName (dot included) by CompareText.
template <class THolder = TMySearchRecHolder>
Int32 MySearchRecExtensionSort(Pointer item1, Pointer item2) {
  const TMySearchRec *a, *b;
  compare_detail::OrderedSearchRecs<THolder>(item1, item2, a, b);
  return CompareText(ExtractFileExt(a->ShortName), ExtractFileExt(b->ShortName));
}

// DateTime by CompareDates.
template <class THolder = TMySearchRecHolder>
Int32 MySearchRecDateSort(Pointer item1, Pointer item2) {
  const TMySearchRec *a, *b;
  compare_detail::OrderedSearchRecs<THolder>(item1, item2, a, b);
  return CompareDates(a->DateTime, b->DateTime);
}

// Size by CompareLongints.
template <class THolder = TMySearchRecHolder>
Int32 MySearchRecSizeSort(Pointer item1, Pointer item2) {
  const TMySearchRec *a, *b;
  compare_detail::OrderedSearchRecs<THolder>(item1, item2, a, b);
  return CompareLongints(a->Size, b->Size);
}

// ---- small helpers ------------------------------------------------------------------

void ExchangeTwoInt64s(Int64& a, Int64& b);
void ExchangeTwoIntegers(Int32& a, Int32& b);
void ExchangeTwoChars(Char& a, Char& b);
void ExchangeTwoStrings(String& a, String& b);
void ExchangeTwoPointers(Pointer& a, Pointer& b);

// Fills sizeInBytes bytes of buffer with zeros, then copies at most
// sizeInBytes / 2 - 1 characters of s, so the copy is always terminated.
void DoAStrCopy(const String& s, Char* buffer, Int32 sizeInBytes);

// n when 0 <= n < 102, else the centre.
TConcordance_span IntegerToConcSpan(Int32 n);
Int32 ConcSpanToInteger(TConcordance_span span);

}  // namespace sk
