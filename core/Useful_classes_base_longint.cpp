#include "core/Useful_classes_base_longint.h"

namespace sk {

namespace {

// A record's columns as a row.
std::vector<Int32> ColumnsOf(const T2_longint_rec& r) { return {r.long0, r.long1}; }
std::vector<Int32> ColumnsOf(const T3_longint_rec& r) { return {r.long0, r.long1, r.long2}; }
std::vector<Int32> ColumnsOf(const T4_longint_rec& r) { return {r.long0, r.long1, r.long2, r.long3}; }
std::vector<Int32> ColumnsOf(const T5_longint_rec& r) { return {r.long0, r.long1, r.long2, r.long3, r.long4}; }
std::vector<Int32> ColumnsOf(const T6_longint_rec& r) {
  return {r.long0, r.long1, r.long2, r.long3, r.long4, r.long5};
}

}  // namespace

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

T2LongintList::T2LongintList() : TMultiLongintList(tml_2) {}
Int32 T2LongintList::AddOne(const T2_longint_rec& rec) { return TMultiLongintList::AddOne(ColumnsOf(rec)); }
T2_longint_rec T2LongintList::GetAValue(Int32 i) const { return {GetAValue(i, tml_0), GetAValue(i, tml_1)}; }
void T2LongintList::SetAValue(Int32 i, const T2_longint_rec& rec) {
  SetAValue(i, tml_0, rec.long0);
  SetAValue(i, tml_1, rec.long1);
}

T3LongintList::T3LongintList() : TMultiLongintList(tml_3) {}
Int32 T3LongintList::AddOne(const T3_longint_rec& rec) { return TMultiLongintList::AddOne(ColumnsOf(rec)); }
T3_longint_rec T3LongintList::GetAValue(Int32 i) const {
  return {GetAValue(i, tml_0), GetAValue(i, tml_1), GetAValue(i, tml_2)};
}
void T3LongintList::SetAValue(Int32 i, const T3_longint_rec& rec) {
  SetAValue(i, tml_0, rec.long0);
  SetAValue(i, tml_1, rec.long1);
  SetAValue(i, tml_2, rec.long2);
}

Int32 TSearchHighlightWordsList::AddSearchHitRec(const TSearchHits_rec& hit) {
  return AddOne(T3_longint_rec{hit.txt_pos, hit.line_pos, hit.line_posend});
}

T4LongintList::T4LongintList() : TMultiLongintList(tml_4) {}
Int32 T4LongintList::AddOne(const T4_longint_rec& rec) { return TMultiLongintList::AddOne(ColumnsOf(rec)); }
T4_longint_rec T4LongintList::GetAValue(Int32 i) const {
  return {GetAValue(i, tml_0), GetAValue(i, tml_1), GetAValue(i, tml_2), GetAValue(i, tml_3)};
}
void T4LongintList::SetAValue(Int32 i, const T4_longint_rec& rec) {
  SetAValue(i, tml_0, rec.long0);
  SetAValue(i, tml_1, rec.long1);
  SetAValue(i, tml_2, rec.long2);
  SetAValue(i, tml_3, rec.long3);
}

T5LongintList::T5LongintList() : TMultiLongintList(tml_5) {}
Int32 T5LongintList::AddOne(const T5_longint_rec& rec) { return TMultiLongintList::AddOne(ColumnsOf(rec)); }
T5_longint_rec T5LongintList::GetAValue(Int32 i) const {
  return {GetAValue(i, tml_0), GetAValue(i, tml_1), GetAValue(i, tml_2), GetAValue(i, tml_3), GetAValue(i, tml_4)};
}
void T5LongintList::SetAValue(Int32 i, const T5_longint_rec& rec) {
  SetAValue(i, tml_0, rec.long0);
  SetAValue(i, tml_1, rec.long1);
  SetAValue(i, tml_2, rec.long2);
  SetAValue(i, tml_3, rec.long3);
  SetAValue(i, tml_4, rec.long4);
}

T6LongintList::T6LongintList() : TMultiLongintList(tml_6) {}
Int32 T6LongintList::AddOne(const T6_longint_rec& rec) { return TMultiLongintList::AddOne(ColumnsOf(rec)); }
T6_longint_rec T6LongintList::GetAValue(Int32 i) const {
  return {GetAValue(i, tml_0), GetAValue(i, tml_1), GetAValue(i, tml_2),
          GetAValue(i, tml_3), GetAValue(i, tml_4), GetAValue(i, tml_5)};
}
void T6LongintList::SetAValue(Int32 i, const T6_longint_rec& rec) {
  SetAValue(i, tml_0, rec.long0);
  SetAValue(i, tml_1, rec.long1);
  SetAValue(i, tml_2, rec.long2);
  SetAValue(i, tml_3, rec.long3);
  SetAValue(i, tml_4, rec.long4);
  SetAValue(i, tml_5, rec.long5);
}

}  // namespace sk
