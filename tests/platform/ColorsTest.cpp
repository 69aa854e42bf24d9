// Colour names both ways, system colours through their table, "#RRGGBB".
#include <gtest/gtest.h>

#include "platform/runtime/Colors.h"

namespace sk {
namespace {

TEST(Colors, NamesBothWays) {
  struct Case {
    TColor color;
    const char16_t* name;
  };
  const Case cases[] = {{clRed, u"clRed"},     {clNone, u"clNone"},       {clWindow, u"clWindow"},
                        {clSilver, u"clSilver"}, {clMenuBar, u"clMenuBar"}, {clDefault, u"clDefault"}};
  for (const Case& c : cases) {
    String n;
    ASSERT_TRUE(ColorToIdent(c.color, n)) << StringToUtf8(c.name);
    EXPECT_EQ(n, c.name);
    TColor back = 0;
    ASSERT_TRUE(IdentToColor(c.name, back));
    EXPECT_EQ(back, c.color);
  }
  TColor v = 0;
  EXPECT_TRUE(IdentToColor(u"CLLTGRAY", v));  // case does not matter, aliases read
  EXPECT_EQ(v, clSilver);
  EXPECT_FALSE(IdentToColor(u"clPink", v));
  String n;
  EXPECT_FALSE(ColorToIdent(0x123456, n));
  EXPECT_EQ(ColorToString(0x123456), u"$00123456");
  EXPECT_EQ(ColorToString(clBlue), u"clBlue");
}

TEST(Colors, TextToColour) {
  EXPECT_EQ(StringToColor(u"clAqua"), clAqua);
  EXPECT_EQ(StringToColor(u"$00FF0000"), clBlue);
  EXPECT_EQ(StringToColor(u"255"), clRed);
  EXPECT_EQ(StringToColor(u"#FF0000"), clRed);  // "#RRGGBB" puts red first
  EXPECT_EQ(StringToColor(u"-16777211"), clWindow);
  EXPECT_THROW(StringToColor(u"reddish"), EConvertError);
  TColor c = 7;
  EXPECT_FALSE(TryStringToColor(u"#12345", c));
  EXPECT_FALSE(TryStringToColor(u"#12345G", c));
  EXPECT_FALSE(TryStringToColor(u"99999999999", c));
  EXPECT_EQ(c, 7);
}

TEST(Colors, HexTextAndSystemTable) {
  EXPECT_EQ(ColorToHexRGB(0x00563412), u"#123456");
  TColor c;
  ASSERT_TRUE(HexRGBToColor(u"#a0b0c0", c));
  EXPECT_EQ(c, 0xC0B0A0);
  EXPECT_EQ(ColorToRGB(clWindow), GetSysColor(5));
  SetSysColor(5, 0x112233);
  EXPECT_EQ(ColorToRGB(clWindow), 0x112233);
  EXPECT_EQ(ColorToHexRGB(clWindow), u"#332211");
  SetSysColor(99, 1);  // ignored
  EXPECT_EQ(GetSysColor(99), 0);
  ResetSysColors();
  EXPECT_EQ(ColorToRGB(clWindow), clWhite);
  EXPECT_EQ(ColorToRGB(clNone), clNone);  // not a system colour: unchanged
}

}  // namespace
}  // namespace sk
