// The status bar with its buttons and progress bars, its marked-up message
// painted run by run, and the margins panel: its page, handles and
// triangles, placed from margins and dragged by Qt's test mouse events to
// its clamps.
#include <gtest/gtest.h>

#include <QtGui/QGuiApplication>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QPushButton>
#include <optional>

#include "DrawingTestSupport.h"
#include "core/Global_vars.h"
#include "platform/runtime/Colors.h"
#include "platform/visual/Forms.h"
#include "platform/visual/Screen.h"
#include "ui/Buttonedstatusbaru.h"
#include "ui/Graphics_utilities.h"

namespace sk {
namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;

struct BarOnAForm : WithTestApplication {
  BarOnAForm() : form(nullptr) {
    form.SetBounds(0, 0, 640, 200);
    bar = new TButtonedStatusBar(&form);
    bar->SetParent(&form);
    bar->SetColor(clWhite);
  }
  TForm form;
  TButtonedStatusBar* bar;
};

// Counts the yields to the host while it lasts.
class CountedYields {
 public:
  CountedYields() : fSaved(Global_YieldProcessProc) {
    Global_YieldProcessProc = [this] { ++count; };
  }
  ~CountedYields() { Global_YieldProcessProc = fSaved; }
  int count = 0;

 private:
  TYieldProcessProc fSaved;
};

TEST(Buttonedstatusbaru, PanelsButtonsAndBarsInPlace) {
  BarOnAForm f;
  TButtonedStatusBar& bar = *f.bar;
  ASSERT_EQ(bar.PanelCount(), 10);
  EXPECT_EQ(bar.Align(), alBottom);
  EXPECT_EQ(bar.Width(), 640);
  const Int32 buttonPanel = TButton(nullptr).Width() / 2;
  for (Int32 p = tusp_keypressmode; p <= tusp_help_button; ++p) EXPECT_EQ(bar.Panels(p).Width(), buttonPanel) << p;

  for (Int32 p = 0; p < 10; ++p) {
    const auto panel = static_cast<TMyStatusBarPanel>(p);
    TControl* control = bar.GetAButton(panel);
    if (control == nullptr) control = bar.GetAProgressBar(panel);
    const bool hasControl = (p >= tusp_Progress_overall && p <= tusp_help_button);
    ASSERT_EQ(control != nullptr, hasControl) << p;
    if (control == nullptr) continue;
    EXPECT_EQ(control->Tag(), p);
    EXPECT_EQ(control->Parent(), &bar);
    EXPECT_EQ(control->BoundsRect(), bar.PanelRect(p)) << p;
    EXPECT_TRUE(control->ShowHint());
  }
  EXPECT_EQ(bar.GetButtonTypinOrSet()->Tag(), tusp_keypressmode);
  EXPECT_EQ(bar.GetButtonPrevious()->Caption(), u"<");
  EXPECT_EQ(bar.GetButtonNext()->Caption(), u">");
  EXPECT_EQ(bar.GetButtonStop()->Tag(), tusp_stop_button);
  EXPECT_EQ(bar.GetButtonHelp()->Tag(), tusp_help_button);
  EXPECT_EQ(bar.GetProgressBarOverall()->Hint(), u"Overall progress");
  EXPECT_EQ(bar.GetProgressBarThis()->Hint(), u" progress");
  EXPECT_EQ(bar.GetButtonTypinOrSet()->Hint(), u"Find/Set/Edit");
  EXPECT_EQ(bar.GetButtonPrevious()->Hint(), u"Back");
  EXPECT_EQ(bar.GetButtonNext()->Hint(), u"Forwards");
  EXPECT_EQ(bar.GetButtonStop()->Hint(), u"stop");
  EXPECT_EQ(bar.GetButtonHelp()->Hint(), u"Help");
  EXPECT_EQ(bar.GetAButton(tusp_message), nullptr);
  EXPECT_EQ(bar.GetAProgressBar(tusp_stop_button), nullptr);

  // A new width moves every control after it; so does a resize.
  bar.SetPanelWidth(tusp_entries, 120);
  bar.SetProgressBarWidth(tusp_progress_this, 90);
  EXPECT_EQ(bar.GetProgressBarWidth(tusp_progress_this), 90);
  for (Int32 p = tusp_Progress_overall; p <= tusp_help_button; ++p) {
    const TControl* c = p <= tusp_progress_this ? static_cast<TControl*>(bar.GetAProgressBar(TMyStatusBarPanel(p)))
                                                : static_cast<TControl*>(bar.GetAButton(TMyStatusBarPanel(p)));
    EXPECT_EQ(c->BoundsRect(), bar.PanelRect(p)) << p;
  }
  EXPECT_EQ(bar.GetProgressBarThis()->Left(), 120 + 50 + 50 + 2);
  EXPECT_EQ(bar.TotalPanelWidthTo(tusp_entries), 120);
  EXPECT_EQ(bar.TotalPanelWidthTo(tusp_progress_this), 120 + 50 + 50 + 90);
  f.form.SetBounds(0, 0, 500, 200);
  EXPECT_EQ(bar.Width(), 500);
  EXPECT_EQ(bar.GetButtonHelp()->BoundsRect(), bar.PanelRect(tusp_help_button));

  bar.GetProgressBarOverall()->SetPosition(100);
  const QImage img = Rendered(bar);
  SaveShot(img, "status_bar_controls");
  const TRect overall = bar.PanelRect(tusp_Progress_overall);
  EXPECT_EQ(PixelOf(img, overall.Left, overall.Top + 3), ColorToRGB(clBtnShadow));
  EXPECT_EQ(PixelOf(img, overall.Left + 5, overall.Top + 5), ColorToRGB(clHighlight));
}

TEST(Buttonedstatusbaru, WidthsAndVisibility) {
  BarOnAForm f;
  TButtonedStatusBar& bar = *f.bar;
  Int32 others = 0;
  for (Int32 p = 0; p < 9; ++p) others += bar.Panels(p).Width();
  EXPECT_EQ(bar.GetPanelWidth(tusp_message), 640 - others - ScreenPixelsPerInch() / 3);
  EXPECT_EQ(bar.GetPanelWidth(tusp_info), 50);
  f.form.SetBounds(0, 0, 100, 200);
  EXPECT_EQ(bar.GetPanelWidth(tusp_message), 0);  // never below 0

  TMyStatusBarPanelSet some;
  some.Include(tusp_message);
  some.Include(tusp_stop_button);
  bar.SetPanelVisibility(some);
  for (Int32 p = 0; p < 10; ++p)
    EXPECT_EQ(bar.Panels(p).Width() == 0, p != tusp_message && p != tusp_stop_button) << p;
  bar.SetPanelVisibility(TMyStatusBarPanelSet{});
  for (Int32 p = 0; p < 10; ++p) EXPECT_EQ(bar.Panels(p).Width(), 0) << p;
  EXPECT_EQ(bar.GetAButton(tusp_stop_button)->Width(), 0);
}

TEST(Buttonedstatusbaru, TextsCountsAndYields) {
  BarOnAForm f;
  TButtonedStatusBar& bar = *f.bar;
  CountedYields yields;
  const Char separator = Global_StringToDateTimeFormat.ThousandSeparator;
  Global_StringToDateTimeFormat.ThousandSeparator = u'.';
  bar.SetProgressNumbers(1234567, 0);
  Global_StringToDateTimeFormat.ThousandSeparator = separator;
  EXPECT_EQ(bar.Panels(tusp_entries).Text(), u"1.234.567");
  EXPECT_EQ(bar.Panels(tusp_info).Text(), u"0");
  EXPECT_EQ(yields.count, 1);

  bar.SetAPanelMessage(tusp_info, u"plain");
  EXPECT_EQ(bar.Panels(tusp_info).Text(), u"plain");
  const String longText = u"a text far too long for a panel fifty pixels wide";
  bar.SetAPanelMessage(tusp_entries, longText, true);  // a Boolean: the shrinking form
  EXPECT_EQ(bar.Panels(tusp_entries).Text(), ShrunkToFit(longText, bar.Canvas(), 50));
  EXPECT_NE(bar.Panels(tusp_entries).Text(), longText);
  bar.SetAPanelMessage(tusp_info, u"right", taRightJustify);
  EXPECT_EQ(bar.Panels(tusp_info).Alignment(), taRightJustify);
  EXPECT_EQ(bar.Panels(tusp_info).Text(), u"right");
  bar.SetAPanelMessage(tusp_stop_button, u"not a text panel");
  EXPECT_EQ(bar.Panels(tusp_stop_button).Text(), u"");
  bar.SetAPanelMessage(tusp_message, u"<B>now</B>", taCenter);
  EXPECT_EQ(bar.MessageText(), u"<B>now</B>");
  EXPECT_EQ(bar.Panels(tusp_message).Style(), psOwnerDraw);
  EXPECT_EQ(yields.count, 6);

  bar.SetProgressPercent(40, tusp_progress_this);
  bar.SetProgressPercent(40, tusp_progress_this);
  bar.SetProgressPercent(70, tusp_entries);  // no bar there
  EXPECT_EQ(bar.GetProgressBarThis()->Position(), 40);
  EXPECT_EQ(yields.count, 9);
  bar.GetProgressBarOverall()->SetPosition(20);

  bar.ClearThePanels();  // all but the message
  EXPECT_EQ(bar.Panels(tusp_entries).Text(), u"");
  EXPECT_EQ(bar.Panels(tusp_info).Text(), u"");
  EXPECT_EQ(bar.GetProgressBarThis()->Position(), 0);
  EXPECT_EQ(bar.GetProgressBarOverall()->Position(), 0);
  EXPECT_EQ(bar.MessageText(), u"<B>now</B>");
  bar.SetAPanelMessage(tusp_info, u"kept");
  bar.GetProgressBarThis()->SetPosition(30);
  bar.ClearThePanelsExcept(tusp_progress_this);
  EXPECT_EQ(bar.MessageText(), u"");
  EXPECT_EQ(bar.Panels(tusp_info).Text(), u"");
  EXPECT_EQ(bar.GetProgressBarThis()->Position(), 30);
}

TEST(Buttonedstatusbaru, ButtonsActiveAndClicked) {
  BarOnAForm f;
  TButtonedStatusBar& bar = *f.bar;
  TImageList images(nullptr, 16, 16);
  for (TColor c : {kRed, kBlue, clLime, clYellow}) {
    TBitmap b(16, 16);
    b.Canvas().Brush().SetColor(c);
    b.Canvas().FillRect(Rect(0, 0, 16, 16));
    images.Add(b, nullptr);
  }
  bar.SetButtonImageIndex(tusp_stop_button, &images, 3);
  bar.SetButtonImageIndex(tusp_help_button, &images, 0);
  EXPECT_EQ(bar.GetButtonStop()->Images(), &images);
  EXPECT_TRUE(bar.GetButtonActive(tusp_stop_button));
  bar.SetButtonActive(tusp_stop_button, false);
  EXPECT_EQ(bar.GetButtonStop()->ImageIndex(), -3);
  EXPECT_FALSE(bar.GetButtonActive(tusp_stop_button));
  bar.SetButtonActive(tusp_stop_button, false);
  EXPECT_EQ(bar.GetButtonStop()->ImageIndex(), -3);
  bar.SetButtonActive(tusp_stop_button, true);
  EXPECT_EQ(bar.GetButtonStop()->ImageIndex(), 3);
  // Image 0 has no negative: it still reads as active.
  bar.SetButtonActive(tusp_help_button, false);
  EXPECT_EQ(bar.GetButtonHelp()->ImageIndex(), 0);
  EXPECT_TRUE(bar.GetButtonActive(tusp_help_button));
  EXPECT_FALSE(bar.GetButtonActive(tusp_message));
  EXPECT_FALSE(bar.GetButtonActive(tusp_progress_this));
  bar.SetButtonActive(tusp_info, true);  // no button: nothing

  // The image shows centred on the button.
  const QImage shot = Rendered(bar);
  SaveShot(shot, "status_bar_buttons");
  const TRect stop = bar.PanelRect(tusp_stop_button);
  const TPoint mid = Point((stop.Left + stop.Right) / 2, (stop.Top + stop.Bottom) / 2);
  EXPECT_EQ(PixelOf(shot, mid.X, mid.Y), clYellow);
  EXPECT_GT(CountOf(shot, stop, clYellow), 60);
  bar.SetButtonActive(tusp_stop_button, false);
  EXPECT_EQ(CountOf(Rendered(bar), stop, clYellow), 0);

  std::vector<std::pair<TObject*, TMyStatusBarPanel>> clicks;
  bar.fOnSBButtonClick = [&](TObject* sender, TMyStatusBarPanel p) { clicks.emplace_back(sender, p); };
  auto* next = bar.GetButtonNext();
  QTest::mouseClick(next->Widget(), Qt::LeftButton);
  bar.GetButtonHelp()->Click();
  ASSERT_EQ(clicks.size(), 2u);
  EXPECT_EQ(clicks[0].first, next);
  EXPECT_EQ(clicks[0].second, tusp_next_button);
  EXPECT_EQ(clicks[1].second, tusp_help_button);
}

// The message panel as the bar should paint it: each run at its place in
// its style, on the bar's colour.
QImage ExpectedMessage(TButtonedStatusBar& bar, const TRect& r,
                       const std::vector<std::pair<String, TFontStyles>>& runs) {
  TBitmap b(bar.Width(), bar.Height());
  TCanvas& c = b.Canvas();
  c.Font().Assign(bar.Font());
  c.Brush().SetColor(bar.Color());
  c.FillRect(Rect(0, 0, b.Width(), b.Height()));
  const Int32 y = r.Top + (r.Bottom - r.Top - c.TextHeight(u"Yy")) / 2;
  Int32 x = r.Left;
  for (const auto& [text, style] : runs) {
    c.Font().SetStyle(style);
    c.TextOut(x, y, text);
    x += c.TextWidth(text);
  }
  return b.Image().copy(ToQRect(r));
}

TEST(Buttonedstatusbaru, MarkedUpMessageRuns) {
  BarOnAForm f;
  TButtonedStatusBar& bar = *f.bar;
  bar.SetPanelVisibility(TMyStatusBarPanelSet{tusp_message});
  const TRect r = bar.PanelRect(tusp_message);
  ASSERT_GT(r.Right - r.Left, 300);
  const TFontStyles bold = 1u << fsBold, italic = 1u << fsItalic;
  struct Case {
    String text;
    std::vector<std::pair<String, TFontStyles>> runs;
  } cases[] = {
      {u"a <B>bold</B> word", {{u"a ", 0}, {u"bold", bold}, {u" word", 0}}},
      {u"<i>it</i> and <B>b<I>both</b> off", {{u"it", italic}, {u" and ", 0}, {u"b", bold}, {u"both", bold | italic}, {u" off", 0}}},
      {u"an <X>unknown</X> tag", {{u"an ", 0}, {u"<X>", 0}, {u"unknown", 0}, {u" tag", 0}}},
      {u"x < y and <b", {{u"x ", 0}, {u"< y and <b", 0}}},
      {u"trailing <", {{u"trailing ", 0}, {u"<", 0}}},
  };
  int k = 0;
  for (const Case& c : cases) {
    bar.SetHTMLBoldItalicString(c.text);
    const QImage shot = Rendered(bar).copy(ToQRect(r));
    SaveShot(shot, "status_message_" + std::to_string(k++));
    const QImage expected = ExpectedMessage(bar, r, c.runs).convertToFormat(QImage::Format_RGB32);
    int differ = 0;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x) differ += PixelOf(shot, x, y) != PixelOf(expected, x, y);
    EXPECT_EQ(differ, 0) << StringToUtf8(c.text);
  }
  // Bold text is drawn bold: the same words plain look different.
  bar.SetHTMLBoldItalicString(u"<B>MMMM</B>");
  const QImage boldShot = Rendered(bar).copy(ToQRect(r));
  bar.SetHTMLBoldItalicString(u"MMMM");
  EXPECT_NE(boldShot, Rendered(bar).copy(ToQRect(r)));
  EXPECT_EQ(bar.Canvas().Font().Style(), 0);
}

// ---------------------------------------------------------------------------
// The margins panel.

struct PageAndPanel : WithTestApplication {
  PageAndPanel() : form(nullptr) {
    form.SetBounds(0, 0, 400, 400);
    page = new TPanel(&form);
    page->SetParent(&form);
    page->SetBounds(10, 10, 210, 297);
    page->SetBevelOuter(bvNone);
    page->SetColor(clSilver);
    panel = new TNotepadGrabPanel(&form);
    panel->SetParent(page);
  }
  TForm form;
  TPanel* page;
  TNotepadGrabPanel* panel;
};

TEST(Buttonedstatusbaru, MarginsPanelPlacedFromMargins) {
  PageAndPanel f;
  TNotepadGrabPanel& p = *f.panel;
  EXPECT_EQ(p.Width(), 100);
  EXPECT_EQ(p.Height(), 150);
  EXPECT_EQ(p.Caption(), u"");
  EXPECT_FALSE(p.Monochrome());
  EXPECT_EQ(p.GrabbedMidpoint(), t_where_none);
  EXPECT_EQ(p.Midpoints()[t_left], TRect{});

  const std::array<Single, 4> margins = {1.0f, 0.5f, 0.25f, 2.0f};
  p.SetToMargins(margins, 210, 297);  // no page control yet: nothing
  EXPECT_EQ(p.BoundsRect(), Rect(0, 0, 100, 150));

  p.SetParentControl(f.page);
  EXPECT_EQ(p.OuterWidth(), 210);
  EXPECT_EQ(p.OuterHeight(), 297);
  const Int32 x = p.Canvas().TextWidth(u"M");
  EXPECT_EQ(p.Midpoints()[t_left], Rect(1, (150 - x) / 2, x + 1, (150 - x) / 2 + x));
  EXPECT_EQ(p.Midpoints()[t_top], Rect((100 - x) / 2, 2, (100 - x) / 2 + x, 2 + x));
  EXPECT_EQ(p.Midpoints()[t_right], Rect(100 - x - 2, (150 - x) / 2, 98, (150 - x) / 2 + x));
  EXPECT_EQ(p.Midpoints()[t_bottom], Rect((100 - x) / 2, 150 - x - 2, (100 - x) / 2 + x, 148));

  // A page of 210 x 297 mm shown 210 x 297 pixels: a millimetre a pixel, so
  // the margins are 25.4, 12.7, 6.35 and 50.8 pixels, rounded.
  p.SetToMargins(margins, 210, 297);
  EXPECT_EQ(p.BoundsRect(), Rect(25, 6, 210 - 13, 297 - 51));
  EXPECT_EQ(p.Midpoints()[t_right].Right, p.Width() - 2);

  // A page without a width or height changes nothing.
  const TRect before = p.BoundsRect();
  p.SetToMargins({0, 0, 0, 0}, 0, 297);
  p.SetToMargins({0, 0, 0, 0}, 210, 0);
  EXPECT_EQ(p.BoundsRect(), before);
  // The same margins on a page twice as wide take half the pixels across.
  p.SetToMargins(margins, 420, 297);
  EXPECT_EQ(p.Left(), 13);

  p.SetParentControl(nullptr);
  EXPECT_EQ(p.ParentControl(), nullptr);
  EXPECT_EQ(p.Midpoints()[t_left], TRect{});
  EXPECT_EQ(p.OuterWidth(), 0);
}

TEST(Buttonedstatusbaru, MarginsPanelPainted) {
  PageAndPanel f;
  TNotepadGrabPanel& p = *f.panel;
  p.SetParentControl(f.page);
  p.SetBounds(20, 20, 120, 160);
  p.RecomputeAllMidpoints();
  p.SetHandleColour(kRed);
  p.SetInnerRectColour(kBlue);
  p.SetScribbleColour(clBlack);
  const QImage plain = Rendered(p);
  EXPECT_EQ(PixelOf(plain, 1, 1), clWhite);  // the page
  EXPECT_EQ(CountOf(plain, Rect(0, 0, 120, 160), kRed), 0);
  EXPECT_GT(CountNot(plain, Rect(3, 3, 117, 157), clWhite), 20);  // rows of dots
  EXPECT_EQ(CountNot(plain, Rect(0, 0, 120, 3), clWhite), 0);

  p.SetShowMarginMarkers(true);
  const QImage marked = Rendered(f.form);
  SaveShot(marked, "margins_panel");
  const QImage panel = Rendered(p);
  // A triangle in each handle, pointing into the page.
  const auto& m = p.Midpoints();
  const TRect l = m[t_left], t = m[t_top], r = m[t_right], b = m[t_bottom];
  EXPECT_EQ(PixelOf(panel, l.Left + 1, (l.Top + l.Bottom) / 2), kRed);
  EXPECT_EQ(PixelOf(panel, r.Right - 1, (r.Top + r.Bottom) / 2), kRed);
  EXPECT_EQ(PixelOf(panel, (t.Left + t.Right) / 2, t.Top + 3), kRed);  // the frame crosses its top
  EXPECT_EQ(PixelOf(panel, (b.Left + b.Right) / 2, b.Bottom - 1), kRed);
  EXPECT_EQ(PixelOf(panel, l.Right - 1, l.Top + 1), clWhite);  // the left triangle points right
  EXPECT_GT(CountOf(panel, l, kRed), 4);
  // The frame round the text area.
  EXPECT_EQ(PixelOf(panel, 3, 60), kBlue);
  EXPECT_EQ(PixelOf(panel, 116, 100), kBlue);
  // The page control shows round the panel.
  EXPECT_EQ(PixelOf(marked, 10 + 5, 10 + 5), clSilver);
  EXPECT_EQ(PixelOf(marked, 10 + 21, 10 + 21), clWhite);

  p.SetMonochrome(true);
  const QImage mono = Rendered(p);
  EXPECT_EQ(PixelOf(mono, l.Left + 1, (l.Top + l.Bottom) / 2), clBlack);
  EXPECT_EQ(PixelOf(mono, 3, 60), TColor(0x808080));
}

TEST(Buttonedstatusbaru, MarginsDraggedToTheirClamps) {
  PageAndPanel f;
  TNotepadGrabPanel& p = *f.panel;
  f.form.Show();
  p.SetParentControl(f.page);
  p.SetBounds(30, 40, 150, 200);
  p.RecomputeAllMidpoints();
  int moved = 0;
  std::vector<TRect> stated;
  p.fOnMarginsMoved = [&](TObject* s) {
    EXPECT_EQ(s, &p);
    ++moved;
  };
  p.fOnStateMargins = [&](TObject*, const TRect& bounds) { stated.push_back(bounds); };
  QWidget* page = f.page->Widget();
  auto centre = [&](TWhere w) {
    const TRect h = p.Midpoints()[w];
    return QPoint(p.Left() + (h.Left + h.Right) / 2, p.Top() + (h.Top + h.Bottom) / 2);
  };
  auto drag = [&](TWhere w, std::initializer_list<QPoint> steps) {
    QPoint at = centre(w);
    // Pressed over the panel: the press reaches the page through it.
    QTest::mousePress(p.Widget(), Qt::LeftButton, Qt::NoModifier, at - QPoint(p.Left(), p.Top()));
    EXPECT_TRUE(p.Altering());
    for (const QPoint& d : steps) {
      at += d;
      QTest::mouseMove(page, at);
    }
    QTest::mouseRelease(page, Qt::LeftButton, Qt::NoModifier, at);
  };
  const Int32 outerW = 210, outerH = 297;

  drag(t_left, {QPoint(-1, 0), QPoint(-10, 0)});
  EXPECT_EQ(p.Left(), 30 - 11);
  EXPECT_EQ(p.Left() + p.Width(), 180);  // the right edge stays
  EXPECT_FALSE(p.Altering());
  EXPECT_EQ(moved, 1);
  EXPECT_EQ(ScreenCursor(), crDefault);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  ASSERT_FALSE(stated.empty());
  EXPECT_EQ(stated.back(), p.BoundsRect());

  drag(t_left, {QPoint(-1, 0), QPoint(-500, 0)});
  EXPECT_EQ(p.Left(), 2);
  drag(t_left, {QPoint(1, 0), QPoint(500, 0)});
  EXPECT_EQ(p.Left(), outerW * 2 / 3);
  EXPECT_EQ(p.Left() + p.Width(), 180);

  drag(t_right, {QPoint(1, 0), QPoint(500, 0)});
  EXPECT_EQ(p.Left() + p.Width(), outerW);
  drag(t_right, {QPoint(-1, 0), QPoint(-500, 0)});
  EXPECT_EQ(p.Left() + p.Width(), outerW * 2 / 3);

  drag(t_top, {QPoint(0, -1), QPoint(0, -500)});
  EXPECT_EQ(p.Top(), 2);
  EXPECT_EQ(p.Top() + p.Height(), 240);
  drag(t_top, {QPoint(0, 1), QPoint(0, 500)});
  EXPECT_EQ(p.Top(), outerH * 2 / 3);
  drag(t_bottom, {QPoint(0, 1), QPoint(0, 500)});
  EXPECT_EQ(p.Top() + p.Height(), outerH);
  EXPECT_EQ(moved, 8);

  // A press away from every handle grabs nothing and moves nothing.
  const TRect before = p.BoundsRect();
  QTest::mousePress(page, Qt::LeftButton, Qt::NoModifier, QPoint(p.Left() + p.Width() / 2, p.Top() + p.Height() / 2));
  QTest::mouseMove(page, QPoint(p.Left() + p.Width() / 2 + 30, p.Top() + p.Height() / 2 + 30));
  EXPECT_EQ(p.GrabbedMidpoint(), t_where_none);
  QTest::mouseRelease(page, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_EQ(p.BoundsRect(), before);
  EXPECT_EQ(moved, 9);

  // Once the page goes, the panel lets go of it.
  delete f.page;
  EXPECT_EQ(ScreenCursor(), crDefault);
}

}  // namespace
}  // namespace sk
