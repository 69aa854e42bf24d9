// The status bar's panel rectangles and painting, the progress bar, panels,
// buttons with an image, the splitter dragged on either side, the screen
// cursor, mouse capture, and a control's mouse events taken by a tap.
#include <gtest/gtest.h>

#include <QtGui/QGuiApplication>
#include <QtGui/QMouseEvent>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QPushButton>

#include "VisualTestSupport.h"
#include "platform/runtime/Colors.h"
#include "platform/visual/Forms.h"
#include "platform/visual/ImageButtons.h"
#include "platform/visual/MouseCapture.h"
#include "platform/visual/Panels.h"
#include "platform/visual/ProgressBars.h"
#include "platform/visual/Splitters.h"
#include "platform/visual/StatusBars.h"

namespace sk {
namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;

int Count(const QImage& img, const TRect& r, TColor colour, bool equal = true) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) n += (PixelOf(img, x, y) == colour) == equal;
  return n;
}

struct AppFirst {
  AppFirst() { TestApplication(); }
};

struct OnAForm : AppFirst {
  OnAForm() : form(nullptr) { form.SetBounds(0, 0, 300, 200); }
  TForm form;
};

TEST(TStatusBar, PanelRectanglesFromTheLeft) {
  OnAForm f;
  auto* bar = new TStatusBar(&f.form);
  bar->SetParent(&f.form);
  EXPECT_EQ(bar->Align(), alBottom);
  EXPECT_EQ(bar->Height(), 19);
  EXPECT_EQ(bar->Width(), 300);
  EXPECT_EQ(bar->BoundsRect(), Rect(0, 181, 300, 200));
  EXPECT_EQ(bar->PanelRect(0), TRect{});
  for (Int32 w : {50, 30, 0, 40}) bar->AddPanel().SetWidth(w);
  bar->Panels(1).SetWidth(-4);
  EXPECT_EQ(bar->Panels(1).Width(), 0);
  bar->Panels(1).SetWidth(30);
  struct {
    Int32 index;
    TRect r;
  } cases[] = {
      {0, {0, 2, 50, 19}},  {1, {52, 2, 80, 19}},  {2, {80, 2, 80, 19}},  // a panel of width 0
      {3, {82, 2, 300, 19}},                                            // the last runs to the right edge
      {4, {}},              {-1, {}},
  };
  for (const auto& k : cases) EXPECT_EQ(bar->PanelRect(k.index), k.r) << k.index;
  EXPECT_THROW(bar->Panels(4), EListError);
  int changed = 0;
  bar->OnPanelsChanged = [&](TObject*) { ++changed; };
  bar->Panels(0).SetWidth(60);
  bar->Panels(0).SetText(u"text only repaints");
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(bar->PanelRect(1), Rect(62, 2, 90, 19));
  bar->ClearPanels();
  EXPECT_EQ(bar->PanelCount(), 0);
}

TEST(TStatusBar, TextAndOwnerDrawnPanelsPainted) {
  OnAForm f;
  auto* bar = new TStatusBar(&f.form);
  bar->SetParent(&f.form);
  bar->SetColor(clWhite);
  bar->Font().SetColor(clBlack);
  TStatusPanel& text = bar->AddPanel();
  text.SetWidth(100);
  text.SetText(u"MMMMMMMMMMMMMMMMMMMMMMMM");  // wider than the panel: clipped
  TStatusPanel& right = bar->AddPanel();
  right.SetWidth(100);
  right.SetText(u"ab");
  right.SetAlignment(taRightJustify);
  TStatusPanel& owner = bar->AddPanel();
  owner.SetStyle(psOwnerDraw);
  std::vector<TRect> drawn;
  bar->OnDrawPanel = [&](TStatusBar* sb, TStatusPanel& p, const TRect& r) {
    EXPECT_EQ(sb, bar);
    EXPECT_EQ(p.Index(), 2);
    drawn.push_back(r);
    sb->Canvas().Brush().SetColor(kRed);
    sb->Canvas().FillRect(Rect(r.Left - 10, r.Top, r.Right, r.Bottom));  // clipped to the panel
  };
  const QImage img = Rendered(*bar);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0], bar->PanelRect(2));
  EXPECT_EQ(Count(img, Rect(0, 0, 300, 19), kRed), (300 - 202) * 17);
  EXPECT_GT(Count(img, Rect(2, 2, 98, 19), clWhite, false), 20);
  EXPECT_EQ(Count(img, Rect(100, 3, 102, 19), clBlack), 0);  // the text stops at its panel
  EXPECT_EQ(PixelOf(img, 100, 10), ColorToRGB(clBtnShadow));  // the line between panels
  // Right-aligned: the text ends 2 pixels in from the panel's right edge.
  const TRect r = bar->PanelRect(1);
  EXPECT_EQ(Count(img, Rect(r.Left, 0, r.Right - 20, 19), clBlack), 0);
  EXPECT_GT(Count(img, Rect(r.Right - 20, 0, r.Right - 2, 19), clWhite, false), 0);
}

TEST(TProgressBar, RangeStepsAndFill) {
  OnAForm f;
  auto* bar = new TProgressBar(&f.form);
  bar->SetParent(&f.form);
  EXPECT_EQ(bar->Width(), 150);
  EXPECT_EQ(bar->Height(), 17);
  EXPECT_EQ(bar->FilledRect(), Rect(1, 1, 1, 1));
  bar->SetPosition(50);
  EXPECT_EQ(bar->FilledRect(), Rect(1, 1, 75, 16));
  bar->StepBy(60);
  EXPECT_EQ(bar->Position(), 100);
  bar->SetStep(-30);
  bar->StepIt();
  EXPECT_EQ(bar->Position(), 70);
  bar->SetMax(40);
  EXPECT_EQ(bar->Position(), 40);
  bar->SetMin(60);  // above the maximum: the maximum follows
  EXPECT_EQ(bar->Max(), 60);
  EXPECT_EQ(bar->Position(), 60);
  bar->SetRange(10, 5);
  EXPECT_EQ(bar->Min(), 10);
  EXPECT_EQ(bar->Max(), 10);
  EXPECT_EQ(bar->FilledRect().Right, 1);  // an empty range fills nothing
  bar->SetRange(0, 4);
  bar->SetPosition(4);
  bar->SetColor(clWhite);
  const QImage img = Rendered(*bar);
  EXPECT_EQ(Count(img, Rect(1, 1, 149, 16), ColorToRGB(clHighlight)), 148 * 15);
  EXPECT_EQ(PixelOf(img, 0, 8), ColorToRGB(clBtnShadow));
}

TEST(TPanel, BevelAndCaption) {
  OnAForm f;
  auto* p = new TPanel(&f.form);
  p->SetParent(&f.form);
  EXPECT_EQ(p->Width(), 185);
  EXPECT_EQ(p->Height(), 41);
  p->SetColor(clWhite);
  p->Font().SetColor(clBlack);
  p->SetCaption(u"Centred");
  const QImage img = Rendered(*p);
  EXPECT_EQ(PixelOf(img, 0, 0), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(PixelOf(img, 184, 40), ColorToRGB(clBtnShadow));
  // The caption sits in the middle.
  EXPECT_EQ(Count(img, Rect(1, 1, 60, 40), clBlack), 0);
  EXPECT_EQ(Count(img, Rect(125, 1, 184, 40), clBlack), 0);
  EXPECT_GT(Count(img, Rect(60, 1, 125, 40), clWhite, false), 10);
  p->SetBevelOuter(bvNone);
  p->SetCaption(u"");
  EXPECT_EQ(Count(Rendered(*p), Rect(0, 0, 185, 41), clWhite), 185 * 41);
  p->SetBevelOuter(bvLowered);
  EXPECT_EQ(PixelOf(Rendered(*p), 0, 0), ColorToRGB(clBtnShadow));
}

TEST(TImageButton, ShowsTheImageOfItsIndex) {
  OnAForm f;
  TImageList images(nullptr, 16, 16);
  for (TColor c : {kRed, kBlue}) {
    TBitmap b(16, 16);
    b.Canvas().Brush().SetColor(c);
    b.Canvas().FillRect(Rect(0, 0, 16, 16));
    images.Add(b, nullptr);
  }
  auto* button = new TImageButton(&f.form);
  button->SetParent(&f.form);
  button->SetBounds(0, 0, 40, 30);
  auto* qt = static_cast<QPushButton*>(button->Widget());
  EXPECT_TRUE(qt->icon().isNull());
  button->SetImages(&images);
  button->SetImageIndex(1);
  EXPECT_FALSE(qt->icon().isNull());
  const QImage img = Rendered(*button);
  EXPECT_EQ(PixelOf(img, 20, 15), kBlue);
  button->SetImageIndex(-1);
  EXPECT_TRUE(qt->icon().isNull());
  button->SetImageIndex(7);  // past the list
  EXPECT_TRUE(qt->icon().isNull());
  button->SetImageIndex(0);
  {
    TImageList gone(nullptr, 16, 16);
    TBitmap b(16, 16);
    gone.Add(b, nullptr);
    button->SetImages(&gone);
  }
  EXPECT_EQ(button->Images(), nullptr);  // told when the list went
  EXPECT_TRUE(qt->icon().isNull());
}

TEST(TSplitter, DraggedOnEitherSide) {
  OnAForm f;
  f.form.Show();
  auto* right = new TPanel(&f.form);
  right->SetParent(&f.form);
  right->SetBounds(200, 0, 100, 200);
  right->SetAlign(alRight);
  auto* splitter = new TSplitter(&f.form);
  splitter->SetParent(&f.form);
  splitter->SetBounds(190, 0, 3, 200);
  splitter->SetAlign(alRight);
  ASSERT_EQ(splitter->Left(), 197);
  EXPECT_EQ(splitter->Cursor(), crHSplit);
  EXPECT_EQ(splitter->ResizedControl(), right);
  int moved = 0;
  splitter->OnMoved = [&](TObject*) { ++moved; };
  QTest::mousePress(splitter->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(1, 10));
  EXPECT_EQ(GetCapture(), splitter);
  QTest::mouseMove(splitter->Widget(), QPoint(1 - 40, 10));
  EXPECT_EQ(right->Width(), 140);
  EXPECT_EQ(right->Left(), 160);
  EXPECT_EQ(splitter->Left(), 157);
  QTest::mouseMove(splitter->Widget(), QPoint(1 + 300, 10));
  EXPECT_EQ(right->Width(), splitter->MinSize());
  QTest::mouseRelease(splitter->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(1, 10));
  EXPECT_GE(moved, 2);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(splitter->Dragging());

  // A right press, or a splitter with nothing beside it, drags nothing.
  QTest::mousePress(splitter->Widget(), Qt::RightButton, Qt::NoModifier, QPoint(1, 10));
  EXPECT_FALSE(splitter->Dragging());
  QTest::mouseRelease(splitter->Widget(), Qt::RightButton, Qt::NoModifier, QPoint(1, 10));
  auto* top = new TSplitter(&f.form);
  top->SetParent(&f.form);
  top->SetAlign(alTop);
  top->SetHeight(3);
  EXPECT_EQ(top->ResizedControl(), nullptr);
  QTest::mousePress(top->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 1));
  EXPECT_FALSE(top->Dragging());
  QTest::mouseRelease(top->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 1));

  // The control beside it freed in the middle of a drag.
  EXPECT_EQ(splitter->ResizedControl(), right);
  QTest::mousePress(splitter->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(1, 10));
  ASSERT_TRUE(splitter->Dragging());
  delete right;
  EXPECT_FALSE(splitter->Dragging());
  QTest::mouseMove(splitter->Widget(), QPoint(20, 10));
  QTest::mouseRelease(splitter->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
  ReleaseCapture();
}

TEST(MouseCapture, ScreenCursorAndCapture) {
  TestApplication();
  EXPECT_EQ(ScreenCursor(), crDefault);
  SetScreenCursor(crSizeWE);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::SizeHorCursor);
  SetScreenCursor(crSizeNS);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::SizeVerCursor);
  EXPECT_EQ(ScreenCursor(), crSizeNS);
  SetScreenCursor(crDefault);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);  // one level, taken off again
  SetScreenCursor(crDefault);
  EXPECT_EQ(ScreenCursor(), crDefault);

  OnAForm f;
  auto* p = new TPanel(&f.form);
  p->SetParent(&f.form);
  SetCapture(p);  // the form is not showing: no capture
  EXPECT_EQ(GetCapture(), nullptr);
  f.form.Show();
  SetCapture(p);
  EXPECT_EQ(GetCapture(), p);
  ReleaseCapture();
  EXPECT_EQ(GetCapture(), nullptr);
  SetCapture(nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST(MouseCapture, TapTakesAControlsMouseEvents) {
  OnAForm f;
  auto* page = new TPanel(&f.form);
  page->SetParent(&f.form);
  page->SetBounds(10, 10, 200, 150);
  auto* child = new TPanel(&f.form);
  child->SetParent(page);
  child->SetBounds(20, 30, 50, 40);
  int ownDowns = 0;
  page->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Int32, Int32) { ++ownDowns; };
  std::vector<std::string> seen;
  auto tap = std::make_unique<TMouseEventTap>(
      page,
      [&](TObject* s, TMouseButton b, TShiftState sh, Int32 x, Int32 y) {
        EXPECT_EQ(s, page);
        seen.push_back("down " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y) +
                       ((sh & ShiftBit(ssShift)) ? " shift" : ""));
      },
      [&](TObject*, TShiftState, Int32 x, Int32 y) { seen.push_back("move " + std::to_string(x) + "," + std::to_string(y)); },
      [&](TObject*, TMouseButton, TShiftState, Int32 x, Int32 y) {
        seen.push_back("up " + std::to_string(x) + "," + std::to_string(y));
      });
  EXPECT_EQ(tap->Control(), page);
  QTest::mousePress(page->Widget(), Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 6));
  QTest::mouseMove(page->Widget(), QPoint(7, 8));
  QTest::mouseRelease(page->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(7, 8));
  // Pressed on the child: reaches the page in the page's coordinates.
  QTest::mousePress(child->Widget(), Qt::RightButton, Qt::NoModifier, QPoint(1, 2));
  QTest::mouseRelease(child->Widget(), Qt::RightButton, Qt::NoModifier, QPoint(1, 2));
  EXPECT_EQ(seen, (std::vector<std::string>{"down 0 5,6 shift", "move 7,8", "up 7,8", "down 1 21,32", "up 21,32"}));
  EXPECT_EQ(ownDowns, 0);  // taken: the page's own handling did not see them

  tap.reset();
  QTest::mousePress(page->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 6));
  QTest::mouseRelease(page->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 6));
  EXPECT_EQ(ownDowns, 1);

  // A tap may outlive its control.
  auto late = std::make_unique<TMouseEventTap>(child, nullptr, nullptr, nullptr);
  delete child;
  EXPECT_EQ(late->Control(), nullptr);
  late.reset();
}

}  // namespace
}  // namespace sk
