// Drawing helpers that the suite's grids, plots and bars share: the standard
// colour sets of the active style, text measured and fitted to a width or a
// rectangle, axis lines with ticks, the numbered bookmark disc, triangles and
// circles used as marks, gradients, the pixel columns of timeline periods,
// bitmaps copied to and from canvases and turned into metafiles, and icon
// files read into one image strip. Everything draws on the canvas passed in;
// nothing is kept between calls.
#pragma once

#include <memory>
#include <vector>

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/visual/Graphics.h"
#include "platform/visual/Metafiles.h"
#include "ui/Graphics_utilities_icons.h"

namespace sk {

class TImage;

// A canvas's font and colours.
struct TCanvasSettings {
  String fontname;
  Int32 fontsize{};
  TFontStyles fontstyles{};
  TColor brushcolour{};
  TColor fontcolour{};
};

// The pixel columns of one period of a timeline plot.
struct TOneTimePeriodRec {
  Int32 Left{};
  Int32 Right{};
  Int32 Width{};
};

// ---- colour sets ----

// Window, window text, highlight, highlight text, button face, button shadow,
// active and inactive caption gradient, as symbolic system colours.
TMyCanvasColourRec BogStandardColours();
// The same with the first two pairs swapped: window text, window, highlight
// text, highlight, then as above.
TMyCanvasColourRec StyleSearchColours();
// The sets with a typeface: none for the standard set, bold for the search set.
TMyCanvasColourRecAndTypeface BogStandardColoursAndTypeface();
TMyCanvasColourRecAndTypeface StyleSearchColoursAndTypeface();
// True when the window colour equals the window-text colour or the highlight
// equals the highlight text: such a set shows nothing.
bool UnassignedColours(const TMyCanvasColourRec& colours);
// Replaces an unassigned set by BogStandardColours.
void EnsureColoursOK(TMyCanvasColourRec& colours);

TForegroundBackGroundColours ForeBackColours(TColor fore, TColor back);
// Both colours clNone.
TForegroundBackGroundColours ClNoneColours();
// fallback when c is clNone, else c.
TColor ForcedValidColour(TColor c, TColor fallback);
// c is not clNone, and with blackIsBad not black (0) either.
bool IsOKColour(TColor c, bool blackIsBad);
// The style's highlight or window colour, and its highlight-text or
// window-text colour, as RGB values.
TColor GetABrushColour(bool highlighted);
TColor GetAFontColour(bool highlighted);
// Sets the canvas's brush and font colours to those two.
void SetACanvasToColour(TCanvas& canvas, bool highlighted);
// Highlighted: white text on black in monochrome, else the style's highlight
// and highlight text; otherwise black text on white in monochrome, else the
// style's window and window text. typeface = styles.
TColourFontRec StandardColourFontRec(bool highlighted, bool monochrome, TFontStyles styles);
// c itself when not negative, else the system colour of its low byte.
TColor MyColourToRGB(TColor c);
TCanvasSettings GetCanvasSettings(TCanvas& canvas);

// ---- text measuring and fitting ----

// The text height h of s plus h shr 3 (one eighth, not a third).
Int32 HeightOfAStringPlusOneThird(TCanvas& canvas, const String& s);
// The text extent of s; with addOnePixelPerSpace one pixel more of width for
// every space in s.
TSize CanvasPixelWidthAndHeight(const String& s, TCanvas& canvas);
TSize CanvasPixelWidthAndHeight(const String& s, TCanvas& canvas, bool addOnePixelPerSpace);
// s when narrower than width less the width of "M"; otherwise three
// characters are taken out of the middle (at length div 2) until it is narrow
// enough or shorter than four, and "…" (U+2026) goes where the last were
// taken. A surrogate pair is never cut; a text shorter than four that does
// not fit gets the ellipsis in its middle.
String ShrunkToFit(const String& s, TCanvas& canvas, Int32 width);
// Sets the canvas font to size points and measures text, centred and without
// prefix handling, into rect (its Right and Bottom receive the extent). A
// measured height below maxHeight, or size at or below minSize, answers size
// with fits true; otherwise size - 1 with fits false. Callers repeat with the
// size answered.
Int32 ComputedFontSizeToSuitRect(TCanvas& canvas, TRect& rect, bool& fits, const String& text, Int32 size,
                                 Int32 maxHeight, Int32 minSize);
// Fills rect with the brush and draws text as a file name, shortened in the
// middle of its path to fit: right-aligned 4 pixels from the right edge when
// it fits with room to spare, else from 4 pixels in from the left edge.
void PutStringAsFilename(const TRect& rect, TCanvas& canvas, const String& text);
// Draws text at (x, y) clipped to rect's columns from y down to its bottom;
// the canvas has no clip region afterwards.
void DrawTextClippedToARect(TCanvas& canvas, const TRect& rect, Int32 x, Int32 y, const String& text);
// -trunc(points × 254 / 72), and trunc(h × 72 / 254).
Int32 MapFontHeight(Int32 points);
Int32 MapFontSize(Int32 height);
// Bits and bytes of PNG pixels: colour types 0 (grey) and 3 (palette) have
// one sample, 2 (RGB) three, 4 (grey and alpha) two, 6 (RGBA) four, others
// none.
Int32 BitsForPixel(Int32 colourType, Int32 bitDepth);
Int64 BytesForPixels(Int64 pixels, Int32 colourType, Int32 bitDepth);

// ---- shapes ----

// A triangle inside rect filled with the canvas's brush and outlined in
// colour, pointing in the direction given.
void DrawATriangle(TCanvas& canvas, TColor colour, const TRect& rect, T4Directions direction);
// The triangle in a square of side a (the width of "a"), its right edge a
// pixels in from rect's right edge, centred vertically.
void ComputeTriangleAndDrawit(TCanvas& canvas, TColor colour, const TRect& rect, T4Directions direction);
// A disc of colour, as wide as "a", around centre.
void DrawACircle(TCanvas& canvas, TColor colour, TPoint centre);
// The disc in slot i (from 1) of n equal slots across rect, at its vertical
// middle; nothing when n is below 1.
void ComputeCircleAndDrawit(TCanvas& canvas, TColor colour, Int32 i, Int32 n, const TRect& rect);
// A highlight disc filling rect with the number centred on it in highlight
// text, in 7 points.
void DrawABookmark(TCanvas& canvas, const TRect& rect, Int32 number);
// Point i of n around centre, at radius for even i and radius × 6 / 5 for
// odd i, starting straight below it; the centre itself when n is below 1.
TPoint CrownPos(Int32 i, Int32 n, Int32 radius, TPoint centre);
// An axis from (x1, y1) to (x2, y2) (vertical when x1 = x2) with n ticks as
// long as the width of "m", tick values formatted with tickFormat and an
// axis label; mirrored puts the ticks on the other side and leaves out the
// labels. With n below 1 only the line is drawn.
void DrawLineWithIndentations(TCanvas& canvas, Int32 x1, Int32 y1, Int32 x2, Int32 y2, Int32 n, Double maxValue,
                              const String& axisLabel, const String& tickFormat, bool mirrored);
// Takes the values of a histogram and draws nothing.
void DrawHistogramLines(TCanvas& canvas, const std::vector<Single>& values, const TRect& rect);

// ---- gradients ----

// Bands from c1 to c2 across rect: left to right when horizontal, top to
// bottom otherwise; at most one band per pixel.
void MyDrawGradient(TCanvas& canvas, TColor c1, TColor c2, Int32 steps, const TRect& rect, bool horizontal);
// The style's gradient from its light colour down to its button face over
// rect (one colour when the two are the same).
void DrawAGradientOnRect(TCanvas& canvas, const TRect& rect);

// ---- periods of a timeline plot ----

Double PeriodPxWidth(const TRect& rect, Int32 periods);
TOneTimePeriodRec PeriodRec(Int32 i, Double w);

// ---- bitmaps and metafiles ----

void CopyARegionOfCanvasToABitmap(Int32 x, Int32 y, Int32 w, Int32 h, TBitmap& bitmap, TCanvas& canvas);
void CopyABitmapToARegionOfCanvas(const TRect& rect, TBitmap& bitmap, TCanvas& canvas);
// A new metafile of the picture's size with the picture drawn at (0, 0).
std::unique_ptr<TMetafile> ConvertBitmapToWindowsMetafile(const TBitmap& bitmap);
std::unique_ptr<TMetafile> ConvertBitmapToWindowsMetafile(TImage& image);
// The same, saved to fileName as SVG; false when it cannot be written or the
// image holds no picture.
bool ConvertBitmapToWindowsMetafileAndSave(TImage& image, const String& fileName);

// ---- icons ----

// IconsizesInAnIconfile and DimensionIsInArrayOfValidIconSizes: see
// Graphics_utilities_icons.h.
// Loads every listed icon whose file exists and whose valid sizes hold size,
// at size × size, and answers the indexes (into files) of those loaded. When
// any were, they are written side by side, each size × size, as one PNG to
// outFile; when that file cannot be written the answer is empty.
std::vector<Int32> SaveImageListFromListOfIconFiles(const std::vector<T2StringAndIntArray>& files, Int32 size,
                                                    const String& outFile);

// Unit start and stop (the unit has no work of its own).
void Graphics_utilities_initialization();
void Graphics_utilities_Finalization();

}  // namespace sk
