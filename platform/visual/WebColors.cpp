#include "platform/visual/WebColors.h"

#include <algorithm>

#include "platform/runtime/QuickSort.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

// A colour value from CSS's "#RRGGBB" order.
constexpr TColor Rgb(uint32_t rrggbb) {
  return static_cast<TColor>(((rrggbb & 0xFF) << 16) | (rrggbb & 0xFF00) | ((rrggbb >> 16) & 0xFF));
}

struct TRgb {
  double r, g, b;
};

TRgb ChannelsOf(Int32 c) {
  const auto u = static_cast<uint32_t>(c);
  return TRgb{static_cast<double>(u & 0xFF), static_cast<double>((u >> 8) & 0xFF), static_cast<double>((u >> 16) & 0xFF)};
}

// Hue in degrees from 0 to below 360; -1 for a grey.
double HueOf(Int32 c) {
  const TRgb x = ChannelsOf(c);
  const double mx = std::max({x.r, x.g, x.b});
  const double mn = std::min({x.r, x.g, x.b});
  if (mx == mn) return -1;
  const double d = mx - mn;
  double h;
  if (mx == x.r)
    h = (x.g - x.b) / d;
  else if (mx == x.g)
    h = (x.b - x.r) / d + 2;
  else
    h = (x.r - x.g) / d + 4;
  h *= 60;
  if (h < 0) h += 360;
  return h;
}

double LuminanceOf(Int32 c) {
  const TRgb x = ChannelsOf(c);
  return 0.299 * x.r + 0.587 * x.g + 0.114 * x.b;
}

template <class T>
int Three(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

const TWebColorEntry WebNamedColors[WebNamedColorsCount] = {
    {Rgb(0xF0F8FF), u"clWebAliceBlue"},
    {Rgb(0xFAEBD7), u"clWebAntiqueWhite"},
    {Rgb(0x00FFFF), u"clWebAqua"},
    {Rgb(0x7FFFD4), u"clWebAquamarine"},
    {Rgb(0xF0FFFF), u"clWebAzure"},
    {Rgb(0xF5F5DC), u"clWebBeige"},
    {Rgb(0xFFE4C4), u"clWebBisque"},
    {Rgb(0x000000), u"clWebBlack"},
    {Rgb(0xFFEBCD), u"clWebBlanchedAlmond"},
    {Rgb(0x0000FF), u"clWebBlue"},
    {Rgb(0x8A2BE2), u"clWebBlueViolet"},
    {Rgb(0xA52A2A), u"clWebBrown"},
    {Rgb(0xDEB887), u"clWebBurlyWood"},
    {Rgb(0x5F9EA0), u"clWebCadetBlue"},
    {Rgb(0x7FFF00), u"clWebChartreuse"},
    {Rgb(0xD2691E), u"clWebChocolate"},
    {Rgb(0xFF7F50), u"clWebCoral"},
    {Rgb(0x6495ED), u"clWebCornflowerBlue"},
    {Rgb(0xFFF8DC), u"clWebCornsilk"},
    {Rgb(0xDC143C), u"clWebCrimson"},
    {Rgb(0x00FFFF), u"clWebCyan"},
    {Rgb(0x00008B), u"clWebDarkBlue"},
    {Rgb(0x008B8B), u"clWebDarkCyan"},
    {Rgb(0xB8860B), u"clWebDarkGoldenrod"},
    {Rgb(0xA9A9A9), u"clWebDarkGray"},
    {Rgb(0x006400), u"clWebDarkGreen"},
    {Rgb(0xBDB76B), u"clWebDarkKhaki"},
    {Rgb(0x8B008B), u"clWebDarkMagenta"},
    {Rgb(0x556B2F), u"clWebDarkOliveGreen"},
    {Rgb(0xFF8C00), u"clWebDarkOrange"},
    {Rgb(0x9932CC), u"clWebDarkOrchid"},
    {Rgb(0x8B0000), u"clWebDarkRed"},
    {Rgb(0xE9967A), u"clWebDarkSalmon"},
    {Rgb(0x8FBC8F), u"clWebDarkSeaGreen"},
    {Rgb(0x483D8B), u"clWebDarkSlateBlue"},
    {Rgb(0x2F4F4F), u"clWebDarkSlateGray"},
    {Rgb(0x00CED1), u"clWebDarkTurquoise"},
    {Rgb(0x9400D3), u"clWebDarkViolet"},
    {Rgb(0xFF1493), u"clWebDeepPink"},
    {Rgb(0x00BFFF), u"clWebDeepSkyBlue"},
    {Rgb(0x696969), u"clWebDimGray"},
    {Rgb(0x1E90FF), u"clWebDodgerBlue"},
    {Rgb(0xB22222), u"clWebFirebrick"},
    {Rgb(0xFFFAF0), u"clWebFloralWhite"},
    {Rgb(0x228B22), u"clWebForestGreen"},
    {Rgb(0xFF00FF), u"clWebFuchsia"},
    {Rgb(0xDCDCDC), u"clWebGainsboro"},
    {Rgb(0xF8F8FF), u"clWebGhostWhite"},
    {Rgb(0xFFD700), u"clWebGold"},
    {Rgb(0xDAA520), u"clWebGoldenrod"},
    {Rgb(0x808080), u"clWebGray"},
    {Rgb(0x008000), u"clWebGreen"},
    {Rgb(0xADFF2F), u"clWebGreenYellow"},
    {Rgb(0xF0FFF0), u"clWebHoneydew"},
    {Rgb(0xFF69B4), u"clWebHotPink"},
    {Rgb(0xCD5C5C), u"clWebIndianRed"},
    {Rgb(0x4B0082), u"clWebIndigo"},
    {Rgb(0xFFFFF0), u"clWebIvory"},
    {Rgb(0xF0E68C), u"clWebKhaki"},
    {Rgb(0xE6E6FA), u"clWebLavender"},
    {Rgb(0xFFF0F5), u"clWebLavenderBlush"},
    {Rgb(0x7CFC00), u"clWebLawnGreen"},
    {Rgb(0xFFFACD), u"clWebLemonChiffon"},
    {Rgb(0xADD8E6), u"clWebLightBlue"},
    {Rgb(0xF08080), u"clWebLightCoral"},
    {Rgb(0xE0FFFF), u"clWebLightCyan"},
    {Rgb(0xFAFAD2), u"clWebLightGoldenrodYellow"},
    {Rgb(0xD3D3D3), u"clWebLightGray"},
    {Rgb(0x90EE90), u"clWebLightGreen"},
    {Rgb(0xFFB6C1), u"clWebLightPink"},
    {Rgb(0xFFA07A), u"clWebLightSalmon"},
    {Rgb(0x20B2AA), u"clWebLightSeaGreen"},
    {Rgb(0x87CEFA), u"clWebLightSkyBlue"},
    {Rgb(0x778899), u"clWebLightSlateGray"},
    {Rgb(0xB0C4DE), u"clWebLightSteelBlue"},
    {Rgb(0xFFFFE0), u"clWebLightYellow"},
    {Rgb(0x00FF00), u"clWebLime"},
    {Rgb(0x32CD32), u"clWebLimeGreen"},
    {Rgb(0xFAF0E6), u"clWebLinen"},
    {Rgb(0xFF00FF), u"clWebMagenta"},
    {Rgb(0x800000), u"clWebMaroon"},
    {Rgb(0x66CDAA), u"clWebMediumAquamarine"},
    {Rgb(0x0000CD), u"clWebMediumBlue"},
    {Rgb(0xBA55D3), u"clWebMediumOrchid"},
    {Rgb(0x9370DB), u"clWebMediumPurple"},
    {Rgb(0x3CB371), u"clWebMediumSeaGreen"},
    {Rgb(0x7B68EE), u"clWebMediumSlateBlue"},
    {Rgb(0x00FA9A), u"clWebMediumSpringGreen"},
    {Rgb(0x48D1CC), u"clWebMediumTurquoise"},
    {Rgb(0xC71585), u"clWebMediumVioletRed"},
    {Rgb(0x191970), u"clWebMidnightBlue"},
    {Rgb(0xF5FFFA), u"clWebMintCream"},
    {Rgb(0xFFE4E1), u"clWebMistyRose"},
    {Rgb(0xFFE4B5), u"clWebMoccasin"},
    {Rgb(0xFFDEAD), u"clWebNavajoWhite"},
    {Rgb(0x000080), u"clWebNavy"},
    {Rgb(0xFDF5E6), u"clWebOldLace"},
    {Rgb(0x808000), u"clWebOlive"},
    {Rgb(0x6B8E23), u"clWebOliveDrab"},
    {Rgb(0xFFA500), u"clWebOrange"},
    {Rgb(0xFF4500), u"clWebOrangeRed"},
    {Rgb(0xDA70D6), u"clWebOrchid"},
    {Rgb(0xEEE8AA), u"clWebPaleGoldenrod"},
    {Rgb(0x98FB98), u"clWebPaleGreen"},
    {Rgb(0xAFEEEE), u"clWebPaleTurquoise"},
    {Rgb(0xDB7093), u"clWebPaleVioletRed"},
    {Rgb(0xFFEFD5), u"clWebPapayaWhip"},
    {Rgb(0xFFDAB9), u"clWebPeachPuff"},
    {Rgb(0xCD853F), u"clWebPeru"},
    {Rgb(0xFFC0CB), u"clWebPink"},
    {Rgb(0xDDA0DD), u"clWebPlum"},
    {Rgb(0xB0E0E6), u"clWebPowderBlue"},
    {Rgb(0x800080), u"clWebPurple"},
    {Rgb(0x663399), u"clWebRebeccaPurple"},
    {Rgb(0xFF0000), u"clWebRed"},
    {Rgb(0xBC8F8F), u"clWebRosyBrown"},
    {Rgb(0x4169E1), u"clWebRoyalBlue"},
    {Rgb(0x8B4513), u"clWebSaddleBrown"},
    {Rgb(0xFA8072), u"clWebSalmon"},
    {Rgb(0xF4A460), u"clWebSandyBrown"},
    {Rgb(0x2E8B57), u"clWebSeaGreen"},
    {Rgb(0xFFF5EE), u"clWebSeashell"},
    {Rgb(0xA0522D), u"clWebSienna"},
    {Rgb(0xC0C0C0), u"clWebSilver"},
    {Rgb(0x87CEEB), u"clWebSkyBlue"},
    {Rgb(0x6A5ACD), u"clWebSlateBlue"},
    {Rgb(0x708090), u"clWebSlateGray"},
    {Rgb(0xFFFAFA), u"clWebSnow"},
    {Rgb(0x00FF7F), u"clWebSpringGreen"},
    {Rgb(0x4682B4), u"clWebSteelBlue"},
    {Rgb(0xD2B48C), u"clWebTan"},
    {Rgb(0x008080), u"clWebTeal"},
    {Rgb(0xD8BFD8), u"clWebThistle"},
    {Rgb(0xFF6347), u"clWebTomato"},
    {Rgb(0x40E0D0), u"clWebTurquoise"},
    {Rgb(0xEE82EE), u"clWebViolet"},
    {Rgb(0xF5DEB3), u"clWebWheat"},
    {Rgb(0xFFFFFF), u"clWebWhite"},
    {Rgb(0xF5F5F5), u"clWebWhiteSmoke"},
    {Rgb(0xFFFF00), u"clWebYellow"},
    {Rgb(0x9ACD32), u"clWebYellowGreen"},
};

std::vector<TIdentMapEntry> WebColorsMap() {
  std::vector<TIdentMapEntry> map;
  map.reserve(WebNamedColorsCount);
  for (const TWebColorEntry& e : WebNamedColors) map.push_back(TIdentMapEntry{e.Value, String(e.Name)});
  return map;
}

bool IdentToInt(const String& ident, Int32& value, const std::vector<TIdentMapEntry>& map) {
  for (const TIdentMapEntry& e : map)
    if (SameText(e.Name, ident)) {
      value = e.Value;
      return true;
    }
  return false;
}

bool IntToIdent(Int32 value, String& ident, const std::vector<TIdentMapEntry>& map) {
  for (const TIdentMapEntry& e : map)
    if (e.Value == value) {
      ident = e.Name;
      return true;
    }
  return false;
}

void SortColorArray(std::vector<TIdentMapEntry>& colors, TColorArraySortType sortType, bool ascending) {
  auto compare = [sortType](const TIdentMapEntry& a, const TIdentMapEntry& b) {
    int r = 0;
    switch (sortType) {
      case csaHue: r = Three(HueOf(a.Value), HueOf(b.Value)); break;
      case csaLuminance: r = Three(LuminanceOf(a.Value), LuminanceOf(b.Value)); break;
      case csaValue: r = Three(a.Value, b.Value); break;
      case csaName: break;
    }
    if (r == 0) {
      const Int32 byName = CompareText(a.Name, b.Name);
      r = byName < 0 ? -1 : (byName > 0 ? 1 : 0);
    }
    if (r == 0) r = Three(a.Value, b.Value);
    return r;
  };
  QuickSortVector(colors, [&](const TIdentMapEntry& a, const TIdentMapEntry& b) {
    return ascending ? compare(a, b) : compare(b, a);
  });
}

}  // namespace sk
