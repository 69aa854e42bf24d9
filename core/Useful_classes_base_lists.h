// Owning, stream-persistent lists.
//
// TUsefulBaseListObject is the item base: an object that can save itself to a
// stream and read itself back. TUsefulBaseList owns items of one class and
// stores them as a little-endian Int32 count followed by the items, each in
// its own form; TUsefulBaseListSorts adds a `sorted` mark, stored as one byte
// after the count. There is no terminator or version in this form; reading
// appends to the items already held.
//
// The `sorted` mark means: the items ascend on the key that the list's lookups
// search by halving. Operations that order the list otherwise, or break the
// order, clear it, so that lookups fall back to scanning instead of missing
// items.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/RankedVector.h"

namespace sk {

// An item of an owning list. The base saves and reads nothing and succeeds.
class TUsefulBaseListObject : public TObject {
 public:
  TUsefulBaseListObject() = default;
  ~TUsefulBaseListObject() override = default;

  virtual bool ReadFromStream(TStream* stream);
  virtual bool SaveToStream(TStream* stream);
  // The fewest bytes one item of this class takes in a stream; a reader uses
  // it to refuse item counts that the stream cannot hold.
  virtual Int64 MinStreamSize() const { return 0; }
};

// The class of the items a list creates while reading: a routine that makes a
// new item with every field zero or empty.
using TUsefulBaseListObjectClass = std::unique_ptr<TUsefulBaseListObject> (*)();

template <class T>
std::unique_ptr<TUsefulBaseListObject> NewUsefulBaseListObject() {
  return std::make_unique<T>();
}

// Three-way comparison of two list items (each passed as a pointer to its
// TUsefulBaseListObject; either may be nil only between freeing and packing).
using TUsefulListSortCompare = std::function<Int32(Pointer Item1, Pointer Item2)>;

// Counts of items whose stream form takes no bytes are never believed beyond
// this number (such a count cannot be checked against the bytes that remain).
inline constexpr Int32 UsefulBaseListMaxEmptyItems = 1 << 20;

class TUsefulBaseList : public TObject {
 public:
  explicit TUsefulBaseList(TUsefulBaseListObjectClass entriesClass);
  TUsefulBaseList(const TUsefulBaseList&) = delete;
  TUsefulBaseList& operator=(const TUsefulBaseList&) = delete;
  ~TUsefulBaseList() override;

  Int32 Count() const { return static_cast<Int32>(fItems.size()); }
  // The item at i; nil outside the list or for a freed slot.
  TUsefulBaseListObject* Items(Int32 i) const;
  // True when 0 <= i < Count and slot i holds an item.
  bool IndexAssignedOK(Int32 i) const;

  // Frees item i and removes its slot (an index outside the list raises
  // EListError).
  void Delete(Int32 i);
  // Exchanges items i and j (an index outside the list raises EListError).
  void Exchange(Int32 i, Int32 j);
  // Removes the slots whose items have been freed.
  void Pack();

  // Frees items Count-1 down to n, then packs. n = 0 empties the list; n at or
  // above Count only packs. A negative n raises EListError.
  void ReduceTo(Int32 n);
  virtual void Clear();

  // How items i and j compare for duplicate removal; the base answers -1
  // (never equal).
  virtual Int32 ComparedValues(Int32 i, Int32 j);
  // Frees item i and leaves its slot empty (nil) until the next pack.
  virtual void FreeAndNilOne(Int32 i);

  // Reads an Int32 count and that many items, appending them. False when the
  // count cannot be read, when it is larger than the rest of the stream can
  // hold (nothing is then added), or when an item fails to read (the items
  // created up to the count stay; those after the failure are left empty).
  virtual bool ReadFromStream(TStream* stream);
  // Writes the number of items held (freed slots not counted) and each item;
  // false at the first short write.
  virtual bool SaveToStream(TStream* stream);
  // The file forms of the two above. A file that cannot be opened or created
  // raises the stream's file exception.
  bool LoadFromFile(const String& fileName);
  bool SaveToFile(const String& fileName);

  TUsefulBaseListObjectClass EntriesClass = nullptr;
  // The item last created or visited by reading, saving or duplicate removal
  // (a working reference, not an owner).
  TUsefulBaseListObject* AnInstance = nullptr;

 protected:
  // The fewest bytes one item takes in this list's stream form.
  virtual Int64 MinItemStreamSize();
  // The count-checked item loop shared by both stream forms; count has been
  // read already.
  bool CountIsPlausible(TStream* stream, Int32 count);
  bool ReadItems(TStream* stream, Int32 count);
  bool SaveItems(TStream* stream);

  // Takes ownership of item; returns its index.
  Int32 AddItem(std::unique_ptr<TUsefulBaseListObject> item);
  // Inserts at 0..Count (another index raises EListError); returns i.
  Int32 InsertItem(Int32 i, std::unique_ptr<TUsefulBaseListObject> item);
  void CheckIndex(Int32 i) const;

  // Sorts the items with the library quicksort, yielding by time
  // (TTimedYield, ticked per partition pass). When global_panic_state is raised the comparison answers 0 and the
  // sort stops at its next pass, every item still present; the result is
  // then false. A sort whose list changes size during a yield also stops
  // there and answers false.
  bool SortItems(const TUsefulListSortCompare& compare);

  // The items; an insert or delete in the middle takes about log n steps
  // rather than n moves, so that a sorted list taking its items in any order
  // grows in n log n.
  using TItems = TRankedVector<std::unique_ptr<TUsefulBaseListObject>>;
  TItems fItems;
};

class TUsefulBaseListSorts : public TUsefulBaseList {
 public:
  explicit TUsefulBaseListSorts(TUsefulBaseListObjectClass entriesClass);

  void Clear() override;
  // Sorts with the item comparer; the list is marked sorted when the sort ran
  // to its end and the items then ascend on the lookup key (a cancelled sort,
  // or one on another key, leaves it unmarked).
  void Sort(const TUsefulListSortCompare& compare);
  // Exchanges items i and Count-1-i for every i below the middle. A reversed
  // list of two or more items no longer ascends, so its mark is cleared.
  void ReverseTheSort();
  // On a list where equal items are adjacent: keeps the first of each run of
  // items that ComparedValues finds equal, frees the others.
  void RemoveDuplicates();

  // As the base forms, with the `sorted` byte after the count. Reading takes
  // the stream's mark, unless the items then held do not ascend on the lookup
  // key.
  bool ReadFromStream(TStream* stream) override;
  bool SaveToStream(TStream* stream) override;

  // The index probed last by a search by halving (-1 when none).
  Int32 nearest = -1;
  bool sorted = false;

 protected:
  // After item i has been added or changed: clears `sorted` when i is now out
  // of order with a neighbour on the lookup key.
  void CheckOrderAround(Int32 i);
  // True when every slot holds an item and every item is in order with the
  // next one on the lookup key.
  bool OrderHolds();
  // Items i and j are in order on the lookup key, asked both ways.
  bool InKeyOrder(Int32 i, Int32 j);
  // The lookup key order of items i and j (< 0, 0, > 0); the base uses
  // ComparedValues.
  virtual Int32 KeyOrder(Int32 i, Int32 j);
};

}  // namespace sk
