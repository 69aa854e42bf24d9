// Pointer lists sorted on up to three keys by a quicksort that compares each
// item with a base item captured beforehand.
//
// Descendants supply the keys: they override SetBase to capture the base
// item's key for a sort number, and pass a closure that compares an item with
// that captured key (negative: the item's key is less, 0: equal, positive:
// greater). The list applies each level's direction itself. Later keys only
// order runs of items that are equal on every key before them.
//
// A list whose items can give their keys (SortKeyKind and the SortKey...
// getters) is sorted faster: when every sort number of a sort has a key, the
// keys are gathered once into an array of records {key1, key2, key3, item}
// that is sorted with the comparisons inlined, and the items are put back in
// the array's order. Both paths run the same algorithm on the same answers,
// so for a closure that compares the same keys they give the same order, ties
// included. Ranges below 16 items are finished by insertion sort.
//
// T3SortYieldingList yields to the host by time (TTimedYield, ticked once per
// partition pass) and refuses to start a sort while one of its sorts is
// running, so a sort requested from inside the host's yield is ignored. A
// Stop (global_panic_state) raised from the host's yield ends a sort of
// gathered keys at once, its items in a valid, partly sorted order; on the
// closure path the closures decide (the library's answer 0 once it is
// raised). T3SortNonYieldingList switches the yield hook off for the
// duration of each sort.
//
// The lists never read outside their items, whatever the closure answers: a
// closure that is not a consistent order (NaN keys, a cancelled run answering
// 0, an item that differs from its own key) leaves the items in some order,
// each exactly once.
#pragma once

#include <vector>

#include "core/Basic_processes.h"
#include "core/Basic_types.h"
#include "core/Sets.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// The three levels of a sort.
enum Tsort_num : uint8_t { sort_first_sort, sort_second_sort, sort_third_sort };

// True where a level sorts ascending.
using TAscendingSort = TEnumArray<Tsort_num, bool, 3>;

// What the items of a list give as their key for a sort number: nothing
// (only the closure can compare them), a 64-bit integer, a double (any
// comparison that involves a NaN answers -1, as CompareDoubles does) or a
// string (compared by UTF-16 code units, as Compare2Strings does).
enum T3SortKeyKind : uint8_t { sk_no_key, sk_int64_key, sk_double_key, sk_string_key };

struct TCurrentSortRec {
  Tsort_num current_sort_doing{};  // the level being sorted now
  Int32 current_sort_var{};        // the caller's sort number (which key) that level uses
};

// The list holds item references and does not own them; descendants that own
// their items free them.
class T3SortYieldingList : public TObject {
 public:
  T3SortYieldingList();
  T3SortYieldingList(const T3SortYieldingList&) = delete;
  T3SortYieldingList& operator=(const T3SortYieldingList&) = delete;
  ~T3SortYieldingList() override;

  // ---- the pointer list ----
  Int32 Count() const { return static_cast<Int32>(fList.size()); }
  // The item at index; raises EListError for an index outside the list.
  TObject* Items(Int32 index) const;
  void Put(Int32 index, TObject* item);
  Int32 Add(TObject* item);
  void Insert(Int32 index, TObject* item);
  void Delete(Int32 index);
  void Exchange(Int32 index1, Int32 index2);
  // The first index of item, -1 when absent.
  Int32 IndexOf(const TObject* item) const;
  Int32 Capacity() const { return static_cast<Int32>(fList.capacity()); }
  void SetCapacity(Int32 capacity);
  // Empties the list (the items are not freed here).
  virtual void Clear();

  // True while one of the sort entry points runs.
  bool BusySorting = false;
  TAscendingSort fAscending{};
  TCurrentSortRec current_sort_rec{};
  // Set by every private sort (a range of fewer than two items leaves it as it was).
  bool sorted = false;
  // Index of the item being compared with the base, and of the base item
  // (readable by closures).
  Int32 comparison_itemnum = 0;
  Int32 base_itemnum = 0;

  // Sorts start..finish on one key (the forms without a range cover the list).
  virtual void DoASingleSort(const TCompareFunctOfObject& closure, Int32 sortNum, Int32 start, Int32 finish);
  virtual void DoASingleSort(const TCompareFunctOfObject& closure, Int32 sortNum);
  virtual void DoADoubleSort(const TCompareFunctOfObject& closure, Int32 sortNum1, Int32 sortNum2, Int32 start,
                             Int32 finish);
  virtual void DoADoubleSort(const TCompareFunctOfObject& closure, Int32 sortNum1, Int32 sortNum2);
  virtual void DoATrebleSort(const TCompareFunctOfObject& closure, Int32 sortNum1, Int32 sortNum2, Int32 sortNum3,
                             Int32 start, Int32 finish);
  virtual void DoATrebleSort(const TCompareFunctOfObject& closure, Int32 sortNum1, Int32 sortNum2, Int32 sortNum3);

  void SetAscending(bool first, bool second, bool third);
  void SetSortToAscend(Tsort_num level, bool ascending);
  // Inverts the first level's direction and returns the new value.
  bool ToggledMainSortAscending();
  // For closures: value when the level being sorted is descending, -value
  // when it is ascending.
  Int32 AscendingSwapped(Int32 value) const;
  // Raises start to 0 and lowers finish to Count - 1; true only when finish >
  // start afterwards.
  bool CheckStartAndFinish(Int32& start, Int32& finish) const;

 protected:
  // Marks the list sorted and quicksorts start..finish on sortNum at the level
  // in current_sort_rec.current_sort_doing (closure path).
  virtual void DoAPrivateSort(const TCompareFunctOfObject& closure, Int32 sortNum, Int32 start, Int32 finish);
  // Captures the key of item for sortNum; does nothing here.
  virtual void SetBase(TObject* item, Int32 sortNum);

  // Keys the items can give (see T3SortKeyKind); sk_no_key here, so that a
  // list sorts through its closure unless it says otherwise. A list that
  // answers a kind for a sort number answers that key for every item through
  // the getter of that kind; the sort of gathered keys calls neither SetBase
  // nor the closure nor DoAPrivateSort.
  virtual T3SortKeyKind SortKeyKind(Int32 sortNum) const;
  virtual Int64 SortKeyInt64(const TObject* item, Int32 sortNum) const;
  virtual Double SortKeyDouble(const TObject* item, Int32 sortNum) const;
  virtual String SortKeyString(const TObject* item, Int32 sortNum) const;
  // False for a list whose sorts must not yield.
  virtual bool YieldsWhileSorting() const { return true; }

 private:
  friend class T3SortClosureAccess;
  // The sort of one entry point over start..finish (already clamped) on up
  // to three sort numbers, by gathered keys when the items give them all.
  void EntrySort(const TCompareFunctOfObject& closure, const Int32* sortNums, Int32 count, Int32 start,
                 Int32 finish);
  bool SortsByKeys(const Int32* sortNums, Int32 count) const;
  void KeySort(const Int32* sortNums, Int32 count, Int32 start, Int32 finish);
  void DoNextSorts(const TCompareFunctOfObject& closure, const Int32* sortNums, Int32 count, Int32 start,
                   Int32 finish);
  void SortRuns(const TCompareFunctOfObject& closure, const Int32* prevSortNums, Int32 depth, Int32 prevCount,
                Int32 nextSortNum, Int32 start, Int32 finish);
  TObject* ItemAt(Int32 index) const { return fList[static_cast<size_t>(index)]; }
  void CheckIndex(Int32 index) const;

  std::vector<TObject*> fList;
  // The yield clock of the entry point running (nullptr outside one).
  TTimedYield* fYield = nullptr;
};

class T3SortNonYieldingList : public T3SortYieldingList {
 public:
  T3SortNonYieldingList() = default;

 protected:
  // Runs the inherited sort with the yield hook unset, and puts the hook back
  // afterwards (also when the sort raises).
  void DoAPrivateSort(const TCompareFunctOfObject& closure, Int32 sortNum, Int32 start, Int32 finish) override;
  bool YieldsWhileSorting() const override { return false; }
};

// Unit start and stop (the unit has no work of its own).
void Sortablelists_initialization();
void Sortablelists_Finalization();

}  // namespace sk
