#include "core/Sortablelists.h"

#include <optional>
#include <string>
#include <utility>

#include "core/Comparing_types.h"
#include "core/Useful_classes_base_compare.h"

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

// Points a list's yield clock at the one of the running entry point, and back
// at nothing afterwards, also when the sort raises.
class TYieldClockScope {
 public:
  TYieldClockScope(TTimedYield*& slot, TTimedYield* clock) : fSlot(slot) { fSlot = clock; }
  ~TYieldClockScope() { fSlot = nullptr; }
  TYieldClockScope(const TYieldClockScope&) = delete;
  TYieldClockScope& operator=(const TYieldClockScope&) = delete;

 private:
  TTimedYield*& fSlot;
};

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

// ---- the algorithm of both paths ----------------------------------------------------------
//
// An access A gives the sort its items at one level:
//   void SetBase(Int32 i)           captures the key of item i (the base)
//   Int32 CompareWithBase(Int32 i)  item i against the base: < 0, 0, > 0
//   void Swap(Int32 i, Int32 j)
//   bool InList(Int32 hi)           hi is still an index of the list
//   void Prefetch(Int32 i)          item i will be compared soon (a hint only;
//                                   the sorts give indexes of their own range)
//   kStopsOnCancel                  whether a Stop seen at a yield ends the sort

namespace {

// Ranges of fewer items are finished by insertion sort.
constexpr Int32 kInsertionSortBelow = 16;

// Captures the base for a partition pass over lo..hi. The middle item is the
// base unless it differs from its own key (a NaN, say): such an item is no
// sentinel for the scans and would split the range into one item and the
// rest, so another item of the range is taken instead. When no item equals
// its own key the range has no order to find, and false is returned.
// atMiddle tells whether the middle item is the base.
template <class A>
bool CapturePivot(A& a, Int32 lo, Int32 hi, bool& atMiddle) {
  const Int32 mid = lo + (hi - lo) / 2;
  a.SetBase(mid);
  atMiddle = a.CompareWithBase(mid) == 0;
  if (atMiddle) return true;
  for (Int32 k = lo; k <= hi; ++k) {
    if (k == mid) continue;
    a.SetBase(k);
    if (a.CompareWithBase(k) == 0) return true;
  }
  return false;
}

// How far ahead of a scan its items are fetched: the closure path reads each
// item through its reference, and items sorted for a while lie all over
// memory, so without the hint nearly every comparison waits for memory.
constexpr Int32 kPrefetchAhead = 16;

// Each item in turn is the base and moves down past the items before it that
// go after it; equal items keep their order. Every index stays in lo..hi
// whatever the answers.
template <bool Ascending, class A>
void InsertionSort(A& a, Int32 lo, Int32 hi) {
  for (Int32 i = lo + 1; i <= hi; ++i) {
    if (i + kPrefetchAhead <= hi) a.Prefetch(i + kPrefetchAhead);
    a.SetBase(i);
    for (Int32 j = i; j > lo; --j) {
      const Int32 c = a.CompareWithBase(j - 1);
      if (Ascending ? c <= 0 : c >= 0) break;
      a.Swap(j - 1, j);
    }
  }
}

// Hoare partition around a captured base, one tick of the yield clock per
// pass; the smaller part is sorted by recursion and the larger by the loop,
// so the stack stays O(log n) whatever the answers. The scans are bounded by
// the range: an access that calls every item smaller (or greater) than the
// base cannot carry them out of it. Each pass leaves both parts strictly
// smaller than the range (lo < i and j < hi), so the sort always ends.
// The order in which the partition passes below leave a range whose items
// all compare equal to every base: the scans stop at every item, so each pass
// exchanges the range end for end and goes on with the two halves (the middle
// item of an odd range in neither); ranges below kInsertionSortBelow stay as
// they are, since insertion sort moves no equal item. The same exchanges and
// yields as those passes, without a comparison.
template <class A>
void PermuteAsAllEqual(A& a, Int32 lo, Int32 hi, TTimedYield& yield) {
  while (hi - lo + 1 >= kInsertionSortBelow) {
    if (yield.Tick() && A::kStopsOnCancel) return;
    if (!a.InList(hi)) return;
    Int32 i = lo;
    Int32 j = hi;
    while (i < j) a.Swap(i++, j--);
    if (i == j) {
      ++i;
      --j;
    }
    if (j - lo < hi - i) {
      PermuteAsAllEqual(a, lo, j, yield);
      lo = i;
    } else {
      PermuteAsAllEqual(a, i, hi, yield);
      hi = j;
    }
  }
}

// The sort of one level in one direction (a parameter of the template, so
// that no comparison tests it).
template <bool Ascending, class A>
void QuickSortDirected(A& a, Int32 lo, Int32 hi, TTimedYield& yield) {
  while (hi - lo + 1 >= kInsertionSortBelow) {
    if (yield.Tick() && A::kStopsOnCancel) return;
    // The host must not change the list during a yield; should it shrink the
    // list all the same, stop rather than read past its end.
    if (!a.InList(hi)) return;
    bool allEqual = false;
    if (!CapturePivot(a, lo, hi, allEqual)) return;
    Int32 i = lo;
    Int32 j = hi;
    // Each scan fetches the items it will reach next, kPrefetchAhead on, and
    // notes whether every item so far compared equal to the base.
    auto before = [&](Int32 k) {
      if (k + kPrefetchAhead <= hi) a.Prefetch(k + kPrefetchAhead);
      const Int32 c = a.CompareWithBase(k);
      allEqual = allEqual && c == 0;
      return Ascending ? c < 0 : c > 0;
    };
    auto after = [&](Int32 k) {
      if (k - kPrefetchAhead >= lo) a.Prefetch(k - kPrefetchAhead);
      const Int32 c = a.CompareWithBase(k);
      allEqual = allEqual && c == 0;
      return Ascending ? c > 0 : c < 0;
    };
    do {
      while (i < hi && before(i)) ++i;
      while (j > lo && after(j)) --j;
      if (i <= j) {
        if (i != j) a.Swap(i, j);
        ++i;
        --j;
      }
    } while (i <= j);
    // A pass whose scans met only items equal to the base has compared every
    // item of the range with it: the range is one run of equal items, and the
    // passes left on it would compare them to no effect, so their exchanges
    // are made directly (many ties on a key make such runs common).
    if (allEqual) {
      PermuteAsAllEqual(a, lo, j, yield);
      PermuteAsAllEqual(a, i, hi, yield);
      return;
    }
    if (j - lo < hi - i) {
      if (lo < j) QuickSortDirected<Ascending>(a, lo, j, yield);
      lo = i;
    } else {
      if (i < hi) QuickSortDirected<Ascending>(a, i, hi, yield);
      hi = j;
    }
  }
  if (A::kStopsOnCancel && yield.Stopped()) return;
  if (lo < hi && a.InList(hi)) InsertionSort<Ascending>(a, lo, hi);
}

template <class A>
void QuickSortLevel(A& a, bool ascending, Int32 lo, Int32 hi, TTimedYield& yield) {
  if (ascending)
    QuickSortDirected<true>(a, lo, hi, yield);
  else
    QuickSortDirected<false>(a, lo, hi, yield);
}

// The last index of the run of items from i on that are equal to item i.
template <class A>
Int32 RunEnd(A& a, Int32 i, Int32 finish) {
  a.SetBase(i);
  Int32 k = i;
  while (k + 1 <= finish) {
    if (k + 1 + kPrefetchAhead <= finish) a.Prefetch(k + 1 + kPrefetchAhead);
    if (a.CompareWithBase(k + 1) != 0) break;
    ++k;
  }
  return k;
}

// ---- gathered keys ----

union TSortKeyValue {
  Int64 i;  // an Int64 key, or the index of a string key
  Double d;
};

// One item with its keys for up to three sort numbers.
struct TSortKeyRecord {
  TSortKeyValue key[3];
  TObject* item;
};

template <T3SortKeyKind Kind>
class TKeyAccess {
 public:
  static constexpr bool kStopsOnCancel = true;
  TKeyAccess(std::vector<TSortKeyRecord>& records, Int32 slot, const std::vector<String>& strings)
      : fRecords(records.data()), fSlot(slot), fStrings(strings) {}
  void SetBase(Int32 i) { fBase = fRecords[i].key[fSlot]; }
  Int32 CompareWithBase(Int32 i) const {
    const TSortKeyValue& v = fRecords[i].key[fSlot];
    if constexpr (Kind == sk_int64_key)
      return CompareInt64s(v.i, fBase.i);
    else if constexpr (Kind == sk_double_key)
      return CompareDoubles(v.d, fBase.d);
    else
      return Compare2Strings(fStrings[static_cast<size_t>(v.i)], fStrings[static_cast<size_t>(fBase.i)]);
  }
  void Swap(Int32 i, Int32 j) { std::swap(fRecords[i], fRecords[j]); }
  bool InList(Int32) const { return true; }
  // The records are read in order: the hardware fetches them.
  void Prefetch(Int32) const {}

 private:
  TSortKeyRecord* fRecords;
  Int32 fSlot;
  const std::vector<String>& fStrings;
  TSortKeyValue fBase{};
};

// The records of start..finish with the keys of the sort numbers in their
// slots, for a sort of one to three levels.
class TGatheredKeys {
 public:
  std::vector<TSortKeyRecord> records;
  std::vector<String> strings[3];
  T3SortKeyKind kinds[3] = {sk_no_key, sk_no_key, sk_no_key};
  Int32 slotOf[3] = {0, 0, 0};  // per level: the slot of its sort number

  // Calls f with the access of slot for its kind.
  template <class F>
  void WithAccess(Int32 slot, F&& f) {
    switch (kinds[slot]) {
      case sk_double_key: {
        TKeyAccess<sk_double_key> a(records, slot, strings[slot]);
        f(a);
        break;
      }
      case sk_string_key: {
        TKeyAccess<sk_string_key> a(records, slot, strings[slot]);
        f(a);
        break;
      }
      default: {
        TKeyAccess<sk_int64_key> a(records, slot, strings[slot]);
        f(a);
        break;
      }
    }
  }
};

}  // namespace

// The closure path's access: the list's own SetBase and the caller's closure,
// with the indexes the closures may read kept up to date.
class T3SortClosureAccess {
 public:
  static constexpr bool kStopsOnCancel = false;
  T3SortClosureAccess(T3SortYieldingList& list, const TCompareFunctOfObject& closure, Int32 sortNum)
      : fList(list), fClosure(closure), fSortNum(sortNum) {}
  void SetBase(Int32 i) {
    fList.base_itemnum = i;
    fList.SetBase(fList.ItemAt(i), fSortNum);
  }
  Int32 CompareWithBase(Int32 i) {
    fList.comparison_itemnum = i;
    return fClosure(fList.ItemAt(i));
  }
  void Swap(Int32 i, Int32 j) { std::swap(fList.fList[static_cast<size_t>(i)], fList.fList[static_cast<size_t>(j)]); }
  bool InList(Int32 hi) const { return hi < fList.Count(); }
  // The sorts hint only at indexes of the range they sort, inside the list.
  void Prefetch(Int32 i) const { __builtin_prefetch(fList.fList[static_cast<size_t>(i)]); }

 private:
  T3SortYieldingList& fList;
  const TCompareFunctOfObject& fClosure;
  Int32 fSortNum;
};

// ---- entry points -----------------------------------------------------------------

void T3SortYieldingList::DoASingleSort(const TCompareFunctOfObject& closure, Int32 sortNum, Int32 start,
                                       Int32 finish) {
  if (BusySorting) return;
  TBusySortingGuard busy(BusySorting);
  if (!closure || !CheckStartAndFinish(start, finish)) return;
  const Int32 nums[1] = {sortNum};
  EntrySort(closure, nums, 1, start, finish);
}

void T3SortYieldingList::DoASingleSort(const TCompareFunctOfObject& closure, Int32 sortNum) {
  DoASingleSort(closure, sortNum, 0, Count() - 1);
}

void T3SortYieldingList::DoADoubleSort(const TCompareFunctOfObject& closure, Int32 sortNum1, Int32 sortNum2,
                                       Int32 start, Int32 finish) {
  if (BusySorting) return;
  TBusySortingGuard busy(BusySorting);
  if (!closure || !CheckStartAndFinish(start, finish)) return;
  const Int32 nums[2] = {sortNum1, sortNum2};
  EntrySort(closure, nums, 2, start, finish);
}

void T3SortYieldingList::DoADoubleSort(const TCompareFunctOfObject& closure, Int32 sortNum1, Int32 sortNum2) {
  DoADoubleSort(closure, sortNum1, sortNum2, 0, Count() - 1);
}

void T3SortYieldingList::DoATrebleSort(const TCompareFunctOfObject& closure, Int32 sortNum1, Int32 sortNum2,
                                       Int32 sortNum3, Int32 start, Int32 finish) {
  if (BusySorting) return;
  TBusySortingGuard busy(BusySorting);
  if (!closure || !CheckStartAndFinish(start, finish)) return;
  const Int32 nums[3] = {sortNum1, sortNum2, sortNum3};
  EntrySort(closure, nums, 3, start, finish);
}

void T3SortYieldingList::DoATrebleSort(const TCompareFunctOfObject& closure, Int32 sortNum1, Int32 sortNum2,
                                       Int32 sortNum3) {
  DoATrebleSort(closure, sortNum1, sortNum2, sortNum3, 0, Count() - 1);
}

void T3SortYieldingList::EntrySort(const TCompareFunctOfObject& closure, const Int32* sortNums, Int32 count,
                                   Int32 start, Int32 finish) {
  TTimedYield yield;
  TYieldClockScope clock(fYield, &yield);
  if (SortsByKeys(sortNums, count)) {
    KeySort(sortNums, count, start, finish);
    return;
  }
  current_sort_rec.current_sort_doing = sort_first_sort;
  DoAPrivateSort(closure, sortNums[0], start, finish);
  if (count >= 2) DoNextSorts(closure, sortNums, count, start, finish);
}

// ---- the closure path -----------------------------------------------------------------

void T3SortYieldingList::DoAPrivateSort(const TCompareFunctOfObject& closure, Int32 sortNum, Int32 start,
                                        Int32 finish) {
  sorted = true;
  current_sort_rec.current_sort_var = sortNum;
  if (!closure) return;
  // Descendants may call this directly: keep the range inside the list.
  if (start < 0) start = 0;
  if (finish >= Count()) finish = Count() - 1;
  TTimedYield own;
  T3SortClosureAccess access(*this, closure, sortNum);
  QuickSortLevel(access, fAscending[current_sort_rec.current_sort_doing], start, finish,
                 fYield != nullptr ? *fYield : own);
}

// Orders each run of items equal on the first key by the second key, and then
// each run equal on the first and the second key by the third (runs formed by
// the second key alone could join items that differ on the first key and
// undo its order). A key already applied is skipped: its runs are equal on
// it. Both are done run by run of the first key: ordering a run by the second
// key moves no item out of it, so the third key's runs inside it are the same
// as after every run has been ordered, and they are ordered at once, while
// the run's items are still at hand in memory.
void T3SortYieldingList::DoNextSorts(const TCompareFunctOfObject& closure, const Int32* sortNums, Int32 count,
                                     Int32 start, Int32 finish) {
  const bool second = sortNums[1] != sortNums[0];
  const bool third = count >= 3 && sortNums[2] != sortNums[0] && sortNums[2] != sortNums[1];
  if (!second && !third) return;
  const Tsort_num savedLevel = current_sort_rec.current_sort_doing;
  Int32 i = start;
  while (i < finish) {
    // The sorts of earlier runs yield; see QuickSortLevel on a list changed meanwhile.
    if (finish >= Count()) finish = Count() - 1;
    if (i >= finish) break;
    current_sort_rec.current_sort_doing = sort_first_sort;
    current_sort_rec.current_sort_var = sortNums[0];
    T3SortClosureAccess access(*this, closure, sortNums[0]);
    const Int32 k = RunEnd(access, i, finish);
    if (k > i) {
      if (second) {
        current_sort_rec.current_sort_doing = sort_second_sort;
        DoAPrivateSort(closure, sortNums[1], i, k);
      }
      if (third) SortRuns(closure, sortNums, 1, 2, sortNums[2], i, k);
    }
    i = k + 1;
  }
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
    // The sorts of earlier runs yield; see QuickSortLevel on a list changed meanwhile.
    if (finish >= Count()) finish = Count() - 1;
    if (i >= finish) break;
    current_sort_rec.current_sort_doing = LevelOf(depth);
    current_sort_rec.current_sort_var = key;
    T3SortClosureAccess access(*this, closure, key);
    const Int32 k = RunEnd(access, i, finish);
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

// ---- the path of gathered keys ------------------------------------------------------------

T3SortKeyKind T3SortYieldingList::SortKeyKind(Int32 /*sortNum*/) const { return sk_no_key; }
Int64 T3SortYieldingList::SortKeyInt64(const TObject* /*item*/, Int32 /*sortNum*/) const { return 0; }
Double T3SortYieldingList::SortKeyDouble(const TObject* /*item*/, Int32 /*sortNum*/) const { return 0; }
String T3SortYieldingList::SortKeyString(const TObject* /*item*/, Int32 /*sortNum*/) const { return String(); }

bool T3SortYieldingList::SortsByKeys(const Int32* sortNums, Int32 count) const {
  for (Int32 d = 0; d < count; ++d) {
    const T3SortKeyKind k = SortKeyKind(sortNums[d]);
    if (k != sk_int64_key && k != sk_double_key && k != sk_string_key) return false;
  }
  return true;
}

// The same sort as the closure path (same passes, same bases, same runs) on
// the records of gathered keys; the items go back into the list in the
// records' order, also when a Stop ended the sort early.
void T3SortYieldingList::KeySort(const Int32* sortNums, Int32 count, Int32 start, Int32 finish) {
  std::optional<TYieldHookSuspension> noYield;
  if (!YieldsWhileSorting()) noYield.emplace();
  TTimedYield& yield = *fYield;

  TGatheredKeys g;
  // One slot per distinct sort number.
  Int32 slotNums[3] = {0, 0, 0};
  Int32 slots = 0;
  for (Int32 d = 0; d < count; ++d) {
    Int32 s = 0;
    while (s < slots && slotNums[s] != sortNums[d]) ++s;
    if (s == slots) {
      slotNums[slots] = sortNums[d];
      g.kinds[slots] = SortKeyKind(sortNums[d]);
      ++slots;
    }
    g.slotOf[d] = s;
  }
  const Int32 n = finish - start + 1;
  g.records.resize(static_cast<size_t>(n));
  for (Int32 s = 0; s < slots; ++s)
    if (g.kinds[s] == sk_string_key) g.strings[s].reserve(static_cast<size_t>(n));
  for (Int32 r = 0; r < n; ++r) {
    TSortKeyRecord& rec = g.records[static_cast<size_t>(r)];
    rec.item = ItemAt(start + r);
    for (Int32 s = 0; s < slots; ++s) {
      switch (g.kinds[s]) {
        case sk_double_key: rec.key[s].d = SortKeyDouble(rec.item, slotNums[s]); break;
        case sk_string_key:
          rec.key[s].i = static_cast<Int64>(g.strings[s].size());
          g.strings[s].push_back(SortKeyString(rec.item, slotNums[s]));
          break;
        default: rec.key[s].i = SortKeyInt64(rec.item, slotNums[s]); break;
      }
    }
  }

  // As DoAPrivateSort and the run passes leave them.
  sorted = true;
  current_sort_rec.current_sort_doing = sort_first_sort;
  current_sort_rec.current_sort_var = sortNums[0];
  g.WithAccess(g.slotOf[0], [&](auto& a) { QuickSortLevel(a, fAscending[sort_first_sort], 0, n - 1, yield); });

  // The runs of the levels before, as SortRuns forms them.
  const auto sortRuns = [&](auto& self, Int32 depth, Int32 prevCount, Int32 next, Int32 lo, Int32 hi) -> void {
    Int32 i = lo;
    while (i < hi && !yield.Stopped()) {
      Int32 k = i;
      g.WithAccess(g.slotOf[depth], [&](auto& a) { k = RunEnd(a, i, hi); });
      if (k > i) {
        if (depth + 1 < prevCount) {
          self(self, depth + 1, prevCount, next, i, k);
        } else {
          const bool ascending = fAscending[LevelOf(prevCount)];
          g.WithAccess(g.slotOf[next], [&](auto& a) { QuickSortLevel(a, ascending, i, k, yield); });
        }
      }
      i = k + 1;
    }
  };
  for (Int32 next = 1; next < count; ++next) {
    bool applied = false;
    for (Int32 d = 0; d < next; ++d) applied = applied || sortNums[d] == sortNums[next];
    if (applied) continue;
    sortRuns(sortRuns, 0, next, next, 0, n - 1);
  }
  if (count >= 2) current_sort_rec.current_sort_var = sortNums[count - 1];

  // The host must not change the list while it is sorted; should it do so
  // all the same, its change stands and the sorted order is dropped.
  if (Count() <= finish) return;
  for (Int32 r = 0; r < n; ++r) fList[static_cast<size_t>(start + r)] = g.records[static_cast<size_t>(r)].item;
}

// ---- the non-yielding list ------------------------------------------------------------

void T3SortNonYieldingList::DoAPrivateSort(const TCompareFunctOfObject& closure, Int32 sortNum, Int32 start,
                                           Int32 finish) {
  TYieldHookSuspension noYield;
  T3SortYieldingList::DoAPrivateSort(closure, sortNum, start, finish);
}

SK_COUNTER_ONLY_UNIT(Sortablelists)

}  // namespace sk
