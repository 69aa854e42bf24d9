// The zip engine's constants: the texts of its events (message entries, in
// the theme file ZAConst_messages), the version text a host may add to the
// engine's version, and the CRC-32 table of the zip format.
#pragma once

#include <array>

#include "platform/runtime/RtlTypes.h"
#include "zip/ZAConst_messages.h"

namespace sk {

// Text that follows the engine's version number in the archiver's
// CurrentVersion; empty until a host sets it, cleared when the unit stops.
inline String internalCurrentVersionText;

namespace zaconst_detail {
constexpr std::array<Cardinal, 256> MakeCRC32Table() {
  std::array<Cardinal, 256> t{};
  for (Cardinal i = 0; i < 256; ++i) {
    Cardinal c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
    t[i] = c;
  }
  return t;
}
}  // namespace zaconst_detail

// The standard CRC-32 table of the zip format (reflected polynomial 0xEDB88320).
inline constexpr std::array<Cardinal, 256> CRC32_TABLE = zaconst_detail::MakeCRC32Table();

// Unit start and stop: stopping clears internalCurrentVersionText.
void ZAConst_initialization();
void ZAConst_Finalization();

}  // namespace sk
