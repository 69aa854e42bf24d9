// The comparers that the string lists with one object per line hand to
// TStringList::CustomSort, and a test of file names that differ only by a copy
// marker.
//
// Each comparer has CustomSort's signature (list, index1, index2) and answers
// -1, 0 or 1. "Line" is the list's own string at an index; the record is the one
// held in the field `data` of the holder object attached to the line (a line
// without an object reads as a cleared record). Strings compare with
// Compare2Strings, integers with CompareLongints, singles with CompareSingles.
// Unless a comment says otherwise, equal indexes answer 0 at once.
//
// Reversal follows global_reversed_sort (the lists set it to the opposite of
// their ascending argument before sorting) in one of two ways: "by indexes"
// exchanges the two indexes before anything is read, so every key, tie-breaks
// included, is reversed; "by key" reverses only the key named.
//
// The holder classes are declared with the owning lists; the comparers that
// read a holder are templates over it so that this header does not depend on
// those lists. The default argument names the library's holder, so
// `list->CustomSort(SListSortOn_Date)` works wherever that holder's declaration
// is visible.
#pragma once

#include <tuple>
#include <utility>

#include "core/Basic_types.h"
#include "core/Comparing_types.h"
#include "core/Global_vars.h"
#include "core/Useful_classes_base_compare.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/StringList.h"

namespace sk {

// Hand-over variable (see the block in core/Global_vars.h): which integer of a
// T2LongintAndSingleRec the two-integers-and-single list's integer sorts read;
// set by that list before it sorts (so those sorts are not re-entrant).
inline constinit T2LongintSort temp_Sort_which2 = t2_long0;

// This unit's hand-over variables, as references.
inline std::tuple<T2LongintSort&> Useful_classes_stringlist_sorts_HandOverVariables() {
  return std::tie(temp_Sort_which2);
}

class TStringAndIntegerHolder;
class TStringAndMeanAndSD_recHolder;
class TTwoLongIntHolder;
class TIntegerAndSingleHolder;
class T2IntsAndSingleHolder;
class TLongIntHolder;
class TSingleHolder;
class TDateTimeHolder;

namespace stringlist_sorts_detail {

// The record held by line i's object; a cleared record when the line has none.
template <class THolder, class TRec>
const TRec& Held(TStringList* list, Int32 i) {
  static const TRec cleared{};
  TObject* o = list->Objects(i);
  if (o == nullptr) return cleared;
  return static_cast<const THolder*>(o)->data;
}

inline Int32 Lines(TStringList* list, Int32 i1, Int32 i2) {
  return Compare2Strings(list->Strings(i1), list->Strings(i2));
}

inline Int32 Which2(const T2_longint_rec& r) { return temp_Sort_which2 == t2_long1 ? r.long1 : r.long0; }

}  // namespace stringlist_sorts_detail

// i ascending, then the record's s ascending; reversal by key i only.
template <class THolder = TStringAndIntegerHolder>
Int32 StringListWithStringAndInteger_Sort_Int(TStringList* list, Int32 index1, Int32 index2) {
  using namespace stringlist_sorts_detail;
  if (index1 == index2) return 0;
  const TStringAndIntegerRec& a = Held<THolder, TStringAndIntegerRec>(list, index1);
  const TStringAndIntegerRec& b = Held<THolder, TStringAndIntegerRec>(list, index2);
  Int32 r = global_reversed_sort ? CompareLongints(b.i, a.i) : CompareLongints(a.i, b.i);
  if (r != 0) return r;
  return Compare2Strings(a.s, b.s);
}

// The record's s ascending, then i ascending; reversal by indexes.
template <class THolder = TStringAndIntegerHolder>
Int32 StringListWithStringAndInteger_Sort_Substring(TStringList* list, Int32 index1, Int32 index2) {
  using namespace stringlist_sorts_detail;
  if (index1 == index2) return 0;
  if (global_reversed_sort) std::swap(index1, index2);
  const TStringAndIntegerRec& a = Held<THolder, TStringAndIntegerRec>(list, index1);
  const TStringAndIntegerRec& b = Held<THolder, TStringAndIntegerRec>(list, index2);
  Int32 r = Compare2Strings(a.s, b.s);
  if (r != 0) return r;
  return CompareLongints(a.i, b.i);
}

// mean descending, then sd ascending; no reversal.
template <class THolder = TStringAndMeanAndSD_recHolder>
Int32 StringListWithStringAndMeanAndSD_recDescending(TStringList* list, Int32 index1, Int32 index2) {
  using namespace stringlist_sorts_detail;
  if (index1 == index2) return 0;
  const TStringAndMeanAndSD_rec& a = Held<THolder, TStringAndMeanAndSD_rec>(list, index1);
  const TStringAndMeanAndSD_rec& b = Held<THolder, TStringAndMeanAndSD_rec>(list, index2);
  Int32 r = CompareSingles(b.score.mean, a.score.mean);
  if (r != 0) return r;
  return CompareSingles(a.score.sd, b.score.sd);
}

// long0 descending, then long1 ascending, then the line ascending; no reversal.
template <class THolder = TTwoLongIntHolder>
Int32 StringListWithDoubleLongintListSortOn_Long0(TStringList* list, Int32 index1, Int32 index2) {
  using namespace stringlist_sorts_detail;
  if (index1 == index2) return 0;
  const T2_longint_rec& a = Held<THolder, T2_longint_rec>(list, index1);
  const T2_longint_rec& b = Held<THolder, T2_longint_rec>(list, index2);
  Int32 r = CompareLongints(b.long0, a.long0);
  if (r == 0) r = CompareLongints(a.long1, b.long1);
  if (r == 0) r = Lines(list, index1, index2);
  return r;
}

// long1 descending, then long0 ascending, then the line ascending; no reversal.
template <class THolder = TTwoLongIntHolder>
Int32 StringListWithDoubleLongintListSortOn_Long1(TStringList* list, Int32 index1, Int32 index2) {
  using namespace stringlist_sorts_detail;
  if (index1 == index2) return 0;
  const T2_longint_rec& a = Held<THolder, T2_longint_rec>(list, index1);
  const T2_longint_rec& b = Held<THolder, T2_longint_rec>(list, index2);
  Int32 r = CompareLongints(b.long1, a.long1);
  if (r == 0) r = CompareLongints(a.long0, b.long0);
  if (r == 0) r = Lines(list, index1, index2);
  return r;
}

// int ascending, then s descending; reversal by indexes.
template <class THolder = TIntegerAndSingleHolder>
Int32 SListWIntAndSingleSortOn_Int(TStringList* list, Int32 index1, Int32 index2) {
  using namespace stringlist_sorts_detail;
  if (index1 == index2) return 0;
  if (global_reversed_sort) std::swap(index1, index2);
  const TIntegerAndSingleRec& a = Held<THolder, TIntegerAndSingleRec>(list, index1);
  const TIntegerAndSingleRec& b = Held<THolder, TIntegerAndSingleRec>(list, index2);
  Int32 r = CompareLongints(a.int_, b.int_);
  if (r != 0) return r;
  return CompareSingles(b.s, a.s);
}

// s ascending, then int ascending; reversal by indexes.
template <class THolder = TIntegerAndSingleHolder>
Int32 SListWIntAndSingleSortOn_Single_Sort2_Int(TStringList* list, Int32 index1, Int32 index2) {
  using namespace stringlist_sorts_detail;
  if (index1 == index2) return 0;
  if (global_reversed_sort) std::swap(index1, index2);
  const TIntegerAndSingleRec& a = Held<THolder, TIntegerAndSingleRec>(list, index1);
  const TIntegerAndSingleRec& b = Held<THolder, TIntegerAndSingleRec>(list, index2);
  Int32 r = CompareSingles(a.s, b.s);
  if (r != 0) return r;
  return CompareLongints(a.int_, b.int_);
}

// s ascending, then the line ascending; reversal by indexes.
template <class THolder = TIntegerAndSingleHolder>
Int32 SListWIntAndSingleSortOn_Single_Sort2_String(TStringList* list, Int32 index1, Int32 index2) {
  using namespace stringlist_sorts_detail;
  if (index1 == index2) return 0;
  if (global_reversed_sort) std::swap(index1, index2);
  const TIntegerAndSingleRec& a = Held<THolder, TIntegerAndSingleRec>(list, index1);
  const TIntegerAndSingleRec& b = Held<THolder, TIntegerAndSingleRec>(list, index2);
  Int32 r = CompareSingles(a.s, b.s);
  if (r != 0) return r;
  return Lines(list, index1, index2);
}

// The line ascending, then s ascending; reversal by key s only.
template <class THolder = TIntegerAndSingleHolder>
Int32 SListWIntAndSingleSortOn_Strings(TStringList* list, Int32 index1, Int32 index2) {
  using namespace stringlist_sorts_detail;
  if (index1 == index2) return 0;
  Int32 r = Lines(list, index1, index2);
  if (r != 0) return r;
  const TIntegerAndSingleRec& a = Held<THolder, TIntegerAndSingleRec>(list, index1);
  const TIntegerAndSingleRec& b = Held<THolder, TIntegerAndSingleRec>(list, index2);
  return global_reversed_sort ? CompareSingles(b.s, a.s) : CompareSingles(a.s, b.s);
}

// The integer of t2 named by temp_Sort_which2 ascending, then s descending;
// reversal by indexes.
template <class THolder = T2IntsAndSingleHolder>
Int32 SListWIntsAndSingleSortOn_Int(TStringList* list, Int32 index1, Int32 index2) {
  using namespace stringlist_sorts_detail;
  if (index1 == index2) return 0;
  if (global_reversed_sort) std::swap(index1, index2);
  const T2LongintAndSingleRec& a = Held<THolder, T2LongintAndSingleRec>(list, index1);
  const T2LongintAndSingleRec& b = Held<THolder, T2LongintAndSingleRec>(list, index2);
  Int32 r = CompareLongints(Which2(a.t2), Which2(b.t2));
  if (r != 0) return r;
  return CompareSingles(b.s, a.s);
}

// s ascending, then the integer of t2 named by temp_Sort_which2 ascending;
// reversal by indexes.
template <class THolder = T2IntsAndSingleHolder>
Int32 SListWIntsAndSingleSortOn_Single_Sort2Int(TStringList* list, Int32 index1, Int32 index2) {
  using namespace stringlist_sorts_detail;
  if (index1 == index2) return 0;
  if (global_reversed_sort) std::swap(index1, index2);
  const T2LongintAndSingleRec& a = Held<THolder, T2LongintAndSingleRec>(list, index1);
  const T2LongintAndSingleRec& b = Held<THolder, T2LongintAndSingleRec>(list, index2);
  Int32 r = CompareSingles(a.s, b.s);
  if (r != 0) return r;
  return CompareLongints(Which2(a.t2), Which2(b.t2));
}

// s ascending, then the line ascending; reversal by indexes.
template <class THolder = T2IntsAndSingleHolder>
Int32 SListWIntsAndSingleSortOn_Single_Sort2_String(TStringList* list, Int32 index1, Int32 index2) {
  using namespace stringlist_sorts_detail;
  if (index1 == index2) return 0;
  if (global_reversed_sort) std::swap(index1, index2);
  const T2LongintAndSingleRec& a = Held<THolder, T2LongintAndSingleRec>(list, index1);
  const T2LongintAndSingleRec& b = Held<THolder, T2LongintAndSingleRec>(list, index2);
  Int32 r = CompareSingles(a.s, b.s);
  if (r != 0) return r;
  return Lines(list, index1, index2);
}

// The line ascending, then s descending; reversal by indexes.
template <class THolder = T2IntsAndSingleHolder>
Int32 SListWIntsAndSingleSortOn_Strings(TStringList* list, Int32 index1, Int32 index2) {
  using namespace stringlist_sorts_detail;
  if (index1 == index2) return 0;
  if (global_reversed_sort) std::swap(index1, index2);
  Int32 r = Lines(list, index1, index2);
  if (r != 0) return r;
  const T2LongintAndSingleRec& a = Held<THolder, T2LongintAndSingleRec>(list, index1);
  const T2LongintAndSingleRec& b = Held<THolder, T2LongintAndSingleRec>(list, index2);
  return CompareSingles(b.s, a.s);
}

// The integer descending, then the line ascending; no reversal.
template <class THolder = TLongIntHolder>
Int32 StringListWithALongintSortOn_Freq(TStringList* list, Int32 index1, Int32 index2) {
  using namespace stringlist_sorts_detail;
  if (index1 == index2) return 0;
  Int32 r = CompareLongints(Held<THolder, Int32>(list, index2), Held<THolder, Int32>(list, index1));
  if (r != 0) return r;
  return Lines(list, index1, index2);
}

// The value descending and nothing else: equal values keep whatever order the
// sort leaves them in.
template <class THolder = TSingleHolder>
Int32 StringListWithSingleSortOn_Freq(TStringList* list, Int32 index1, Int32 index2) {
  using namespace stringlist_sorts_detail;
  if (index1 == index2) return 0;
  return CompareSingles(Held<THolder, Single>(list, index2), Held<THolder, Single>(list, index1));
}

// The date ascending (CompareDates), then the line ascending; reversal by indexes.
template <class THolder = TDateTimeHolder>
Int32 SListSortOn_Date(TStringList* list, Int32 index1, Int32 index2) {
  using namespace stringlist_sorts_detail;
  if (index1 == index2) return 0;
  if (global_reversed_sort) std::swap(index1, index2);
  Int32 r = CompareDates(Held<THolder, TDateTime>(list, index1), Held<THolder, TDateTime>(list, index2));
  if (r != 0) return r;
  return Lines(list, index1, index2);
}

// The line ascending, for any string list; reversal by indexes. Equal lines
// answer 0 (there is no equal-index shortcut, and none is needed).
Int32 SListSortOn_Strings(TStringList* list, Int32 index1, Int32 index2);

// True when two file names differ only by a copy marker: the differing rest of
// the longer name (trimmed) begins with "- COPY", or is "(" n ")" ... with n an
// integer. Identical names give false.
bool FilenamesMatchingApartFromNumber(const String& a, const String& b);

// The check point of one of the library's sorts (see TSortCheckPoint): it
// lets the host run through MyYieldProcess when a time check finds a yield
// due (TTimedYield), and ends the sort while global_panic_state is raised.
// The library's lists use it for all their sorts; the unit's start work
// installs it for every other platform string-list sort, its stop work
// removes it.
TSortCheckPoint NewLibrarySortCheckPoint();

// Unit start and stop: install and remove the check point of the platform's sorts.
void Useful_classes_stringlist_sorts_initialization();
void Useful_classes_stringlist_sorts_Finalization();

}  // namespace sk
