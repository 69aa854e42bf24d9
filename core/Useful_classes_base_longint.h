// Lists of one to six Int32 columns, as typed records.
//
// Each is a TMultiLongintList of its width, so it streams as the sortable-list
// form with `tamanho` Int32 per row. Getters answer every column with
// MultiLongintNoValue (-999999) for an index outside the list; setters ignore
// such an index.
#pragma once

#include <memory>

#include "core/Basic_types.h"
#include "core/Useful_classes_base_multilong.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

class T1LongintList : public TMultiLongintList {
 public:
  T1LongintList();

  using TMultiLongintList::GetAValue;
  using TMultiLongintList::SetAValue;

  // On a sorted list the value goes in order (in front of an equal value
  // found by halving); otherwise it is appended. Returns its index.
  Int32 AddOne(Int32 n);
  Int32 InsertOne(Int32 i, Int32 n);
  Int32 GetAValue(Int32 i) const;
  void SetAValue(Int32 i, Int32 n);
  // Adds n to item i; nothing for an invalid i.
  void AddToValue(Int32 i, Int32 n);
  // Adds 1 to every item.
  void IncrementEach();
  // A new list holding the same values in the same order, not marked sorted.
  std::unique_ptr<T1LongintList> GetACopyOfSelf() const;
  // Finds n by halving (the list must be sorted) and removes that item.
  // Returns the index it had, or -1.
  virtual Int32 FindAndFree(Int32 n);
};

// A T1LongintList with a current item (0 at creation, -1 after Clear).
class TQMActiveLongintList : public T1LongintList {
 public:
  TQMActiveLongintList() = default;

  // Appends n and makes it the current item.
  void AddOneAndSetCountCurrent(Int32 n);
  void Clear() override;
  Int32 GetCurrentItem() const { return fcurrentItem; }
  // Sets the current index without a check.
  void SetCurrentItem(Int32 i) { fcurrentItem = i; }
  // The current item's value; -1 when the current index is not valid.
  Int32 CurrentItemValue() const;
  // Removes n as T1LongintList does. When the current item was the one
  // removed (or both are -1), the current item moves to the one before it,
  // or to the last item when it was the first; when a former item was
  // removed, the current index follows its item down by one.
  Int32 FindAndFree(Int32 n) override;

 protected:
  Int32 fcurrentItem = 0;
};

// The shape of the lists of two to six columns: a TMultiLongintList of Width
// columns whose rows are read and written as a TRec of Width Int32 fields
// (long0, long1, ...) in column order.
template <class TRec, TMultiLongintSize Width>
class TLongintRecordList : public TMultiLongintList {
 public:
  TLongintRecordList();
  using TMultiLongintList::GetAValue;
  using TMultiLongintList::SetAValue;
  Int32 AddOne(const TRec& rec);
  TRec GetAValue(Int32 i) const;
  void SetAValue(Int32 i, const TRec& rec);
};

class T2LongintList : public TLongintRecordList<T2_longint_rec, tml_2> {};

class T3LongintList : public TLongintRecordList<T3_longint_rec, tml_3> {};

// Search hits of one text line: txt_pos, line_pos and line_posend in columns
// 0, 1 and 2.
class TSearchHighlightWordsList : public T3LongintList {
 public:
  TSearchHighlightWordsList() = default;
  Int32 AddSearchHitRec(const TSearchHits_rec& hit);
  Int32 TxtPos(Int32 i) const { return GetAValue(i, tml_0); }
  Int32 LinePos(Int32 i) const { return GetAValue(i, tml_1); }
  Int32 LinePosEnd(Int32 i) const { return GetAValue(i, tml_2); }
};

class T4LongintList : public TLongintRecordList<T4_longint_rec, tml_4> {};

class T5LongintList : public TLongintRecordList<T5_longint_rec, tml_5> {};

class T6LongintList : public TLongintRecordList<T6_longint_rec, tml_6> {};

}  // namespace sk
