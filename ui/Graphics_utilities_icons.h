// The drawing helpers' reading of icon files: which sizes an icon file holds,
// from its directory alone.
#pragma once

#include <vector>

#include "platform/runtime/RtlTypes.h"

namespace sk {

// An icon file, what it shows, and the sizes it holds.
struct T2StringAndIntArray {
  String icon_fname;
  String description;
  std::vector<Int32> valid_icon_sizes;
};

// The wanted sizes that the icon file's entries of bitCount bits per pixel
// hold, one per entry (the first wanted size the entry holds): 256 for an
// entry whose width byte is 0 and which has image data, any other size when
// it equals the width byte. Empty when the file does not exist or is not an
// icon file (type 1); a short or corrupt file gives its whole entries only.
std::vector<Int32> IconsizesInAnIconfile(const String& fileName, Int32 bitCount, const std::vector<Int32>& wantedSizes);
bool DimensionIsInArrayOfValidIconSizes(Int32 size, const std::vector<Int32>& sizes);

}  // namespace sk
