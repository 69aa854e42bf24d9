// Edits, combo boxes, list boxes, spin edits and number boxes, and the
// button and check box behaviour the suite's controls build on.
#include <gtest/gtest.h>

#include <QtGui/QMouseEvent>
#include <QtWidgets/QAbstractSpinBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QListView>
#include <functional>
#include <vector>

#include "ScreenshotSupport.h"
#include "VisualTestSupport.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/Strings.h"
#include "platform/visual/ComboBoxes.h"
#include "platform/visual/Edits.h"
#include "platform/visual/GroupBoxes.h"
#include "platform/visual/ImgList.h"
#include "platform/visual/ListBoxes.h"
#include "platform/visual/Resources.h"
#include "platform/visual/SpinEdits.h"
#include "platform/visual/StandardControls.h"

namespace sk {
namespace {

TEST(TCustomEditText, ChangesByUserOrCodeRaiseOnChange) {
  TestApplication();
  TForm form(nullptr);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  EXPECT_EQ(edit->Height(), 21);
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  edit->SetText(u"abc");
  edit->SetText(u"abc");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(edit->GetText(), u"abc");
  edit->SetMaxLength(2);
  edit->SetText(u"wxyz");
  EXPECT_EQ(edit->GetText(), u"wx");
}

TEST(TButtonedEditButton, DrawsItsImageAtTheRightAndReportsClicks) {
  TestApplication();
  TForm form(nullptr);
  auto* edit = new TButtonedEdit(&form);
  edit->SetParent(&form);
  edit->SetBounds(0, 0, 120, 24);
  TImageList images(nullptr, 10, 10);
  TBitmap red(10, 10);
  red.Canvas().Brush().SetColor(clRed);
  red.Canvas().FillRect(TRect{0, 0, 10, 10});
  images.Add(red, nullptr);
  edit->SetImages(&images);
  EXPECT_TRUE(edit->RightButtonRect().Right <= edit->RightButtonRect().Left);  // hidden at first
  edit->RightButton().SetImageIndex(0);
  edit->RightButton().SetVisible(true);
  const TRect r = edit->RightButtonRect();
  EXPECT_EQ(r.Right - r.Left, 14);
  EXPECT_EQ(r.Right, edit->Width() - (r.Top));
  const Int32 cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
  const auto failed = ScreenshotChecked(*edit, "buttoned_edit",
                                        {{"the image in the button", Dot(cx, cy), AllOf(clRed)},
                                         {"the text left of the button", TRect{r.Left - 8, r.Top, r.Left - 1, r.Bottom},
                                          NoneOf(clRed)}});
  EXPECT_TRUE(failed.empty()) << ::testing::PrintToString(failed);
  int clicks = 0;
  edit->OnRightButtonClick = [&](TObject*) { ++clicks; };
  QWidget* button = edit->Widget()->childAt(cx, cy);
  ASSERT_NE(button, nullptr);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(button, &press);
  QCoreApplication::sendEvent(button, &release);
  EXPECT_EQ(clicks, 1);
  edit->RightButton().SetEnabled(false);
  edit->ClickRightButton();
  EXPECT_EQ(clicks, 1);
  // The edit lets go of an image list that is freed first.
  edit->SetImages(nullptr);
}

TEST(ResourceImages, TheFolderGlyphsAreCompiledInAtTheirSizes) {
  TestApplication();
  for (int size : {16, 20, 24, 32}) {
    TBitmap b;
    LoadBitmapFromResourceName(b, u"QMMYPNG" + IntToStr(size));
    EXPECT_EQ(b.Width(), size);
    EXPECT_EQ(b.Height(), size);
    // Transparent corners, an opaque middle.
    EXPECT_EQ(qAlpha(b.Image().pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(b.Image().pixel(size / 2, size / 2)), 255);
  }
  TBitmap none;
  EXPECT_FALSE(ResourceExists(u"QMMYPNG17"));
  EXPECT_THROW(LoadBitmapFromResourceName(none, u"QMMYPNG17"), EResNotFound);
  EXPECT_THROW(LoadBitmapFromResourceName(none, u""), EResNotFound);
}

TEST(TComboBoxItems, TheListFollowsTheItemsAndTheIndexStaysInRange) {
  TestApplication();
  TForm form(nullptr);
  auto* combo = new TComboBox(&form);
  combo->SetParent(&form);
  auto* qt = static_cast<QComboBox*>(combo->Widget());
  combo->Items().Add(u"one");
  combo->Items().Add(u"two");
  EXPECT_EQ(qt->count(), 2);
  EXPECT_EQ(combo->ItemIndex(), -1);  // adding items chooses none
  combo->SetItemIndex(1);
  EXPECT_EQ(combo->GetText(), u"two");
  combo->SetItemIndex(5);
  EXPECT_EQ(combo->ItemIndex(), -1);
  combo->SetText(u"ONE");  // the item of that text, without regard to case
  EXPECT_EQ(combo->ItemIndex(), 0);
  EXPECT_EQ(combo->GetText(), u"ONE");
  combo->SetText(u"typed");
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(combo->GetText(), u"typed");
  combo->SetItemIndex(1);
  combo->Items().Delete(1);
  EXPECT_EQ(combo->ItemIndex(), -1);
  // The user's choice raises OnSelect (or OnChange without it); code does not.
  int changes = 0, selects = 0;
  combo->OnChange = [&](TObject*) { ++changes; };
  qt->activated(0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(combo->ItemIndex(), 0);
  combo->OnSelect = [&](TObject*) { ++selects; };
  qt->activated(0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(selects, 1);
  // A closed list shows the chosen item's text.
  combo->SetStyle(csDropDownList);
  combo->SetItemIndex(0);
  EXPECT_EQ(combo->GetText(), u"one");
}

// The chosen item stays chosen while other items come and go (one at a
// time, moved, sorted, in a batch), in a closed list, an editable combo box
// and a list box, and on their widgets; none is chosen once it goes. A
// combo box filled one item at a time takes each in alone.
TEST(TListControlsChoice, TheChosenItemStaysChosenAsOtherItemsComeAndGo) {
  TestApplication();
  TForm form(nullptr);
  auto* closed = new TComboBox(&form);
  closed->SetStyle(csDropDownList);
  auto* editable = new TComboBox(&form);
  auto* list = new TListBox(&form);
  for (TWinControl* c : std::vector<TWinControl*>{closed, editable, list}) c->SetParent(&form);
  struct Step {
    const char* what;
    std::function<void(TStringList&)> edit;
    Int32 chosen;
  };
  const std::vector<Step> steps = {
      {"insert above", [](TStringList& l) { l.Insert(0, u"zero"); }, 3},
      {"delete the first two", [](TStringList& l) { l.Delete(0), l.Delete(0); }, 1},
      {"add below", [](TStringList& l) { l.Add(u"aardvark"); }, 1},
      {"move it down", [](TStringList& l) { l.Move(1, 4); }, 4},
      {"exchange it", [](TStringList& l) { l.Exchange(4, 0); }, 0},
      {"sort", [](TStringList& l) { l.Sort(); }, 4},
      {"a batch", [](TStringList& l) {
         TUpdateScope batch(l);
         l.Insert(0, u"x"), l.Insert(0, u"y"), l.Delete(2);
       }, 5},
      {"rename it", [](TStringList& l) { l.Put(5, u"GAMMA"); }, 5},
      {"delete it", [](TStringList& l) { l.Delete(5); }, -1},
  };
  auto shown = [](TWinControl* c) {
    if (auto* l = dynamic_cast<TListBox*>(c)) return static_cast<QListView*>(l->Widget())->currentIndex().row();
    return static_cast<QComboBox*>(c->Widget())->currentIndex();
  };
  for (TWinControl* c : std::vector<TWinControl*>{closed, editable, list}) {
    auto* combo = dynamic_cast<TComboBox*>(c);
    TStringList& items = combo != nullptr ? combo->Items() : list->Items();
    for (const char16_t* s : {u"alpha", u"beta", u"gamma", u"delta", u"epsilon"}) items.Add(s);
    if (combo != nullptr)
      combo->SetItemIndex(2);
    else
      list->SetItemIndex(2);
    for (const Step& step : steps) {
      step.edit(items);
      const Int32 index = combo != nullptr ? combo->ItemIndex() : list->ItemIndex();
      EXPECT_EQ(index, step.chosen) << step.what;
      EXPECT_EQ(shown(c), step.chosen) << step.what;
      // A closed list shows its chosen item; an editable box what it showed.
      if (combo != nullptr) {
        EXPECT_EQ(combo->GetText(), combo == editable ? String(u"gamma") : index >= 0 ? items[index] : String())
            << step.what;
      }
      if (combo != nullptr) {
        auto* qt = static_cast<QComboBox*>(combo->Widget());
        ASSERT_EQ(qt->count(), items.Count()) << step.what;
        for (Int32 i = 0; i < items.Count(); ++i) EXPECT_EQ(FromQString(qt->itemText(i)), items[i]) << step.what;
      }
    }
  }
  // Filled one item at a time, the widget's list is never taken in again.
  auto* filled = new TComboBox(&form);
  filled->SetParent(&form);
  int resets = 0;
  QObject::connect(static_cast<QComboBox*>(filled->Widget())->model(), &QAbstractItemModel::modelReset,
                   [&resets] { ++resets; });
  for (int i = 0; i < 2000; ++i) filled->Items().Add(IntToStr(i));
  filled->SetItemIndex(1999);
  filled->Items().Insert(0, u"top");
  EXPECT_EQ(resets, 0);
  EXPECT_EQ(static_cast<QComboBox*>(filled->Widget())->count(), 2001);
  EXPECT_EQ(filled->GetText(), u"1999");
}

TEST(TComboBoxOwnerDraw, TheChosenRowIsDrawnInTheClosedBox) {
  TestApplication();
  TForm form(nullptr);
  auto* combo = new TComboBox(&form);
  combo->SetParent(&form);
  combo->SetStyle(csOwnerDrawFixed);
  combo->Items().Add(u"green");
  combo->Items().Add(u"blue");
  std::vector<Int32> drawn;
  combo->OnDrawItem = [&](TWinControl*, Int32 index, const TRect& rect, TOwnerDrawState state) {
    drawn.push_back(index);
    EXPECT_TRUE(HasOwnerDrawFlag(state, odComboBoxEdit));
    combo->Canvas().Brush().SetColor(index == 0 ? clLime : clBlue);
    combo->Canvas().FillRect(rect);
  };
  combo->SetItemIndex(1);
  const auto failed = ScreenshotChecked(*combo, "owner_drawn_combo",
                                        {{"the chosen row as its owner drew it", Dot(10, combo->Height() / 2), AllOf(clBlue)},
                                         {"no other row", TRect{0, 0, combo->Width(), combo->Height()}, NoneOf(clLime)}});
  EXPECT_TRUE(failed.empty()) << ::testing::PrintToString(failed);
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back(), 1);
}

TEST(TColorBoxRows, CustomColoursComeFromTheEventAndStandardOnesHaveNames) {
  TestApplication();
  TForm form(nullptr);
  auto* box = new TColorBox(&form);
  box->SetParent(&form);
  box->SetColorStyle(ColorBoxFlag(cbStandardColors) | ColorBoxFlag(cbPrettyNames));
  box->HandleNeeded();
  ASSERT_EQ(box->Items().Count(), 16);
  EXPECT_EQ(box->Items()[0], u"Black");
  box->SetSelected(clRed);
  EXPECT_EQ(box->Items()[box->ItemIndex()], u"Red");
  EXPECT_EQ(box->Selected(), clRed);
  box->SetSelected(0x123456);
  EXPECT_EQ(box->ItemIndex(), -1);
  EXPECT_EQ(box->Colors(99), clNone);
  box->OnGetColors = [](TObject*, TStrings& items) {
    items.Add(u"a");
    items.Add(u"b");
  };
  box->SetColorStyle(ColorBoxFlag(cbCustomColors));
  EXPECT_EQ(box->Items().Count(), 2);
  EXPECT_EQ(box->Colors(0), clNone);
}

TEST(TListBoxVirtual, RowsAreCountedAndDrawnByTheOwner) {
  TestApplication();
  TForm form(nullptr);
  auto* list = new TListBox(&form);
  list->SetParent(&form);
  list->SetStyle(lbVirtualOwnerDraw);
  list->SetItemHeight(10);
  list->SetCount(5);
  EXPECT_EQ(list->Count(), 5);
  list->Items().Add(u"ignored by a virtual list");
  EXPECT_EQ(list->Count(), 5);
  const TColor colours[] = {clRed, clLime, clBlue, clYellow, clFuchsia};
  list->OnDrawItem = [&](TWinControl*, Int32 index, const TRect& rect, TOwnerDrawState) {
    list->Canvas().Brush().SetColor(colours[index]);
    list->Canvas().FillRect(rect);
  };
  int clicks = 0;
  list->OnClick = [&](TObject*) { ++clicks; };
  list->SetItemIndex(2);
  EXPECT_EQ(clicks, 0);  // code's choice is no click
  std::vector<TNamedPoint> points;
  for (Int32 i = 0; i < 5; ++i) {
    const TRect r = list->ItemRect(i);
    EXPECT_EQ(r.Bottom - r.Top, 10);
    points.push_back({"row " + std::to_string(i), Dot((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2), AllOf(colours[i])});
  }
  const auto failed = ScreenshotChecked(*list, "virtual_list", points);
  EXPECT_TRUE(failed.empty()) << ::testing::PrintToString(failed);
  EXPECT_EQ(list->ItemRect(5).Right, 0);
  auto* view = static_cast<QListView*>(list->Widget());
  view->setCurrentIndex(view->model()->index(4, 0));
  EXPECT_EQ(list->ItemIndex(), 4);
  EXPECT_EQ(clicks, 1);
  list->SetCount(3);
  EXPECT_EQ(list->ItemIndex(), -1);
}

TEST(TListBoxStandard, ShowsItsItemsAndVirtualRowsAskForText) {
  TestApplication();
  TForm form(nullptr);
  auto* list = new TListBox(&form);
  list->SetParent(&form);
  list->Items().Add(u"first");
  list->Items().Add(u"second");
  auto* view = static_cast<QListView*>(list->Widget());
  EXPECT_EQ(view->model()->rowCount(), 2);
  EXPECT_EQ(view->model()->index(1, 0).data().toString(), QStringLiteral("second"));
  list->SetStyle(lbVirtual);
  list->OnData = [](TWinControl*, Int32 index, String& data) { data = u"row " + IntToStr(index); };
  list->SetCount(3);
  EXPECT_EQ(list->RowText(2), u"row 2");
  EXPECT_EQ(view->model()->index(0, 0).data().toString(), QStringLiteral("row 0"));
}

TEST(TSpinEditSteps, ButtonsMoveTheValueWithinItsLimitsAndReadOnlyBeeps) {
  TestApplication();
  TForm form(nullptr);
  auto* spin = new TSpinEdit(&form);
  spin->SetParent(&form);
  spin->SetMinValue(0);
  spin->SetMaxValue(10);
  spin->SetIncrement(4);
  spin->SetValue(5);
  auto* qt = static_cast<QAbstractSpinBox*>(spin->Widget());
  qt->stepUp();
  EXPECT_EQ(spin->Value(), 9);
  qt->stepUp();
  EXPECT_EQ(spin->Value(), 10);
  qt->stepBy(-3);
  EXPECT_EQ(spin->Value(), 0);
  spin->SetText(u"many");
  EXPECT_EQ(spin->Value(), 0);  // not a number: the minimum
  spin->SetMinValue(3);
  spin->SetMaxValue(3);  // equal limits: none
  spin->SetValue(-50);
  EXPECT_EQ(spin->Value(), -50);
  int beeps = 0;
  TMessageBeepHandler saved = SetMessageBeepHandler([&](Cardinal) { ++beeps; });
  spin->SetReadOnly(true);
  qt->stepDown();
  EXPECT_EQ(beeps, 1);
  EXPECT_EQ(spin->Value(), -50);
  SetMessageBeepHandler(std::move(saved));
}

// Steps near the ends of the 32-bit range are added in 64 bits and then held
// to the limits (to the 32-bit range when the limits are equal).
TEST(TSpinEditSteps, StepsNearThe32BitEndsClampInsteadOfWrapping) {
  TestApplication();
  TForm form(nullptr);
  auto* spin = new TSpinEdit(&form);
  spin->SetParent(&form);
  auto* qt = static_cast<QAbstractSpinBox*>(spin->Widget());
  struct Case {
    Int32 min, max, increment, start, steps, expected;
  } cases[] = {
      {0, 0, 1, INT32_MAX, 1, INT32_MAX},
      {0, 0, 1, INT32_MIN, -1, INT32_MIN},
      {0, 0, INT32_MIN, 0, -1, INT32_MAX},  // minus the least increment
      {0, 2100000000, 1000000000, 2000000000, 1, 2100000000},
      {0, 0, 1000000000, 2000000000, -1, 1000000000},  // an ordinary step still moves
  };
  for (const Case& c : cases) {
    spin->SetMinValue(c.min);
    spin->SetMaxValue(c.max);
    spin->SetIncrement(c.increment);
    spin->SetValue(c.start);
    qt->stepBy(c.steps);
    EXPECT_EQ(spin->Value(), c.expected) << c.start << " by " << c.steps << " x " << c.increment;
  }
}

// ValueInt rounds and holds the value to the 32-bit range.
TEST(TNumberBoxValue, ValueIntHoldsTo32Bits) {
  TestApplication();
  TForm form(nullptr);
  auto* box = new TNumberBox(&form);
  box->SetParent(&form);
  box->SetMode(nbmFloat);
  box->SetDecimal(1);
  const struct {
    Double value;
    Int32 expected;
  } cases[] = {{3e9, INT32_MAX}, {-3e9, INT32_MIN}, {2147483647.4, INT32_MAX}, {-2147483648.4, INT32_MIN},
               {2.6, 3}, {-2.6, -3}};
  for (const auto& c : cases) {
    box->SetValue(c.value);
    EXPECT_EQ(box->ValueInt(), c.expected) << c.value;
  }
}

TEST(TNumberBoxValue, KeepsItsValueWithinItsLimitsAndDecimals) {
  TestApplication();
  TForm form(nullptr);
  auto* box = new TNumberBox(&form);
  box->SetParent(&form);
  box->SetValue(1234567);  // no limits while they are equal
  EXPECT_EQ(box->Value(), 1234567);
  box->SetMinValue(0);
  box->SetMaxValue(100);
  EXPECT_EQ(box->Value(), 100);
  box->SetMode(nbmFloat);
  box->SetDecimal(1);
  box->SetValue(2.26);
  EXPECT_DOUBLE_EQ(box->Value(), 2.3);  // kept to one decimal
  EXPECT_EQ(box->ValueInt(), 2);
  int changes = 0;
  box->OnChangeValue = [&](TObject*) { ++changes; };
  box->SetValue(50);
  EXPECT_EQ(changes, 1);
}

TEST(TButtonPushLike, StaysDownWhileCheckedAndClicksOnTheClickCommand) {
  TestApplication();
  TForm form(nullptr);
  auto* b = new TButton(&form);
  b->SetParent(&form);
  EXPECT_EQ(b->Perform(BM_GETCHECK, 0, 0), Int64(BST_UNCHECKED));
  b->Perform(BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_FALSE(b->Down());  // a plain push button does not stay down
  b->SetPushLike(true);
  b->Perform(BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(b->Perform(BM_GETCHECK, 0, 0), Int64(BST_CHECKED));
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  b->Perform(CN_COMMAND, UInt64(BN_CLICKED) << 16, 0);
  b->Perform(CN_COMMAND, UInt64(5) << 16, 0);  // another notification
  EXPECT_EQ(clicks, 1);
}

TEST(TCheckBoxToggle, TheUsersClickFollowsTheCheckBoxOrder) {
  TestApplication();
  TForm form(nullptr);
  auto* box = new TCheckBox(&form);
  box->SetParent(&form);
  box->Toggle();
  EXPECT_EQ(box->State(), cbChecked);
  box->Toggle();
  EXPECT_EQ(box->State(), cbUnchecked);
  box->SetAllowGrayed(true);
  box->Toggle();
  EXPECT_EQ(box->State(), cbGrayed);
  box->Toggle();
  EXPECT_EQ(box->State(), cbChecked);
  // Space on the box goes through Toggle as well.
  box->SetAllowGrayed(false);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  QCoreApplication::sendEvent(box->Widget(), &press);
  QCoreApplication::sendEvent(box->Widget(), &release);
  EXPECT_EQ(box->State(), cbUnchecked);
}

TEST(TGroupBoxCaption, IsTheFramesTitle) {
  TestApplication();
  TForm form(nullptr);
  auto* group = new TGroupBox(&form);
  group->SetParent(&form);
  group->SetCaption(u"Options");
  EXPECT_EQ(group->Width(), 185);
  EXPECT_GT(group->Canvas().TextHeight(u"0"), 0);
  auto* inside = new TCheckBox(&form);
  inside->SetParent(group);
  inside->SetBounds(8, 20, 80, 17);
  EXPECT_EQ(inside->Widget()->parentWidget(), group->Widget());
}

}  // namespace
}  // namespace sk
