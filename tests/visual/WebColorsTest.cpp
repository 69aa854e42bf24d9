// The web colour table against Qt's own table of the CSS names, identifier
// maps, and the colour sort's orders.
#include <gtest/gtest.h>

#include <QtGui/QColor>
#include <set>

#include "VisualTestSupport.h"
#include "platform/runtime/Strings.h"
#include "platform/visual/WebColors.h"

namespace sk {
namespace {

TEST(WebColors, EveryCssNameOnceInAlphabeticalOrderWithItsValue) {
  std::set<String> seen;
  for (Int32 i = 0; i < WebNamedColorsCount; ++i) {
    const String name = WebNamedColors[i].Name;
    ASSERT_TRUE(StartsStr(u"clWeb", name)) << StringToUtf8(name);
    EXPECT_EQ(name.find(u"Grey"), String::npos) << "greys are spelt Gray: " << StringToUtf8(name);
    EXPECT_TRUE(seen.insert(LowerCase(name)).second) << StringToUtf8(name);
    if (i > 0) {
      EXPECT_LT(CompareText(WebNamedColors[i - 1].Name, name), 0) << StringToUtf8(name);
    }
    // Qt knows the CSS names in lower case; its value must be ours.
    const QString css = QString::fromStdString(StringToUtf8(LowerCase(name.substr(5))));
    if (!QColor::isValidColorName(css)) {
      // Qt's table predates the one later CSS name.
      EXPECT_EQ(css, QLatin1String("rebeccapurple"));
      EXPECT_EQ(WebNamedColors[i].Value, 0x993366);
      continue;
    }
    EXPECT_EQ(FromQColor(QColor::fromString(css)), WebNamedColors[i].Value) << css.toStdString();
  }
  // Every CSS name Qt knows is there, in one spelling of the greys.
  for (const QString& css : QColor::colorNames()) {
    if (css == QLatin1String("transparent")) continue;
    String ours = Utf8ToString(css.toStdString());
    const size_t grey = ours.find(u"grey");
    if (grey != String::npos) ours.replace(grey, 4, u"gray");
    EXPECT_TRUE(seen.count(u"clweb" + ours)) << css.toStdString();
  }
}

TEST(WebColors, IdentifierMapsFindNamesWithoutCaseAndTheFirstNameOfAValue) {
  const auto map = WebColorsMap();
  ASSERT_EQ(static_cast<Int32>(map.size()), WebNamedColorsCount);
  Int32 v = 0;
  EXPECT_TRUE(IdentToInt(u"CLWEBREBECCAPURPLE", v, map));
  EXPECT_EQ(v, 0x993366);
  EXPECT_FALSE(IdentToInt(u"clWebGrey", v, map));
  String name;
  EXPECT_TRUE(IntToIdent(0xFFFF00, name, map));  // aqua and cyan share it
  EXPECT_EQ(name, u"clWebAqua");
  EXPECT_TRUE(IntToIdent(0xFF00FF, name, map));
  EXPECT_EQ(name, u"clWebFuchsia");
  EXPECT_FALSE(IntToIdent(0x123456, name, map));
}

std::vector<String> NamesOf(const std::vector<TIdentMapEntry>& v) {
  std::vector<String> r;
  for (const auto& e : v) r.push_back(e.Name);
  return r;
}

TEST(SortColorArray, OrdersByHueNameLuminanceAndValueWithTiesByName) {
  // Red 0, yellow 60, blue 240; greys have no hue and come first; two equal
  // values tie and go by name.
  const std::vector<TIdentMapEntry> start = {{0xFF0000, u"blue"},  {0x808080, u"grey"}, {0x0000FF, u"red"},
                                             {0x00FFFF, u"yellow"}, {0x000000, u"black"}, {0x0000FF, u"another red"}};
  struct Case {
    TColorArraySortType type;
    bool ascending;
    std::vector<String> names;
  } cases[] = {
      {csaHue, true, {u"black", u"grey", u"another red", u"red", u"yellow", u"blue"}},
      {csaHue, false, {u"blue", u"yellow", u"red", u"another red", u"grey", u"black"}},
      {csaName, true, {u"another red", u"black", u"blue", u"grey", u"red", u"yellow"}},
      // Luminance: black 0, blue 29, red 76, grey 128, yellow 226.
      {csaLuminance, true, {u"black", u"blue", u"another red", u"red", u"grey", u"yellow"}},
      {csaValue, true, {u"black", u"another red", u"red", u"yellow", u"grey", u"blue"}},
  };
  for (const Case& c : cases) {
    auto v = start;
    SortColorArray(v, c.type, c.ascending);
    EXPECT_EQ(NamesOf(v), c.names) << int(c.type) << " " << c.ascending;
  }
  std::vector<TIdentMapEntry> none;
  SortColorArray(none, csaHue, true);
  EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace sk
