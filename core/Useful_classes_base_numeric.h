// Typed lists of numbers and small numeric records: cardinals, 64-bit
// integers, singles, doubles, integer-and-single records and
// cardinal-and-frequency pairs. Each owns one holder per item and streams as
// the sortable-list form (Int32 count, `sorted` byte, the items raw).
//
// Lookups: on a list marked sorted, Find searches by halving; IndexOF scans
// from 0 when the list
// is not sorted, and uses Find when it is; both yield by time. Floating values are compared for
// exact equality when scanning. Getters answer an invalid index with a fixed
// value (see each class); setters ignore it.
#pragma once

#include <memory>

#include "core/Basic_types.h"
#include "core/Useful_classes_base_holders.h"
#include "core/Useful_classes_base_lists.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// ---- item comparers for Sort (each compares the `data` of two holders) ----

Int32 SortCardinals(Pointer Item1, Pointer Item2);   // TCardinalHolder
Int32 SortLongints(Pointer Item1, Pointer Item2);    // TLongIntHolder
Int32 SortInt64s(Pointer Item1, Pointer Item2);      // TInt64Holder
Int32 SortIntAndSingles(Pointer Item1, Pointer Item2);  // TIntegerAndSingleHolder, on s
Int32 SortIntegerAnd3CardinalsFreq(Pointer Item1, Pointer Item2);  // TIntegerAnd3CardinalsHolder

// ---- the shapes the lists share ---------------------------------------------------------------

// A list of one number per item, held by a THolder in `data`. GetAValue
// answers 0 for an invalid index. AddOne appends and InsertOne inserts without
// looking at the order (a list marked sorted stays so only while the new item
// keeps the order).
template <class THolder>
class TNumberList : public TUsefulBaseListSorts {
 public:
  using TValue = decltype(THolder::data);
  TNumberList();
  Int32 AddOne(TValue value);
  Int32 InsertOne(Int32 i, TValue value);
  TValue GetAValue(Int32 i) const;
  Int32 ComparedValues(Int32 i, Int32 j) override;
  Int32 Find(TValue value);
  Int32 IndexOF(TValue value);
  // Ascending on the value.
  void SortAscendingDefault();

 protected:
  Int32 AddHolder(std::unique_ptr<THolder> holder);
  Int32 InsertHolder(Int32 i, std::unique_ptr<THolder> holder);
};

// A list of one small record with a single `s` per item, held by a THolder in
// `data`. GetOne answers a cleared record for an invalid index and SetOne
// ignores it. The IndexOf... scans are linear, exact and do not yield.
template <class THolder>
class TRecordWithSingleList : public TUsefulBaseListSorts {
 public:
  using TRec = decltype(THolder::data);
  TRecordWithSingleList();
  Int32 AddOne(const TRec& rec);
  TRec GetOne(Int32 i) const;
  void SetOne(Int32 i, const TRec& rec);
  Int32 IndexOfSingle(Single f) const;
  // Ascending on s.
  void SortAscendingDefault();

 protected:
  // The first index whose record matches.
  template <class F>
  Int32 FirstWhere(F matches) const {
    for (Int32 i = 0; i < Count(); ++i)
      if (IndexAssignedOK(i) && matches(GetOne(i))) return i;
    return -1;
  }
};

// ---- TCardinalList, TSinglesList (invalid index: 0) -----------------------------------------

class TCardinalList : public TNumberList<TCardinalHolder> {};

class TSinglesList : public TNumberList<TSingleHolder> {};

// ---- TQMInt64List (invalid index: -1) ---------------------------------------------------------

class TQMInt64List : public TUsefulBaseListSorts {
 public:
  TQMInt64List();
  // On a sorted list the value goes in order (in front of an equal value
  // found by halving); otherwise it is appended. Returns its index.
  Int32 AddOne(Int64 value);
  Int64 GetAValue(Int32 i) const;
  Int32 ComparedValues(Int32 i, Int32 j) override;
  // Search by halving; records each probe in `nearest` (-1 at the start).
  Int32 FindInSorted(Int64 value);
  Int32 IndexOF(Int64 value);
  void SortAscendingDefault();
};

// ---- TDoublesList (invalid index: 0.0) --------------------------------------------------------
// Values are held as they would be in a Single: each value added, and each
// value sought, is rounded to single precision first.

class TDoublesList : public TNumberList<TDoubleHolder> {
 public:
  Int32 AddOne(Double value);
  Int32 InsertOne(Int32 i, Double value);
  Int32 Find(Double value);
  Int32 IndexOF(Double value);
  // As the sortable-list form, each value read being rounded to single
  // precision as AddOne rounds it, so that lookups find every value held
  // (a stored value with more precision comes only from a foreign file).
  bool ReadFromStream(TStream* stream) override;
};

// ---- integer-and-single record lists (invalid index: all zero) -------------------------------

class TIntegerAndSingleList : public TRecordWithSingleList<TIntegerAndSingleHolder> {
 public:
  Int32 IndexOfInteger(Int32 n) const;
};

class T2LongintAndSingleList : public TRecordWithSingleList<T2LongIntAndSingleHolder> {
 public:
  Int32 IndexOfInteger0(Int32 n) const;
  Int32 IndexOfInteger1(Int32 n) const;
};

class T3LongintAndSingleList : public TRecordWithSingleList<T3LongIntAndSingleHolder> {
 public:
  Int32 IndexOfInteger0(Int32 n) const;
  Int32 IndexOfInteger1(Int32 n) const;
  Int32 IndexOfInteger2(Int32 n) const;
};

// ---- TCardinalAndFreqList (invalid index: all zero) -------------------------------------------
// Lookups search on c.

class TCardinalAndFreqList : public TUsefulBaseListSorts {
 public:
  TCardinalAndFreqList();
  // Appends a copy of rec; returns its index.
  Int32 AddOne(const TCardinalAndFreq& rec);
  // When an item with the same c exists its f grows by 1 (whatever rec.f
  // holds); otherwise a copy of rec is added, in order on a sorted list.
  // Returns the item's index.
  Int32 AddOneOrIncFreq(const TCardinalAndFreq& rec);
  TCardinalAndFreq GetACardAndFreq(Int32 i) const;
  void SetACardAndFreq(Int32 i, const TCardinalAndFreq& rec);
  // Search by halving on c; `nearest` starts at Count-1 and follows each probe.
  Int32 Find(Cardinal c);
  Int32 IndexOF(Cardinal c);
  // Ascending on c; marks the list sorted.
  void SortOnCardinals();
  // Stores reversed in global_reversed_sort, then sorts on f, ascending when
  // it is false and descending when true. The list is then not in the order
  // its lookups need, so it is left unmarked.
  void SortOnFrequencies(bool reversed);

 protected:
  Int32 KeyOrder(Int32 i, Int32 j) override;
};

}  // namespace sk
