// The progress, plot and bookmark bars: ranges and positions, the spectrum,
// and each bar painted offscreen and read pixel by pixel (blocks whole and
// cut, smooth bars, spectrum colours, the inverted label, the ruler, marks
// and selection square of a plot bar, bookmarks at their lines).
#include <gtest/gtest.h>

#include <QtTest/QTest>
#include <optional>

#include "DrawingTestSupport.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/RtlMath.h"
#include "platform/visual/Forms.h"
#include "ui/Graphics_utilities.h"
#include "ui/Tpcprogressbars.h"

namespace sk {
namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;
constexpr TColor kGreen = 0x00FF00;

TColor RGBOf(int r, int g, int b) { return static_cast<TColor>(r | (g << 8) | (b << 16)); }

// A bar on a form of its own, for painting offscreen.
template <class Bar>
struct OnAForm : WithTestApplication {
  OnAForm() : form(nullptr) {
    bar = new Bar(&form);
    bar->SetParent(&form);
  }
  TForm form;
  Bar* bar;
};

TEST(Tpcprogressbars, RangeAndPosition) {
  OnAForm<TPCProgressBar> f;
  TPCProgressBar& p = *f.bar;
  EXPECT_EQ(p.LowRange(), 0);
  EXPECT_EQ(p.HighRange(), 100);
  EXPECT_EQ(p.Position(), 50);
  EXPECT_EQ(p.Step(), 10);
  EXPECT_EQ(p.Width(), 150);
  EXPECT_EQ(p.Height(), 20);
  EXPECT_EQ(p.Orientation(), pbHorizontal);
  EXPECT_EQ(p.BarColour(), clHighlight);
  EXPECT_TRUE(p.WithPercent());
  EXPECT_TRUE(p.WholeBars());
  EXPECT_TRUE(p.Smooth());
  EXPECT_FALSE(p.WithText());
  EXPECT_TRUE(p.GetSpectrumBar());

  struct Step {
    Int32 which, value;
    Int32 low, high, pos;
  } steps[] = {
      {0, 200, 100, 100, 100},  // the low end cannot pass the high end; the position follows
      {1, 300, 100, 300, 100},  {2, 250, 100, 300, 250}, {2, 999, 100, 300, 300}, {2, -5, 100, 300, 100},
      {1, 50, 100, 100, 100},  // the high end cannot fall below the low end
      {0, -20, -20, 100, 100},  {1, 10, -20, 10, 10},   {3, 77, -20, 10, 10},     // no such setting
  };
  for (const Step& s : steps) {
    p.SetRangePos(s.which, s.value);
    EXPECT_EQ(p.LowRange(), s.low) << s.which << " " << s.value;
    EXPECT_EQ(p.HighRange(), s.high) << s.which << " " << s.value;
    EXPECT_EQ(p.Position(), s.pos) << s.which << " " << s.value;
  }

  p.SetRangePos(0, 0);
  p.SetRangePos(1, 100);
  struct {
    Int64 done, total;
    Int32 pos;
  } percents[] = {{1, 3, 33}, {2, 3, 67}, {5, 0, 100}, {0, 0, 0}, {1, 8, 12}, {3, 8, 38}, {-4, 8, 0}};
  for (const auto& k : percents) {
    p.SetPercent(k.done, k.total);
    EXPECT_EQ(p.Position(), k.pos) << k.done << "/" << k.total;
  }

  p.SetPosition(95);
  p.StepIt();
  EXPECT_EQ(p.Position(), 100);
  p.StepBy(-130);
  EXPECT_EQ(p.Position(), 0);
  p.SetStep(7);
  p.StepIt();
  EXPECT_EQ(p.Position(), 7);
  p.StepBy(INT32_MAX);
  EXPECT_EQ(p.Position(), 100);

  p.SetOrientation(pbVertical);
  EXPECT_EQ(p.Width(), 20);
  EXPECT_EQ(p.Height(), 150);
  p.SetOrientation(pbVertical);
  EXPECT_EQ(p.Width(), 20);
}

TEST(Tpcprogressbars, SpectrumColours) {
  struct {
    Int32 w;
    TColor c;
  } cases[] = {
      {380, RGBOf(97, 0, 97)},    // dark violet: red and blue at 0.3 brightness
      {440, RGBOf(0, 0, 255)},    {490, RGBOf(0, 255, 255)}, {510, RGBOf(0, 255, 0)},
      {560, RGBOf(195, 255, 0)},  // yellow-green
      {645, RGBOf(255, 0, 0)},    {700, RGBOf(255, 0, 0)},   // full red
      {780, RGBOf(97, 0, 0)},     {781, 0},                  {379, 0},
      {0, 0},
  };
  for (const auto& k : cases) EXPECT_EQ(SpectrumColour(k.w), k.c) << k.w;

  OnAForm<TPCProgressBar> f;
  const TBitmap* s = f.bar->Spectrum();
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Width(), 150);
  EXPECT_EQ(s->Height(), 20);
  TBitmap copy(*s);
  EXPECT_EQ(PixelAt(copy, 0, 5), SpectrumColour(380));
  EXPECT_EQ(PixelAt(copy, 75, 5), SpectrumColour(580));
  EXPECT_EQ(PixelAt(copy, 149, 19), SpectrumColour(Int32(777)));  // Round(149 × 400 / 150 + 380)
  f.bar->SetSpectrumBar(false);
  EXPECT_EQ(f.bar->Spectrum(), nullptr);
  EXPECT_FALSE(f.bar->GetSpectrumBar());
}

// The pixels of a plain bar (no spectrum) of 150 x 20.
QImage PaintedBar(TPCProgressBar& p, Int32 position) {
  p.SetPosition(position);
  return Rendered(p);
}

TEST(Tpcprogressbars, BlocksSmoothAndWhole) {
  OnAForm<TPCProgressBar> f;
  TPCProgressBar& p = *f.bar;
  p.SetSpectrumBar(false);
  p.SetBarColour(kRed);
  p.SetColor(clWhite);
  const TRect drawing = Rect(1, 1, 149, 19);

  // Nothing at 0; everything inside the frame at 100.
  EXPECT_EQ(CountOf(PaintedBar(p, 0), Rect(0, 0, 150, 20), kRed), 0);
  const QImage full = PaintedBar(p, 100);
  SaveShot(full, "progress_smooth_full");
  EXPECT_EQ(CountOf(full, drawing, kRed), 148 * 18);
  EXPECT_EQ(CountOf(full, Rect(0, 0, 150, 20), kRed), 148 * 18);

  // Smooth: one pixel per filled pixel, no gaps (74 of 148 at 50).
  const QImage half = PaintedBar(p, 50);
  EXPECT_EQ(CountOf(half, Rect(1, 1, 75, 19), kRed), 74 * 18);
  EXPECT_EQ(CountOf(half, Rect(75, 0, 150, 20), kRed), 0);

  // Blocks: two thirds of the thickness (12) with gaps of 2; at 50 the sixth
  // block runs past the filled length (74) when whole, is cut there when not.
  p.SetSmooth(false);
  const QImage blocks = PaintedBar(p, 50);
  SaveShot(blocks, "progress_blocks_whole");
  for (int k = 0; k < 6; ++k) {
    const int left = 1 + k * 14;
    EXPECT_EQ(CountOf(blocks, Rect(left, 1, left + 12, 19), kRed), 12 * 18) << k;
    EXPECT_EQ(CountOf(blocks, Rect(left + 12, 0, left + 14, 20), kRed), 0) << k;
  }
  EXPECT_EQ(CountOf(blocks, Rect(83, 0, 150, 20), kRed), 0);
  p.SetWholeBars(false);
  const QImage cut = PaintedBar(p, 50);
  SaveShot(cut, "progress_blocks_cut");
  EXPECT_EQ(CountOf(cut, Rect(71, 1, 75, 19), kRed), 4 * 18);
  EXPECT_EQ(CountOf(cut, Rect(75, 0, 150, 20), kRed), 0);
  // At 100 the last block is cut at the end of the drawing rectangle.
  const QImage end = PaintedBar(p, 100);
  EXPECT_EQ(CountOf(end, Rect(141, 1, 149, 19), kRed), 8 * 18);
  EXPECT_EQ(CountOf(end, Rect(149, 0, 150, 20), kRed), 0);

  // An empty range draws no block and does not fail.
  p.SetRangePos(1, 0);
  EXPECT_EQ(p.HighRange(), 0);
  EXPECT_EQ(CountOf(Rendered(p), Rect(0, 0, 150, 20), kRed), 0);

  // Vertical: blocks laid from the bottom.
  OnAForm<TPCProgressBar> v;
  v.bar->SetSpectrumBar(false);
  v.bar->SetBarColour(kRed);
  v.bar->SetOrientation(pbVertical);
  const QImage upright = PaintedBar(*v.bar, 50);
  SaveShot(upright, "progress_vertical");
  EXPECT_EQ(CountOf(upright, Rect(1, 75, 19, 149), kRed), 74 * 18);
  EXPECT_EQ(CountOf(upright, Rect(0, 0, 20, 75), kRed), 0);
}

// Ranges whose span or offset pass the 32-bit range still fill the bar in
// proportion (148 pixels of drawing length, smooth, no spectrum).
TEST(Tpcprogressbars, WideRangesScaleIn64Bits) {
  OnAForm<TPCProgressBar> f;
  TPCProgressBar& p = *f.bar;
  p.SetSpectrumBar(false);
  p.SetBarColour(kRed);
  p.SetColor(clWhite);
  struct Case {
    Int32 low, high, position, filled;
  } cases[] = {
      {INT32_MIN, INT32_MAX, 0, 74},           // half of the widest range
      {INT32_MIN, INT32_MAX, INT32_MAX, 148},  // all of it
      {INT32_MIN, INT32_MAX, INT32_MIN, 0},
      {-2, INT32_MAX, INT32_MAX / 2, 74},      // span just past 31 bits
      {INT32_MAX - 100, INT32_MAX, INT32_MAX - 50, 74},
  };
  for (const Case& c : cases) {
    p.SetHighRange(INT32_MAX);
    p.SetLowRange(c.low);
    p.SetHighRange(c.high);
    const QImage img = PaintedBar(p, c.position);
    EXPECT_EQ(CountOf(img, Rect(1, 1, 149, 19), kRed), c.filled * 18) << c.low << ".." << c.high << " at " << c.position;
  }
}

TEST(Tpcprogressbars, SpectrumBlocksAndTheInvertedLabel) {
  OnAForm<TPCProgressBar> f;
  TPCProgressBar& p = *f.bar;
  p.SetColor(clWhite);
  p.SetWithPercent(false);
  const QImage plain = PaintedBar(p, 100);
  SaveShot(plain, "progress_spectrum");
  // Each block is the spectrum at its place.
  for (int x : {1, 10, 75, 120, 148})
    EXPECT_EQ(PixelOf(plain, x, 10), SpectrumColour(static_cast<Int32>(Round(x * 400.0 / 150 + 380)))) << x;
  EXPECT_EQ(PixelOf(plain, 0, 10), clWhite);

  // The label "100%": laid over by XOR, so it changes pixels only inside its
  // centred box, and where the label is solid the bar shows inverted.
  p.SetWithPercent(true);
  const QImage labelled = PaintedBar(p, 100);
  SaveShot(labelled, "progress_label_inverted");
  const TSize e = p.Canvas().TextExtent(u"100%");
  const TRect box = Rect((150 - e.cx) / 2, (20 - e.cy) / 2, (150 - e.cx) / 2 + e.cx, (20 - e.cy) / 2 + e.cy);
  int changed = 0, inverted = 0, outside = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 150; ++x) {
      const TColor a = PixelOf(plain, x, y), b = PixelOf(labelled, x, y);
      if (a == b) continue;
      ++changed;
      if (x < box.Left || x >= box.Right || y < box.Top || y >= box.Bottom) ++outside;
      if (b == (a ^ 0xFFFFFF)) ++inverted;
    }
  EXPECT_GT(changed, 10);
  EXPECT_EQ(outside, 0);
  EXPECT_GT(inverted, 5);

  // No "%d%%" label at position 0; a text label at any position.
  p.SetWithPercent(true);
  const QImage zero = PaintedBar(p, 0);
  EXPECT_EQ(CountNot(zero, Rect(0, 0, 150, 20), clWhite), 0);
  p.SetWithText(true);
  p.SetText(u"files");
  EXPECT_EQ(p.Caption(), u"files");
  EXPECT_GT(CountNot(PaintedBar(p, 0), Rect(0, 0, 150, 20), clWhite), 0);

  // The label shows only with the spectrum on.
  p.SetSpectrumBar(false);
  p.SetBarColour(kRed);
  p.SetWithText(false);
  const QImage noSpectrum = PaintedBar(p, 100);
  EXPECT_EQ(CountOf(noSpectrum, Rect(1, 1, 149, 19), kRed), 148 * 18);

  TBltBitmap black;
  TBitmap source(7, 5);
  black.MakeLike(source);
  EXPECT_EQ(black.Width(), 7);
  EXPECT_EQ(black.Height(), 5);
  EXPECT_EQ(CountOf(black.Image(), Rect(0, 0, 7, 5), clBlack), 35);
}

TEST(Tpcprogressbars, LoadedTurnsBars) {
  OnAForm<TPCProgressBar> p;
  p.bar->SetBounds(0, 0, 150, 20);
  p.bar->SetOrientation(pbVertical);  // 20 x 150 now
  p.bar->SetBounds(0, 0, 150, 20);    // as a form file would have set it
  p.bar->Loaded();
  EXPECT_EQ(p.bar->Width(), 20);
  EXPECT_EQ(p.bar->Height(), 150);
  EXPECT_EQ(p.bar->Spectrum()->Height(), 150);

  OnAForm<TPlotBar> plot;
  EXPECT_EQ(plot.bar->Orientation(), pbVertical);
  plot.bar->Loaded();
  EXPECT_EQ(plot.bar->Orientation(), pbVertical);
  plot.bar->SetBounds(0, 0, 200, 30);
  plot.bar->Loaded();
  EXPECT_EQ(plot.bar->Orientation(), pbHorizontal);
  EXPECT_EQ(plot.bar->Width(), 200);

  OnAForm<TBookmarkBar> marks;
  marks.bar->SetBounds(0, 0, 300, 20);
  marks.bar->Loaded();
  EXPECT_EQ(marks.bar->Orientation(), pbHorizontal);
}

TEST(Tpcprogressbars, PlotData) {
  OnAForm<TPlotBar> f;
  TPlotBar& p = *f.bar;
  EXPECT_EQ(p.Width(), 20);
  EXPECT_EQ(p.Height(), 150);
  EXPECT_EQ(p.RulerDivisions(), 8);
  EXPECT_TRUE(p.ShowRuler());
  EXPECT_EQ(p.RulerColour(), clSilver);
  std::vector<TLangAndSelectedRec> events;
  p.fOnSelectedPlotmark = [&](TObject* sender, TLangAndSelectedRec n) {
    EXPECT_EQ(sender, &p);
    events.push_back(n);
  };

  EXPECT_EQ(p.PlotMarks(0), 0);
  EXPECT_EQ(p.GetAPlotValue(0, 0), -1);
  EXPECT_EQ(p.FirstPlotValue(3), -1);
  EXPECT_EQ(p.LastPlotValue(3), -1);
  EXPECT_EQ(p.PixelYPosOfPlotDataPoint(0, 0), 0);
  EXPECT_EQ(p.LowestPlotValue().langnum, -1);
  EXPECT_EQ(p.LowestPlotValue().mark_num, -1);

  p.SetPlotData(0, 1000, -1, {100, 400, 700});
  p.SetPlotData(2, 1000, 0, {50, 600});
  EXPECT_EQ(p.PlotMarks(0), 3);
  EXPECT_EQ(p.GetAPlotValue(0, 1), 400);
  EXPECT_EQ(p.GetAPlotValue(0, 3), -1);
  EXPECT_EQ(p.GetAPlotValue(0, -1), -1);
  EXPECT_EQ(p.FirstPlotValue(2), 50);
  EXPECT_EQ(p.LastPlotValue(0), 700);
  EXPECT_EQ(p.GetSelectedPlotMark(0), -1);
  EXPECT_EQ(p.GetSelectedPlotValue(0), -1);
  EXPECT_EQ(p.GetSelectedPlotMark(2), 0);
  EXPECT_EQ(p.GetSelectedPlotValue(2), 50);

  // Languages outside 0..7: the "none" answers, and nothing changes.
  for (Int32 lang : {-1, 8, 99}) {
    p.SetPlotData(lang, 5, 0, {1, 2});
    EXPECT_EQ(p.PlotMarks(lang), 0);
    EXPECT_EQ(p.GetAPlotValue(lang, 0), -1);
    EXPECT_EQ(p.GetSelectedPlotMark(lang), -1);
    EXPECT_EQ(p.GetSelectedPlotValue(lang), -1);
    EXPECT_FALSE(p.FindAndSetPlotMarkTo(lang, 1));
    p.SetSelectedPlotMark(lang, 0);
    p.SetSelectedMarkFromCharPosition(lang, 1);
    EXPECT_EQ(p.PixelYPosOfPlotDataPoint(lang, 0), 0);
  }
  EXPECT_EQ(p.PlotData().total_across_langs, 1000);
  EXPECT_TRUE(events.empty());

  p.SetSelectedPlotMark(0, 2);
  p.SetSelectedPlotMark(0, 3);  // no such mark
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].lang, 0);
  EXPECT_EQ(events[0].selected, 2);
  p.SetSelectedMarkFromCharPosition(0, 400);
  EXPECT_EQ(p.GetSelectedPlotMark(0), 1);
  EXPECT_EQ(events.size(), 2u);
  p.SetSelectedMarkFromCharPosition(0, 401);  // no mark there: nothing
  EXPECT_EQ(p.GetSelectedPlotMark(0), 1);
  EXPECT_TRUE(p.FindAndSetPlotMarkTo(0, 700));
  EXPECT_EQ(p.GetSelectedPlotMark(0), 2);
  EXPECT_FALSE(p.FindAndSetPlotMarkTo(0, 701));
  EXPECT_EQ(p.GetSelectedPlotMark(0), -1);
  EXPECT_EQ(events.size(), 2u);  // finding raises no event

  const TLangMark lowest = p.LowestPlotValue();
  EXPECT_EQ(lowest.langnum, 2);
  EXPECT_EQ(lowest.mark_num, 0);
  struct {
    Int32 line;
    bool backwards;
    Int32 lang, mark;
  } nearest[] = {
      {420, false, 2, 1},  // 600 (lang 2) is nearer than 700 (lang 0)
      {420, true, 0, 1},   // 400
      {400, true, 0, 0},   // strictly before: 100 beats 50
      {50, false, 0, 0},   // strictly after: 100
      {700, false, -1, -1}, {50, true, -1, -1},
  };
  for (const auto& k : nearest) {
    const TLangMark m = p.NearestMarkTo(k.line, k.backwards);
    EXPECT_EQ(m.langnum, k.lang) << k.line << " " << k.backwards;
    EXPECT_EQ(m.mark_num, k.mark) << k.line << " " << k.backwards;
  }

  p.NextPlotValue(TLineAndLangnum{0, -1}, false);  // no language: the lowest mark
  EXPECT_EQ(p.PickedOutWord.langnum, 2);
  EXPECT_EQ(p.GetSelectedPlotMark(2), 0);
  p.NextPlotValue(TLineAndLangnum{420, 0}, false);
  EXPECT_EQ(p.GetSelectedPlotMark(2), 1);
  EXPECT_EQ(p.GetSelectedPlotMark(0), -1);
  // Nothing further on: every selection cleared, none made.
  p.NextPlotValue(TLineAndLangnum{900, 0}, false);
  EXPECT_EQ(p.PickedOutWord.langnum, -1);
  for (Int32 lang = 0; lang < 8; ++lang) EXPECT_EQ(p.GetSelectedPlotMark(lang), -1) << lang;

  // Pixels along the 150-pixel bar.
  EXPECT_EQ(p.PixelYPosOfPlotDataPoint(0, 0), 15);
  EXPECT_EQ(p.PixelYPosOfPlotDataPoint(0, 1), 60);
  EXPECT_EQ(p.PixelYPosOfPlotDataPoint(2, 1), 90);
  EXPECT_EQ(p.PixelYPosOfPlotDataPoint(0, 5), 0);
  struct {
    Int32 y, lang, mark;
  } picks[] = {{60, 0, 1}, {58, 0, 1}, {88, 2, 1}, {7, 2, 0}, {14, 0, 0}, {105, 0, 2}, {112, 0, 2},
                   {150, -1, -1}};  // the last mark is more than 10 pixels before
  for (const auto& k : picks) {
    const TLangMark m = p.NearestMarkToPixelHeight(k.y);
    EXPECT_EQ(m.langnum, k.lang) << k.y;
    EXPECT_EQ(m.mark_num, k.mark) << k.y;
  }
  p.SetPlotData(2, 1000, -1, {});
  p.SetPlotData(0, 1000, -1, {100});
  EXPECT_EQ(p.NearestMarkToPixelHeight(140).langnum, -1);  // 125 pixels away

  p.Clear();
  EXPECT_EQ(p.PlotMarks(0), 0);
  EXPECT_EQ(p.PlotData().total_across_langs, 0);
  EXPECT_EQ(p.PickedOutWord.mark_num, -1);
  p.SetPlotData(1, 0, -1, {10, 20});
  EXPECT_EQ(p.PixelYPosOfPlotDataPoint(1, 1), 0);  // total 0
}

TEST(Tpcprogressbars, PlotBarPainted) {
  OnAForm<TPlotBar> f;
  TPlotBar& p = *f.bar;
  p.SetBounds(0, 0, 20, 160);
  p.SetRulerDivisions(4);
  const TColor window = ColorToRGB(clWindow), text = ColorToRGB(clWindowText);
  EXPECT_EQ(CountNot(Rendered(p), Rect(0, 0, 20, 160), window), 0);  // no marks: nothing but the window

  p.SetPlotData(0, 1000, 1, {100, 500});
  p.SetPlotData(1, 1000, -1, {250, 875});
  p.fOnGetFontColourForLanguage = [](TObject*, Int32 lang) {
    return lang == 1 ? TMainAndContrastColours{kBlue, kGreen} : TMainAndContrastColours{clNone, clNone};
  };
  p.fOnGetFontColourForLanguage = nullptr;
  const QImage img = Rendered(p);
  SaveShot(img, "plot_bar");
  // Ruler rows at Round(160 × k / 4), from x 3 up to 3 short of the edge.
  for (int y : {40, 80, 120}) {
    EXPECT_EQ(PixelOf(img, y == 40 ? 4 : 12, y), clSilver) << y;
    EXPECT_EQ(PixelOf(img, 17, y), window) << y;
  }
  EXPECT_EQ(PixelOf(img, 2, 40), window);
  EXPECT_EQ(PixelOf(img, 2, 120), window);
  // Two bands of (20 - 3) div 2 = 8 pixels from x 1 and 9; marks across them.
  EXPECT_EQ(PixelOf(img, 1, 16), text);
  EXPECT_EQ(PixelOf(img, 8, 16), text);
  EXPECT_EQ(PixelOf(img, 9, 16), window);
  EXPECT_EQ(PixelOf(img, 9, 40), text);
  EXPECT_EQ(PixelOf(img, 16, 40), text);
  EXPECT_EQ(PixelOf(img, 12, 140), text);
  // The selected mark: a red square of half-size 3 round the middle of its
  // band, its line drawn over it.
  EXPECT_EQ(PixelOf(img, 2, 77), kRed);
  EXPECT_EQ(PixelOf(img, 8, 83), kRed);
  EXPECT_EQ(PixelOf(img, 9, 83), window);
  EXPECT_EQ(PixelOf(img, 5, 76), window);
  EXPECT_EQ(PixelOf(img, 5, 80), text);

  // The language's colours from the event.
  p.fOnGetFontColourForLanguage = [](TObject*, Int32 lang) {
    return lang == 1 ? TMainAndContrastColours{kBlue, kGreen} : TMainAndContrastColours{kRed, kGreen};
  };
  const QImage coloured = Rendered(p);
  EXPECT_EQ(PixelOf(coloured, 12, 40), kBlue);
  EXPECT_EQ(PixelOf(coloured, 3, 16), kRed);
  EXPECT_EQ(PixelOf(coloured, 2, 77), kGreen);

  // The ruler stays where it is whatever the total, 0 included.
  for (Int32 total : {7, 0}) {
    p.SetPlotData(0, total, -1, {});
    p.SetPlotData(1, total, -1, {0});
    const QImage ruled = Rendered(p);
    for (int y : {40, 80, 120}) EXPECT_EQ(PixelOf(ruled, 12, y), clSilver) << total << " " << y;
  }
  p.SetShowRuler(false);
  EXPECT_EQ(PixelOf(Rendered(p), 12, 40), window);

  // The last positions of a long text land on the bar's last row, not past it.
  p.SetPlotData(0, 4332000, -1, {4331999, 4331000});
  p.SetPlotData(1, 4332000, -1, {});
  EXPECT_EQ(p.PixelYPosOfPlotDataPoint(0, 0), 159);
  EXPECT_EQ(p.PixelYPosOfPlotDataPoint(0, 1), 159);
  EXPECT_EQ(PixelOf(Rendered(p), 4, 159), kRed);
}

TEST(Tpcprogressbars, PlotBarClickSelectsTheNearestMark) {
  OnAForm<TPlotBar> f;
  TPlotBar& p = *f.bar;
  p.SetBounds(0, 0, 20, 150);
  p.SetPlotData(0, 1000, -1, {100, 400, 700});
  QWidget* w = p.Widget();
  QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(5, 62));
  EXPECT_EQ(p.GetSelectedPlotMark(0), -1);  // no one listening: no selection
  std::optional<TLangAndSelectedRec> picked;
  p.fOnSelectedPlotmark = [&](TObject*, TLangAndSelectedRec n) { picked = n; };
  QTest::mouseClick(w, Qt::RightButton, Qt::NoModifier, QPoint(5, 62));
  EXPECT_FALSE(picked.has_value());
  QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(5, 62));
  ASSERT_TRUE(picked.has_value());
  EXPECT_EQ(picked->lang, 0);
  EXPECT_EQ(picked->selected, 1);
  EXPECT_EQ(p.GetSelectedPlotMark(0), 1);
}

TEST(Tpcprogressbars, Bookmarks) {
  OnAForm<TBookmarkBar> f;
  TBookmarkBar& b = *f.bar;
  EXPECT_EQ(b.Width(), 20);
  EXPECT_EQ(b.Orientation(), pbVertical);
  EXPECT_TRUE(b.Active());
  EXPECT_EQ(b.Bookmarks(), 0);
  b.SetBookMark(1, 5, 7);
  b.SetBookMark(4, 5, 7);
  b.SetBookMark(6, 5, 8);
  b.SetBookMark(9, 0, 3);  // first integer 0: not set
  EXPECT_EQ(b.Bookmarks(), 3);
  EXPECT_EQ(b.GetBookMarkInfo(4).segment_num, 7);
  for (Int32 i : {-1, 10, 1000}) {
    b.SetBookMark(i, 9, 9);
    EXPECT_EQ(b.GetBookMarkInfo(i).seg_charpos_WFC, 0) << i;
  }
  EXPECT_EQ(b.Bookmarks(), 3);
  b.TryToClear(5, 7);  // every match goes, not only the first
  EXPECT_EQ(b.Bookmarks(), 1);
  EXPECT_EQ(b.GetBookMarkInfo(6).segment_num, 8);
  b.Clear();
  EXPECT_EQ(b.Bookmarks(), 0);
  EXPECT_EQ(b.GetBookMarkInfo(6).segment_num, 0);
}

TEST(Tpcprogressbars, BookmarksPaintedAtTheirLines) {
  OnAForm<TBookmarkBar> f;
  TBookmarkBar& b = *f.bar;
  b.SetBounds(0, 0, 20, 200);
  const TColor window = ColorToRGB(clWindow), hi = ColorToRGB(clHighlight);
  b.SetBookMark(3, 150, 1);
  b.SetBookMark(5, 260, 1);  // below the last line shown
  b.SetBookMark(7, 100, 1);
  int asked = 0;
  T2_longint_rec shown{100, 200};
  b.fOnGetTopAndBottomLineNumbers = [&](TObject*) {
    ++asked;
    return shown;
  };
  EXPECT_EQ(CountNot(Rendered(b), Rect(0, 0, 20, 200), window), 0);  // no line event yet
  EXPECT_EQ(asked, 0);
  b.fOnGetLineNumber = [](TObject*, TBookmarkRec r) { return r.seg_charpos_WFC; };
  const QImage img = Rendered(b);
  SaveShot(img, "bookmark_bar");
  EXPECT_GE(asked, 1);
  // Line 150 of 100..200: centred on y = 100; line 100 on y = 0.
  EXPECT_EQ(PixelOf(img, 2, 100), hi);
  EXPECT_EQ(PixelOf(img, 10, 92), hi);
  EXPECT_EQ(PixelOf(img, 10, 88), window);
  EXPECT_EQ(PixelOf(img, 10, 112), window);
  EXPECT_EQ(PixelOf(img, 10, 3), hi);
  EXPECT_EQ(CountNot(img, Rect(0, 112, 20, 200), window), 0);  // 260 is not shown

  // One line shown: its span counts as one.
  shown = T2_longint_rec{150, 150};
  const QImage single = Rendered(b);
  EXPECT_EQ(PixelOf(single, 10, 3), hi);
  EXPECT_EQ(CountNot(single, Rect(0, 12, 20, 200), window), 0);

  b.ActivateWindow(false);
  EXPECT_EQ(CountNot(Rendered(b), Rect(0, 0, 20, 200), window), 0);
}

}  // namespace
}  // namespace sk
