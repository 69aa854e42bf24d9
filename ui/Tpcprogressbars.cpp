#include "ui/Tpcprogressbars.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/Global_vars.h"
#include "core/Simple_maths_routines.h"
#include "core/UnitCounter.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/RtlMath.h"
#include "ui/Graphics_utilities.h"

namespace sk {

namespace {

// a × b / c rounded half away from zero; -1 when c is 0. The operands are
// 64-bit so that a span of the whole 32-bit range (up to 2^32 - 1) and a
// bar length times such a span both fit.
Int32 MulDiv(Int64 a, Int64 b, Int64 c) {
  if (c == 0) return -1;
  long long p = a * b, q = c;
  if (q < 0) {
    p = -p;
    q = -q;
  }
  return static_cast<Int32>(p >= 0 ? (p + q / 2) / q : -((-p + q / 2) / q));
}

}  // namespace

// ---------------------------------------------------------------------------

TPCBar::TPCBar(TComponent* owner) : TCustomControl(owner) {}

TPCBar::~TPCBar() { Destroying(); }

void TPCBar::SetRangePos(Int32 which, Int32 value) {
  switch (which) {
    case 0: {
      const Int32 lo = std::min(fHighRange, value);
      const Int32 pos = std::clamp(fPosition, lo, fHighRange);
      if (lo == fLowRange && pos == fPosition) return;
      fLowRange = lo;
      fPosition = pos;
      break;
    }
    case 1: {
      const Int32 hi = std::max(value, fLowRange);
      const Int32 pos = std::clamp(fPosition, fLowRange, hi);
      if (hi == fHighRange && pos == fPosition) return;
      fHighRange = hi;
      fPosition = pos;
      break;
    }
    case 2: {
      const Int32 pos = std::clamp(value, fLowRange, fHighRange);
      if (pos == fPosition) return;
      fPosition = pos;
      break;
    }
    default: return;
  }
  Invalidate();
}

void TPCBar::SetOrientation(TPCOrientation o) {
  if (o == fOrientation) return;
  fOrientation = o;
  SetBounds(Left(), Top(), Height(), Width());
  Invalidate();
}

Int32 TPCBar::AlongExtent() const { return fOrientation == pbHorizontal ? ClientWidth() : ClientHeight(); }

Int32 TPCBar::AcrossExtent() const { return fOrientation == pbHorizontal ? ClientHeight() : ClientWidth(); }

// ---------------------------------------------------------------------------

void TBltBitmap::MakeLike(const TBitmap& source) {
  SetSize(source.Width(), source.Height());
  TCanvas& c = Canvas();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(clBlack);
  c.FillRect(Rect(0, 0, Width(), Height()));
}

TColor SpectrumColour(Int32 w) {
  Double r = 0, g = 0, b = 0;
  if (w >= 380 && w <= 439) {
    r = (440 - w) / 60.0;
    b = 1;
  } else if (w >= 440 && w <= 489) {
    g = (w - 440) / 50.0;
    b = 1;
  } else if (w >= 490 && w <= 509) {
    g = 1;
    b = (510 - w) / 20.0;
  } else if (w >= 510 && w <= 579) {
    r = (w - 510) / 70.0;
    g = 1;
  } else if (w >= 580 && w <= 644) {
    r = 1;
    g = (645 - w) / 65.0;
  } else if (w >= 645 && w <= 780) {
    r = 1;
  }
  Double f = 0;
  if (w >= 380 && w <= 419)
    f = 0.3 + 0.7 * (w - 380) / 40.0;
  else if (w >= 420 && w <= 700)
    f = 1;
  else if (w >= 701 && w <= 780)
    f = 0.3 + 0.7 * (780 - w) / 80.0;
  auto level = [f](Double c) -> TColor {
    if (c == 0) return 0;
    return static_cast<TColor>(std::clamp<Int64>(Round(255.0 * std::pow(c * f, 0.8)), 0, 255));
  };
  return level(r) | (level(g) << 8) | (level(b) << 16);
}

// ---------------------------------------------------------------------------

TPCProgressBar::TPCProgressBar(TComponent* owner) : TPCBar(owner), fBarColour(clHighlight) {
  fLowRange = 0;
  fHighRange = 100;
  fPosition = 50;
  fOrientation = pbHorizontal;
  SetBounds(0, 0, 150, ScaleValue(20));
  InitBitmap();
}

TPCProgressBar::~TPCProgressBar() { Destroying(); }

void TPCProgressBar::SetWholeBars(bool b) {
  if (b == fWholeBars) return;
  fWholeBars = b;
  Invalidate();
}

void TPCProgressBar::SetSmooth(bool b) {
  if (b == fSmooth) return;
  fSmooth = b;
  Invalidate();
}

void TPCProgressBar::SetBarColour(TColor c) {
  if (c == fBarColour) return;
  fBarColour = c;
  Invalidate();
}

void TPCProgressBar::SetWithPercent(bool b) {
  fWithPercent = b;
  Invalidate();
}

void TPCProgressBar::SetWithText(bool b) {
  fWithText = b;
  Invalidate();
}

void TPCProgressBar::SetText(const String& s) {
  fText = s;
  Invalidate();
}

void TPCProgressBar::SetPercent(Int64 done, Int64 total) {
  const Single percent = static_cast<Single>(done) * 100.0f / static_cast<Single>(std::max<Int64>(total, 1));
  const Int64 pos = Round(percent);
  SetRangePos(2, static_cast<Int32>(std::clamp<Int64>(pos, INT32_MIN, INT32_MAX)));
}

void TPCProgressBar::SetSpectrumBar(bool on) {
  if (on == GetSpectrumBar()) return;
  if (on)
    InitBitmap();
  else
    fSpectrum.reset();
  Invalidate();
}

void TPCProgressBar::StepIt() { StepBy(fStep); }

void TPCProgressBar::StepBy(Int32 n) {
  const Int64 next = static_cast<Int64>(fPosition) + n;
  SetRangePos(2, static_cast<Int32>(std::clamp<Int64>(next, fLowRange, fHighRange)));
}

void TPCProgressBar::Loaded() {
  TPCBar::Loaded();
  if (fOrientation == pbVertical) SetBounds(Left(), Top(), Height(), Width());
  if (fSpectrum) InitBitmap();
}

void TPCProgressBar::InitBitmap() {
  if (!fSpectrum) fSpectrum = std::make_unique<TBitmap>();
  fSpectrum->SetPixelFormat(pf24bit);
  const Int32 w = Width(), h = Height();
  fSpectrum->SetSize(w, h);
  TCanvas& c = fSpectrum->Canvas();
  c.Brush().SetStyle(bsSolid);
  if (fOrientation == pbHorizontal) {
    for (Int32 x = 0; x < w; ++x) {
      c.Brush().SetColor(SpectrumColour(static_cast<Int32>(Round(x * 400.0 / w + 380))));
      c.FillRect(Rect(x, 0, x + 1, h));
    }
  } else {
    for (Int32 y = 0; y < h; ++y) {
      c.Brush().SetColor(SpectrumColour(static_cast<Int32>(Round(y * 400.0 / h + 380))));
      c.FillRect(Rect(0, y, w, y + 1));
    }
  }
}

void TPCProgressBar::Paint() {
  if (fSpectrum && (fSpectrum->Width() != Width() || fSpectrum->Height() != Height())) InitBitmap();
  TCanvas& canvas = Canvas();
  const bool horizontal = fOrientation == pbHorizontal;
  const TRect r = Rect(1, 1, ClientWidth() - 1, ClientHeight() - 1);
  const Int32 length = horizontal ? r.Right - r.Left : r.Bottom - r.Top;
  const Int32 thickness = horizontal ? r.Bottom - r.Top : r.Right - r.Left;
  const Int32 block = fSmooth ? 1 : std::max(1, thickness * 2 / 3);
  const Int32 gap = fSmooth ? 0 : 2;
  // An empty range fills nothing.
  const Int32 filled =
      fHighRange == fLowRange
          ? 0
          : MulDiv(length, static_cast<Int64>(fPosition) - fLowRange, static_cast<Int64>(fHighRange) - fLowRange);
  const Int32 blocks = filled <= 0 ? 0 : (filled + block + gap - 1) / (block + gap);
  canvas.SetCopyMode(cmSrcCopy);
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(fBarColour);
  for (Int32 k = 0; k < blocks; ++k) {
    const Int32 start = k * (block + gap);
    Int32 end = start + block;
    const bool last = end >= length;
    if (last) end = length;
    if (!fWholeBars && end > filled) end = filled;
    if (end <= start) break;
    const TRect piece = horizontal ? Rect(r.Left + start, r.Top, r.Left + end, r.Bottom)
                                   : Rect(r.Left, r.Bottom - end, r.Right, r.Bottom - start);
    if (fSpectrum)
      canvas.CopyRect(piece, fSpectrum->Canvas(), piece);
    else
      canvas.FillRect(piece);
    if (last) break;
  }
  if (!fSpectrum || !(fWithPercent || fWithText)) return;
  String label;
  if (fWithText)
    label = Format(u"%.0n %s", {static_cast<Double>(fPosition), fText}, Global_StringToDateTimeFormat);
  else if (fPosition != 0)
    label = Format(u"%d%%", {fPosition});
  if (label.empty()) return;
  // White text on black, laid over the bar by XOR: black leaves the bar as
  // it is and white inverts it, so the label shows against any colour.
  TBltBitmap overlay;
  overlay.MakeLike(*fSpectrum);
  TCanvas& oc = overlay.Canvas();
  oc.Font().Assign(Font());
  oc.Font().SetColor(clWhite);
  oc.Brush().SetStyle(bsClear);
  const TSize e = oc.TextExtent(label);
  oc.TextOut((overlay.Width() - e.cx) / 2, (overlay.Height() - e.cy) / 2, label);
  canvas.SetCopyMode(SRCINVERT);
  canvas.Draw(0, 0, overlay);
  canvas.SetCopyMode(cmSrcCopy);
}

// ---------------------------------------------------------------------------

void TPlotLangData::Clear() {
  for (auto& marks : data) marks.clear();
  total_across_langs = 0;
  ClearSelectedMarks();
}

void TPlotLangData::ClearSelectedMarks() { selected_mark.fill(-1); }

TPlotBar::TPlotBar(TComponent* owner) : TPCBar(owner) {
  fOrientation = pbVertical;
  SetBounds(0, 0, ScaleValue(20), 150);
  Clear();
}

TPlotBar::~TPlotBar() {
  Destroying();
  fPlotData.Clear();
}

void TPlotBar::Clear() {
  fPlotData.Clear();
  PickedOutWord.ClearTo(-1);
}

void TPlotBar::SetPlotData(Int32 lang, Int32 total, Int32 selected, const std::vector<Int32>& marks) {
  if (!ValidLang(lang)) return;
  fPlotData.data[static_cast<size_t>(lang)] = marks;
  fPlotData.total_across_langs = total;
  if (selected >= 0) fPlotData.selected_mark[static_cast<size_t>(lang)] = selected;
  Invalidate();
}

Int32 TPlotBar::PlotMarks(Int32 lang) const {
  return ValidLang(lang) ? static_cast<Int32>(fPlotData.data[static_cast<size_t>(lang)].size()) : 0;
}

Int32 TPlotBar::GetAPlotValue(Int32 lang, Int32 i) const {
  if (i < 0 || i >= PlotMarks(lang)) return -1;
  return fPlotData.data[static_cast<size_t>(lang)][static_cast<size_t>(i)];
}

Int32 TPlotBar::FirstPlotValue(Int32 lang) const { return GetAPlotValue(lang, 0); }

Int32 TPlotBar::LastPlotValue(Int32 lang) const { return GetAPlotValue(lang, PlotMarks(lang) - 1); }

Int32 TPlotBar::GetSelectedPlotMark(Int32 lang) const {
  return ValidLang(lang) ? fPlotData.selected_mark[static_cast<size_t>(lang)] : -1;
}

Int32 TPlotBar::GetSelectedPlotValue(Int32 lang) const { return GetAPlotValue(lang, GetSelectedPlotMark(lang)); }

void TPlotBar::SetSelectedPlotMark(Int32 lang, Int32 i) {
  if (i < 0 || i >= PlotMarks(lang)) return;
  fPlotData.selected_mark[static_cast<size_t>(lang)] = i;
  if (fOnSelectedPlotmark) fOnSelectedPlotmark(this, TLangAndSelectedRec{lang, i});
  Invalidate();
}

bool TPlotBar::FindAndSetPlotMarkTo(Int32 lang, Int32 value) {
  if (!ValidLang(lang)) return false;
  const Int32 at = PositionInArrayOfInteger(fPlotData.data[static_cast<size_t>(lang)], value);
  fPlotData.selected_mark[static_cast<size_t>(lang)] = at < 0 ? -1 : at;
  return at >= 0;
}

void TPlotBar::SetSelectedMarkFromCharPosition(Int32 lang, Int32 value) {
  if (!ValidLang(lang)) return;
  SetSelectedPlotMark(lang, PositionInArrayOfInteger(fPlotData.data[static_cast<size_t>(lang)], value));
}

TLangMark TPlotBar::LowestPlotValue() const {
  TLangMark best{-1, -1};
  for (Int32 lang = 0; lang < 8; ++lang) {
    if (PlotMarks(lang) == 0) continue;
    if (best.langnum < 0 || FirstPlotValue(lang) < FirstPlotValue(best.langnum)) best = TLangMark{lang, 0};
  }
  return best;
}

TLangMark TPlotBar::NearestMarkTo(Int32 line, bool backwards) const {
  TLangMark best{-1, -1};
  Int64 bestDistance = 0;
  for (Int32 lang = 0; lang < 8; ++lang) {
    const std::vector<Int32>& marks = fPlotData.data[static_cast<size_t>(lang)];
    Int32 found = -1;
    if (backwards) {
      for (Int32 i = static_cast<Int32>(marks.size()) - 1; i >= 0; --i)
        if (marks[static_cast<size_t>(i)] < line) {
          found = i;
          break;
        }
    } else {
      for (Int32 i = 0; i < static_cast<Int32>(marks.size()); ++i)
        if (marks[static_cast<size_t>(i)] > line) {
          found = i;
          break;
        }
    }
    if (found < 0) continue;
    const Int64 distance = std::llabs(static_cast<Int64>(marks[static_cast<size_t>(found)]) - line);
    if (best.langnum < 0 || distance < bestDistance) {
      best = TLangMark{lang, found};
      bestDistance = distance;
    }
  }
  return best;
}

void TPlotBar::NextPlotValue(TLineAndLangnum lineAndLang, bool backwards) {
  fPlotData.ClearSelectedMarks();
  PickedOutWord = lineAndLang.langnum < 0 ? LowestPlotValue() : NearestMarkTo(lineAndLang.linenum, backwards);
  // A search that found nothing leaves every language without a selection.
  if (ValidLang(PickedOutWord.langnum) && PickedOutWord.mark_num >= 0 &&
      PickedOutWord.mark_num < PlotMarks(PickedOutWord.langnum))
    fPlotData.selected_mark[static_cast<size_t>(PickedOutWord.langnum)] = PickedOutWord.mark_num;
  Invalidate();
}

Int32 TPlotBar::PixelYPosOfPlotDataPoint(Int32 lang, Int32 i) const {
  if (i < 0 || i >= PlotMarks(lang) || fPlotData.total_across_langs == 0) return 0;
  const Double mark = GetAPlotValue(lang, i);
  // A mark near the end would round onto the pixel past the last one and be
  // clipped away: it is drawn on the last pixel instead.
  const Int32 along = AlongExtent();
  const Int32 at = static_cast<Int32>(Round(along * mark / fPlotData.total_across_langs));
  return std::max<Int32>(0, std::min<Int32>(at, along - 1));
}

TLangMark TPlotBar::NearestMarkToPixelHeight(Int32 y) const {
  TLangMark best{-1, -1};
  Int32 bestDistance = 100;
  for (Int32 lang = 0; lang < 8; ++lang) {
    const Int32 n = PlotMarks(lang);
    Int32 candidate = -1;
    for (Int32 i = 0; i < n; ++i)
      if (PixelYPosOfPlotDataPoint(lang, i) > y - 10) {
        candidate = i;
        break;
      }
    if (candidate < 0) continue;
    // Later marks replace it while they are drawn nearer.
    while (candidate + 1 < n &&
           std::abs(PixelYPosOfPlotDataPoint(lang, candidate + 1) - y) < std::abs(PixelYPosOfPlotDataPoint(lang, candidate) - y))
      ++candidate;
    const Int32 distance = std::abs(PixelYPosOfPlotDataPoint(lang, candidate) - y);
    if (distance < bestDistance) {
      best = TLangMark{lang, candidate};
      bestDistance = distance;
    }
  }
  return best;
}

void TPlotBar::SetRulerDivisions(Int32 n) {
  fRulerDivisions = n;
  Invalidate();
}

void TPlotBar::SetShowRuler(bool b) {
  fShowRuler = b;
  Invalidate();
}

void TPlotBar::SetRulerColour(TColor c) {
  fRuler_colour = c;
  Invalidate();
}

void TPlotBar::Loaded() {
  TPCBar::Loaded();
  if (Width() > Height()) fOrientation = pbHorizontal;
}

void TPlotBar::MouseDown(TMouseButton button, TShiftState shift, Int32 x, Int32 y) {
  if (button == mbLeft && fOnSelectedPlotmark) {
    const TLangMark m = NearestMarkToPixelHeight(fOrientation == pbHorizontal ? x : y);
    if (ValidLang(m.langnum) && m.mark_num >= 0) SetSelectedPlotMark(m.langnum, m.mark_num);
  }
  TPCBar::MouseDown(button, shift, x, y);
}

void TPlotBar::Paint() {
  TCanvas& c = Canvas();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(ColorToRGB(clWindow));
  c.FillRect(ClientRect());
  Int32 bands = 0;
  for (Int32 lang = 0; lang < 8; ++lang)
    if (PlotMarks(lang) > 0) bands = lang + 1;
  if (bands == 0) return;
  const bool horizontal = fOrientation == pbHorizontal;
  const Int32 along = AlongExtent(), across = AcrossExtent();
  // A line across the bar, from 3 pixels inside one edge to 3 inside the other.
  auto lineAcross = [&](Int32 from, Int32 to, Int32 at) {
    if (horizontal) {
      c.MoveTo(at, from);
      c.LineTo(at, to);
    } else {
      c.MoveTo(from, at);
      c.LineTo(to, at);
    }
  };
  if (fShowRuler && fRulerDivisions >= 1) {
    c.Pen().SetColor(fRuler_colour);
    for (Int32 k = 1; k <= fRulerDivisions; ++k)
      lineAcross(3, across - 3, static_cast<Int32>(Round(static_cast<Double>(along) * k / fRulerDivisions)));
  }
  const Int32 band = (across - 3) / bands;
  for (Int32 lang = 0; lang < 8; ++lang) {
    if (PlotMarks(lang) == 0) continue;
    TMainAndContrastColours colours{ColorToRGB(clWindowText), 0x0000FF};
    if (fOnGetFontColourForLanguage) colours = fOnGetFontColourForLanguage(this, lang);
    const Int32 start = band * lang + 1;
    const Int32 middle = start + band / 2;
    const Int32 selected = GetSelectedPlotMark(lang);
    for (Int32 i = 0; i < PlotMarks(lang); ++i) {
      const Int32 at = PixelYPosOfPlotDataPoint(lang, i);
      if (i == selected) {
        c.Brush().SetColor(colours.contrasting);
        c.FillRect(horizontal ? Rect(at - 3, middle - 3, at + 4, middle + 4) : Rect(middle - 3, at - 3, middle + 4, at + 4));
      }
      c.Pen().SetColor(colours.main);
      lineAcross(start, start + band, at);
    }
  }
}

// ---------------------------------------------------------------------------

TBookmarkBar::TBookmarkBar(TComponent* owner) : TPCBar(owner) {
  fOrientation = pbVertical;
  SetWidth(ScaleValue(20));
  Clear();
}

TBookmarkBar::~TBookmarkBar() { Destroying(); }

void TBookmarkBar::SetBookMark(Int32 i, Int32 a, Int32 b) {
  if (i < 0 || i >= static_cast<Int32>(fBookmarks.size())) return;
  fBookmarks[static_cast<size_t>(i)].seg_charpos_WFC = a;
  fBookmarks[static_cast<size_t>(i)].segment_num = b;
}

TBookmarkRec TBookmarkBar::GetBookMarkInfo(Int32 i) const {
  if (i < 0 || i >= static_cast<Int32>(fBookmarks.size())) return TBookmarkRec{};
  return fBookmarks[static_cast<size_t>(i)];
}

void TBookmarkBar::TryToClear(Int32 a, Int32 b) {
  for (TBookmarkRec& e : fBookmarks)
    if (e.seg_charpos_WFC == a && e.segment_num == b) e = TBookmarkRec{};
}

void TBookmarkBar::Clear() { fBookmarks.fill(TBookmarkRec{}); }

Int32 TBookmarkBar::Bookmarks() const {
  return static_cast<Int32>(
      std::count_if(fBookmarks.begin(), fBookmarks.end(), [](const TBookmarkRec& e) { return e.seg_charpos_WFC > 0; }));
}

void TBookmarkBar::ActivateWindow(bool on) {
  active = on;
  Invalidate();
}

void TBookmarkBar::Loaded() {
  TPCBar::Loaded();
  if (Width() > Height()) fOrientation = pbHorizontal;
}

void TBookmarkBar::Paint() {
  TCanvas& c = Canvas();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(ColorToRGB(clWindow));
  c.FillRect(ClientRect());
  c.Font().SetColor(ColorToRGB(clWindowText));
  c.Font().SetSize(7);
  if (Bookmarks() == 0 || !active || !fOnGetTopAndBottomLineNumbers || !fOnGetLineNumber) return;
  const T2_longint_rec shown = fOnGetTopAndBottomLineNumbers(this);
  const Int32 top = shown.long0, bottom = shown.long1;
  // One line shown counts as a span of one.
  const Int64 span = std::max<Int64>(1, static_cast<Int64>(bottom) - top);
  const bool horizontal = fOrientation == pbHorizontal;
  const Int32 along = AlongExtent(), across = AcrossExtent();
  for (Int32 i = 0; i < static_cast<Int32>(fBookmarks.size()); ++i) {
    const TBookmarkRec& e = fBookmarks[static_cast<size_t>(i)];
    if (e.seg_charpos_WFC <= 0) continue;
    const Int32 line = fOnGetLineNumber(this, e);
    if (line < top || line > bottom) continue;
    const Int32 at = static_cast<Int32>(Round(static_cast<Double>(static_cast<Int64>(line) - top) * along / span));
    const Int32 from = at - across / 2;
    DrawABookmark(c, horizontal ? Rect(from, 0, from + across, across) : Rect(0, from, across, from + across), i);
  }
}

SK_COUNTER_ONLY_UNIT(Tpcprogressbars)

}  // namespace sk
