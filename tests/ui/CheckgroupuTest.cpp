// The check group's layout, columns, item index and keys, and toggle buttons
// in groups on one parent and across parents.
#include <gtest/gtest.h>

#include <QtGui/QKeyEvent>

#include "ScreenshotSupport.h"
#include "TestSupport.h"
#include "VisualTestSupport.h"
#include "platform/runtime/Strings.h"
#include "ui/Checkgroupu.h"

namespace sk {
namespace {

class Checkgroupu : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 400, 300);
    group = new TCheckGroup(form.get());
    group->SetParent(form.get());
    group->SetBounds(10, 10, 200, 120);
  }
  void Fill(int n) {
    TStringList items;
    for (int i = 1; i <= n; ++i) items.Add(u"Box " + IntToStr(i));
    group->SetItems(items);
  }
  Int32 TextHeight() { return group->Canvas().TextHeight(u"0"); }

  std::unique_ptr<TForm> form;
  TCheckGroup* group = nullptr;
};

TEST_F(Checkgroupu, ColumnsStayWithinOneToSixteen) {
  const struct {
    Int32 in, out;
  } cases[] = {{0, 1}, {-3, 1}, {1, 1}, {3, 3}, {16, 16}, {17, 16}, {40, 16}};
  for (const auto& c : cases) {
    group->SetColumns(c.in);
    EXPECT_EQ(group->Columns(), c.out) << c.in;
  }
}

TEST_F(Checkgroupu, BoxesFillColumnsTopDownAndShareTheRoom) {
  Fill(5);
  ASSERT_EQ(group->BoxCount(), 5);
  EXPECT_EQ(group->Boxes(5), nullptr);
  EXPECT_EQ(group->Boxes(-1), nullptr);
  const struct {
    Int32 columns, topMargin;
    bool caption;
  } cases[] = {{1, 0, false}, {2, 0, false}, {2, 6, true}, {2, 6, false}, {3, 0, true}, {5, 0, false}};
  for (const auto& c : cases) {
    group->SetCaption(c.caption ? u"Options" : u"");
    group->SetTopMarginButtons(c.topMargin);
    // A new caption alone does not lay the boxes out again; a change of
    // columns does.
    group->SetColumns(c.columns == 1 ? 2 : 1);
    group->SetColumns(c.columns);
    const Int32 h = TextHeight();
    const Int32 rows = (5 + c.columns - 1) / c.columns;
    const Int32 width = (200 - 10) / c.columns;
    Int32 available = 120 - h - 5 - (c.caption ? c.topMargin : 0);
    const Int32 height = available / rows;
    const Int32 first = h + (available % rows) / 2 + 1 + (c.caption ? c.topMargin : 0);
    for (Int32 i = 0; i < 5; ++i) {
      TGroupCheckbx* box = group->Boxes(i);
      EXPECT_EQ(box->Left(), (i / rows) * width + 8) << c.columns << " " << i;
      EXPECT_EQ(box->Top(), (i % rows) * height + first) << c.columns << " " << i;
      EXPECT_EQ(box->Width(), width);
      EXPECT_EQ(box->Height(), height);
      EXPECT_TRUE(box->Visible());
      EXPECT_EQ(box->Caption(), u"Box " + IntToStr(i + 1));
    }
  }
  // Read right to left, the columns are mirrored.
  group->SetColumns(2);
  group->SetBiDiMode(bdRightToLeft);
  const Int32 width = 95;
  EXPECT_EQ(group->Boxes(0)->Left(), group->ClientWidth() - 8 - width);
  EXPECT_EQ(group->Boxes(4)->Left(), group->ClientWidth() - (width + 8) - width);
}

TEST_F(Checkgroupu, AGroupTooSmallForItsBoxesGivesThemNoRoomNeverLess) {
  Fill(3);
  group->SetCaption(u"Tiny");
  group->SetTopMarginButtons(40);
  group->SetBounds(10, 10, 6, 4);
  for (Int32 i = 0; i < 3; ++i) {
    EXPECT_EQ(group->Boxes(i)->Width(), 0) << i;
    EXPECT_EQ(group->Boxes(i)->Height(), 0) << i;
    EXPECT_EQ(group->Boxes(i)->Top(), TextHeight() + 1 + 40) << i;
  }
  group->SetBounds(10, 10, 0, 0);
  EXPECT_EQ(group->Boxes(0)->Width(), 0);
}

TEST_F(Checkgroupu, ItemIndexFollowsClicksAndStaysWithinTheItems) {
  Fill(4);
  int clicks = 0;
  group->OnClick = [&](TObject*) { ++clicks; };
  EXPECT_EQ(group->ItemIndex(), -1);
  group->SetItemIndex(3);
  EXPECT_TRUE(group->Boxes(3)->Checked());
  EXPECT_EQ(clicks, 0);  // code is no click
  group->SetItemIndex(99);
  EXPECT_EQ(group->ItemIndex(), 3);
  group->SetItemIndex(1);
  EXPECT_FALSE(group->Boxes(3)->Checked());
  EXPECT_TRUE(group->Boxes(1)->Checked());
  group->SetItemIndex(-7);
  EXPECT_EQ(group->ItemIndex(), -1);
  EXPECT_FALSE(group->Boxes(1)->Checked());
  // The user's click on a box makes it the item index.
  group->Boxes(2)->Toggle();
  EXPECT_EQ(group->ItemIndex(), 2);
  EXPECT_TRUE(group->Boxes(2)->Checked());
  EXPECT_EQ(clicks, 1);
  // Deleting the last item while it is the item index moves it to the new
  // last item; an empty list has none.
  group->SetItemIndex(3);
  group->Items().Delete(3);
  EXPECT_EQ(group->BoxCount(), 3);
  EXPECT_EQ(group->ItemIndex(), 2);
  EXPECT_TRUE(group->Boxes(2)->Checked());
  group->Items().Delete(0);
  EXPECT_EQ(group->ItemIndex(), 1);
  group->Items().Clear();
  EXPECT_EQ(group->ItemIndex(), -1);
  EXPECT_EQ(group->BoxCount(), 0);
}

TEST_F(Checkgroupu, ItemsReadWithTheFormWaitAndTheItemIndexIsTakenAsItIs) {
  group->HandleNeeded();
  group->ReadState([&] {
    group->Items().Add(u"a");
    group->Items().Add(u"b");
    EXPECT_EQ(group->BoxCount(), 0);
    group->SetItemIndex(7);
    EXPECT_EQ(group->ItemIndex(), 7);
  });
  EXPECT_EQ(group->BoxCount(), 2);
  group->Loaded();
  EXPECT_EQ(group->Boxes(1)->Width(), 95 * 2);
}

// A group whose boxes the user may not change.
class LockedGroup : public TCustomCheckGroup {
 public:
  using TCustomCheckGroup::TCustomCheckGroup;
  bool CanModify() const override { return false; }
};

TEST_F(Checkgroupu, ALockedGroupIgnoresClicksAndSwallowsSpace) {
  auto* locked = new LockedGroup(form.get());
  locked->SetParent(form.get());
  locked->Items().Add(u"x");
  std::vector<Word> keys;
  locked->OnKeyDown = [&](TObject*, Word& key, TShiftState) { keys.push_back(key); };
  TGroupCheckbx* box = locked->Boxes(0);
  box->Toggle();
  EXPECT_FALSE(box->Checked());
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  QCoreApplication::sendEvent(box->Widget(), &press);
  QCoreApplication::sendEvent(box->Widget(), &release);
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(keys, std::vector<Word>{VK_SPACE});  // the group heard the key
  // Code may still set the item index.
  locked->SetItemIndex(0);
  EXPECT_TRUE(box->Checked());
  // The boxes take the group's enabled state.
  locked->SetEnabled(false);
  EXPECT_FALSE(box->Enabled());
}

TEST_F(Checkgroupu, BoxesAreDrawnInTheirColumns) {
  Fill(6);
  group->SetCaption(u"Columns");
  group->SetColumns(3);
  group->Boxes(4)->SetChecked(true);
  const QImage img = Screenshot(*group, "check_group_columns");
  // The boxes are taller than their indicators, which stand in the middle:
  // their bottom corners show the group's own background.
  const TGroupCheckbx* first = group->Boxes(0);
  const Int32 firstBottom = first->Top() + first->Height();
  const TColor empty = PixelOf(img, first->Left() + 1, firstBottom - 2);
  // Each box's indicator and caption stand out where its column and row put
  // it; the space between the rows stays empty.
  std::vector<TNamedPoint> points;
  for (Int32 i = 0; i < 6; ++i) {
    TGroupCheckbx* box = group->Boxes(i);
    const std::string name = "box " + std::to_string(i + 1);
    points.push_back({name + " indicator", TRect{box->Left(), box->Top(), box->Left() + 16, box->Top() + box->Height()},
                      NotAllOf(empty)});
    points.push_back({name + " caption", TRect{box->Left() + 18, box->Top(), box->Left() + box->Width(),
                                              box->Top() + box->Height()},
                      InkOn(empty, 10)});
  }
  points.push_back({"below the first indicator", TRect{first->Left(), firstBottom - 4, first->Left() + 16, firstBottom},
                    AllOf(empty)});
  const auto failed = ScreenshotChecked(*group, "check_group_columns", points);
  EXPECT_TRUE(failed.empty()) << ::testing::PrintToString(failed);
  // The ticked box differs from its unticked picture, and no other does.
  group->Boxes(4)->SetChecked(false);
  const QImage unchecked = Rendered(*group);
  for (Int32 i = 0; i < 6; ++i) {
    TGroupCheckbx* box = group->Boxes(i);
    bool changed = false;
    for (int y = box->Top(); y < box->Top() + box->Height(); ++y)
      for (int x = box->Left(); x < box->Left() + 16; ++x) changed = changed || img.pixel(x, y) != unchecked.pixel(x, y);
    EXPECT_EQ(changed, i == 4) << i;
  }
}

// ---------------------------------------------------------------------------

TEST(TToggleButtonGroups, CheckingOneReleasesItsGroupOnItsParentOnly) {
  TestApplication();
  TForm form(nullptr);
  auto* panel = new TWinControl(&form);
  panel->SetParent(&form);
  auto make = [&](TWinControl* parent, Int32 group) {
    auto* b = new TToggleButton(&form);
    b->SetParent(parent);
    b->SetGroupIndex(group);
    b->SetChecked(true);
    return b;
  };
  TToggleButton* a = make(&form, 1);
  TToggleButton* b = make(&form, 1);  // releases a
  EXPECT_FALSE(a->Checked());
  TToggleButton* c = make(&form, 1);
  TToggleButton* none = make(&form, 0);
  TToggleButton* other = make(&form, 2);
  TToggleButton* elsewhere = make(panel, 1);
  EXPECT_FALSE(b->Checked());
  EXPECT_TRUE(c->Checked());
  int clicks = 0;
  a->OnClick = [&](TObject*) { ++clicks; };
  a->SetChecked(true);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(c->Checked());
  EXPECT_TRUE(none->Checked());
  EXPECT_TRUE(other->Checked());
  EXPECT_TRUE(elsewhere->Checked());
  a->SetChecked(true);  // no change, no click
  EXPECT_EQ(clicks, 1);
  // Joining a group while checked releases the group.
  other->SetGroupIndex(1);
  EXPECT_FALSE(a->Checked());
  // The click command toggles; so does Toggle.
  other->Perform(CN_COMMAND, UInt64(BN_CLICKED) << 16, 0);
  EXPECT_FALSE(other->Checked());
  other->Toggle();
  EXPECT_TRUE(other->Checked());
}

TEST(TToggleButtonGroups, ADownButtonIsDrawnPressed) {
  TestApplication();
  TForm form(nullptr);
  auto* button = new TToggleButton(&form);
  button->SetParent(&form);
  button->SetCaption(u"Bold");
  button->SetBounds(0, 0, 80, 30);
  button->HandleNeeded();
  EXPECT_TRUE(button->PushLike());
  const QImage up = Screenshot(*button, "toggle_up");
  button->SetChecked(true);
  EXPECT_TRUE(button->Down());
  const QImage down = Screenshot(*button, "toggle_down");
  // Pressed, the face is darker than raised.
  auto face = [](const QImage& img) {
    const QRgb p = img.pixel(6, img.height() - 6);
    return qRed(p) + qGreen(p) + qBlue(p);
  };
  EXPECT_LT(face(down), face(up));
  button->Perform(CN_COMMAND, UInt64(BN_CLICKED) << 16, 0);
  EXPECT_FALSE(button->Down());
  EXPECT_EQ(Rendered(*button), up);
}

}  // namespace
}  // namespace sk
