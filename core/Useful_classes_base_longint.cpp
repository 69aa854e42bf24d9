#include "core/Useful_classes_base_longint.h"

#include <array>
#include <bit>
#include <vector>

namespace sk {

// ---- T1LongintList ---------------------------------------------------------------------------

T1LongintList::T1LongintList() : TMultiLongintList(tml_1) {}

Int32 T1LongintList::AddOne(Int32 n) {
  if (!sorted || fSortedOn != tml_0 || Count() == 0) return TMultiLongintList::AddOne({n});
  Int32 at = Find(n, tml_0);
  if (at < 0) {
    if (nearest >= 0)
      at = GetAValue(nearest, tml_0) <= n ? nearest + 1 : nearest;
    else
      at = Count();
  }
  return TMultiLongintList::InsertOne(at, {n});
}

Int32 T1LongintList::InsertOne(Int32 i, Int32 n) { return TMultiLongintList::InsertOne(i, {n}); }

Int32 T1LongintList::GetAValue(Int32 i) const { return GetAValue(i, tml_0); }

void T1LongintList::SetAValue(Int32 i, Int32 n) { SetAValue(i, tml_0, n); }

void T1LongintList::AddToValue(Int32 i, Int32 n) { AddToOneFreq(i, n, tml_0); }

void T1LongintList::IncrementEach() {
  // Adding the same amount to every item keeps their order, except where a
  // value wraps past the largest Int32.
  const bool wasSorted = sorted;
  sorted = false;
  for (Int32 i = 0; i < Count(); ++i) AddToOneFreq(i, 1, tml_0);
  sorted = wasSorted && OrderHolds();
}

std::unique_ptr<T1LongintList> T1LongintList::GetACopyOfSelf() const {
  auto copy = std::make_unique<T1LongintList>();
  for (Int32 i = 0; i < Count(); ++i) copy->TMultiLongintList::AddOne({GetAValue(i)});
  return copy;
}

Int32 T1LongintList::FindAndFree(Int32 n) {
  const Int32 j = IndexOf(n, tml_0);
  // The entry goes with its holder, so no later read meets an empty slot.
  if (j >= 0) Delete(j);
  return j;
}

// ---- TQMActiveLongintList -----------------------------------------------------------------------

void TQMActiveLongintList::AddOneAndSetCountCurrent(Int32 n) {
  AddOne(n);
  fcurrentItem = Count() - 1;
}

void TQMActiveLongintList::Clear() {
  T1LongintList::Clear();
  fcurrentItem = -1;
}

Int32 TQMActiveLongintList::CurrentItemValue() const {
  if (!IndexAssignedOK(fcurrentItem)) return -1;
  return GetAValue(fcurrentItem);
}

Int32 TQMActiveLongintList::FindAndFree(Int32 n) {
  const Int32 j = T1LongintList::FindAndFree(n);
  if (fcurrentItem == j)
    fcurrentItem = fcurrentItem >= 1 ? fcurrentItem - 1 : Count() - 1;
  else if (j >= 0 && fcurrentItem > j)
    --fcurrentItem;
  return j;
}

// ---- T2LongintList to T6LongintList ------------------------------------------------------------

namespace {

// A record of Width Int32 fields as its columns, and back.
template <class TRec, size_t Width>
std::array<Int32, Width> ColumnsOf(const TRec& rec) {
  return std::bit_cast<std::array<Int32, Width>>(rec);
}

template <class TRec, size_t Width>
TRec RecordOf(const std::array<Int32, Width>& cols) {
  return std::bit_cast<TRec>(cols);
}

}  // namespace

template <class TRec, TMultiLongintSize Width>
TLongintRecordList<TRec, Width>::TLongintRecordList() : TMultiLongintList(Width) {}

template <class TRec, TMultiLongintSize Width>
Int32 TLongintRecordList<TRec, Width>::AddOne(const TRec& rec) {
  const auto cols = ColumnsOf<TRec, Width>(rec);
  return TMultiLongintList::AddOne(std::vector<Int32>(cols.begin(), cols.end()));
}

template <class TRec, TMultiLongintSize Width>
TRec TLongintRecordList<TRec, Width>::GetAValue(Int32 i) const {
  std::array<Int32, Width> cols;
  for (size_t k = 0; k < Width; ++k) cols[k] = GetAValue(i, static_cast<TMultiLongintSize>(k));
  return RecordOf<TRec>(cols);
}

template <class TRec, TMultiLongintSize Width>
void TLongintRecordList<TRec, Width>::SetAValue(Int32 i, const TRec& rec) {
  const auto cols = ColumnsOf<TRec, Width>(rec);
  for (size_t k = 0; k < Width; ++k) SetAValue(i, static_cast<TMultiLongintSize>(k), cols[k]);
}

template class TLongintRecordList<T2_longint_rec, tml_2>;
template class TLongintRecordList<T3_longint_rec, tml_3>;
template class TLongintRecordList<T4_longint_rec, tml_4>;
template class TLongintRecordList<T5_longint_rec, tml_5>;
template class TLongintRecordList<T6_longint_rec, tml_6>;

Int32 TSearchHighlightWordsList::AddSearchHitRec(const TSearchHits_rec& hit) {
  return AddOne(T3_longint_rec{hit.txt_pos, hit.line_pos, hit.line_posend});
}

}  // namespace sk
