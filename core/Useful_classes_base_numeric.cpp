#include "core/Useful_classes_base_numeric.h"

#include <cmath>
#include <limits>
#include <utility>

#include "core/Basic_processes.h"
#include "core/Comparing_types.h"
#include "core/Global_vars.h"
#include "core/Useful_classes_base_compare.h"

namespace sk {

namespace {

// The record held by a list item passed to a comparer; a cleared record for
// an empty slot.
template <class THolder>
auto HeldData(Pointer item) -> decltype(THolder{}.data) {
  if (item == nullptr) return {};
  return static_cast<const THolder*>(static_cast<TUsefulBaseListObject*>(item))->data;
}

// Search by halving over count items: itemVsValue(mid) compares item mid with
// the value sought. Yields on every probe; records each probe in *nearest
// when given.
template <class F>
Int32 Halving(Int32 count, F itemVsValue, Int32* nearest) {
  Int32 lo = 0;
  Int32 hi = count - 1;
  TTimedYield yield;
  while (lo <= hi) {
    yield.Tick();
    const Int32 mid = lo + (hi - lo) / 2;
    if (nearest != nullptr) *nearest = mid;
    const Int32 c = itemVsValue(mid);
    if (c >= 0) {
      if (c == 0) return mid;
      hi = mid - 1;
    } else {
      lo = mid + 1;
    }
  }
  return -1;
}

// The first index whose item matches, scanning from 0 and yielding before
// each item.
template <class F>
Int32 YieldingScan(Int32 count, F matches) {
  TTimedYield yield;
  for (Int32 i = 0; i < count; ++i) {
    yield.Tick();
    if (matches(i)) return i;
  }
  return -1;
}

// v rounded to single precision as the hardware rounds it, with values beyond
// the largest Single going to infinity (a plain conversion would be undefined
// there).
Single RoundedToSingle(Double v) {
  constexpr Double maxSingle = std::numeric_limits<Single>::max();
  // Half a unit in the last place of the largest Single: from there on, the
  // nearest value is infinity.
  constexpr Double limit = maxSingle + 0x1p103;
  if (std::isfinite(v) && std::fabs(v) > maxSingle) {
    const Single magnitude =
        std::fabs(v) < limit ? std::numeric_limits<Single>::max() : std::numeric_limits<Single>::infinity();
    return v > 0 ? magnitude : -magnitude;
  }
  return static_cast<Single>(v);
}

Double AsStoredDouble(Double v) { return static_cast<Double>(RoundedToSingle(v)); }

// The three-way comparison of two values of a number list.
Int32 CompareValues(Cardinal a, Cardinal b) { return CompareCardinals(a, b); }
Int32 CompareValues(Single a, Single b) { return CompareSingles(a, b); }
Int32 CompareValues(Double a, Double b) { return CompareDoubles(a, b); }

Int32 SortCardinalAndFreqOnC(Pointer a, Pointer b) {
  return CompareCardinals(HeldData<TCardinalAndFreqHolder>(a).c, HeldData<TCardinalAndFreqHolder>(b).c);
}
Int32 SortCardinalAndFreqOnF(Pointer a, Pointer b) {
  return CompareLongints(HeldData<TCardinalAndFreqHolder>(a).f, HeldData<TCardinalAndFreqHolder>(b).f);
}

}  // namespace

// ---- item comparers ---------------------------------------------------------------------------

Int32 SortCardinals(Pointer Item1, Pointer Item2) {
  return CompareCardinals(HeldData<TCardinalHolder>(Item1), HeldData<TCardinalHolder>(Item2));
}

Int32 SortLongints(Pointer Item1, Pointer Item2) {
  return CompareLongints(HeldData<TLongIntHolder>(Item1), HeldData<TLongIntHolder>(Item2));
}

Int32 SortInt64s(Pointer Item1, Pointer Item2) {
  return CompareInt64s(HeldData<TInt64Holder>(Item1), HeldData<TInt64Holder>(Item2));
}

Int32 SortIntAndSingles(Pointer Item1, Pointer Item2) {
  return CompareSingles(HeldData<TIntegerAndSingleHolder>(Item1).s, HeldData<TIntegerAndSingleHolder>(Item2).s);
}

Int32 SortIntegerAnd3CardinalsFreq(Pointer Item1, Pointer Item2) {
  return CompareIntAnd3CardinalsFreq(HeldData<TIntegerAnd3CardinalsHolder>(Item1),
                                     HeldData<TIntegerAnd3CardinalsHolder>(Item2));
}

// ---- TNumberList -------------------------------------------------------------------------------

template <class THolder>
TNumberList<THolder>::TNumberList() : TUsefulBaseListSorts(&NewUsefulBaseListObject<THolder>) {}

template <class THolder>
Int32 TNumberList<THolder>::AddHolder(std::unique_ptr<THolder> holder) {
  const Int32 i = AddItem(std::move(holder));
  CheckOrderAround(i);
  return i;
}

template <class THolder>
Int32 TNumberList<THolder>::InsertHolder(Int32 i, std::unique_ptr<THolder> holder) {
  InsertItem(i, std::move(holder));
  CheckOrderAround(i);
  return i;
}

template <class THolder>
Int32 TNumberList<THolder>::AddOne(TValue value) {
  return AddHolder(std::make_unique<THolder>(value));
}

template <class THolder>
Int32 TNumberList<THolder>::InsertOne(Int32 i, TValue value) {
  return InsertHolder(i, std::make_unique<THolder>(value));
}

template <class THolder>
auto TNumberList<THolder>::GetAValue(Int32 i) const -> TValue {
  const auto* h = static_cast<const THolder*>(Items(i));
  return h != nullptr ? h->data : TValue{};
}

template <class THolder>
Int32 TNumberList<THolder>::ComparedValues(Int32 i, Int32 j) {
  return CompareValues(GetAValue(i), GetAValue(j));
}

template <class THolder>
Int32 TNumberList<THolder>::Find(TValue value) {
  return Halving(Count(), [&](Int32 mid) { return CompareValues(GetAValue(mid), value); }, nullptr);
}

template <class THolder>
Int32 TNumberList<THolder>::IndexOF(TValue value) {
  if (sorted) return Find(value);
  return YieldingScan(Count(), [&](Int32 i) { return IndexAssignedOK(i) && GetAValue(i) == value; });
}

template <class THolder>
void TNumberList<THolder>::SortAscendingDefault() {
  Sort([](Pointer a, Pointer b) { return CompareValues(HeldData<THolder>(a), HeldData<THolder>(b)); });
}

template class TNumberList<TCardinalHolder>;
template class TNumberList<TSingleHolder>;
template class TNumberList<TDoubleHolder>;

// ---- TQMInt64List -----------------------------------------------------------------------------

TQMInt64List::TQMInt64List() : TUsefulBaseListSorts(&NewUsefulBaseListObject<TInt64Holder>) {}

Int32 TQMInt64List::AddOne(Int64 value) {
  if (!sorted || Count() == 0) {
    const Int32 i = AddItem(std::make_unique<TInt64Holder>(value));
    CheckOrderAround(i);
    return i;
  }
  Int32 at = FindInSorted(value);
  if (at < 0) {
    if (nearest >= 0)
      at = GetAValue(nearest) <= value ? nearest + 1 : nearest;
    else
      at = Count();
  }
  return InsertItem(at, std::make_unique<TInt64Holder>(value));
}

Int64 TQMInt64List::GetAValue(Int32 i) const {
  const auto* h = static_cast<const TInt64Holder*>(Items(i));
  return h != nullptr ? h->data : -1;
}

Int32 TQMInt64List::ComparedValues(Int32 i, Int32 j) { return CompareInt64s(GetAValue(i), GetAValue(j)); }

Int32 TQMInt64List::FindInSorted(Int64 value) {
  nearest = -1;
  return Halving(Count(), [&](Int32 mid) { return CompareInt64s(GetAValue(mid), value); }, &nearest);
}

Int32 TQMInt64List::IndexOF(Int64 value) {
  if (sorted) return FindInSorted(value);
  return YieldingScan(Count(), [&](Int32 i) { return IndexAssignedOK(i) && GetAValue(i) == value; });
}

void TQMInt64List::SortAscendingDefault() { Sort(SortInt64s); }

// ---- TDoublesList -----------------------------------------------------------------------------

Int32 TDoublesList::AddOne(Double value) { return AddHolder(std::make_unique<TDoubleHolder>(RoundedToSingle(value))); }

Int32 TDoublesList::InsertOne(Int32 i, Double value) {
  return InsertHolder(i, std::make_unique<TDoubleHolder>(RoundedToSingle(value)));
}

Int32 TDoublesList::Find(Double value) { return TNumberList::Find(AsStoredDouble(value)); }

Int32 TDoublesList::IndexOF(Double value) { return TNumberList::IndexOF(AsStoredDouble(value)); }

bool TDoublesList::ReadFromStream(TStream* stream) {
  const Int32 first = Count();
  const bool ok = TUsefulBaseListSorts::ReadFromStream(stream);
  // Rounding keeps ascending values ascending, so the sorted mark stays right.
  for (Int32 i = first; i < Count(); ++i)
    if (auto* h = static_cast<TDoubleHolder*>(Items(i))) h->data = AsStoredDouble(h->data);
  return ok;
}

// ---- TRecordWithSingleList and its lists ----------------------------------------------------

template <class THolder>
TRecordWithSingleList<THolder>::TRecordWithSingleList() : TUsefulBaseListSorts(&NewUsefulBaseListObject<THolder>) {}

template <class THolder>
Int32 TRecordWithSingleList<THolder>::AddOne(const TRec& rec) {
  return AddItem(std::make_unique<THolder>(rec));
}

template <class THolder>
auto TRecordWithSingleList<THolder>::GetOne(Int32 i) const -> TRec {
  const auto* h = static_cast<const THolder*>(Items(i));
  return h != nullptr ? h->data : TRec{};
}

template <class THolder>
void TRecordWithSingleList<THolder>::SetOne(Int32 i, const TRec& rec) {
  if (auto* h = static_cast<THolder*>(Items(i))) h->data = rec;
}

template <class THolder>
Int32 TRecordWithSingleList<THolder>::IndexOfSingle(Single f) const {
  return FirstWhere([f](const TRec& r) { return r.s == f; });
}

template <class THolder>
void TRecordWithSingleList<THolder>::SortAscendingDefault() {
  Sort([](Pointer a, Pointer b) { return CompareSingles(HeldData<THolder>(a).s, HeldData<THolder>(b).s); });
}

template class TRecordWithSingleList<TIntegerAndSingleHolder>;
template class TRecordWithSingleList<T2LongIntAndSingleHolder>;
template class TRecordWithSingleList<T3LongIntAndSingleHolder>;

Int32 TIntegerAndSingleList::IndexOfInteger(Int32 n) const {
  return FirstWhere([n](const TIntegerAndSingleRec& r) { return r.int_ == n; });
}

Int32 T2LongintAndSingleList::IndexOfInteger0(Int32 n) const {
  return FirstWhere([n](const T2LongintAndSingleRec& r) { return r.t2.long0 == n; });
}

Int32 T2LongintAndSingleList::IndexOfInteger1(Int32 n) const {
  return FirstWhere([n](const T2LongintAndSingleRec& r) { return r.t2.long1 == n; });
}

Int32 T3LongintAndSingleList::IndexOfInteger0(Int32 n) const {
  return FirstWhere([n](const T3LongintAndSingleRec& r) { return r.t3.long0 == n; });
}

Int32 T3LongintAndSingleList::IndexOfInteger1(Int32 n) const {
  return FirstWhere([n](const T3LongintAndSingleRec& r) { return r.t3.long1 == n; });
}

Int32 T3LongintAndSingleList::IndexOfInteger2(Int32 n) const {
  return FirstWhere([n](const T3LongintAndSingleRec& r) { return r.t3.long2 == n; });
}

// ---- TCardinalAndFreqList ---------------------------------------------------------------------

TCardinalAndFreqList::TCardinalAndFreqList()
    : TUsefulBaseListSorts(&NewUsefulBaseListObject<TCardinalAndFreqHolder>) {}

Int32 TCardinalAndFreqList::AddOne(const TCardinalAndFreq& rec) {
  const Int32 i = AddItem(std::make_unique<TCardinalAndFreqHolder>(rec));
  CheckOrderAround(i);
  return i;
}

Int32 TCardinalAndFreqList::AddOneOrIncFreq(const TCardinalAndFreq& rec) {
  const Int32 found = IndexOF(rec.c);
  if (found >= 0) {
    auto* h = static_cast<TCardinalAndFreqHolder*>(Items(found));
    h->data.f = static_cast<Int32>(static_cast<uint32_t>(h->data.f) + 1u);
    return found;
  }
  if (!sorted || Count() == 0) return AddOne(rec);
  // IndexOF searched by halving and left `nearest` at its last probe.
  const Int32 at = nearest >= 0 ? (GetACardAndFreq(nearest).c <= rec.c ? nearest + 1 : nearest) : Count();
  return InsertItem(at, std::make_unique<TCardinalAndFreqHolder>(rec));
}

TCardinalAndFreq TCardinalAndFreqList::GetACardAndFreq(Int32 i) const {
  const auto* h = static_cast<const TCardinalAndFreqHolder*>(Items(i));
  return h != nullptr ? h->data : TCardinalAndFreq{};
}

void TCardinalAndFreqList::SetACardAndFreq(Int32 i, const TCardinalAndFreq& rec) {
  auto* h = static_cast<TCardinalAndFreqHolder*>(Items(i));
  if (h == nullptr) return;
  h->data = rec;
  CheckOrderAround(i);
}

Int32 TCardinalAndFreqList::Find(Cardinal c) {
  nearest = Count() - 1;
  return Halving(Count(), [&](Int32 mid) { return CompareCardinals(GetACardAndFreq(mid).c, c); }, &nearest);
}

Int32 TCardinalAndFreqList::IndexOF(Cardinal c) {
  if (sorted) return Find(c);
  return YieldingScan(Count(), [&](Int32 i) { return IndexAssignedOK(i) && GetACardAndFreq(i).c == c; });
}

void TCardinalAndFreqList::SortOnCardinals() { Sort(SortCardinalAndFreqOnC); }

void TCardinalAndFreqList::SortOnFrequencies(bool reversed) {
  // The flag is set for callers; the comparer keeps its own copy.
  global_reversed_sort = reversed;
  Sort([reversed](Pointer a, Pointer b) {
    return reversed ? SortCardinalAndFreqOnF(b, a) : SortCardinalAndFreqOnF(a, b);
  });
  sorted = false;
}

Int32 TCardinalAndFreqList::KeyOrder(Int32 i, Int32 j) {
  return CompareCardinals(GetACardAndFreq(i).c, GetACardAndFreq(j).c);
}

}  // namespace sk
