// The filter combo box: its items from a filter, and the masks read back
// from the descriptions.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "VisualTestSupport.h"
#include "ui/My_filtercombou.h"

namespace sk {
namespace {

TEST(My_filtercombou, FilterFromFullStringTakesTheFirstParentheses) {
  const struct {
    String full, mask;
  } cases[] = {
      {u"Text files (*.txt)", u"*.txt"},
      {u"Text files", u"Text files"},
      {u"Odd (*.a) (*.b)", u"*.a"},
      {u"Open (*.txt", u"Open (*.txt"},
      {u"Close *.txt)", u"Close *.txt)"},
      {u"Empty ()", u""},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(TmyFilterCombo::FilterFromFullString(c.full), c.mask) << StringToUtf8(c.full);
}

struct BuildCase {
  String filter;
  std::vector<String> items;
  String mask;
};

TEST(My_filtercombou, TheItemsAreTheDescriptionsThatABarFollows) {
  TestApplication();
  const BuildCase cases[] = {
      {u"Text files (*.txt)|*.txt|All files (*.*)|*.*|", {u"Text files (*.txt)", u"All files (*.*)"}, u"*.txt"},
      {u"Text files (*.txt)|*.txt|All files|*.*", {u"Text files (*.txt)", u"All files"}, u"*.txt"},
      {u"Only|*.x", {u"Only"}, u"Only"},
      {u"|*.x|Second (*.y)|*.y|", {u"Second (*.y)"}, u"*.y"},
      {u"One description without bars", {}, u"typed"},
      {u"", {}, u"typed"},
  };
  for (const BuildCase& c : cases) {
    TForm form(nullptr);
    auto* combo = new TmyFilterCombo(&form);
    combo->SetParent(&form);
    EXPECT_EQ(combo->Style(), csDropDown);
    combo->SetFilter(c.filter);
    EXPECT_EQ(combo->Items().Count(), 0);  // the items wait for the window
    combo->SetText(u"typed");
    combo->HandleNeeded();
    EXPECT_EQ(Lines(combo->Items()), c.items) << StringToUtf8(c.filter);
    EXPECT_EQ(combo->ItemIndex(), c.items.empty() ? -1 : 0);
    EXPECT_EQ(combo->GetCurrentFileMask(), c.mask) << StringToUtf8(c.filter);
  }
}

TEST(My_filtercombou, MasksOfItemsTheEditAndInsertedTexts) {
  TestApplication();
  TForm form(nullptr);
  auto* combo = new TmyFilterCombo(&form);
  combo->SetParent(&form);
  combo->SetFilter(u"Text files (*.txt)|*.txt|Web pages (*.htm;*.html)|*.htm;*.html|");
  combo->HandleNeeded();
  EXPECT_EQ(combo->GetAFileMask(1), u"*.htm;*.html");
  EXPECT_EQ(combo->GetAFileMask(2), u"");
  EXPECT_EQ(combo->GetAFileMask(-1), u"");
  combo->SetACurrentFilemask(u"*.doc");
  EXPECT_EQ(combo->GetText(), u"*.doc");
  EXPECT_EQ(combo->GetCurrentFileMask(), u"*.doc");
  combo->InsertLastText(u"");
  EXPECT_EQ(combo->Items().Count(), 2);
  combo->InsertLastText(u"Mine (*.mine)");
  EXPECT_EQ(combo->Items().Count(), 3);
  EXPECT_EQ(combo->ItemIndex(), 2);
  EXPECT_EQ(combo->GetCurrentFileMask(), u"*.mine");
  // A filter set once the window exists makes the items again.
  combo->SetFilter(u"Only (*.o)|*.o|");
  EXPECT_EQ(Lines(combo->Items()), std::vector<String>{u"Only (*.o)"});
}

}  // namespace
}  // namespace sk
