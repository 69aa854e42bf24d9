#include "core/Sortablelists.h"

#include <string>
#include <utility>

#include "core/Basic_processes.h"
#include "core/Global_vars.h"
#include "core/UnitCounter.h"

namespace sk {

namespace {

// Holds a list's busy state for the length of one sort entry, so that the list
// ends not busy also when a closure or SetBase raises.
class TBusySortingGuard {
 public:
  explicit TBusySortingGuard(bool& busy) : fBusy(busy) { fBusy = true; }
  ~TBusySortingGuard() { fBusy = false; }
  TBusySortingGuard(const TBusySortingGuard&) = delete;
  TBusySortingGuard& operator=(const TBusySortingGuard&) = delete;

 private:
  bool& fBusy;
};

// Takes the yield hook away for the length of one sort and gives it back
// afterwards, also when the sort raises.
class TYieldHookSuspension {
 public:
  TYieldHookSuspension() : fSaved(std::move(Global_YieldProcessProc)) { Global_YieldProcessProc = nullptr; }
  ~TYieldHookSuspension() { Global_YieldProcessProc = std::move(fSaved); }
  TYieldHookSuspension(const TYieldHookSuspension&) = delete;
  TYieldHookSuspension& operator=(const TYieldHookSuspension&) = delete;

 private:
  TYieldProcessProc fSaved;
};

Tsort_num LevelOf(Int32 depth) { return static_cast<Tsort_num>(depth); }

}  // namespace

T3SortYieldingList::T3SortYieldingList() = default;

T3SortYieldingList::~T3SortYieldingList() = default;

// ---- the pointer list -----------------------------------------------------------------

void T3SortYieldingList::CheckIndex(Int32 index) const {
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
}

TObject* T3SortYieldingList::Items(Int32 index) const {
  CheckIndex(index);
  return fList[static_cast<size_t>(index)];
}

void T3SortYieldingList::Put(Int32 index, TObject* item) {
  CheckIndex(index);
  fList[static_cast<size_t>(index)] = item;
}

Int32 T3SortYieldingList::Add(TObject* item) {
  fList.push_back(item);
  return Count() - 1;
}

void T3SortYieldingList::Insert(Int32 index, TObject* item) {
  if (index < 0 || index > Count()) RaiseListIndexError(index);
  fList.insert(fList.begin() + index, item);
}

void T3SortYieldingList::Delete(Int32 index) {
  CheckIndex(index);
  fList.erase(fList.begin() + index);
}

void T3SortYieldingList::Exchange(Int32 index1, Int32 index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(fList[static_cast<size_t>(index1)], fList[static_cast<size_t>(index2)]);
}

Int32 T3SortYieldingList::IndexOf(const TObject* item) const {
  for (size_t i = 0; i < fList.size(); ++i)
    if (fList[i] == item) return static_cast<Int32>(i);
  return -1;
}

void T3SortYieldingList::SetCapacity(Int32 capacity) {
  if (capacity > 0) fList.reserve(static_cast<size_t>(capacity));
}

void T3SortYieldingList::Clear() {
  fList.clear();
  fList.shrink_to_fit();
}

// ---- directions -------------------------------------------------------------------

void T3SortYieldingList::SetAscending(bool first, bool second, bool third) {
  fAscending[sort_first_sort] = first;
  fAscending[sort_second_sort] = second;
  fAscending[sort_third_sort] = third;
}

void T3SortYieldingList::SetSortToAscend(Tsort_num level, bool ascending) { fAscending[level] = ascending; }

bool T3SortYieldingList::ToggledMainSortAscending() {
  fAscending[sort_first_sort] = !fAscending[sort_first_sort];
  return fAscending[sort_first_sort];
}

Int32 T3SortYieldingList::AscendingSwapped(Int32 value) const {
  return fAscending[current_sort_rec.current_sort_doing] ? -value : value;
}

bool T3SortYieldingList::CheckStartAndFinish(Int32& start, Int32& finish) const {
  if (start < 0) start = 0;
  if (finish >= Count()) finish = Count() - 1;
  return finish > start;
}

void T3SortYieldingList::SetBase(TObject* /*item*/, Int32 /*sortNum*/) {}

// ---- entry points -----------------------------------------------------------------

void T3SortYieldingList::DoASingleSort(const TCompareFunctOfObject& closure, Int32 sortNum, Int32 start,
                                       Int32 finish) {
  if (BusySorting) return;
  TBusySortingGuard busy(BusySorting);
  if (!closure || !CheckStartAndFinish(start, finish)) return;
  current_sort_rec.current_sort_doing = sort_first_sort;
  DoAPrivateSort(closure, sortNum, start, finish);
}

void T3SortYieldingList::DoASingleSort(const TCompareFunctOfObject& closure, Int32 sortNum) {
  DoASingleSort(closure, sortNum, 0, Count() - 1);
}

void T3SortYieldingList::DoADoubleSort(const TCompareFunctOfObject& closure, Int32 sortNum1, Int32 sortNum2,
                                       Int32 start, Int32 finish) {
  if (BusySorting) return;
  TBusySortingGuard busy(BusySorting);
  if (!closure || !CheckStartAndFinish(start, finish)) return;
  current_sort_rec.current_sort_doing = sort_first_sort;
  DoAPrivateSort(closure, sortNum1, start, finish);
  const Int32 prev[1] = {sortNum1};
  DoNextSort(closure, prev, 1, sortNum2, start, finish);
}

void T3SortYieldingList::DoADoubleSort(const TCompareFunctOfObject& closure, Int32 sortNum1, Int32 sortNum2) {
  DoADoubleSort(closure, sortNum1, sortNum2, 0, Count() - 1);
}

void T3SortYieldingList::DoATrebleSort(const TCompareFunctOfObject& closure, Int32 sortNum1, Int32 sortNum2,
                                       Int32 sortNum3, Int32 start, Int32 finish) {
  if (BusySorting) return;
  TBusySortingGuard busy(BusySorting);
  if (!closure || !CheckStartAndFinish(start, finish)) return;
  current_sort_rec.current_sort_doing = sort_first_sort;
  DoAPrivateSort(closure, sortNum1, start, finish);
  const Int32 prev1[1] = {sortNum1};
  DoNextSort(closure, prev1, 1, sortNum2, start, finish);
  // The third key orders runs that are equal on the first and the second key
  // together: runs formed by the second key alone could join items that differ
  // on the first key and undo its order.
  const Int32 prev2[2] = {sortNum1, sortNum2};
  DoNextSort(closure, prev2, 2, sortNum3, start, finish);
}

void T3SortYieldingList::DoATrebleSort(const TCompareFunctOfObject& closure, Int32 sortNum1, Int32 sortNum2,
                                       Int32 sortNum3) {
  DoATrebleSort(closure, sortNum1, sortNum2, sortNum3, 0, Count() - 1);
}

// ---- the sort -----------------------------------------------------------------------

void T3SortYieldingList::DoAPrivateSort(const TCompareFunctOfObject& closure, Int32 sortNum, Int32 start,
                                        Int32 finish) {
  sorted = true;
  current_sort_rec.current_sort_var = sortNum;
  if (!closure) return;
  // Descendants may call this directly: keep the range inside the list.
  if (start < 0) start = 0;
  if (finish >= Count()) finish = Count() - 1;
  QuickSort(closure, sortNum, start, finish);
}

// Captures the base for a partition pass over lo..hi. The middle item is the
// base unless it differs from its own key (a NaN, say): such an item is no
// sentinel for the scans and would split the range into one item and the
// rest, so another item of the range is taken instead. When no item equals
// its own key the range has no order to find, and false is returned.
bool T3SortYieldingList::CapturePivot(const TCompareFunctOfObject& closure, Int32 sortNum, Int32 lo, Int32 hi) {
  const Int32 mid = lo + (hi - lo) / 2;
  base_itemnum = mid;
  SetBase(ItemAt(mid), sortNum);
  if (CompareWithBase(closure, mid) == 0) return true;
  for (Int32 k = lo; k <= hi; ++k) {
    if (k == mid) continue;
    base_itemnum = k;
    SetBase(ItemAt(k), sortNum);
    if (CompareWithBase(closure, k) == 0) return true;
  }
  return false;
}

// Hoare partition around a captured base; the smaller part is sorted by
// recursion and the larger by the loop, so the stack stays O(log n) whatever
// the closure answers. The scans are bounded by the range: a closure that
// calls every item smaller (or greater) than the base cannot carry them out
// of it. Each pass leaves both parts strictly smaller than the range (lo < i
// and j < hi), so the sort always ends.
void T3SortYieldingList::QuickSort(const TCompareFunctOfObject& closure, Int32 sortNum, Int32 lo, Int32 hi) {
  while (lo < hi) {
    MyYieldProcess();
    // The host must not change the list during a yield; should it shrink the
    // list all the same, stop rather than read past its end.
    if (hi >= Count()) return;
    if (!CapturePivot(closure, sortNum, lo, hi)) return;
    const bool ascending = fAscending[current_sort_rec.current_sort_doing];
    Int32 i = lo;
    Int32 j = hi;
    do {
      if (ascending) {
        while (i < hi && CompareWithBase(closure, i) < 0) ++i;
        while (j > lo && CompareWithBase(closure, j) > 0) --j;
      } else {
        while (i < hi && CompareWithBase(closure, i) > 0) ++i;
        while (j > lo && CompareWithBase(closure, j) < 0) --j;
      }
      if (i <= j) {
        if (i != j) std::swap(fList[static_cast<size_t>(i)], fList[static_cast<size_t>(j)]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - lo < hi - i) {
      if (lo < j) QuickSort(closure, sortNum, lo, j);
      lo = i;
    } else {
      if (i < hi) QuickSort(closure, sortNum, i, hi);
      hi = j;
    }
  }
}

// Orders by nextSortNum each run of items equal on every key of prevSortNums
// (given from the first level down). Nothing to do when the next key is one of
// those already applied: its runs are equal on it.
void T3SortYieldingList::DoNextSort(const TCompareFunctOfObject& closure, const Int32* prevSortNums, Int32 prevCount,
                                    Int32 nextSortNum, Int32 start, Int32 finish) {
  for (Int32 d = 0; d < prevCount; ++d)
    if (prevSortNums[d] == nextSortNum) return;
  const Tsort_num savedLevel = current_sort_rec.current_sort_doing;
  SortRuns(closure, prevSortNums, 0, prevCount, nextSortNum, start, finish);
  current_sort_rec.current_sort_doing = savedLevel;
}

// Splits start..finish into runs equal on the key at depth; a run of two or
// more is split further by the next key, or, below the last key already
// applied, sorted by nextSortNum. A run of one item is left alone.
void T3SortYieldingList::SortRuns(const TCompareFunctOfObject& closure, const Int32* prevSortNums, Int32 depth,
                                  Int32 prevCount, Int32 nextSortNum, Int32 start, Int32 finish) {
  const Int32 key = prevSortNums[depth];
  Int32 i = start;
  while (i < finish) {
    // The sorts of earlier runs yield; see QuickSort on a list changed meanwhile.
    if (finish >= Count()) finish = Count() - 1;
    if (i >= finish) break;
    current_sort_rec.current_sort_doing = LevelOf(depth);
    current_sort_rec.current_sort_var = key;
    base_itemnum = i;
    SetBase(ItemAt(i), key);
    Int32 k = i;
    while (k + 1 <= finish && CompareWithBase(closure, k + 1) == 0) ++k;
    if (k > i) {
      if (depth + 1 < prevCount) {
        SortRuns(closure, prevSortNums, depth + 1, prevCount, nextSortNum, i, k);
      } else {
        current_sort_rec.current_sort_doing = LevelOf(prevCount);
        DoAPrivateSort(closure, nextSortNum, i, k);
      }
    }
    i = k + 1;
  }
}

// ---- the non-yielding list ------------------------------------------------------------

void T3SortNonYieldingList::DoAPrivateSort(const TCompareFunctOfObject& closure, Int32 sortNum, Int32 start,
                                           Int32 finish) {
  TYieldHookSuspension noYield;
  T3SortYieldingList::DoAPrivateSort(closure, sortNum, start, finish);
}

SK_COUNTER_ONLY_UNIT(Sortablelists)

}  // namespace sk
