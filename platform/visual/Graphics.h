// Fonts, pens, brushes, the canvas, bitmaps, icons and pictures, on Qt's
// painter and images.
//
// Geometry follows the conventions the library's drawing code was written
// for: a rectangle's Right and Bottom are exclusive (FillRect(Rect(0, 0, 10,
// 10)) fills pixels 0 to 9), a line drawn with LineTo leaves out its end
// point, shapes and lines are not antialiased, and TextOut puts the top of the
// text's cell at y. Sizes designed at 96 dots per inch are Qt's
// device-independent pixels, so a 9-point font is 12 pixels high everywhere.
//
// A canvas draws on a surface: a bitmap's image, or a control while it paints.
// A canvas without a surface (a control's canvas outside its paint) measures
// text but draws nothing.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/runtime/RtlTypes.h"
#include "platform/visual/Graphics_shaping.h"

class QFont;
class QFontMetrics;
class QIcon;
class QImage;
class QPainter;
class QPaintDevice;

namespace sk {

class TStream;

struct TSize {
  Int32 cx = 0;
  Int32 cy = 0;
  bool operator==(const TSize&) const = default;
};

// Raised for a picture that cannot be read or written, and for drawing
// operations given impossible arguments.
class EInvalidGraphic : public Exception {
  using Exception::Exception;
};
class EInvalidGraphicOperation : public Exception {
  using Exception::Exception;
};

// ---------------------------------------------------------------------------
// Font, pen and brush. Each raises OnChange when one of its properties changes.

class TGraphicsObject : public TObject {
 public:
  TNotifyEvent OnChange;

 protected:
  void Changed();
};

enum TFontPitch : uint8_t { fpDefault, fpVariable, fpFixed };

class TFont : public TGraphicsObject {
 public:
  // The application's default font (its family and point size), or DejaVu
  // Sans 9 when there is no application; colour clWindowText.
  TFont();
  TFont(const TFont& other);
  TFont& operator=(const TFont& other);
  ~TFont() override;

  void Assign(const TFont& source);

  const String& Name() const { return fName; }
  void SetName(const String& name);
  // Size in points at PixelsPerInch dots per inch; Height is in dots of the
  // canvas, negative for the character height (the usual form), positive for
  // the cell height.
  Int32 Size() const;
  void SetSize(Int32 points);
  // Dots per inch of the canvas the font draws on: 96 on the screen and on
  // images, the printer's resolution on a printer's canvas. Changing it keeps
  // the size in points (the height is scaled); Assign from a font of another
  // resolution keeps the size in points too.
  Int32 PixelsPerInch() const { return fPixelsPerInch; }
  void SetPixelsPerInch(Int32 dpi);
  Int32 Height() const { return fHeight; }
  void SetHeight(Int32 pixels);
  TFontStyles Style() const { return fStyle; }
  void SetStyle(TFontStyles style);
  bool HasStyle(TFontStyle s) const { return (fStyle >> s) & 1u; }
  TColor Color() const { return fColor; }
  void SetColor(TColor color);
  TFontPitch Pitch() const { return fPitch; }
  void SetPitch(TFontPitch pitch);
  // Rotation of the text in tenths of a degree, counter-clockwise.
  Int32 Orientation() const { return fOrientation; }
  void SetOrientation(Int32 tenths);

  // The Qt font and its metrics (made on first use after each change); they
  // need the host's QApplication and raise EInvalidGraphicOperation without
  // it, as does every canvas operation on text.
  const QFont& QtFont() const;
  const QFontMetrics& Metrics() const;

 private:
  void Invalidate();

  String fName;
  Int32 fHeight = -12;
  Int32 fPixelsPerInch = 96;
  TFontStyles fStyle = 0;
  TColor fColor;
  TFontPitch fPitch = fpDefault;
  Int32 fOrientation = 0;
  mutable std::unique_ptr<QFont> fQtFont;
  mutable std::unique_ptr<QFontMetrics> fMetrics;
};

enum TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// How the pen (and a brush fill drawn with it) combines with what is there.
enum TPenMode : uint8_t {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor
};

class TPen : public TGraphicsObject {
 public:
  TColor Color() const { return fColor; }
  void SetColor(TColor c);
  Int32 Width() const { return fWidth; }
  void SetWidth(Int32 w);
  TPenStyle Style() const { return fStyle; }
  void SetStyle(TPenStyle s);
  TPenMode Mode() const { return fMode; }
  void SetMode(TPenMode m);
  void Assign(const TPen& source);

 private:
  TColor fColor = 0;
  Int32 fWidth = 1;
  TPenStyle fStyle = psSolid;
  TPenMode fMode = pmCopy;
};

enum TBrushStyle : uint8_t { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
 public:
  TColor Color() const { return fColor; }
  void SetColor(TColor c);
  TBrushStyle Style() const { return fStyle; }
  void SetStyle(TBrushStyle s);
  void Assign(const TBrush& source);

 private:
  TColor fColor = 0xFFFFFF;
  TBrushStyle fStyle = bsSolid;
};

// ---------------------------------------------------------------------------
// Raster operations of CopyRect (the copy mode) and text-drawing formats.

using TCopyMode = Cardinal;
inline constexpr TCopyMode cmBlackness = 0x00000042;
inline constexpr TCopyMode cmDstInvert = 0x00550009;
inline constexpr TCopyMode cmMergeCopy = 0x00C000CA;
inline constexpr TCopyMode cmMergePaint = 0x00BB0226;
inline constexpr TCopyMode cmNotSrcCopy = 0x00330008;
inline constexpr TCopyMode cmNotSrcErase = 0x001100A6;
inline constexpr TCopyMode cmPatCopy = 0x00F00021;
inline constexpr TCopyMode cmPatInvert = 0x005A0049;
inline constexpr TCopyMode cmPatPaint = 0x00FB0A09;
inline constexpr TCopyMode cmSrcAnd = 0x008800C6;
inline constexpr TCopyMode cmSrcCopy = 0x00CC0020;
inline constexpr TCopyMode cmSrcErase = 0x00440328;
inline constexpr TCopyMode cmSrcInvert = 0x00660046;
inline constexpr TCopyMode cmSrcPaint = 0x00EE0086;
inline constexpr TCopyMode cmWhiteness = 0x00FF0062;
inline constexpr TCopyMode SRCCOPY = cmSrcCopy;
inline constexpr TCopyMode SRCINVERT = cmSrcInvert;
inline constexpr TCopyMode SRCAND = cmSrcAnd;
inline constexpr TCopyMode SRCPAINT = cmSrcPaint;
inline constexpr TCopyMode NOTSRCCOPY = cmNotSrcCopy;
inline constexpr TCopyMode DSTINVERT = cmDstInvert;
inline constexpr TCopyMode BLACKNESS = cmBlackness;
inline constexpr TCopyMode WHITENESS = cmWhiteness;

// Text-drawing flags (DrawText and the formatted TextRect).
inline constexpr Cardinal DT_TOP = 0x00000000;
inline constexpr Cardinal DT_LEFT = 0x00000000;
inline constexpr Cardinal DT_CENTER = 0x00000001;
inline constexpr Cardinal DT_RIGHT = 0x00000002;
inline constexpr Cardinal DT_VCENTER = 0x00000004;
inline constexpr Cardinal DT_BOTTOM = 0x00000008;
inline constexpr Cardinal DT_WORDBREAK = 0x00000010;
inline constexpr Cardinal DT_SINGLELINE = 0x00000020;
inline constexpr Cardinal DT_EXPANDTABS = 0x00000040;
inline constexpr Cardinal DT_TABSTOP = 0x00000080;
inline constexpr Cardinal DT_NOCLIP = 0x00000100;
inline constexpr Cardinal DT_EXTERNALLEADING = 0x00000200;
inline constexpr Cardinal DT_CALCRECT = 0x00000400;
inline constexpr Cardinal DT_NOPREFIX = 0x00000800;
inline constexpr Cardinal DT_INTERNAL = 0x00001000;
inline constexpr Cardinal DT_EDITCONTROL = 0x00002000;
inline constexpr Cardinal DT_PATH_ELLIPSIS = 0x00004000;
inline constexpr Cardinal DT_END_ELLIPSIS = 0x00008000;
inline constexpr Cardinal DT_MODIFYSTRING = 0x00010000;
inline constexpr Cardinal DT_RTLREADING = 0x00020000;
inline constexpr Cardinal DT_WORD_ELLIPSIS = 0x00040000;
inline constexpr Cardinal DT_NOFULLWIDTHCHARBREAK = 0x00080000;
inline constexpr Cardinal DT_HIDEPREFIX = 0x00100000;
// The library's own: with DT_WORDBREAK, lines break also where the text's
// script allows (between the characters of Chinese and Japanese, between the
// words of Thai) and inside a run too long for a line (a path), so that no
// line is wider than the rectangle. Message and task dialogs wrap so.
inline constexpr Cardinal DT_BREAKWITHINWORDS = 0x10000000;

// The formats of TCanvas::TextRect: the same bits as DrawText's flags.
using TTextFormat = Cardinal;
inline constexpr TTextFormat tfBottom = DT_BOTTOM;
inline constexpr TTextFormat tfCalcRect = DT_CALCRECT;
inline constexpr TTextFormat tfCenter = DT_CENTER;
inline constexpr TTextFormat tfEditControl = DT_EDITCONTROL;
inline constexpr TTextFormat tfEndEllipsis = DT_END_ELLIPSIS;
inline constexpr TTextFormat tfPathEllipsis = DT_PATH_ELLIPSIS;
inline constexpr TTextFormat tfExpandTabs = DT_EXPANDTABS;
inline constexpr TTextFormat tfExternalLeading = DT_EXTERNALLEADING;
inline constexpr TTextFormat tfLeft = DT_LEFT;
inline constexpr TTextFormat tfModifyString = DT_MODIFYSTRING;
inline constexpr TTextFormat tfNoClip = DT_NOCLIP;
inline constexpr TTextFormat tfNoPrefix = DT_NOPREFIX;
inline constexpr TTextFormat tfRight = DT_RIGHT;
inline constexpr TTextFormat tfRtlReading = DT_RTLREADING;
inline constexpr TTextFormat tfSingleLine = DT_SINGLELINE;
inline constexpr TTextFormat tfTop = DT_TOP;
inline constexpr TTextFormat tfVerticalCenter = DT_VCENTER;
inline constexpr TTextFormat tfWordBreak = DT_WORDBREAK;
inline constexpr TTextFormat tfWordEllipsis = DT_WORD_ELLIPSIS;

// Where TextOut and ExtTextOut put the text against x: TA_LEFT starts it at x,
// TA_RIGHT ends it there (x is the text's right end).
inline constexpr Cardinal TA_LEFT = 0;
inline constexpr Cardinal TA_RIGHT = 2;

// Options of ExtTextOut and of the canvas's TextFlags: ETO_OPAQUE fills the
// rectangle with the brush, ETO_CLIPPED keeps the text inside it,
// ETO_RTLREADING lays the text out right to left.
inline constexpr Cardinal ETO_OPAQUE = 2;
inline constexpr Cardinal ETO_CLIPPED = 4;
inline constexpr Cardinal ETO_RTLREADING = 128;

// Background mode of text: OPAQUE fills the text's cell with the brush (unless
// the brush is clear), TRANSPARENT leaves what is under it.
inline constexpr Int32 TRANSPARENT = 1;
inline constexpr Int32 OPAQUE = 2;

class TGraphic;

// What a canvas draws on. The visual layer supplies two kinds (a bitmap's
// image and a control being painted); other layers may supply their own.
class TCanvasSurface {
 public:
  virtual ~TCanvasSurface() = default;
  // A painter that is active on the surface; nullptr when nothing can be drawn.
  virtual QPainter* Painter() = 0;
  // The surface's pixels when they can be read (any painter on them ended
  // first); nullptr otherwise.
  virtual QImage* Pixels() { return nullptr; }
  // The surface's extent in pixels.
  virtual TSize Extent() const = 0;
};

class TCanvas : public TObject {
 public:
  TCanvas();
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TFont& Font() { return fFont; }
  TPen& Pen() { return fPen; }
  TBrush& Brush() { return fBrush; }
  const TFont& Font() const { return fFont; }
  const TPen& Pen() const { return fPen; }
  const TBrush& Brush() const { return fBrush; }
  TPoint PenPos() const { return fPenPos; }
  void SetPenPos(TPoint p) { fPenPos = p; }
  TCopyMode CopyMode() const { return fCopyMode; }
  void SetCopyMode(TCopyMode mode) { fCopyMode = mode; }

  // Lines and shapes, in the pen (outline) and the brush (fill).
  void MoveTo(Int32 x, Int32 y);
  void LineTo(Int32 x, Int32 y);
  void Polyline(const std::vector<TPoint>& points);
  void Polygon(const std::vector<TPoint>& points);
  void Rectangle(Int32 x1, Int32 y1, Int32 x2, Int32 y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void RoundRect(Int32 x1, Int32 y1, Int32 x2, Int32 y2, Int32 cornerWidth, Int32 cornerHeight);
  void Ellipse(Int32 x1, Int32 y1, Int32 x2, Int32 y2);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  // The brush alone: the whole rectangle, or a one-pixel frame inside it.
  void FillRect(const TRect& r);
  void FrameRect(const TRect& r);
  // A dotted frame inside the rectangle, drawn by inverting what is there (so
  // drawing it twice restores the pixels).
  void DrawFocusRect(const TRect& r);
  TColor Pixel(Int32 x, Int32 y);
  void SetPixel(Int32 x, Int32 y, TColor c);

  // Text in the font. TextOut puts the text's top-left at (x, y), fills its
  // cell with the brush first unless the brush is clear, and moves PenPos to
  // the text's right end.
  void TextOut(Int32 x, Int32 y, const String& text);
  // TextOut clipped to r; r is filled with the brush first unless it is clear.
  void TextRect(const TRect& r, Int32 x, Int32 y, const String& text);
  // Text at (x, y) by the text alignment, the background mode and options
  // (ETO_...): clipped to rect with ETO_CLIPPED, rect filled first with
  // ETO_OPAQUE, laid out right to left with ETO_RTLREADING (so that a
  // right-to-left text is shaped and ordered with that base direction).
  // PenPos moves to the text's far end in the alignment's direction. A
  // caller that has measured the text (TextWidth) may pass its width, which
  // saves measuring it again.
  void ExtTextOut(Int32 x, Int32 y, Cardinal options, const TRect& rect, const String& text, Int32 width = -1);
  // The alignment TextOut and ExtTextOut follow (TA_LEFT or TA_RIGHT).
  Cardinal TextAlign() const { return fTextAlign; }
  void SetTextAlign(Cardinal align) { fTextAlign = align; }
  // Options TextOut adds (ETO_RTLREADING, ETO_CLIPPED to the clip region).
  Cardinal TextFlags() const { return fTextFlags; }
  void SetTextFlags(Cardinal flags) { fTextFlags = flags; }
  // OPAQUE (the start) or TRANSPARENT.
  Int32 BkMode() const { return fBkMode; }
  void SetBkMode(Int32 mode) { fBkMode = mode == TRANSPARENT ? TRANSPARENT : OPAQUE; }
  // DrawText into r with the format; with tfCalcRect r receives the text's
  // extent and nothing is drawn; with tfModifyString and an ellipsis format the
  // text receives the shortened text.
  void TextRect(TRect& r, String& text, TTextFormat format);
  TSize TextExtent(const String& text) const;
  Int32 TextWidth(const String& text) const;
  // The text's width when it is at most limit; otherwise a width above limit
  // and no more than the text's, taken from a head of a long text without
  // measuring the rest (a text wider than a cell costs what the cell shows).
  Int32 TextWidthUpTo(const String& text, Int32 limit) const;
  // The part of text whose characters may change width with their
  // neighbours in the canvas's font (ShapedSpan).
  TShapedSpan ShapedSpan(const String& text) const;
  // Widths as TextWidth gives them, for a fitter that measures many
  // candidates of one text in the canvas's present font: the runs of emoji,
  // flags or characters the font lacks are shaped once (TPieceWidths).
  TPieceWidths PieceWidths() const;
  Int32 TextHeight(const String& text) const;
  // Text drawn by the rules of flags (DT_...): lines broken at CR, LF and CR
  // LF, and at blanks with DT_WORDBREAK; end, path or word ellipsis; aligned
  // left, centred or right and top, centred or bottom (a single line only);
  // clipped to rect unless DT_NOCLIP. DT_CALCRECT draws nothing and sets
  // rect's Right and Bottom to the text's extent. The result is the text's
  // height.
  Int32 DrawText(const String& text, TRect& rect, Cardinal flags);

  // Pictures: a graphic at (x, y) in its own size, or stretched over a
  // rectangle; a region of another canvas copied with the copy mode.
  void Draw(Int32 x, Int32 y, const TGraphic& graphic);
  void StretchDraw(const TRect& r, const TGraphic& graphic);
  void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);

  // Clipping: every drawing operation is kept inside the clip region while
  // one is set. ClipRect is the region's bounding rectangle, or the whole
  // surface when no region is set.
  TRect ClipRect() const;
  bool HasClipRegion() const;
  void SetClipRect(const TRect& r);
  void IntersectClipRect(const TRect& r);
  void ExcludeClipRect(const TRect& r);
  void RemoveClipRegion();

  // True while the canvas has a surface that can be drawn on.
  bool CanDraw() const;
  // The surface's extent; 0 x 0 without one.
  TSize SurfaceExtent() const;
  // For the visual layer and the controls built on it.
  void SetSurface(TCanvasSurface* surface);
  TCanvasSurface* Surface() const { return fSurface; }
  // A painter set up with the pen, the brush (or none), the font, the clip and
  // the composition of the pen mode; nullptr when nothing can be drawn.
  QPainter* PreparedPainter(bool withPen, bool withBrush);

 private:
  struct ClipState;
  QPainter* BeginOp();
  // The text's cell filled (unless clear) and the text drawn with its left
  // end at x, in the direction the options give.
  void PaintText(QPainter* p, Int32 x, Int32 y, Int32 width, Cardinal options, const String& text);
  TSize SurfaceSize() const;

  TFont fFont;
  TPen fPen;
  TBrush fBrush;
  TPoint fPenPos;
  TCopyMode fCopyMode = cmSrcCopy;
  Cardinal fTextAlign = TA_LEFT;
  Cardinal fTextFlags = 0;
  Int32 fBkMode = OPAQUE;
  TCanvasSurface* fSurface = nullptr;
  std::unique_ptr<ClipState> fClip;
};

// ---------------------------------------------------------------------------
// Graphics: bitmaps and icons, and the picture that holds one.

class TGraphic : public TObject {
 public:
  TNotifyEvent OnChange;

  virtual Int32 Width() const = 0;
  virtual Int32 Height() const = 0;
  virtual bool Empty() const { return Width() <= 0 || Height() <= 0; }
  virtual bool Transparent() const { return fTransparent; }
  virtual void SetTransparent(bool t);
  // Draws the graphic over r of the canvas (stretched to r's size).
  virtual void Draw(TCanvas& canvas, const TRect& r) const = 0;
  // Files and streams; the format follows the file's extension (".png",
  // ".bmp", ".jpg", ".ico"...), streams hold the graphic's own format. Raise
  // EInvalidGraphic when the data cannot be read or written.
  virtual void LoadFromFile(const String& fileName) = 0;
  virtual void SaveToFile(const String& fileName) const = 0;
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) const = 0;
  virtual std::unique_ptr<TGraphic> Clone() const = 0;

 protected:
  void Changed();
  bool fTransparent = false;
};

enum TPixelFormat : uint8_t { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode : uint8_t { tmAuto, tmFixed };

// A bitmap on a QImage. New pixels are black. pf32bit keeps an alpha channel;
// every other format is opaque 32-bit RGB.
class TBitmap : public TGraphic {
 public:
  TBitmap();
  TBitmap(Int32 width, Int32 height);
  TBitmap(const TBitmap& other);
  TBitmap& operator=(const TBitmap& other);
  ~TBitmap() override;

  void Assign(const TBitmap& source);
  Int32 Width() const override;
  Int32 Height() const override;
  void SetWidth(Int32 w);
  void SetHeight(Int32 h);
  // Keeps the pixels that stay inside; new pixels are black.
  void SetSize(Int32 w, Int32 h);
  TPixelFormat PixelFormat() const { return fPixelFormat; }
  void SetPixelFormat(TPixelFormat f);
  // The colour drawn as transparent: the bottom-left pixel's colour in tmAuto
  // mode, the one set in tmFixed mode.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor c);
  TTransparentMode TransparentMode() const { return fTransparentMode; }
  void SetTransparentMode(TTransparentMode m) { fTransparentMode = m; }

  TCanvas& Canvas();

  void Draw(TCanvas& canvas, const TRect& r) const override;
  void LoadFromFile(const String& fileName) override;
  void SaveToFile(const String& fileName) const override;
  // Streams hold PNG.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) const override;
  std::unique_ptr<TGraphic> Clone() const override;

  // The pixels (any painting in progress is finished first).
  const QImage& Image() const;
  QImage& Image();
  void SetImage(const QImage& image);

 private:
  class TSurface;
  void Flush() const;
  QImage DrawableImage() const;

  std::unique_ptr<QImage> fImage;
  std::unique_ptr<TSurface> fSurface;
  std::unique_ptr<TCanvas> fCanvas;
  TPixelFormat fPixelFormat = pfDevice;
  TTransparentMode fTransparentMode = tmAuto;
  TColor fTransparentColor = 0;
};

// An icon: an image with an alpha channel, and the sizes of an icon file.
class TIcon : public TGraphic {
 public:
  TIcon();
  TIcon(const TIcon& other);
  TIcon& operator=(const TIcon& other);
  ~TIcon() override;

  Int32 Width() const override;
  Int32 Height() const override;
  void Draw(TCanvas& canvas, const TRect& r) const override;
  void LoadFromFile(const String& fileName) override;
  void SaveToFile(const String& fileName) const override;
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) const override;
  std::unique_ptr<TGraphic> Clone() const override;

  // The icon at a size (the nearest the icon holds, scaled); the icon's own
  // image for size 0.
  QImage ImageAt(Int32 size) const;
  const QIcon& QtIcon() const;
  void SetQtIcon(const QIcon& icon);

 private:
  std::unique_ptr<QIcon> fIcon;
};

// Holds one graphic of any kind.
class TPicture : public TObject {
 public:
  TPicture();
  ~TPicture() override;
  TNotifyEvent OnChange;

  // The graphic; nullptr when empty.
  TGraphic* Graphic() const { return fGraphic.get(); }
  // Holds a copy of the graphic (nullptr empties the picture).
  void SetGraphic(const TGraphic* graphic);
  // The picture's bitmap; an empty picture, or one holding another kind,
  // becomes an empty bitmap first.
  TBitmap& Bitmap();
  TIcon& Icon();
  Int32 Width() const { return fGraphic ? fGraphic->Width() : 0; }
  Int32 Height() const { return fGraphic ? fGraphic->Height() : 0; }
  void Assign(const TPicture& source);
  void LoadFromFile(const String& fileName);

 private:
  void Changed();
  std::unique_ptr<TGraphic> fGraphic;
};

// ---------------------------------------------------------------------------
// Measuring text for code below the visual layer: a procedure that fills any
// record with cx and cy members from the canvas's TextExtent and answers true
// (the canvas must outlive the procedure).
template <class TExtent>
std::function<bool(const String&, TExtent&)> TextMeasureProcOf(const TCanvas& canvas) {
  const TCanvas* c = &canvas;
  return [c](const String& s, TExtent& extent) {
    const TSize size = c->TextExtent(s);
    extent.cx = size.cx;
    extent.cy = size.cy;
    return true;
  };
}

}  // namespace sk
