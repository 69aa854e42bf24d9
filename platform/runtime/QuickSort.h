// The library's own quicksort.  Many of the library's comparers are not strict
// weak orders (a NaN, case variants, a cancelled sort answering 0), which the
// standard algorithms do not allow; this sort only ever asks for indexes inside
// [lo, hi] and always terminates, whatever the comparer answers.  With a
// consistent comparer it sorts; with an inconsistent one the order is
// arbitrary but every item is still there exactly once.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "platform/runtime/RtlTypes.h"

namespace sk {

namespace quicksort_detail {

// Heap sort of lo..hi: the fall-back when partitioning keeps going badly.
// Every index it forms lies in [lo, hi], and each sift moves strictly down
// the heap, so it ends whatever the comparer answers.
template <class Compare, class Exchange>
void HeapSortIndexes(Int32 lo, Int32 hi, Compare& cmp, Exchange& xchg, const std::function<void()>& onPass) {
  const Int64 n = static_cast<Int64>(hi) - lo + 1;
  auto at = [lo](Int64 k) { return static_cast<Int32>(lo + k); };
  auto siftDown = [&](Int64 root, Int64 last) {
    while (2 * root + 1 <= last) {
      Int64 child = 2 * root + 1;
      Int64 largest = root;
      if (cmp(at(largest), at(child)) < 0) largest = child;
      if (child + 1 <= last && cmp(at(largest), at(child + 1)) < 0) largest = child + 1;
      if (largest == root) return;
      xchg(at(root), at(largest));
      root = largest;
    }
  };
  if (onPass) onPass();
  for (Int64 start = (n - 2) / 2; start >= 0; --start) siftDown(start, n - 1);
  for (Int64 last = n - 1; last > 0; --last) {
    if (onPass && (last & 1023) == 0) onPass();
    xchg(at(0), at(last));
    siftDown(0, last - 1);
  }
}

template <class Compare, class Exchange>
void QuickSortLoop(Int32 lo, Int32 hi, Compare& cmp, Exchange& xchg, const std::function<void()>& onPass,
                   int depthLeft) {
  while (lo < hi) {
    if (onPass) onPass();
    if (depthLeft-- <= 0) {
      HeapSortIndexes(lo, hi, cmp, xchg, onPass);
      return;
    }
    Int32 i = lo;
    Int32 j = hi;
    // Pivot: the median of the first, middle and last items (by index, nothing moves).
    Int32 p = lo + (hi - lo) / 2;
    if (hi - lo >= 2) {
      const bool loLessMid = cmp(lo, p) < 0;
      const bool midLessHi = cmp(p, hi) < 0;
      if (loLessMid != midLessHi) {
        const bool loLessHi = cmp(lo, hi) < 0;
        p = (loLessHi == loLessMid) ? hi : lo;
      }
    }
    do {
      // The bounds tests keep both scans inside [lo, hi] even when the
      // comparer says an item is smaller (or greater) than everything.
      while (i < hi && cmp(i, p) < 0) ++i;
      while (j > lo && cmp(j, p) > 0) --j;
      if (i <= j) {
        if (i != j) {
          xchg(i, j);
          if (p == i)
            p = j;
          else if (p == j)
            p = i;
        }
        ++i;
        --j;
      }
    } while (i <= j);
    // Here lo < i and j < hi, so both parts are smaller than [lo, hi].
    if (j - lo < hi - i) {
      if (lo < j) QuickSortLoop(lo, j, cmp, xchg, onPass, depthLeft);
      lo = i;
    } else {
      if (i < hi) QuickSortLoop(i, hi, cmp, xchg, onPass, depthLeft);
      hi = j;
    }
  }
}

}  // namespace quicksort_detail

// Sorts the items lo..hi (inclusive) of some indexed collection.
// cmp(i, j) compares items i and j (< 0, 0, > 0); xchg(i, j) exchanges them.
// onPass, when set, is called once per partitioning pass (a place to yield).
// Hoare partitioning around the median of three items; the pivot is followed
// by index as it is exchanged, so no copy of it is needed.  The smaller part
// is sorted by recursion and the larger one by the loop, so the stack stays
// O(log n); inputs that keep partitioning badly fall back to a heap sort, so
// no input takes quadratic time.
template <class Compare, class Exchange>
void QuickSortIndexes(Int32 lo, Int32 hi, Compare cmp, Exchange xchg, const std::function<void()>& onPass = {}) {
  if (lo >= hi) return;
  int depth = 0;
  for (Int64 n = static_cast<Int64>(hi) - lo + 1; n > 1; n >>= 1) ++depth;
  quicksort_detail::QuickSortLoop(lo, hi, cmp, xchg, onPass, 2 * depth + 2);
}

// ---- Check points of long sorts ------------------------------------------------------
//
// A long sort asks a check point now and then: at each partition pass and
// every kComparisonsPerCheck comparisons. The check point may let the host
// run (a time check decides whether it is due) and answers true when the
// sort is to end at once. The platform knows no host: the layer above sets,
// through SetSortCheckPointMaker, what gives each sort its check point; until
// it does, the platform's sorts have none.
using TSortCheckPoint = std::function<bool()>;
using TSortCheckPointMaker = TSortCheckPoint (*)();

inline constexpr Int32 kComparisonsPerCheck = 256;

inline constinit TSortCheckPointMaker gSortCheckPointMaker = nullptr;

// Installs the maker (nullptr removes it) and answers the previous one.
inline TSortCheckPointMaker SetSortCheckPointMaker(TSortCheckPointMaker maker) {
  const TSortCheckPointMaker previous = gSortCheckPointMaker;
  gSortCheckPointMaker = maker;
  return previous;
}

// A check point for one sort from the installed maker; empty without one.
inline TSortCheckPoint NewSortCheckPoint() { return gSortCheckPointMaker ? gSortCheckPointMaker() : TSortCheckPoint(); }

namespace quicksort_detail {

// Thrown out of a comparison or a pass when the check point ends the sort;
// caught by the sort that asked, never seen by its caller.
struct TSortEndedEarly {};

// Asks the check point at every call of Pass() and every kComparisonsPerCheck
// calls of Compared(); raises TSortEndedEarly when it answers true.
class TCheckedSort {
 public:
  explicit TCheckedSort(const TSortCheckPoint& checkPoint) : fCheckPoint(checkPoint) {}
  void Compared() {
    if (--fCountdown > 0) return;
    Pass();
  }
  void Pass() {
    fCountdown = kComparisonsPerCheck;
    if (fCheckPoint && fCheckPoint()) throw TSortEndedEarly{};
  }

 private:
  const TSortCheckPoint& fCheckPoint;
  Int32 fCountdown = kComparisonsPerCheck;
};

}  // namespace quicksort_detail

// QuickSortIndexes asking checkPoint as it goes. True when the sort ran to its
// end; false when the check point ended it early, every item then still there
// exactly once, in the partly sorted order reached.
template <class Compare, class Exchange>
bool QuickSortIndexesChecked(Int32 lo, Int32 hi, Compare cmp, Exchange xchg, const TSortCheckPoint& checkPoint) {
  if (!checkPoint) {
    QuickSortIndexes(lo, hi, cmp, xchg);
    return true;
  }
  quicksort_detail::TCheckedSort checked(checkPoint);
  try {
    QuickSortIndexes(
        lo, hi,
        [&](Int32 a, Int32 b) {
          checked.Compared();
          return cmp(a, b);
        },
        xchg, [&] { checked.Pass(); });
  } catch (const quicksort_detail::TSortEndedEarly&) {
    return false;
  }
  return true;
}

// Sorts a vector with a three-way comparer cmp(const T&, const T&) -> int.
template <class T, class Cmp>
void QuickSortVector(std::vector<T>& v, Cmp cmp) {
  if (v.size() < 2) return;
  QuickSortIndexes(
      0, static_cast<Int32>(v.size()) - 1,
      [&](Int32 a, Int32 b) { return cmp(v[static_cast<size_t>(a)], v[static_cast<size_t>(b)]); },
      [&](Int32 a, Int32 b) {
        using std::swap;
        swap(v[static_cast<size_t>(a)], v[static_cast<size_t>(b)]);
      });
}

}  // namespace sk
