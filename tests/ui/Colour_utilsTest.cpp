// Colour arithmetic, colour maps and names, and the shared list of named
// colours with its sorted orders.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/runtime/Colors.h"
#include "ui/Colour_utils.h"

namespace sk {
namespace {

TEST(Colour_utils, MixColoursWeighsEachChannelAndTopsOutBelowFull) {
  const struct {
    TColor a, b;
    Byte weight;
    TColor expected;
  } cases[] = {
      {clWhite, clBlack, 255, 0xFEFEFE},     // all of white but one step
      {clWhite, clBlack, 0, clBlack},
      {clBlack, clWhite, 0, 0xFEFEFE},
      {clRed, clBlue, 128, 0x7E007F},        // red 255*128>>8, blue 255*127>>8
      {clBtnFace, clBlack, 255, 0x00000E},   // a system colour's low bytes only
      {0x102030, 0x102030, 77, 0x0F1F2F},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MixColours(c.a, c.b, c.weight), c.expected) << std::hex << c.a << " " << c.b << " " << int(c.weight);
}

TEST(Colour_utils, ContrastingTextIsWhiteOnDarkAndSystemColoursBlackOnLight) {
  const struct {
    TColor background, expected;
  } cases[] = {
      {clBlack, clWhite},  {clWindow, clWhite}, {clBtnFace, clWhite}, {clWhite, clBlack},  {clYellow, clBlack},
      {clNavy, clWhite},   {clSilver, clBlack}, {0x808080, clBlack}, {0x7F7F7F, clWhite},  {clLime, clBlack},   {clNone, clBlack},
  };
  for (const auto& c : cases) EXPECT_EQ(GetContrastingTextColour(c.background), c.expected) << std::hex << c.background;
}

TEST(Colour_utils, RGB2HSVGivesPercentagesAndAGreyTheHue300) {
  const struct {
    Byte r, g, b;
    double hue, sat, val;
  } cases[] = {
      {128, 128, 128, 300, 0, 128 * 100.0 / 255},
      {0, 0, 0, 300, 0, 0},
      {255, 0, 0, 0, 100, 100},
      {0, 255, 0, 120, 100, 100},
      {0, 0, 255, 240, 100, 100},
      {255, 0, 255, 300, 100, 100},
      {255, 0, 128, 360 - 128 * 60.0 / 255, 100, 100},
      {100, 50, 0, 30, 100, 100 * 100.0 / 255},
  };
  for (const auto& c : cases) {
    const THSV h = RGB2HSV(c.r, c.g, c.b);
    EXPECT_NEAR(h.Hue, c.hue, 1e-9) << int(c.r) << "," << int(c.g) << "," << int(c.b);
    EXPECT_NEAR(h.Sat, c.sat, 1e-9);
    EXPECT_NEAR(h.Val, c.val, 1e-9);
  }
}

TEST(Colour_utils, ColourToHexWritesRedGreenBlue) {
  EXPECT_EQ(ColourToHex(clRed), u"$FF0000");
  EXPECT_EQ(ColourToHex(0x563412), u"$123456");
  EXPECT_EQ(ColourToHex(0xABCDEF), u"$EFCDAB");
  EXPECT_EQ(ColourToHex(clBtnFace), u"$0F0000");
}

TEST(Colour_utils, ColourMapsFindValuesNamesAndTheNearestEntry) {
  const TColourMap map = {{0x000000, u"ink"}, {0x0000F0, u"red"}, {0x00F000, u"green"}, {0x0000F0, u"red again"},
                          {0x0000FF, u"bright red"}};
  EXPECT_EQ(NearestColourIndex(0x0000FF, map), 4);  // an equal value wins over a nearer one
  EXPECT_EQ(NearestColourIndex(0x0000F0, map), 1);  // the first of equal values
  EXPECT_EQ(NearestColourIndex(0x0000F2, map), 1);  // nearer to red, which comes before its twin
  EXPECT_EQ(NearestColourIndex(0x0000F8, map), 4);
  EXPECT_EQ(NearestColourIndex(0x101010, map), 0);
  EXPECT_EQ(NearestColourIndex(0x20E020, map), 2);
  EXPECT_EQ(NearestColourIndex(0, TColourMap{}), -1);
  EXPECT_EQ(NameOfAMyColourArrayColour(0x0000F0, map), u"red");
  EXPECT_EQ(NameOfAMyColourArrayColour(0x123456, map), u"");
  EXPECT_EQ(ColourOfAMyColourArrayName(u"GREEN", map), 0x00F000);
  EXPECT_EQ(ColourOfAMyColourArrayName(u"blue", map), clNone);
}

TEST(Colour_utils, WebColourNamesWithoutTheirPrefix) {
  EXPECT_EQ(WebColourToName(clRed), u"Red");
  EXPECT_EQ(WebColourToName(0xFFFF00), u"Aqua");  // not Cyan
  EXPECT_EQ(WebColourToName(0xD3D3D3), u"LightGray");
  EXPECT_EQ(WebColourToName(0x123456), u"Black");  // not in the table
  EXPECT_EQ(WebColourToName(clBtnFace), u"Black");
  EXPECT_EQ(NameToWebColour(u"aliceblue"), 0xFFF8F0);
  EXPECT_EQ(NameToWebColour(u"Cyan"), 0xFFFF00);
  EXPECT_EQ(NameToWebColour(u"LightGrey"), clBlack);
  EXPECT_EQ(NameToWebColour(u""), clBlack);
}

class SharedColourList : public ::testing::Test {
 protected:
  void SetUp() override { Colour_utils_initialization(); }
  void TearDown() override { Colour_utils_Finalization(); }
};

TEST_F(SharedColourList, StartFillsOneEntryPerValueFromTheWebTable) {
  ASSERT_NE(MySharedColourList, nullptr);
  const TMySharedColourList& list = *MySharedColourList;
  // 141 web colours less FloralWhite ($F0FAFF) and the second names of two
  // shared values (Cyan, Magenta).
  ASSERT_EQ(list.Count(), WebNamedColorsCount - 3);
  std::set<TColor> values;
  for (Int32 i = 0; i < list.Count(); ++i) {
    const TColourNameAndIntRec r = list.GetAColour(i);
    EXPECT_TRUE(values.insert(r.c).second) << StringToUtf8(r.name);
    EXPECT_NE(r.c, static_cast<TColor>(0xF0FAFF));
    EXPECT_EQ(r.original_num, i);
    EXPECT_EQ(r.name.find(u"clWeb"), String::npos);
  }
  EXPECT_EQ(list.GetAColour(0).name, u"AliceBlue");
  EXPECT_GE(list.IndexOfName(u"Aqua"), 0);
  EXPECT_EQ(list.IndexOfName(u"Cyan"), -1);
  EXPECT_EQ(list.IndexOfName(u"Magenta"), -1);
  EXPECT_EQ(list.IndexOfName(u"FloralWhite"), -1);
  EXPECT_EQ(list.IndexOfName(u"aqua"), -1);  // names compare exactly
  EXPECT_EQ(list.IndexOfColour(clRed), list.IndexOfName(u"Red"));
  EXPECT_EQ(list.IndexOfColour(0x123456), -1);
  EXPECT_FALSE(list.GetIsSorted());
}

TEST_F(SharedColourList, SortedColoursIsAPermutationThatLeavesTheListAlone) {
  const TMySharedColourList& list = *MySharedColourList;
  std::vector<String> before;
  for (Int32 i = 0; i < list.Count(); ++i) before.push_back(list.GetAColour(i).name);
  for (TColorArraySortType t : {csaHue, csaName, csaLuminance, csaValue})
    for (bool ascending : {true, false}) {
      const std::vector<Byte> order = list.SortedColours(t, ascending);
      ASSERT_EQ(static_cast<Int32>(order.size()), list.Count());
      std::vector<Byte> sorted = order;
      std::sort(sorted.begin(), sorted.end());
      for (size_t k = 0; k < sorted.size(); ++k) ASSERT_EQ(sorted[k], k) << int(t) << ascending;
    }
  for (Int32 i = 0; i < list.Count(); ++i) EXPECT_EQ(list.GetAColour(i).name, before[static_cast<size_t>(i)]);
  // The list is in alphabetical order already; by value descending white
  // comes first; by hue the greys come first, black the first of them.
  const std::vector<Byte> byName = list.SortedColours(csaName, true);
  for (size_t k = 0; k < byName.size(); ++k) EXPECT_EQ(byName[k], k);
  EXPECT_EQ(list.GetAColour(list.SortedColours(csaValue, false)[0]).name, u"White");
  EXPECT_EQ(list.GetAColour(list.SortedColours(csaHue, true)[0]).name, u"Black");
  EXPECT_EQ(list.GetAColour(list.SortedColours(csaLuminance, true).back()).name, u"White");
}

TEST_F(SharedColourList, StartAndStopRunOnceWhoeverCallsThem) {
  TMySharedColourList* first = MySharedColourList;
  Colour_utils_initialization();  // a tool starting the unit again
  EXPECT_EQ(MySharedColourList, first);
  Colour_utils_Finalization();
  EXPECT_EQ(MySharedColourList, first);  // the fixture's stop frees it
}

TEST(TMySharedColourListItems, AddGetFindAndClear) {
  TMySharedColourList list;
  EXPECT_EQ(list.AddAColour(TColourNameAndIntRec{clRed, u"red", 7}), 0);
  EXPECT_EQ(list.AddAColour(TColourNameAndIntRec{clRed, u"red too", 8}), 1);
  EXPECT_EQ(list.IndexOfColour(clRed), 0);
  EXPECT_EQ(list.GetAColour(1).original_num, 8);
  EXPECT_EQ(list.GetAColour(5).name, u"");
  EXPECT_EQ(list.GetAColour(-1).c, 0);
  EXPECT_THROW(list.Items(2), EListError);
  // Equal entries keep distinct places in a sorted order.
  EXPECT_EQ(list.SortedColours(csaValue, true), (std::vector<Byte>{0, 1}));
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(list.GetIsSorted());
  EXPECT_TRUE(list.SortedColours(csaHue, true).empty());
}

}  // namespace
}  // namespace sk
