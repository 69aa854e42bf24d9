// The splitter with a button: its button's place and colours, a press on the
// button's very edge that clicks it without a split, a drag elsewhere that
// resizes the panel beside it, and the cursor over and off the button.
#include <gtest/gtest.h>

#include <QtGui/QMouseEvent>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>

#include "DrawingTestSupport.h"
#include "platform/runtime/Colors.h"
#include "platform/visual/Forms.h"
#include "platform/visual/Panels.h"
#include "ui/Buttonedsplitteru.h"

namespace sk {
namespace {

// A form with a panel on the left, the splitter beside it and a panel
// filling the rest.
struct SplitForm : WithTestApplication {
  SplitForm() : form(nullptr) {
    form.SetBounds(0, 0, 400, 200);
    left = new TPanel(&form);
    left->SetParent(&form);
    left->SetBounds(0, 0, 100, 200);
    left->SetAlign(alLeft);
    splitter = new TButtonedSplitter(&form);
    splitter->SetParent(&form);
    splitter->SetBounds(100, 0, 8, 200);
    splitter->SetAlign(alLeft);
    rest = new TPanel(&form);
    rest->SetParent(&form);
    rest->SetAlign(alClient);
    form.Show();
  }
  TForm form;
  TPanel* left;
  TButtonedSplitter* splitter;
  TPanel* rest;
};

void MoveOver(TControl& c, QPoint at) {
  QMouseEvent move(QEvent::MouseMove, at, c.Widget()->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(c.Widget(), &move);
}

TEST(Buttonedsplitteru, ButtonPlacedAndPainted) {
  SplitForm f;
  TButtonedSplitter& s = *f.splitter;
  ASSERT_EQ(s.BoundsRect(), Rect(100, 0, 108, 200));
  EXPECT_EQ(s.ResizedControl(), f.left);
  // 7/8 of 8 pixels wide, half of 200 high, centred.
  EXPECT_EQ(s.GetButtonRect(), Rect(0, 50, 7, 150));
  EXPECT_EQ(s.BrushColour(), ColorToRGB(clHighlight));
  EXPECT_EQ(s.PenColour(), ColorToRGB(clBtnShadow));

  s.SetColor(clWhite);
  const QImage img = Rendered(s);
  SaveShot(img, "splitter_button");
  EXPECT_EQ(CountNot(img, Rect(0, 0, 8, 49), clWhite), 0);
  EXPECT_EQ(CountNot(img, Rect(0, 151, 8, 200), clWhite), 0);
  EXPECT_EQ(PixelOf(img, 3, 50), s.PenColour());  // the outline along the top
  EXPECT_EQ(PixelOf(img, 0, 100), s.PenColour());
  EXPECT_GT(CountOf(img, Rect(1, 52, 6, 148), s.BrushColour()), 20);  // the cross-hatching
  EXPECT_GT(CountOf(img, Rect(1, 52, 6, 148), clWhite), 20);
  // The canvas gets its own pen and brush back.
  EXPECT_EQ(s.Canvas().Brush().Style(), bsSolid);
}

TEST(Buttonedsplitteru, EdgeOfTheButtonClicksWithoutASplit) {
  SplitForm f;
  TButtonedSplitter& s = *f.splitter;
  int clicked = 0;
  s.fOnButtonClick = [&](TObject* sender) {
    EXPECT_EQ(sender, &s);
    ++clicked;
  };
  const TRect b = s.GetButtonRect();
  // The bottom-right corner of the button rectangle counts as the button.
  QTest::mousePress(s.Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(b.Right, b.Bottom));
  QTest::mouseMove(s.Widget(), QPoint(b.Right + 40, b.Bottom));
  QTest::mouseRelease(s.Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(b.Right + 40, b.Bottom));
  EXPECT_EQ(clicked, 1);
  EXPECT_EQ(f.left->Width(), 100);
  EXPECT_FALSE(s.Dragging());
  QTest::mousePress(s.Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(b.Left, b.Top));
  QTest::mouseRelease(s.Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(b.Left, b.Top));
  EXPECT_EQ(clicked, 2);

  // One pixel below the button: a split.
  int moved = 0;
  s.OnMoved = [&](TObject*) { ++moved; };
  QTest::mousePress(s.Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(3, b.Bottom + 1));
  EXPECT_TRUE(s.Dragging());
  QTest::mouseMove(s.Widget(), QPoint(3 + 50, b.Bottom + 1));
  EXPECT_EQ(f.left->Width(), 150);
  EXPECT_EQ(s.Left(), 150);
  EXPECT_GE(moved, 1);
  EXPECT_EQ(s.GetButtonRect(), b);
  // The mouse's position on the screen counts, not on the moved splitter:
  // 13 on the splitter now at 150 is 60 right of the press.
  QTest::mouseMove(s.Widget(), QPoint(13, b.Bottom + 1));
  EXPECT_EQ(f.left->Width(), 160);
  QTest::mouseRelease(s.Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(3, b.Bottom + 1));
  EXPECT_FALSE(s.Dragging());
  EXPECT_EQ(clicked, 2);
}

TEST(Buttonedsplitteru, DragKeepsToTheMinimumSizes) {
  SplitForm f;
  TButtonedSplitter& s = *f.splitter;
  QTest::mousePress(s.Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 10));
  QTest::mouseMove(s.Widget(), QPoint(2 - 500, 10));
  EXPECT_EQ(f.left->Width(), s.MinSize());
  QTest::mouseMove(s.Widget(), QPoint(2 - 70 + 1000 + 70, 10));
  EXPECT_EQ(f.left->Width(), 400 - 8 - s.MinSize());
  QTest::mouseRelease(s.Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 10));
  EXPECT_EQ(f.rest->Width(), s.MinSize());
}

TEST(Buttonedsplitteru, CursorOverTheButton) {
  SplitForm f;
  TButtonedSplitter& s = *f.splitter;
  EXPECT_EQ(s.Cursor(), crHSplit);
  MoveOver(s, QPoint(3, 100));
  EXPECT_EQ(s.Cursor(), crDefault);
  MoveOver(s, QPoint(3, 20));
  EXPECT_EQ(s.Cursor(), crHSplit);
  MoveOver(s, QPoint(7, 150));
  EXPECT_EQ(s.Cursor(), crDefault);
  Buttonedsplitteru::Register();  // no designer: nothing to do
}

TEST(Buttonedsplitteru, ButtonFollowsTheSplittersSize) {
  SplitForm f;
  f.form.SetBounds(0, 0, 400, 300);
  EXPECT_EQ(f.splitter->Height(), 300);
  EXPECT_EQ(f.splitter->GetButtonRect(), Rect(0, 75, 7, 225));
}

}  // namespace
}  // namespace sk
