#include "ui/Graphics_utilities_icons.h"

#include <algorithm>
#include <exception>

#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Streams.h"

namespace sk {

namespace {

// The icon directory: reserved, type and count (16 bits each), then 16 bytes
// per entry: width, height, colours, reserved (8 bits each), planes and bits
// per pixel (16 bits each), size and offset of the image data (32 bits each).
constexpr size_t kIconDirBytes = 6;
constexpr size_t kIconEntryBytes = 16;

Word Le16(const Byte* p) { return static_cast<Word>(p[0] | (p[1] << 8)); }
Cardinal Le32(const Byte* p) {
  return static_cast<Cardinal>(p[0]) | (static_cast<Cardinal>(p[1]) << 8) | (static_cast<Cardinal>(p[2]) << 16) |
         (static_cast<Cardinal>(p[3]) << 24);
}

}  // namespace

std::vector<Int32> IconsizesInAnIconfile(const String& fileName, Int32 bitCount, const std::vector<Int32>& wantedSizes) {
  std::vector<Int32> found;
  if (!FileExists(fileName)) return found;
  TBytes dir;
  try {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
    Byte head[kIconDirBytes];
    if (stream.Read(head, kIconDirBytes) != static_cast<Int64>(kIconDirBytes)) return found;
    if (Le16(head + 2) != 1) return found;
    // Only the entries wholly present count: a short or corrupt file never
    // has its count trusted beyond the bytes that are there.
    const Int64 present = std::max<Int64>(0, stream.Size() - static_cast<Int64>(kIconDirBytes));
    const size_t entries = std::min<size_t>(Le16(head + 4), static_cast<size_t>(present / kIconEntryBytes));
    dir.resize(entries * kIconEntryBytes);
    if (!dir.empty()) {
      const Int64 got = std::max<Int64>(0, stream.Read(dir.data(), static_cast<Int64>(dir.size())));
      dir.resize(std::min(dir.size(), static_cast<size_t>(got) / kIconEntryBytes * kIconEntryBytes));
    }
  } catch (const std::exception&) {
    return found;
  }
  for (size_t at = 0; at + kIconEntryBytes <= dir.size(); at += kIconEntryBytes) {
    const Byte* e = dir.data() + at;
    const Int32 widthByte = e[0];
    if (Le16(e + 6) != bitCount) continue;
    const Cardinal dataSize = Le32(e + 8);
    for (const Int32 size : wantedSizes) {
      const bool holds = size == 256 ? widthByte == 0 && dataSize > 0 : size >= 1 && size == widthByte;
      if (holds) {
        found.push_back(size);
        break;
      }
    }
  }
  return found;
}

bool DimensionIsInArrayOfValidIconSizes(Int32 size, const std::vector<Int32>& sizes) {
  return std::find(sizes.begin(), sizes.end(), size) != sizes.end();
}

}  // namespace sk
