// Small value types for sets of enumeration values and arrays indexed by an
// enumeration. Both keep a plain, fixed byte layout so that they can sit in
// records that are written to files raw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "platform/runtime/RtlTypes.h"

namespace sk {

// A set of the ordinals 0 .. N-1 of E. Bit k of the storage (bit k mod 8 of
// byte k div 8) stands for ordinal k. The storage takes 1, 2 or 4 bytes for up
// to 32 members and one byte per eight members above that, the size such sets
// have in stored records.
template <class E, int N>
struct TSet {
  static_assert(N > 0 && N <= 256, "a set holds at most 256 members");
  static constexpr std::size_t ByteCount =
      N <= 8 ? 1 : N <= 16 ? 2 : N <= 32 ? 4 : static_cast<std::size_t>((N + 7) / 8);

  Byte bits[ByteCount]{};

  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) Include(e);
  }

  // Ordinals outside 0 .. N-1 are never members: Include ignores them.
  static constexpr bool InRange(E e) {
    const auto k = static_cast<long long>(e);
    return k >= 0 && k < N;
  }

  constexpr TSet& Include(E e) {
    if (InRange(e)) {
      const auto k = static_cast<std::size_t>(e);
      bits[k / 8] = static_cast<Byte>(bits[k / 8] | (1u << (k % 8)));
    }
    return *this;
  }
  constexpr TSet& Exclude(E e) {
    if (InRange(e)) {
      const auto k = static_cast<std::size_t>(e);
      bits[k / 8] = static_cast<Byte>(bits[k / 8] & ~(1u << (k % 8)));
    }
    return *this;
  }
  constexpr bool Contains(E e) const {
    if (!InRange(e)) return false;
    const auto k = static_cast<std::size_t>(e);
    return (bits[k / 8] >> (k % 8)) & 1u;
  }
  constexpr bool Empty() const {
    for (Byte b : bits)
      if (b != 0) return false;
    return true;
  }
  // Number of members.
  constexpr int Count() const {
    int n = 0;
    for (int k = 0; k < N; ++k)
      if ((bits[k / 8] >> (k % 8)) & 1u) ++n;
    return n;
  }
  constexpr void Clear() {
    for (Byte& b : bits) b = 0;
  }

  // Union, intersection and difference.
  friend constexpr TSet operator|(TSet a, const TSet& b) {
    for (std::size_t i = 0; i < ByteCount; ++i) a.bits[i] = static_cast<Byte>(a.bits[i] | b.bits[i]);
    return a;
  }
  friend constexpr TSet operator&(TSet a, const TSet& b) {
    for (std::size_t i = 0; i < ByteCount; ++i) a.bits[i] = static_cast<Byte>(a.bits[i] & b.bits[i]);
    return a;
  }
  friend constexpr TSet operator-(TSet a, const TSet& b) {
    for (std::size_t i = 0; i < ByteCount; ++i) a.bits[i] = static_cast<Byte>(a.bits[i] & ~b.bits[i]);
    return a;
  }
  constexpr TSet& operator|=(const TSet& b) { return *this = *this | b; }
  constexpr TSet& operator&=(const TSet& b) { return *this = *this & b; }
  constexpr TSet& operator-=(const TSet& b) { return *this = *this - b; }
  friend constexpr bool operator==(const TSet& a, const TSet& b) {
    for (std::size_t i = 0; i < ByteCount; ++i)
      if (a.bits[i] != b.bits[i]) return false;
    return true;
  }
};

// A subrange of the enumeration E: the values from Lo to Hi, both included.
// It carries no storage; loops run from Low to High and Contains tests a value.
template <class E, E Lo, E Hi>
struct TSubrange {
  static_assert(static_cast<long long>(Lo) <= static_cast<long long>(Hi), "an empty subrange");
  static constexpr E Low = Lo;
  static constexpr E High = Hi;
  static constexpr int Count = static_cast<int>(static_cast<long long>(Hi) - static_cast<long long>(Lo) + 1);
  static constexpr bool Contains(E e) {
    const auto k = static_cast<long long>(e);
    return k >= static_cast<long long>(Lo) && k <= static_cast<long long>(Hi);
  }
};

// A fixed array of N elements indexed by the ordinals of the enumeration E.
// Its layout is that of T[N], so it may be part of a record stored raw.
// Indexing with an ordinal outside 0 .. N-1 raises EListError.
template <class E, class T, std::size_t N>
struct TEnumArray {
  T items[N]{};

  static constexpr std::size_t size() { return N; }
  constexpr T& operator[](E e) { return items[Checked(e)]; }
  constexpr const T& operator[](E e) const { return items[Checked(e)]; }
  constexpr T* begin() { return items; }
  constexpr T* end() { return items + N; }
  constexpr const T* begin() const { return items; }
  constexpr const T* end() const { return items + N; }
  constexpr T* data() { return items; }
  constexpr const T* data() const { return items; }
  friend bool operator==(const TEnumArray&, const TEnumArray&) = default;

 private:
  static constexpr std::size_t Checked(E e) {
    const auto k = static_cast<long long>(e);
    if (k < 0 || k >= static_cast<long long>(N)) throw EListError(u"enumeration index out of range");
    return static_cast<std::size_t>(k);
  }
};

// True when V is a named enumerator of its enumeration, false for a value
// cast from an ordinal that no enumerator has. The compiler spells a named
// enumerator in a template's signature by its name and any other value as a
// cast ("(E)18"); both GCC and Clang do so.
template <auto V>
constexpr bool IsNamedEnumerator() {
  constexpr std::string_view signature = __PRETTY_FUNCTION__;
  constexpr auto at = signature.rfind("V = ");
  static_assert(at != std::string_view::npos, "unexpected signature spelling");
  return signature[at + 4] != '(';
}

namespace sets_detail {
template <class E, std::size_t... K>
constexpr bool AllNamed(std::index_sequence<K...>) {
  return (IsNamedEnumerator<static_cast<E>(K)>() && ...);
}
}  // namespace sets_detail

// True when the ordinals 0 .. Count-1 of E are exactly its enumerators: each
// is named and Count is not. The vocabulary checks its ..._Count constants
// with it, so an enumerator added or removed without its count fails the
// build.
template <class E, int Count>
constexpr bool EnumerationHasCount() {
  static_assert(Count > 0 && Count <= 255);
  return sets_detail::AllNamed<E>(std::make_index_sequence<static_cast<std::size_t>(Count)>()) &&
         !IsNamedEnumerator<static_cast<E>(Count)>();
}

}  // namespace sk
