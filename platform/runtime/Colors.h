// Colour values: the basic named colours, the system colours (which stand for
// the colours of the user's desktop theme and resolve to RGB through a table
// that the visual layer refreshes from the theme), clNone and clDefault, their
// "cl" names in both directions, and "#RRGGBB" text.
//
// A TColor holds red in its low byte, then green, then blue.  System colours
// are negative: clSysColor with the system colour's index in the low byte.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clLtGray = 0xC0C0C0;
inline constexpr TColor clDkGray = 0x808080;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clMoneyGreen = 0xC0DCC0;
inline constexpr TColor clSkyBlue = 0xF0CAA6;
inline constexpr TColor clCream = 0xF0FBFF;
inline constexpr TColor clMedGray = 0xA4A0A0;

// No colour at all (nothing is painted), and the control's own default colour.
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

inline constexpr TColor clSysColor = static_cast<TColor>(0xFF000000u);
inline constexpr TColor clScrollBar = clSysColor | 0;
inline constexpr TColor clBackground = clSysColor | 1;
inline constexpr TColor clActiveCaption = clSysColor | 2;
inline constexpr TColor clInactiveCaption = clSysColor | 3;
inline constexpr TColor clMenu = clSysColor | 4;
inline constexpr TColor clWindow = clSysColor | 5;
inline constexpr TColor clWindowFrame = clSysColor | 6;
inline constexpr TColor clMenuText = clSysColor | 7;
inline constexpr TColor clWindowText = clSysColor | 8;
inline constexpr TColor clCaptionText = clSysColor | 9;
inline constexpr TColor clActiveBorder = clSysColor | 10;
inline constexpr TColor clInactiveBorder = clSysColor | 11;
inline constexpr TColor clAppWorkSpace = clSysColor | 12;
inline constexpr TColor clHighlight = clSysColor | 13;
inline constexpr TColor clHighlightText = clSysColor | 14;
inline constexpr TColor clBtnFace = clSysColor | 15;
inline constexpr TColor clBtnShadow = clSysColor | 16;
inline constexpr TColor clGrayText = clSysColor | 17;
inline constexpr TColor clBtnText = clSysColor | 18;
inline constexpr TColor clInactiveCaptionText = clSysColor | 19;
inline constexpr TColor clBtnHighlight = clSysColor | 20;
inline constexpr TColor cl3DDkShadow = clSysColor | 21;
inline constexpr TColor cl3DLight = clSysColor | 22;
inline constexpr TColor clInfoText = clSysColor | 23;
inline constexpr TColor clInfoBk = clSysColor | 24;
inline constexpr TColor clHotLight = clSysColor | 26;
inline constexpr TColor clGradientActiveCaption = clSysColor | 27;
inline constexpr TColor clGradientInactiveCaption = clSysColor | 28;
inline constexpr TColor clMenuHighlight = clSysColor | 29;
inline constexpr TColor clMenuBar = clSysColor | 30;

// Number of system colour slots (indexes 0 to 30).
inline constexpr Int32 SystemColorCount = 31;

// The RGB value of a colour: a system colour through the system colour table,
// any other value unchanged.
TColor ColorToRGB(TColor color);
// The table entry of a system colour index (0 to 30); 0 for another index.
TColor GetSysColor(Int32 index);
// Sets one entry of the system colour table (the visual layer does this from
// the desktop theme); an index outside 0 to 30 is ignored.
void SetSysColor(Int32 index, TColor rgb);
// Puts back the built-in light theme.
void ResetSysColors();

// The "cl" name of a colour that has one ("clRed", "clWindow", "clNone");
// false when it has none.  Equal values answer their first name (clSilver
// before clLtGray).
bool ColorToIdent(TColor color, String& ident);
// The colour of a "cl" name, compared without regard to case; false when the
// name is unknown.
bool IdentToColor(const String& ident, TColor& color);
// The colour's "cl" name, else "$" and eight upper-case hexadecimal digits.
String ColorToString(TColor color);
// A "cl" name, "#RRGGBB", or an integer ("$" for hexadecimal); raises
// EConvertError for anything else.
TColor StringToColor(const String& s);
bool TryStringToColor(const String& s, TColor& color);

// "#RRGGBB" of the colour's RGB value (system colours resolved).
String ColorToHexRGB(TColor color);
// Reads "#RRGGBB" (six hexadecimal digits after "#"); false otherwise.
bool HexRGBToColor(const String& s, TColor& color);

}  // namespace sk
