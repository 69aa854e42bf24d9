#include "platform/runtime/Random.h"

#include <sys/random.h>

#include <chrono>

namespace sk {

namespace {

// splitmix64: one step of the sequence; statistically sound for shuffles and
// samples and cheap enough for per-item calls.
UInt64 NextRandom() {
  RandSeed += 0x9E3779B97F4A7C15ULL;
  UInt64 z = RandSeed;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

}  // namespace

void Randomize() {
  UInt64 seed = 0;
  if (getrandom(&seed, sizeof seed, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof seed))
    seed = static_cast<UInt64>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
           static_cast<UInt64>(std::chrono::system_clock::now().time_since_epoch().count());
  RandSeed = seed;
}

Int32 Random(Int32 range) {
  if (range <= 0) return 0;
  // Multiply-shift maps the 32 high bits onto [0, range) without modulo bias
  // worth speaking of for list-sized ranges.
  const UInt64 high = NextRandom() >> 32;
  return static_cast<Int32>((high * static_cast<UInt64>(range)) >> 32);
}

Double Random() { return static_cast<Double>(NextRandom() >> 11) * (1.0 / 9007199254740992.0); }

}  // namespace sk
