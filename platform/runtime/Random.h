// The process-wide pseudo-random generator that shuffles and samples use.
// It is not for secrets. Its state is a plain variable so that a host (or a
// test) can make a run repeatable by setting RandSeed; Randomize seeds it from
// the clock and the operating system.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

// The generator's state. Starts at 0 (a fixed sequence) until Randomize runs.
inline constinit UInt64 RandSeed = 0;

// Seeds RandSeed from the operating system's random source (or the clock).
void Randomize();
// A number in [0, range); 0 when range is 0 or negative.
Int32 Random(Int32 range);
// A number in [0, 1).
Double Random();

}  // namespace sk
