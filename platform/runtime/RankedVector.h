// The storage of the library's owning lists: an indexed sequence whose insert
// or delete at any place costs about log n steps, so that a sorted list taking
// its items in any order grows in n log n.
//
// The items live in leaves: contiguous runs of at most kLeaf items, in
// sequence order. A tree of counts (a Fenwick tree over the leaves' sizes)
// finds the leaf that holds item i in log(leaves) steps, and a change of one
// leaf's size updates it in as many. An insert moves the items of its own leaf
// after the new one (fewer than kLeaf); a full leaf splits in two, which
// shifts the table of leaves and rebuilds the tree of counts once per kLeaf / 2
// inserts into it. A delete does the same the other way: a leaf that empties
// goes, and one that, with a neighbour, holds no more than half a leaf is
// joined to it, so that a list cut down holds about what it keeps.
//
// Reading item i right after a change is O(1) when i lies in one of the last
// few leaves read (a search narrowing down, a scan) and log(leaves) steps over
// a small contiguous table otherwise. A list read for a while without changes
// lists the places of its items in order (a pointer each, as many as a plain
// array of pointers to the items would hold), which makes every read one step
// until the next change of size; exchanging or assigning items keeps it.
// What the reads learn is kept by the reads themselves, so a list must not be
// read from two threads at once (no list of the library is).
//
// It offers the parts of the std::vector interface that the owning lists use
// (iterators by index, insert and erase at an index or iterator, push_back,
// pop_back, clear).
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/runtime/IndexIterator.h"

namespace sk {

template <class T>
class TRankedVector : public TIndexedSequence<TRankedVector<T>, T> {
  using Sequence = TIndexedSequence<TRankedVector<T>, T>;
  // Items move between leaves in the middle of an edit, which must not fail there.
  static_assert(std::is_nothrow_move_constructible_v<T> && std::is_nothrow_move_assignable_v<T>);

 public:
  using Sequence::erase;
  using Sequence::insert;

  // The most items one leaf holds.
  static constexpr size_t kLeaf = 256;

  TRankedVector() = default;
  TRankedVector(const TRankedVector&) = delete;
  TRankedVector& operator=(const TRankedVector&) = delete;
  TRankedVector(TRankedVector&& other) noexcept { swap(other); }
  TRankedVector& operator=(TRankedVector&& other) noexcept {
    TRankedVector gone(std::move(*this));
    swap(other);
    return *this;
  }
  ~TRankedVector() = default;

  size_t size() const { return fSize; }
  bool empty() const { return fSize == 0; }

  T& operator[](size_t i) { return Slot(i); }
  const T& operator[](size_t i) const { return Slot(i); }
  T& front() { return (*this)[0]; }
  const T& front() const { return (*this)[0]; }
  T& back() { return fLeaves.back().back(); }
  const T& back() const { return fLeaves.back().back(); }


  void push_back(T value) {
    if (fLeaves.empty() || fLeaves.back().size() >= kLeaf) AppendLeaf();
    const size_t k = fLeaves.size() - 1;
    fLeaves[k].push_back(std::move(value));
    ++fSize;
    AddToCount(k, 1);
    Remember(k, fSize - fLeaves[k].size());
  }

  void pop_back() { erase(fSize - 1); }

  // Puts value at index (0..size()), the items from there on moving up one.
  void insert(size_t index, T value) {
    if (index >= fSize) {
      push_back(std::move(value));
      return;
    }
    Place at = Locate(index, false);
    if (fLeaves[at.leaf].size() >= kLeaf) {
      Split(at.leaf);
      const size_t half = fLeaves[at.leaf].size();
      if (at.offset > half) {
        at.start += half;
        at.offset -= half;
        ++at.leaf;
      }
    }
    std::vector<T>& leaf = fLeaves[at.leaf];
    fMoved += leaf.size() - at.offset;
    leaf.insert(leaf.begin() + static_cast<ptrdiff_t>(at.offset), std::move(value));
    ++fSize;
    AddToCount(at.leaf, 1);
    Remember(at.leaf, at.start);
  }

  // Takes out the item at index (0..size()-1), the items after it moving down
  // one. The item is destroyed at once.
  void erase(size_t index) {
    const Place at = Locate(index, false);
    std::vector<T>& leaf = fLeaves[at.leaf];
    fMoved += leaf.size() - 1 - at.offset;
    leaf.erase(leaf.begin() + static_cast<ptrdiff_t>(at.offset));
    --fSize;
    if (fSize == 0) {
      clear();
      return;
    }
    if (leaf.empty()) {
      fLeaves.erase(fLeaves.begin() + static_cast<ptrdiff_t>(at.leaf));
      fMoved += fLeaves.size() - at.leaf;
      RebuildCounts();
      return;
    }
    AddToCount(at.leaf, -1);
    Remember(at.leaf, at.start);
    JoinIfSmall(at.leaf, at.start);
  }


  void clear() {
    TRankedVector gone;
    swap(gone);
    std::swap(fMoved, gone.fMoved);
  }

  void swap(TRankedVector& other) noexcept {
    std::swap(fLeaves, other.fLeaves);
    std::swap(fCounts, other.fCounts);
    std::swap(fSize, other.fSize);
    std::swap(fMoved, other.fMoved);
    std::swap(fRecent, other.fRecent);
    std::swap(fNextRecent, other.fNextRecent);
    std::swap(fView, other.fView);
    std::swap(fDescents, other.fDescents);
  }

  // Items moved so far by inserts and deletes in the middle (within a leaf,
  // into a new leaf, or in the table of leaves: once each).
  size_t MovedItems() const { return fMoved; }
  size_t LeafCount() const { return fLeaves.size(); }

 private:
  // A leaf remembered by a read: its number and the indexes it holds, [start, end).
  struct Recent {
    size_t leaf = 0;
    size_t start = 0;
    size_t end = 0;
  };
  static constexpr size_t kRecent = 4;
  // Descents of the tree, beyond one for every 16 items, after which a list
  // read without changes lists its items' places.
  static constexpr size_t kDescentsBeforeView = 1024;

  struct Place {
    size_t leaf;
    size_t offset;
    size_t start;  // the index of the leaf's first item
  };

  // The leaf and offset of item i (i < size()) while the list changes: one
  // of the leaves read last, else a descent of the tree of counts.
  Place Locate(size_t i, bool reading = true) const {
    for (const Recent& r : fRecent)
      if (i - r.start < r.end - r.start) return {r.leaf, i - r.start, r.start};
    // The most leaves whose items all come before i.
    const size_t m = fLeaves.size();
    size_t k = 0;
    size_t rest = i;
    for (size_t step = std::bit_floor(m); step > 0; step >>= 1)
      if (k + step <= m && fCounts[k + step] <= rest) {
        k += step;
        rest -= fCounts[k];
      }
    Remember(k, i - rest);
    // An edit locates its place too, but a list about to change has no use
    // for the list of places.
    if (reading && ++fDescents > fSize / 16 + kDescentsBeforeView) BuildView();
    return {k, rest, i - rest};
  }
  T& Slot(size_t i) const {
    if (!fView.empty()) return *fView[i];
    const Place at = Locate(i);
    return const_cast<T&>(fLeaves[at.leaf][at.offset]);
  }

  // Once a list has been read at scattered places for a while without a
  // change of size, the places of its items are listed in order, so that the
  // reads that follow take one step. Exchanging or assigning items keeps the
  // list; any change of size drops it.
  void BuildView() const try {
    fView.clear();
    fView.reserve(fSize);
    for (const std::vector<T>& leaf : fLeaves)
      for (const T& item : leaf) fView.push_back(const_cast<T*>(&item));
  } catch (const std::bad_alloc&) {
    fView.clear();  // the reads go on without it
  }

  void Remember(size_t leaf, size_t start) const {
    Recent& r = fRecent[fNextRecent];
    fNextRecent = (fNextRecent + 1) % kRecent;
    r = {leaf, start, start + fLeaves[leaf].size()};
  }
  // After a change of size: what the reads learnt no longer holds. The room
  // of the list of places is kept for the next one, unless the list has
  // shrunk well below it.
  void Forget() const {
    fRecent = {};
    fDescents = 0;
    if (fView.capacity() > 4 * fSize + kLeaf)
      std::vector<T*>().swap(fView);
    else
      fView.clear();
  }

  // The tree of counts: fCounts[j] (1-based) holds the sizes of leaves
  // (j - lowbit(j), j], so a prefix or a change takes log(leaves) steps.
  void AddToCount(size_t leaf, ptrdiff_t delta) {
    for (size_t j = leaf + 1; j < fCounts.size(); j += j & (~j + 1)) fCounts[j] += static_cast<size_t>(delta);
    if (delta != 0) Forget();
  }
  void RebuildCounts() {
    const size_t m = fLeaves.size();
    fCounts.assign(m + 1, 0);
    for (size_t j = 1; j <= m; ++j) {
      fCounts[j] += fLeaves[j - 1].size();
      const size_t up = j + (j & (~j + 1));
      if (up <= m) fCounts[up] += fCounts[j];
    }
    Forget();
  }
  // A new, empty last leaf; its node of the tree sums the leaves it covers.
  void AppendLeaf() {
    RoomForOneMoreLeaf();
    // Only a list's first leaf grows by steps: later ones take their full
    // room at once, so that a list built by appending does not leave the
    // room of outgrown leaves between its items.
    std::vector<T> leaf;
    if (!fLeaves.empty()) leaf.reserve(kLeaf);
    if (fCounts.empty()) fCounts.push_back(0);
    fLeaves.push_back(std::move(leaf));
    const size_t j = fLeaves.size();
    size_t sum = 0;
    const size_t low = j & (~j + 1);
    for (size_t c = j - 1; c > j - low; c -= c & (~c + 1)) sum += fCounts[c];
    fCounts.push_back(sum);
  }

  // The room of the table of leaves and the tree of counts for one more
  // leaf, taken before anything changes (growing by half again, so that
  // appends stay cheap): what follows cannot then fail half done.
  void RoomForOneMoreLeaf() {
    if (fLeaves.size() == fLeaves.capacity()) fLeaves.reserve(fLeaves.size() + fLeaves.size() / 2 + 4);
    if (fCounts.capacity() < fLeaves.size() + 2) fCounts.reserve(fLeaves.capacity() + 2);
  }

  // Moves the upper half of a full leaf into a new leaf after it. All the
  // room it needs is taken first, so that a failure leaves the list as it was.
  void Split(size_t leaf) {
    RoomForOneMoreLeaf();
    std::vector<T> upper;
    upper.reserve(kLeaf);
    std::vector<T>& full = fLeaves[leaf];
    const size_t half = full.size() / 2;
    upper.insert(upper.end(), std::make_move_iterator(full.begin() + static_cast<ptrdiff_t>(half)),
                 std::make_move_iterator(full.end()));
    full.erase(full.begin() + static_cast<ptrdiff_t>(half), full.end());
    fMoved += upper.size() + (fLeaves.size() - leaf - 1);
    fLeaves.insert(fLeaves.begin() + static_cast<ptrdiff_t>(leaf + 1), std::move(upper));
    RebuildCounts();
  }

  // After a delete from leaf (whose first item is at start): joins it with a
  // neighbour when the two hold no more than half a leaf, and gives back
  // room a leaf no longer fills.
  // Both are tidying after the delete itself is done: when the room for it
  // cannot be had, the list stays as it is.
  void JoinIfSmall(size_t leaf, size_t start) try {
    const size_t n = fLeaves[leaf].size();
    if (n <= kLeaf / 4) {
      if (leaf + 1 < fLeaves.size() && n + fLeaves[leaf + 1].size() <= kLeaf / 2) {
        JoinWithNext(leaf);
        return;
      }
      if (leaf > 0 && n + fLeaves[leaf - 1].size() <= kLeaf / 2) {
        JoinWithNext(leaf - 1);
        return;
      }
    }
    std::vector<T>& l = fLeaves[leaf];
    if (l.capacity() >= 16 && l.size() <= l.capacity() / 4) {
      std::vector<T> fitted;
      fitted.reserve(l.size() * 2);
      fitted.insert(fitted.end(), std::make_move_iterator(l.begin()), std::make_move_iterator(l.end()));
      l.swap(fitted);
      Remember(leaf, start);
    }
  } catch (const std::bad_alloc&) {
  }

  void JoinWithNext(size_t leaf) {
    std::vector<T>& kept = fLeaves[leaf];
    std::vector<T>& gone = fLeaves[leaf + 1];
    fMoved += gone.size() + (fLeaves.size() - leaf - 2);
    kept.insert(kept.end(), std::make_move_iterator(gone.begin()), std::make_move_iterator(gone.end()));
    fLeaves.erase(fLeaves.begin() + static_cast<ptrdiff_t>(leaf + 1));
    RebuildCounts();
  }

  std::vector<std::vector<T>> fLeaves;
  std::vector<size_t> fCounts;  // 1-based; empty when there are no leaves
  size_t fSize = 0;
  size_t fMoved = 0;
  mutable std::array<Recent, kRecent> fRecent{};
  mutable size_t fNextRecent = 0;
  // The places of the items in order while the list is read without changes
  // (empty otherwise), and the descents made since the last change.
  mutable std::vector<T*> fView;
  mutable size_t fDescents = 0;
};

}  // namespace sk
