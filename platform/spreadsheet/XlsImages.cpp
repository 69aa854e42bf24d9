#include <cstring>

#include "platform/spreadsheet/XlsSheet.h"

namespace sk {

namespace {

UInt64 BE16(const Byte* p) { return (UInt64{p[0]} << 8) | p[1]; }
UInt64 BE32(const Byte* p) { return (BE16(p) << 16) | BE16(p + 2); }
UInt64 LE16(const Byte* p) { return (UInt64{p[1]} << 8) | p[0]; }
UInt64 LE32(const Byte* p) { return (LE16(p + 2) << 16) | LE16(p); }

// Sides beyond this are not pictures a sheet can show.
constexpr UInt64 kMaxSide = 1 << 16;

bool SaneSides(UInt64 w, UInt64 h) { return w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide; }

TXlsImageInfo ProbePng(const Byte* d, size_t n) {
  TXlsImageInfo info;
  // Signature, then the IHDR chunk: length, type, width, height.
  if (n < 24 || std::memcmp(d + 12, "IHDR", 4) != 0) return info;
  const UInt64 w = BE32(d + 16), h = BE32(d + 20);
  if (!SaneSides(w, h)) return info;
  info.Width = static_cast<Int32>(w);
  info.Height = static_cast<Int32>(h);
  // Chunks up to the image data may give the resolution (pHYs, per metre).
  size_t pos = 8;
  while (pos + 8 <= n) {
    const UInt64 len = BE32(d + pos);
    const Byte* type = d + pos + 4;
    if (len > n - pos - 8) break;
    if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) break;
    if (std::memcmp(type, "pHYs", 4) == 0 && len >= 9) {
      const Byte* p = d + pos + 8;
      const UInt64 xppm = BE32(p), yppm = BE32(p + 4);
      if (p[8] == 1 && xppm > 0 && yppm > 0) {
        info.DpiX = static_cast<double>(xppm) * 0.0254;
        info.DpiY = static_cast<double>(yppm) * 0.0254;
      }
    }
    if (len + 12 > n - pos) break;
    pos += static_cast<size_t>(len) + 12;  // length, type, data, CRC
  }
  info.Type = TXlsImageInfo::Png;
  return info;
}

TXlsImageInfo ProbeJpeg(const Byte* d, size_t n) {
  TXlsImageInfo info;
  double dpiX = 96, dpiY = 96;
  size_t pos = 2;
  while (pos + 4 <= n) {
    if (d[pos] != 0xFF) return info;
    const Byte marker = d[pos + 1];
    if (marker == 0xFF) {  // fill byte
      ++pos;
      continue;
    }
    const UInt64 len = BE16(d + pos + 2);
    if (len < 2 || len > n - pos - 2) return info;
    const Byte* seg = d + pos + 4;
    if (marker == 0xE0 && len >= 14 && std::memcmp(seg, "JFIF\0", 5) == 0) {
      const Byte units = seg[7];
      const double dx = static_cast<double>(BE16(seg + 8)), dy = static_cast<double>(BE16(seg + 10));
      if (dx > 0 && dy > 0 && (units == 1 || units == 2)) {
        dpiX = units == 1 ? dx : dx * 2.54;
        dpiY = units == 1 ? dy : dy * 2.54;
      }
    }
    const bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (sof) {
      if (len < 7) return info;
      const UInt64 h = BE16(seg + 1), w = BE16(seg + 3);
      if (!SaneSides(w, h)) return info;
      info.Width = static_cast<Int32>(w);
      info.Height = static_cast<Int32>(h);
      info.DpiX = dpiX;
      info.DpiY = dpiY;
      info.Type = TXlsImageInfo::Jpeg;
      return info;
    }
    if (marker == 0xD9 || marker == 0xDA) return info;  // end, or data before any frame
    pos += static_cast<size_t>(len) + 2;
  }
  return info;
}

TXlsImageInfo ProbeBmp(const Byte* d, size_t n) {
  TXlsImageInfo info;
  // File header (14 bytes), then an information header of at least 40 bytes
  // with 32-bit width and height; a negative height (rows stored top down) is
  // not taken, nor the old 12-byte header.
  if (n < 54 || LE32(d + 14) < 40) return info;
  const UInt64 w = LE32(d + 18), h = LE32(d + 22);
  if (!SaneSides(w, h)) return info;
  info.Width = static_cast<Int32>(w);
  info.Height = static_cast<Int32>(h);
  info.Type = TXlsImageInfo::Bmp;
  return info;
}

}  // namespace

TXlsImageInfo XlsProbeImage(const Byte* data, size_t size) {
  static const Byte png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (data == nullptr) return {};
  if (size >= 8 && std::memcmp(data, png, 8) == 0) return ProbePng(data, size);
  if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return ProbeJpeg(data, size);
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return ProbeBmp(data, size);
  return {};
}

}  // namespace sk
