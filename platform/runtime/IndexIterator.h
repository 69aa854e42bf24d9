// A random-access iterator over any sequence that reads its items by index
// (owner[i]): it holds the owner and an index, so it stays meaningful while
// the owner moves its items between blocks or leaves. TIndexedSequence gives
// such a sequence the iterator forms of the std::vector interface from its
// index-based ones.
#pragma once

#include <compare>
#include <cstddef>
#include <iterator>
#include <type_traits>
#include <utility>

namespace sk {

template <class Owner, class T, bool Const>
class TIndexIterator {
  using OwnerRef = std::conditional_t<Const, const Owner, Owner>;

 public:
  using iterator_category = std::random_access_iterator_tag;
  using iterator_concept = std::random_access_iterator_tag;
  using value_type = T;
  using difference_type = ptrdiff_t;
  using pointer = std::conditional_t<Const, const T*, T*>;
  using reference = std::conditional_t<Const, const T&, T&>;

  TIndexIterator() = default;
  TIndexIterator(OwnerRef* owner, ptrdiff_t index) : fOwner(owner), fIndex(index) {}
  template <bool C = Const>
    requires C
  TIndexIterator(const TIndexIterator<Owner, T, false>& other) : fOwner(other.Owned()), fIndex(other.Index()) {}

  reference operator*() const { return (*fOwner)[static_cast<size_t>(fIndex)]; }
  pointer operator->() const { return &**this; }
  reference operator[](ptrdiff_t d) const { return (*fOwner)[static_cast<size_t>(fIndex + d)]; }
  TIndexIterator& operator++() {
    ++fIndex;
    return *this;
  }
  TIndexIterator operator++(int) {
    TIndexIterator r = *this;
    ++fIndex;
    return r;
  }
  TIndexIterator& operator--() {
    --fIndex;
    return *this;
  }
  TIndexIterator operator--(int) {
    TIndexIterator r = *this;
    --fIndex;
    return r;
  }
  TIndexIterator& operator+=(ptrdiff_t d) {
    fIndex += d;
    return *this;
  }
  TIndexIterator& operator-=(ptrdiff_t d) {
    fIndex -= d;
    return *this;
  }
  friend TIndexIterator operator+(TIndexIterator it, ptrdiff_t d) { return it += d; }
  friend TIndexIterator operator+(ptrdiff_t d, TIndexIterator it) { return it += d; }
  friend TIndexIterator operator-(TIndexIterator it, ptrdiff_t d) { return it -= d; }
  friend ptrdiff_t operator-(const TIndexIterator& a, const TIndexIterator& b) { return a.fIndex - b.fIndex; }
  friend bool operator==(const TIndexIterator& a, const TIndexIterator& b) { return a.fIndex == b.fIndex; }
  friend auto operator<=>(const TIndexIterator& a, const TIndexIterator& b) { return a.fIndex <=> b.fIndex; }

  ptrdiff_t Index() const { return fIndex; }
  OwnerRef* Owned() const { return fOwner; }

 private:
  OwnerRef* fOwner = nullptr;
  ptrdiff_t fIndex = 0;
};

// The iterator forms of a sequence Derived that offers size(), operator[],
// insert(index, value), erase(index) and pop_back(). Derived names its own
// insert and erase, so it brings these in with using-declarations.
template <class Derived, class T>
class TIndexedSequence {
 public:
  using value_type = T;
  using size_type = size_t;
  using difference_type = ptrdiff_t;
  using reference = T&;
  using const_reference = const T&;
  using iterator = TIndexIterator<Derived, T, false>;
  using const_iterator = TIndexIterator<Derived, T, true>;

  iterator begin() { return iterator(Self(), 0); }
  iterator end() { return iterator(Self(), static_cast<ptrdiff_t>(Self()->size())); }
  const_iterator begin() const { return const_iterator(Self(), 0); }
  const_iterator end() const { return const_iterator(Self(), static_cast<ptrdiff_t>(Self()->size())); }
  const_iterator cbegin() const { return begin(); }
  const_iterator cend() const { return end(); }
  std::reverse_iterator<const_iterator> rbegin() const { return std::reverse_iterator<const_iterator>(end()); }
  std::reverse_iterator<const_iterator> rend() const { return std::reverse_iterator<const_iterator>(begin()); }

  iterator insert(const_iterator pos, T value) {
    const size_t index = static_cast<size_t>(pos.Index());
    Self()->insert(index, std::move(value));
    return iterator(Self(), static_cast<ptrdiff_t>(index));
  }
  iterator erase(const_iterator pos) {
    const size_t index = static_cast<size_t>(pos.Index());
    Self()->erase(index);
    return iterator(Self(), static_cast<ptrdiff_t>(index));
  }
  // Takes out [first, last) in one pass over the items after them: each
  // moves down once, then the last places go.
  iterator erase(const_iterator first, const_iterator last) {
    const size_t from = static_cast<size_t>(first.Index());
    const size_t to = static_cast<size_t>(last.Index());
    Derived& self = *Self();
    if (from < to) {
      const size_t n = self.size();
      for (size_t k = to; k < n; ++k) self[from + k - to] = std::move(self[k]);
      for (size_t k = to - from; k > 0; --k) self.pop_back();
    }
    return iterator(Self(), static_cast<ptrdiff_t>(from));
  }

 private:
  Derived* Self() { return static_cast<Derived*>(this); }
  const Derived* Self() const { return static_cast<const Derived*>(this); }
};

}  // namespace sk
