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

class T2LongintList : public TMultiLongintList {
 public:
  T2LongintList();
  using TMultiLongintList::GetAValue;
  using TMultiLongintList::SetAValue;
  Int32 AddOne(const T2_longint_rec& rec);
  T2_longint_rec GetAValue(Int32 i) const;
  void SetAValue(Int32 i, const T2_longint_rec& rec);
};

class T3LongintList : public TMultiLongintList {
 public:
  T3LongintList();
  using TMultiLongintList::GetAValue;
  using TMultiLongintList::SetAValue;
  Int32 AddOne(const T3_longint_rec& rec);
  T3_longint_rec GetAValue(Int32 i) const;
  void SetAValue(Int32 i, const T3_longint_rec& rec);
};

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

class T4LongintList : public TMultiLongintList {
 public:
  T4LongintList();
  using TMultiLongintList::GetAValue;
  using TMultiLongintList::SetAValue;
  Int32 AddOne(const T4_longint_rec& rec);
  T4_longint_rec GetAValue(Int32 i) const;
  void SetAValue(Int32 i, const T4_longint_rec& rec);
};

class T5LongintList : public TMultiLongintList {
 public:
  T5LongintList();
  using TMultiLongintList::GetAValue;
  using TMultiLongintList::SetAValue;
  Int32 AddOne(const T5_longint_rec& rec);
  T5_longint_rec GetAValue(Int32 i) const;
  void SetAValue(Int32 i, const T5_longint_rec& rec);
};

class T6LongintList : public TMultiLongintList {
 public:
  T6LongintList();
  using TMultiLongintList::GetAValue;
  using TMultiLongintList::SetAValue;
  Int32 AddOne(const T6_longint_rec& rec);
  T6_longint_rec GetAValue(Int32 i) const;
  void SetAValue(Int32 i, const T6_longint_rec& rec);
};

}  // namespace sk
