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
