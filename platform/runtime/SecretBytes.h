// Secret bytes from the operating system's random source, for salts, keys and
// encryption headers. The seeded process generator (Random.h) is repeatable by
// design and never serves secrets.
#pragma once

#include <cstddef>

#include "platform/runtime/RtlTypes.h"

namespace sk {

// Fills count bytes at buffer with bytes from getrandom (every value 0 to 255
// equally likely), looping on short reads and interrupted calls. Blocks only
// while the system's random source is not yet seeded after boot. Raises
// Exception when the source cannot be read; the buffer is then undefined.
void FillSecretBytes(void* buffer, std::size_t count);

// count secret bytes as a new block; an empty block for count 0.
TBytes SecretBytes(std::size_t count);

}  // namespace sk
