#include "platform/runtime/Colors.h"

#include <array>
#include <atomic>

#include "platform/runtime/Format.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

struct ColorName {
  TColor color;
  const char16_t* name;
};

constexpr ColorName kColorNames[] = {
    {clBlack, u"clBlack"},
    {clMaroon, u"clMaroon"},
    {clGreen, u"clGreen"},
    {clOlive, u"clOlive"},
    {clNavy, u"clNavy"},
    {clPurple, u"clPurple"},
    {clTeal, u"clTeal"},
    {clGray, u"clGray"},
    {clSilver, u"clSilver"},
    {clRed, u"clRed"},
    {clLime, u"clLime"},
    {clYellow, u"clYellow"},
    {clBlue, u"clBlue"},
    {clFuchsia, u"clFuchsia"},
    {clAqua, u"clAqua"},
    {clWhite, u"clWhite"},
    {clMoneyGreen, u"clMoneyGreen"},
    {clSkyBlue, u"clSkyBlue"},
    {clCream, u"clCream"},
    {clMedGray, u"clMedGray"},
    {clLtGray, u"clLtGray"},
    {clDkGray, u"clDkGray"},
    {clNone, u"clNone"},
    {clDefault, u"clDefault"},
    {clActiveBorder, u"clActiveBorder"},
    {clActiveCaption, u"clActiveCaption"},
    {clAppWorkSpace, u"clAppWorkSpace"},
    {clBackground, u"clBackground"},
    {clBtnFace, u"clBtnFace"},
    {clBtnHighlight, u"clBtnHighlight"},
    {clBtnShadow, u"clBtnShadow"},
    {clBtnText, u"clBtnText"},
    {clCaptionText, u"clCaptionText"},
    {clGrayText, u"clGrayText"},
    {clHighlight, u"clHighlight"},
    {clHighlightText, u"clHighlightText"},
    {clInactiveBorder, u"clInactiveBorder"},
    {clInactiveCaption, u"clInactiveCaption"},
    {clInactiveCaptionText, u"clInactiveCaptionText"},
    {clInfoBk, u"clInfoBk"},
    {clInfoText, u"clInfoText"},
    {clMenu, u"clMenu"},
    {clMenuText, u"clMenuText"},
    {clScrollBar, u"clScrollBar"},
    {cl3DDkShadow, u"cl3DDkShadow"},
    {cl3DLight, u"cl3DLight"},
    {clWindow, u"clWindow"},
    {clWindowFrame, u"clWindowFrame"},
    {clWindowText, u"clWindowText"},
    {clHotLight, u"clHotLight"},
    {clGradientActiveCaption, u"clGradientActiveCaption"},
    {clGradientInactiveCaption, u"clGradientInactiveCaption"},
    {clMenuHighlight, u"clMenuHighlight"},
    {clMenuBar, u"clMenuBar"},
};

// A light desktop theme, used until the visual layer reads the real one.
constexpr std::array<TColor, SystemColorCount> kDefaultSysColors = {
    0xC8C8C8,  // scroll bar
    0x000000,  // desktop
    0xD1B499,  // active caption
    0xDBCDBF,  // inactive caption
    0xF0F0F0,  // menu
    0xFFFFFF,  // window
    0x646464,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0x000000,  // caption text
    0xB4B4B4,  // active border
    0xFCF7F4,  // inactive border
    0xABABAB,  // application work space
    0xD77800,  // highlight
    0xFFFFFF,  // highlight text
    0xF0F0F0,  // button face
    0xA0A0A0,  // button shadow
    0x6D6D6D,  // grey text
    0x000000,  // button text
    0x000000,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x696969,  // 3-D dark shadow
    0xE3E3E3,  // 3-D light
    0x000000,  // tooltip text
    0xE1FFFF,  // tooltip background
    0x000000,  // (unused slot)
    0xCC6600,  // hot-tracked item
    0xEAD1B9,  // gradient of an active caption
    0xF2E4D7,  // gradient of an inactive caption
    0xFF9933,  // menu highlight
    0xF0F0F0,  // menu bar
};

std::array<std::atomic<TColor>, SystemColorCount>& SysColors() {
  static std::array<std::atomic<TColor>, SystemColorCount> table;
  static const bool filled = [] {
    for (size_t i = 0; i < table.size(); ++i) table[i].store(kDefaultSysColors[i]);
    return true;
  }();
  (void)filled;
  return table;
}

}  // namespace

TColor GetSysColor(Int32 index) {
  if (index < 0 || index >= SystemColorCount) return 0;
  return SysColors()[static_cast<size_t>(index)].load(std::memory_order_relaxed);
}

void SetSysColor(Int32 index, TColor rgb) {
  if (index < 0 || index >= SystemColorCount) return;
  SysColors()[static_cast<size_t>(index)].store(rgb & 0xFFFFFF, std::memory_order_relaxed);
}

void ResetSysColors() {
  for (Int32 i = 0; i < SystemColorCount; ++i) SetSysColor(i, kDefaultSysColors[static_cast<size_t>(i)]);
}

TColor ColorToRGB(TColor color) {
  if (color < 0) return GetSysColor(color & 0xFF);
  return color;
}

bool ColorToIdent(TColor color, String& ident) {
  for (const ColorName& c : kColorNames)
    if (c.color == color) {
      ident = c.name;
      return true;
    }
  return false;
}

bool IdentToColor(const String& ident, TColor& color) {
  for (const ColorName& c : kColorNames)
    if (SameText(ident, c.name)) {
      color = c.color;
      return true;
    }
  return false;
}

String ColorToString(TColor color) {
  String ident;
  if (ColorToIdent(color, ident)) return ident;
  return u"$" + IntToHex(static_cast<Int64>(static_cast<uint32_t>(color)), 8);
}

bool TryStringToColor(const String& s, TColor& color) {
  if (IdentToColor(s, color)) return true;
  if (HexRGBToColor(s, color)) return true;
  Int64 v;
  if (!TryStrToInt64(s, v)) return false;
  if (v < INT32_MIN || v > static_cast<Int64>(UINT32_MAX)) return false;
  color = static_cast<TColor>(static_cast<uint32_t>(v));
  return true;
}

TColor StringToColor(const String& s) {
  TColor c;
  if (!TryStringToColor(s, c)) throw EConvertError(Format(u"'%s' is not a valid colour value", {s}));
  return c;
}

String ColorToHexRGB(TColor color) {
  const uint32_t rgb = static_cast<uint32_t>(ColorToRGB(color));
  const uint32_t r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
  return u"#" + IntToHex(r, 2) + IntToHex(g, 2) + IntToHex(b, 2);
}

bool HexRGBToColor(const String& s, TColor& color) {
  if (s.size() != 7 || s[0] != u'#') return false;
  uint32_t v = 0;
  for (size_t i = 1; i < 7; ++i) {
    Int32 d = HexDigitValue(s[i]);
    if (d < 0) return false;
    v = v * 16 + static_cast<uint32_t>(d);
  }
  const uint32_t r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
  color = static_cast<TColor>(r | (g << 8) | (b << 16));
  return true;
}

}  // namespace sk
