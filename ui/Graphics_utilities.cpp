#include "ui/Graphics_utilities.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <vector>

#include "core/UnitCounter.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/RtlMath.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/Strings.h"
#include "platform/visual/IconFiles.h"
#include "platform/visual/StandardControls.h"

namespace sk {

namespace {

constexpr Char kEllipsis = u'\u2026';

bool IsHighSurrogate(Char c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(Char c) { return c >= 0xDC00 && c <= 0xDFFF; }

// True when position i of s falls between the two halves of a surrogate pair.
bool SplitsAPair(const String& s, size_t i) {
  return i > 0 && i < s.size() && IsLowSurrogate(s[i]) && IsHighSurrogate(s[i - 1]);
}

// Text formatted with a caller's format; a format that does not suit the
// value gives no text rather than an exception in the middle of painting.
String FormattedTick(const String& format, Double value) {
  try {
    return Format(format, {value});
  } catch (const std::exception&) {
    return String();
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Colour sets.

TMyCanvasColourRec BogStandardColours() {
  TMyCanvasColourRec r;
  r.arr[tsc_window] = clWindow;
  r.arr[tsc_windowtext] = clWindowText;
  r.arr[tsc_highlight] = clHighlight;
  r.arr[tsc_highlighttext] = clHighlightText;
  r.arr[tsc_Btnface] = clBtnFace;
  r.arr[tsc_btnShadow] = clBtnShadow;
  r.arr[tsc_gradientActive] = clGradientActiveCaption;
  r.arr[tsc_gradientInActive] = clGradientInactiveCaption;
  return r;
}

TMyCanvasColourRec StyleSearchColours() {
  TMyCanvasColourRec r = BogStandardColours();
  std::swap(r.arr[tsc_window], r.arr[tsc_windowtext]);
  std::swap(r.arr[tsc_highlight], r.arr[tsc_highlighttext]);
  return r;
}

TMyCanvasColourRecAndTypeface BogStandardColoursAndTypeface() {
  TMyCanvasColourRecAndTypeface r;
  r.colourset = BogStandardColours();
  r.typeface = 0;
  return r;
}

TMyCanvasColourRecAndTypeface StyleSearchColoursAndTypeface() {
  TMyCanvasColourRecAndTypeface r;
  r.colourset = StyleSearchColours();
  r.typeface = static_cast<TFontStyles>(1u << fsBold);
  return r;
}

bool UnassignedColours(const TMyCanvasColourRec& colours) {
  return colours.arr[tsc_window] == colours.arr[tsc_windowtext] ||
         colours.arr[tsc_highlight] == colours.arr[tsc_highlighttext];
}

void EnsureColoursOK(TMyCanvasColourRec& colours) {
  if (UnassignedColours(colours)) colours = BogStandardColours();
}

TForegroundBackGroundColours ForeBackColours(TColor fore, TColor back) {
  TForegroundBackGroundColours r;
  r[fb_foregound] = fore;
  r[fb_background] = back;
  return r;
}

TForegroundBackGroundColours ClNoneColours() { return ForeBackColours(clNone, clNone); }

TColor ForcedValidColour(TColor c, TColor fallback) { return c == clNone ? fallback : c; }

bool IsOKColour(TColor c, bool blackIsBad) { return c != clNone && !(blackIsBad && c == 0); }

TColor GetABrushColour(bool highlighted) { return ColorToRGB(highlighted ? clHighlight : clWindow); }

TColor GetAFontColour(bool highlighted) { return ColorToRGB(highlighted ? clHighlightText : clWindowText); }

void SetACanvasToColour(TCanvas& canvas, bool highlighted) {
  canvas.Font().SetColor(GetAFontColour(highlighted));
  canvas.Brush().SetColor(GetABrushColour(highlighted));
}

TColourFontRec StandardColourFontRec(bool highlighted, bool monochrome, TFontStyles styles) {
  TColourFontRec r;
  r.typeface = styles;
  if (highlighted && monochrome) {
    r.BrushColour = clBlack;
    r.FontColour = clWhite;
  } else if (highlighted) {
    r.BrushColour = ColorToRGB(clHighlight);
    r.FontColour = ColorToRGB(clHighlightText);
  } else if (monochrome) {
    r.BrushColour = clWhite;
    r.FontColour = clBlack;
  } else {
    r.BrushColour = ColorToRGB(clWindow);
    r.FontColour = ColorToRGB(clWindowText);
  }
  return r;
}

TColor MyColourToRGB(TColor c) { return c >= 0 ? c : GetSysColor(c & 0xFF); }

TCanvasSettings GetCanvasSettings(TCanvas& canvas) {
  TCanvasSettings s;
  s.fontname = canvas.Font().Name();
  s.fontsize = canvas.Font().Size();
  s.fontstyles = canvas.Font().Style();
  s.brushcolour = canvas.Brush().Color();
  s.fontcolour = canvas.Font().Color();
  return s;
}

// ---------------------------------------------------------------------------
// Text measuring and fitting.

Int32 HeightOfAStringPlusOneThird(TCanvas& canvas, const String& s) {
  const Int32 h = canvas.TextHeight(s);
  return h + (h >> 3);
}

TSize CanvasPixelWidthAndHeight(const String& s, TCanvas& canvas) { return canvas.TextExtent(s); }

TSize CanvasPixelWidthAndHeight(const String& s, TCanvas& canvas, bool addOnePixelPerSpace) {
  TSize size = canvas.TextExtent(s);
  if (addOnePixelPerSpace) size.cx += static_cast<Int32>(std::count(s.begin(), s.end(), u' '));
  return size;
}

// Shrinking deletes three units at a time from the middle of what is left,
// each cut joining the gap of the one before, so after k cuts the text is a
// head and a tail of s: s[0, head) + s[tail, size). The cuts are worked out
// on positions alone; only the candidates a search picks are measured.
namespace {

struct TShrinkStep {
  size_t head;
  size_t tail;
};

// The head and tail after each cut, in order, until fewer than four units
// remain. Empty when the text is shorter than four.
std::vector<TShrinkStep> ShrinkSteps(const String& s) {
  std::vector<TShrinkStep> steps;
  const size_t n = s.size();
  size_t head = n, tail = n;  // no cut yet: the whole text is the head
  auto at = [&](size_t p) { return p < head ? s[p] : s[p - head + tail]; };
  auto splits = [&](size_t p, size_t len) {
    return p > 0 && p < len && IsLowSurrogate(at(p)) && IsHighSurrogate(at(p - 1));
  };
  for (size_t len = n; len >= 4;) {
    // Three units from position length div 2 (counting from 1), widened so
    // that neither end falls inside a surrogate pair.
    size_t start = len / 2 - 1;
    size_t end = start + 3;
    if (splits(start, len)) --start;
    if (splits(end, len)) ++end;
    if (steps.empty()) {
      head = start;
      tail = end;
    } else {
      // The window always meets the gap left by the cut before (start <=
      // head <= end), so what remains keeps the head-and-tail form.
      tail += end - head;
      head = start;
    }
    len -= end - start;
    steps.push_back({head, tail});
  }
  return steps;
}

String WithEllipsis(const String& s, const TShrinkStep& step) {
  String r;
  r.reserve(step.head + 1 + (s.size() - step.tail));
  r.append(s, 0, step.head);
  r += kEllipsis;
  r.append(s, step.tail, String::npos);
  return r;
}

// The length of a head of s wider than limit by more than a cut can change,
// so that neither s nor any step that keeps that head fits: measured from
// about what limit can show, lengthened as the widths measured say; npos when
// no head short of the text is that wide. Only about as much of the text as
// can be shown is read. Heads are measured through widths, as the steps are.
size_t HeadTooWide(const String& s, TCanvas& canvas, TPieceWidths& widths, Int32 limit) {
  const size_t n = s.size();
  const auto room = static_cast<size_t>(std::max(limit, 1));
  size_t len = 16 + room / static_cast<size_t>(std::max(1, canvas.TextWidth(u"n")));
  while (2 * len < n) {
    const size_t head = SplitsAPair(s, len) ? len - 1 : len;
    const TShapedSpan span = canvas.ShapedSpan(s.substr(0, head + 8));
    const bool settled = head > span.anchor || !span.byNeighbours;
    const Int64 w = settled ? (gFitMeasurements.fetch_add(1, std::memory_order_relaxed),
                               widths.Width(s.substr(0, head)))
                            : 0;
    if (settled && w > static_cast<Int64>(limit) + span.slack) return head;
    const double wanted = static_cast<double>(head) * 1.5 * static_cast<double>(static_cast<Int64>(limit) + span.slack + 1) /
                          static_cast<double>(std::max<Int64>(w, 1));
    len = std::max(2 * len, static_cast<size_t>(std::clamp(wanted, 0.0, 1e15)));
  }
  return String::npos;
}

}  // namespace

String ShrunkToFit(const String& s, TCanvas& canvas, Int32 width) {
  const Int32 limit = width - canvas.TextWidth(u"M");
  // The heads and steps are measured as TextWidth measures them, each run of
  // emoji, flags or characters the font lacks shaped once for them all.
  TPieceWidths widths = canvas.PieceWidths();
  const size_t tooWide = HeadTooWide(s, canvas, widths, limit - 1);
  if (tooWide == String::npos && widths.Width(s) < limit) return s;
  const std::vector<TShrinkStep> steps = ShrinkSteps(s);
  if (steps.empty()) {
    // Too short to shorten: the ellipsis goes in the middle.
    size_t cut = s.size() / 2;
    if (SplitsAPair(s, cut)) --cut;
    String r = s;
    r.insert(r.begin() + static_cast<std::ptrdiff_t>(cut), kEllipsis);
    return r;
  }
  // Cutting stops at the first step whose text is narrower than the limit,
  // or at the last step (fewer than four units left) whatever its width.
  // The steps that keep the head too wide are passed over; the others are
  // found by FirstFitting, which measures one by one only the steps cut
  // inside a reach and searches the rest (see Graphics_shaping.h), on the
  // text those steps keep: the head before tooWide and the tail after it.
  size_t first = 0;
  if (tooWide != String::npos)
    while (first + 1 < steps.size() && steps[first].head >= tooWide) ++first;
  const size_t n = s.size(), tailFrom = steps[first].tail, kept = steps[first].head;
  const TShapedSpan shaped = canvas.ShapedSpan(s.substr(0, kept) + s.substr(tailFrom));
  auto tailIn = [&](size_t tail) { return tail - tailFrom + kept; };
  const size_t last = steps.size() - 1;
  const size_t k = first + FirstFitting(
      steps.size() - first, static_cast<Int64>(limit) - 1, shaped.slack,
      [&](size_t j) -> Int64 {
        const size_t k = first + j;
        if (k == last) return kAlwaysFits;
        const TShrinkStep& st = steps[k];
        String r;
        r.reserve(st.head + (n - st.tail));
        r.append(s, 0, st.head);
        r.append(s, st.tail, String::npos);
        return widths.Width(r);
      },
      [&](size_t j) { return shaped.Holds(steps[first + j].head, tailIn(steps[first + j].tail)); },
      [&](size_t j) { return shaped.Regime(steps[first + j].head, tailIn(steps[first + j].tail)); });
  return WithEllipsis(s, steps[k]);
}

Int32 ComputedFontSizeToSuitRect(TCanvas& canvas, TRect& rect, bool& fits, const String& text, Int32 size,
                                 Int32 maxHeight, Int32 minSize) {
  canvas.Font().SetSize(size);
  canvas.DrawText(text, rect, DT_CALCRECT | DT_NOPREFIX | DT_CENTER);
  const Int32 height = rect.Bottom - rect.Top;
  fits = height < maxHeight || size <= minSize;
  return fits ? size : size - 1;
}

void PutStringAsFilename(const TRect& rect, TCanvas& canvas, const String& text) {
  canvas.FillRect(rect);
  const Int32 w = canvas.TextWidth(text);
  const Int32 left = rect.Right - w > rect.Left + 4 ? rect.Right - w - 4 : rect.Left + 4;
  TRect r = Rect(left, rect.Top, rect.Right, rect.Bottom);
  String shown = text;
  canvas.TextRect(r, shown, tfPathEllipsis);
}

void DrawTextClippedToARect(TCanvas& canvas, const TRect& rect, Int32 x, Int32 y, const String& text) {
  canvas.SetClipRect(Rect(rect.Left, y, rect.Right, rect.Bottom));
  canvas.TextOut(x, y, text);
  canvas.RemoveClipRegion();
}

Int32 MapFontHeight(Int32 points) { return -static_cast<Int32>(Trunc(points * 254.0 / 72.0)); }

Int32 MapFontSize(Int32 height) { return static_cast<Int32>(Trunc(height * 72.0 / 254.0)); }

namespace {

Int32 SamplesPerPixel(Int32 colourType) {
  switch (colourType) {
    case 0:
    case 3: return 1;
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 0;
  }
}

}  // namespace

Int32 BitsForPixel(Int32 colourType, Int32 bitDepth) { return SamplesPerPixel(colourType) * bitDepth; }

Int64 BytesForPixels(Int64 pixels, Int32 colourType, Int32 bitDepth) {
  if (colourType == 0 || colourType == 3) return (pixels * bitDepth + 7) / 8;
  return pixels * bitDepth * SamplesPerPixel(colourType) / 8;
}

// ---------------------------------------------------------------------------
// Shapes.

void DrawATriangle(TCanvas& canvas, TColor colour, const TRect& rect, T4Directions direction) {
  canvas.Pen().SetColor(colour);
  const Int32 w = rect.Right - rect.Left, h = rect.Bottom - rect.Top;
  std::vector<TPoint> p;
  switch (direction) {
    case t4d_left:
      p = {Point(rect.Left, rect.Top + h / 2), Point(rect.Right, rect.Top), Point(rect.Right, rect.Bottom)};
      break;
    case t4d_right:
      p = {Point(rect.Left, rect.Top), Point(rect.Left, rect.Bottom), Point(rect.Right, rect.Top + h / 2)};
      break;
    case t4d_up_top:
      p = {Point(rect.Right, rect.Bottom), Point(rect.Left, rect.Bottom), Point(rect.Left + w / 2, rect.Top)};
      break;
    default:
      p = {Point(rect.Left, rect.Top), Point(rect.Right, rect.Top), Point(rect.Left + w / 2, rect.Bottom)};
      break;
  }
  canvas.Polygon(p);
}

void ComputeTriangleAndDrawit(TCanvas& canvas, TColor colour, const TRect& rect, T4Directions direction) {
  const Int32 a = canvas.TextWidth(u"a");
  const Int32 right = rect.Right - a;
  const Int32 top = rect.Top + (rect.Bottom - rect.Top - a) / 2;
  DrawATriangle(canvas, colour, Rect(right - a, top, right, top + a), direction);
}

void DrawACircle(TCanvas& canvas, TColor colour, TPoint centre) {
  canvas.Pen().SetColor(colour);
  canvas.Brush().SetColor(colour);
  const Int32 r = canvas.TextWidth(u"a") / 2;
  canvas.Ellipse(centre.X - r, centre.Y - r, centre.X + r, centre.Y + r);
}

void ComputeCircleAndDrawit(TCanvas& canvas, TColor colour, Int32 i, Int32 n, const TRect& rect) {
  if (n < 1) return;
  const Double w = static_cast<Double>(rect.Right - rect.Left) / n;
  const Int32 x = rect.Left + static_cast<Int32>(Round(w * (i - 0.5)));
  const Int32 y = rect.Top + (rect.Bottom - rect.Top) / 2;
  DrawACircle(canvas, colour, Point(x, y));
}

void DrawABookmark(TCanvas& canvas, const TRect& rect, Int32 number) {
  canvas.Font().SetColor(clHighlightText);
  canvas.Pen().SetColor(clHighlight);
  canvas.Font().SetSize(7);
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(canvas.Pen().Color());
  canvas.Ellipse(rect);
  const String text = IntToStr(number);
  const TSize extent = canvas.TextExtent(text);
  canvas.TextOut(rect.Left + (rect.Right - rect.Left - extent.cx) / 2, rect.Top + (rect.Bottom - rect.Top - extent.cy) / 2,
                 text);
}

TPoint CrownPos(Int32 i, Int32 n, Int32 radius, TPoint centre) {
  if (n < 1) return centre;
  const Double angle = (360.0 / n) * i * M_PI / 180.0;
  const Double r = (i % 2 == 0) ? radius : radius * 6.0 / 5.0;
  return Point(centre.X + static_cast<Int32>(Round(std::sin(angle) * r)),
               centre.Y + static_cast<Int32>(Round(std::cos(angle) * r)));
}

void DrawLineWithIndentations(TCanvas& canvas, Int32 x1, Int32 y1, Int32 x2, Int32 y2, Int32 n, Double maxValue,
                              const String& axisLabel, const String& tickFormat, bool mirrored) {
  const Int32 tick = canvas.TextWidth(u"m");
  if (x1 == x2) {
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x1, y2);
    if (!axisLabel.empty() && !mirrored) {
      const TSize e = canvas.TextExtent(axisLabel);
      canvas.TextOut(x1 - 1 - e.cx, y1 - 1 - e.cy, axisLabel);
    }
    for (Int32 k = 0; k < n; ++k) {
      const Single offset = static_cast<Single>(k) * static_cast<Single>(y2 - y1) / static_cast<Single>(n);
      const Int32 y = y1 + static_cast<Int32>(Round(offset));
      if (!tickFormat.empty()) {
        const String label = FormattedTick(tickFormat, (n - k) * maxValue / n);
        canvas.TextOut(x1 - 1 - canvas.TextWidth(label), y, label);
      }
      canvas.MoveTo(x1, y);
      canvas.LineTo(mirrored ? x1 - tick : x1 + tick, y);
    }
    return;
  }
  canvas.MoveTo(x1, y2);
  canvas.LineTo(x2, y2);
  if (!axisLabel.empty() && !mirrored) {
    const TSize e = canvas.TextExtent(axisLabel);
    canvas.TextOut(x2 - 1 - e.cx, y2 + e.cy + 1, axisLabel);
  }
  for (Int32 k = 0; n >= 1 && k <= n; ++k) {
    const Single offset = static_cast<Single>(k) * static_cast<Single>(x2 - x1) / static_cast<Single>(n);
    const Int32 x = x1 + static_cast<Int32>(Round(offset));
    if (!tickFormat.empty() && !mirrored) {
      const String label = FormattedTick(tickFormat, k * maxValue / n);
      canvas.TextOut(x - canvas.TextWidth(label) / 2, y2 + 1, label);
    }
    canvas.MoveTo(x, y2);
    canvas.LineTo(x, mirrored ? y2 + tick : y2 - tick);
  }
}

void DrawHistogramLines(TCanvas& canvas, const std::vector<Single>& values, const TRect& rect) {
  (void)canvas;
  (void)values;
  (void)rect;
}

// ---------------------------------------------------------------------------
// Gradients.

void MyDrawGradient(TCanvas& canvas, TColor c1, TColor c2, Int32 steps, const TRect& rect, bool horizontal) {
  TRect r = rect;
  if (r.Top == r.Bottom) return;
  if (r.Bottom < r.Top) std::swap(r.Top, r.Bottom);
  const bool none1 = c1 == clNone, none2 = c2 == clNone;
  if (none1 || none2) {
    const TColor c = none1 && !none2 ? c2 : c1;
    canvas.Pen().SetColor(c);
    canvas.Brush().SetColor(c);
    canvas.FillRect(r);
    return;
  }
  const TColor rgb1 = ColorToRGB(c1), rgb2 = ColorToRGB(c2);
  const Int32 extent = (horizontal ? r.Right - r.Left : r.Bottom - r.Top) - 1;
  steps = std::max(1, std::min(steps, extent));
  const Double band = static_cast<Double>(extent) / steps;
  Double change[3];
  Int32 first[3];
  for (int ch = 0; ch < 3; ++ch) {
    first[ch] = (rgb1 >> (8 * ch)) & 0xFF;
    change[ch] = static_cast<Double>(static_cast<Int32>((rgb2 >> (8 * ch)) & 0xFF) - first[ch]) / steps;
  }
  const Int32 farEdge = horizontal ? r.Right : r.Bottom;
  for (Int32 k = 0; k <= steps; ++k) {
    TColor colour = 0;
    for (int ch = 0; ch < 3; ++ch) {
      const Int32 v = std::clamp(first[ch] + static_cast<Int32>(Round(change[ch] * k)), 0, 255);
      colour |= static_cast<TColor>(v) << (8 * ch);
    }
    canvas.Pen().SetColor(colour);
    canvas.Brush().SetColor(colour);
    const Int32 start = (horizontal ? r.Left : r.Top) + static_cast<Int32>(Trunc(k * band));
    const Int32 stop = std::min(farEdge, start + static_cast<Int32>(Trunc(band + 1)));
    if (stop <= start) continue;
    canvas.FillRect(horizontal ? Rect(start, r.Top, stop, r.Bottom) : Rect(r.Left, start, r.Right, stop));
  }
}

void DrawAGradientOnRect(TCanvas& canvas, const TRect& rect) {
  const TColor light = ColorToRGB(clBtnHighlight), face = ColorToRGB(clBtnFace);
  if (light == face) {
    canvas.Brush().SetColor(light);
    canvas.FillRect(rect);
    return;
  }
  MyDrawGradient(canvas, light, face, 128, rect, false);
}

// ---------------------------------------------------------------------------
// Periods of a timeline plot.

Double PeriodPxWidth(const TRect& rect, Int32 periods) {
  return static_cast<Double>(rect.Right - rect.Left) / std::max(1, periods);
}

TOneTimePeriodRec PeriodRec(Int32 i, Double w) {
  TOneTimePeriodRec r;
  r.Left = static_cast<Int32>(Round(w * i)) + 1;
  r.Right = static_cast<Int32>(Round(w * (i + 1)));
  r.Width = static_cast<Int32>(Round(w));
  return r;
}

// ---------------------------------------------------------------------------
// Bitmaps and metafiles.

void CopyARegionOfCanvasToABitmap(Int32 x, Int32 y, Int32 w, Int32 h, TBitmap& bitmap, TCanvas& canvas) {
  bitmap.SetSize(w, h);
  TCanvas& target = bitmap.Canvas();
  target.SetCopyMode(cmSrcCopy);
  target.CopyRect(Rect(0, 0, w, h), canvas, Rect(x, y, x + w, y + h));
}

void CopyABitmapToARegionOfCanvas(const TRect& rect, TBitmap& bitmap, TCanvas& canvas) {
  const TCopyMode mode = canvas.CopyMode();
  canvas.SetCopyMode(cmSrcCopy);
  canvas.CopyRect(rect, bitmap.Canvas(), Rect(0, 0, rect.Right - rect.Left, rect.Bottom - rect.Top));
  canvas.SetCopyMode(mode);
}

namespace {

std::unique_ptr<TMetafile> MetafileOf(const TGraphic* graphic) {
  auto metafile = std::make_unique<TMetafile>();
  if (graphic == nullptr || graphic->Empty()) return metafile;
  metafile->SetSize(graphic->Width(), graphic->Height());
  TMetafileCanvas canvas(*metafile);
  canvas.Draw(0, 0, *graphic);
  return metafile;
}

}  // namespace

std::unique_ptr<TMetafile> ConvertBitmapToWindowsMetafile(const TBitmap& bitmap) { return MetafileOf(&bitmap); }

std::unique_ptr<TMetafile> ConvertBitmapToWindowsMetafile(TImage& image) {
  return MetafileOf(image.Picture().Graphic());
}

bool ConvertBitmapToWindowsMetafileAndSave(TImage& image, const String& fileName) {
  const std::unique_ptr<TMetafile> metafile = ConvertBitmapToWindowsMetafile(image);
  if (metafile->Empty()) return false;
  try {
    metafile->SaveToFile(fileName);
    return true;
  } catch (const EInvalidGraphic&) {
    return false;
  }
}

// ---------------------------------------------------------------------------
// Icons.

std::vector<Int32> SaveImageListFromListOfIconFiles(const std::vector<T2StringAndIntArray>& files, Int32 size,
                                                    const String& outFile) {
  std::vector<Int32> added;
  if (size < 1) return added;
  std::vector<std::unique_ptr<TIcon>> icons;
  for (size_t i = 0; i < files.size(); ++i) {
    const T2StringAndIntArray& f = files[i];
    if (!FileExists(f.icon_fname) || !DimensionIsInArrayOfValidIconSizes(size, f.valid_icon_sizes)) continue;
    auto icon = std::make_unique<TIcon>();
    if (!LoadIconFromFileAtSize(*icon, f.icon_fname, size)) continue;
    icons.push_back(std::move(icon));
    added.push_back(static_cast<Int32>(i));
  }
  if (added.empty()) return added;
  // The image list as one strip: the icons side by side, transparent where
  // they are.
  TBitmap strip;
  strip.SetPixelFormat(pf32bit);
  strip.SetSize(size * static_cast<Int32>(icons.size()), size);
  for (size_t k = 0; k < icons.size(); ++k) {
    const Int32 left = static_cast<Int32>(k) * size;
    icons[k]->Draw(strip.Canvas(), Rect(left, 0, left + size, size));
  }
  try {
    // The strip replaces the file whole, so a failed save keeps the old one.
    ReplaceFileWith(outFile, [&strip](TStream& out) { strip.SaveToStream(out); });
  } catch (const std::exception&) {
    return {};
  }
  return added;
}

SK_COUNTER_ONLY_UNIT(Graphics_utilities)

}  // namespace sk
