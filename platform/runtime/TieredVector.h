// The storage of a string list's lines: an indexed sequence whose inserts and
// deletes in the middle cost about sqrt(n) pointer moves instead of n item
// moves, while reading item i stays O(1).
//
// The items themselves do not move when others come or go (until a mostly
// empty arena is compacted, below): they live in
// chunks (an arena with a free list), in the order they arrived, and the
// sequence holds pointers to them. The pointers live in blocks of B = 2^shift cells; every
// block but the last holds exactly B, so item i is in block i >> shift at
// offset i & (B-1). Each block is a circular buffer (a head and a count), so
// that a pointer can leave or enter a block at either end without moving the
// others. An insert moves the pointers of its own block on the shorter side
// of the new one (at most B / 2), then passes one pointer from the end of
// each later block to the front of the next (one move per block); a delete
// does the same the other way. B doubles whenever n passes B * B, so both
// costs stay near sqrt(n).
//
// A deleted item is destroyed at once, and an arena that deletes have left
// mostly empty is compacted (see GiveBackSpareRoom), so that a list holds
// about what it keeps.
//
// Besides its own index-based operations it offers the parts of the
// std::vector interface that the list classes use (iterators, insert and
// erase at an iterator, resize, swap with a std::vector).
#pragma once

#include <algorithm>
#include <bit>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/runtime/IndexIterator.h"

namespace sk {

template <class T>
class TTieredVector : public TIndexedSequence<TTieredVector<T>, T> {
  using Sequence = TIndexedSequence<TTieredVector<T>, T>;

 public:
  using Sequence::erase;
  using Sequence::insert;

  TTieredVector() = default;
  TTieredVector(const TTieredVector&) = delete;
  TTieredVector& operator=(const TTieredVector&) = delete;
  TTieredVector(TTieredVector&& other) noexcept { swap(other); }
  TTieredVector& operator=(TTieredVector&& other) noexcept {
    TTieredVector gone(std::move(*this));
    swap(other);
    return *this;
  }
  ~TTieredVector() = default;

  size_t size() const { return fSize; }
  bool empty() const { return fSize == 0; }
  // Items the arena holds room for, or the count asked for by reserve when
  // that is more.
  size_t capacity() const { return std::max(fReserved, fArenaTotal); }

  T& operator[](size_t i) { return *fBlocks[i >> fShift].At(static_cast<uint32_t>(i & Mask())); }
  const T& operator[](size_t i) const { return *fBlocks[i >> fShift].At(static_cast<uint32_t>(i & Mask())); }
  T& front() { return (*this)[0]; }
  const T& front() const { return (*this)[0]; }
  T& back() { return (*this)[fSize - 1]; }
  const T& back() const { return (*this)[fSize - 1]; }


  void push_back(T value) {
    MakeRoomAtEnd();
    T* item = Stored(std::move(value));
    Block& last = fBlocks.back();
    last.At(last.count) = item;
    ++last.count;
    ++fSize;
  }

  void pop_back() {
    Block& last = fBlocks.back();
    --last.count;
    Release(last.At(last.count));
    --fSize;
    if (last.count == 0) DropLastBlock();
    GiveBackSpareRoom();
  }

  // Puts value at index (0..size()), the items from there on moving up one.
  void insert(size_t index, T value) {
    if (index >= fSize) {
      push_back(std::move(value));
      return;
    }
    MakeRoomAtEnd();
    T* item = Stored(std::move(value));
    const size_t b = index >> fShift;
    // One pointer passes from the end of each full block to the front of the
    // next, from the last block back to the one that takes the new item.
    for (size_t k = fBlocks.size() - 1; k > b; --k) {
      Block& from = fBlocks[k - 1];
      --from.count;
      fBlocks[k].PushFront(from.At(from.count));
    }
    fMoved += fBlocks.size() - 1 - b;
    fMoved += fBlocks[b].InsertAt(static_cast<uint32_t>(index & Mask()), item);
    ++fSize;
  }

  // Takes out the item at index (0..size()-1), the items after it moving down one.
  void erase(size_t index) {
    const size_t b = index >> fShift;
    T* gone = nullptr;
    fMoved += fBlocks[b].EraseAt(static_cast<uint32_t>(index & Mask()), gone);
    // The first pointer of each later block passes to the end of the one before.
    for (size_t k = b + 1; k < fBlocks.size(); ++k) {
      Block& to = fBlocks[k - 1];
      to.At(to.count) = fBlocks[k].PopFront();
      ++to.count;
    }
    fMoved += fBlocks.size() - 1 - b;
    --fSize;
    if (fBlocks.back().count == 0) DropLastBlock();
    Release(gone);
    GiveBackSpareRoom();
  }


  void resize(size_t n) {
    while (fSize > n) pop_back();
    while (fSize < n) push_back(T());
  }

  void clear() {
    TTieredVector gone;
    swap(gone);
    std::swap(fMoved, gone.fMoved);
  }

  // Makes room for n items: blocks large enough not to grow again before,
  // and arena room for the items not yet stored.
  void reserve(size_t n) {
    while (n > MaxForShift()) DoubleTheBlocks();
    fBlocks.reserve((n >> fShift) + 1);
    fReserved = std::max(fReserved, n);
    const size_t spare = fArenaSlots - fArenaUsed + fFree.size();
    if (n > fSize + spare) fNextChunk = std::max(fNextChunk, n - fSize - spare);
  }

  void swap(TTieredVector& other) noexcept {
    std::swap(fBlocks, other.fBlocks);
    std::swap(fSize, other.fSize);
    std::swap(fReserved, other.fReserved);
    std::swap(fShift, other.fShift);
    std::swap(fMoved, other.fMoved);
    std::swap(fChunks, other.fChunks);
    std::swap(fFree, other.fFree);
    std::swap(fArenaTotal, other.fArenaTotal);
    std::swap(fArenaSlots, other.fArenaSlots);
    std::swap(fArenaUsed, other.fArenaUsed);
    std::swap(fNextChunk, other.fNextChunk);
  }

  // Exchanges the items with those of a std::vector (each item moves once).
  void swap(std::vector<T>& items) {
    TTieredVector taken;
    taken.reserve(items.size());
    for (T& item : items) taken.push_back(std::move(item));
    std::vector<T> given;
    given.reserve(fSize);
    for (size_t i = 0; i < fSize; ++i) given.push_back(std::move((*this)[i]));
    items.swap(given);
    std::swap(fMoved, taken.fMoved);
    swap(taken);
  }

  // Puts the items in a new order: the item at order[k] becomes item k
  // (order names each index below size() once). Only the pointers move, each
  // once; the items stay where they are.
  void Reorder(const std::vector<int32_t>& order) {
    std::vector<T*> cells;
    cells.reserve(fSize);
    for (const Block& block : fBlocks)
      for (uint32_t j = 0; j < block.count; ++j) cells.push_back(block.At(j));
    size_t k = 0;
    for (Block& block : fBlocks)
      for (uint32_t j = 0; j < block.count; ++j) block.At(j) = cells[static_cast<size_t>(order[k++])];
  }

  // Pointers moved so far by inserts and deletes in the middle (moved within
  // a block, or passed to a neighbouring block: once each).
  size_t MovedItems() const { return fMoved; }
  // The number of cells of a full block.
  size_t BlockSize() const { return size_t{1} << fShift; }

 private:
  static constexpr unsigned kMinShift = 6;    // blocks of 64 for a small list
  static constexpr uint32_t kFirstSlots = 4;  // the first block grows from here to B
  static constexpr size_t kFirstChunk = 4;    // arena chunks double from here...
  static constexpr size_t kLargestChunk = 4096;  // ...up to here
  static constexpr size_t kSparseArena = 1024;   // released places before the arena is compacted

  // A circular buffer of cap pointer cells (a power of two); the items are
  // at head, head + 1, ... (modulo cap), count of them.
  struct Block {
    std::unique_ptr<T*[]> cells;
    uint32_t cap = 0;
    uint32_t head = 0;
    uint32_t count = 0;

    T*& At(uint32_t k) const { return cells[(head + k) & (cap - 1)]; }

    void PushFront(T* item) {
      head = (head - 1) & (cap - 1);
      cells[head] = item;
      ++count;
    }
    T* PopFront() {
      T* item = cells[head];
      head = (head + 1) & (cap - 1);
      --count;
      return item;
    }
    // Puts item at offset k (count < cap), moving the shorter side; answers
    // how many pointers moved.
    uint32_t InsertAt(uint32_t k, T* item) {
      if (k < count - k) {
        head = (head - 1) & (cap - 1);
        for (uint32_t j = 0; j < k; ++j) At(j) = At(j + 1);
        At(k) = item;
        ++count;
        return k;
      }
      for (uint32_t j = count; j > k; --j) At(j) = At(j - 1);
      At(k) = item;
      ++count;
      return count - 1 - k;
    }
    // Takes out the pointer at offset k into gone, closing the gap from the
    // shorter side; answers how many pointers moved.
    uint32_t EraseAt(uint32_t k, T*& gone) {
      gone = At(k);
      uint32_t moved;
      if (k < count - 1 - k) {
        for (uint32_t j = k; j > 0; --j) At(j) = At(j - 1);
        head = (head + 1) & (cap - 1);
        moved = k;
      } else {
        for (uint32_t j = k; j + 1 < count; ++j) At(j) = At(j + 1);
        moved = count - 1 - k;
      }
      --count;
      return moved;
    }
    // A block of newCap cells holding the same pointers from slot 0.
    void Grow(uint32_t newCap) {
      std::unique_ptr<T*[]> grown(new T*[newCap]);
      for (uint32_t j = 0; j < count; ++j) grown[j] = At(j);
      cells = std::move(grown);
      cap = newCap;
      head = 0;
    }
  };

  size_t Mask() const { return (size_t{1} << fShift) - 1; }
  // Up to B * B items the blocks keep their size.
  size_t MaxForShift() const { return size_t{1} << (2 * fShift); }

  // A place in the arena holding value: a released one, or the next of the
  // last chunk (a new chunk, twice the size of the last, when it is full).
  T* Stored(T value) {
    T* item;
    if (!fFree.empty()) {
      item = fFree.back();
      fFree.pop_back();
    } else {
      if (fArenaUsed == fArenaSlots) {
        const size_t n = std::max(fNextChunk, kFirstChunk);
        fChunks.emplace_back(new T[n]);
        fArenaSlots = n;
        fArenaUsed = 0;
        fArenaTotal += n;
        fNextChunk = std::min(n * 2, kLargestChunk);
      }
      item = &fChunks.back()[fArenaUsed++];
    }
    *item = std::move(value);
    return item;
  }

  // Empties the item's place for a later item. The item is destroyed and made
  // anew rather than assigned an empty value: assigning keeps what a string
  // had reserved, so a deleted line would go on holding its text.
  void Release(T* item) {
    std::destroy_at(item);
    ::new (static_cast<void*>(item)) T();
    fFree.push_back(item);
  }

  // After a delete: a list that is empty again gives back all its room; one
  // whose arena is mostly released places (more than three for each item
  // held, and at least kSparseArena of them) moves its items into one chunk
  // of their size, so that a list cut down holds about what it keeps. Each
  // item moves once per such step, and a step comes only after the list has
  // lost three quarters of its items since the last: a few moves per delete.
  void GiveBackSpareRoom() {
    if (fSize == 0) {
      TTieredVector gone;
      std::swap(fMoved, gone.fMoved);
      swap(gone);
      return;
    }
    if (fFree.size() < kSparseArena || fFree.size() <= 3 * fSize) return;
    std::unique_ptr<T[]> chunk(new T[fSize]);
    size_t k = 0;
    for (Block& block : fBlocks)
      for (uint32_t j = 0; j < block.count; ++j) {
        T*& cell = block.At(j);
        chunk[k] = std::move(*cell);
        cell = &chunk[k++];
      }
    fChunks.clear();
    fChunks.push_back(std::move(chunk));
    std::vector<T*>().swap(fFree);
    fArenaTotal = fArenaSlots = fArenaUsed = fSize;
    fNextChunk = std::clamp(fSize, kFirstChunk, kLargestChunk);
    fReserved = std::min(fReserved, fSize);
    std::vector<Block>(std::make_move_iterator(fBlocks.begin()), std::make_move_iterator(fBlocks.end()))
        .swap(fBlocks);
  }

  // Ensures that the last block has a free slot, adding a block or growing the
  // last one (and the block size, when the list outgrows it).
  void MakeRoomAtEnd() {
    if (fSize + 1 > MaxForShift()) DoubleTheBlocks();
    const uint32_t full = static_cast<uint32_t>(BlockSize());
    if (!fBlocks.empty()) {
      Block& last = fBlocks.back();
      if (last.count < last.cap) return;
      if (last.cap < full) {
        last.Grow(std::min(full, last.cap * 2));
        return;
      }
    }
    Block block;
    block.cap = fBlocks.empty() ? std::min(full, kFirstSlots) : full;
    block.cells.reset(new T*[block.cap]);
    fBlocks.push_back(std::move(block));
  }

  void DropLastBlock() { fBlocks.pop_back(); }

  // Doubles B: each pair of blocks becomes one (every pointer moves once).
  void DoubleTheBlocks() {
    const uint32_t full = static_cast<uint32_t>(BlockSize()) * 2;
    std::vector<Block> merged;
    merged.reserve((fBlocks.size() + 1) / 2);
    for (size_t k = 0; k < fBlocks.size(); k += 2) {
      Block block;
      const size_t end = std::min(k + 2, fBlocks.size());
      uint32_t items = 0;
      for (size_t part = k; part < end; ++part) items += fBlocks[part].count;
      block.cap = end < fBlocks.size() ? full : std::clamp<uint32_t>(std::bit_ceil(items), kFirstSlots, full);
      block.cells.reset(new T*[block.cap]);
      for (size_t part = k; part < end; ++part)
        for (uint32_t j = 0; j < fBlocks[part].count; ++j) block.cells[block.count++] = fBlocks[part].At(j);
      merged.push_back(std::move(block));
    }
    fBlocks.swap(merged);
    ++fShift;
  }

  std::vector<Block> fBlocks;
  size_t fSize = 0;
  size_t fReserved = 0;  // the largest count asked for by reserve since clear
  unsigned fShift = kMinShift;
  size_t fMoved = 0;
  // The arena: chunks of items, the places released for reuse, the room of
  // all chunks, the size and use of the last one, and the size of the next.
  std::vector<std::unique_ptr<T[]>> fChunks;
  std::vector<T*> fFree;
  size_t fArenaTotal = 0;
  size_t fArenaSlots = 0;
  size_t fArenaUsed = 0;
  size_t fNextChunk = kFirstChunk;
};

}  // namespace sk
