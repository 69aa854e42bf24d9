// Where a storage test puts its inserts and deletes: at the front, in the
// middle, at random places or at the back of a sequence of a given size.
#pragma once

#include <cstddef>
#include <random>

namespace sk {

enum TEditPlace { front, middle, random, back };

inline size_t EditIndex(TEditPlace where, size_t size, std::mt19937& rng) {
  switch (where) {
    case front: return 0;
    case middle: return size / 2;
    case random: return rng() % (size + 1);
    default: return size;
  }
}

}  // namespace sk
