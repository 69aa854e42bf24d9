// An image list: pictures of one size kept together, each with a mask of the
// pixels it leaves untouched when drawn.
#pragma once

#include <memory>

#include "platform/visual/Controls.h"

namespace sk {

enum TColorDepth : uint8_t { cdDeviceDependent, cd4Bit, cd8Bit, cd16Bit, cd24Bit, cd32Bit };
enum TDrawingStyle : uint8_t { dsFocus, dsSelected, dsNormal, dsTransparent };

class TImageList : public TComponent {
 public:
  // Images of 16 x 16 pixels.
  explicit TImageList(TComponent* owner);
  TImageList(TComponent* owner, Int32 width, Int32 height);
  ~TImageList() override;

  Int32 Width() const { return fWidth; }
  Int32 Height() const { return fHeight; }
  // Changing the size empties the list.
  void SetSize(Int32 width, Int32 height);
  void SetWidth(Int32 w) { SetSize(w, fHeight); }
  void SetHeight(Int32 h) { SetSize(fWidth, h); }
  Int32 Count() const;
  TColorDepth ColorDepth() const { return fColorDepth; }
  void SetColorDepth(TColorDepth d) { fColorDepth = d; }
  bool Masked() const { return fMasked; }
  void SetMasked(bool m) { fMasked = m; }
  TColor BkColor() const { return fBkColor; }
  void SetBkColor(TColor c) { fBkColor = c; }
  TDrawingStyle DrawingStyle() const { return fDrawingStyle; }
  void SetDrawingStyle(TDrawingStyle s) { fDrawingStyle = s; }

  // Adds the image (a strip as wide as several images adds each of them) with
  // a mask whose white pixels are left untouched when drawn (nullptr: none).
  // Answers the index of the first image added; -1 for an empty image.
  Int32 Add(const TBitmap& image, const TBitmap* mask);
  // The same, with the pixels of maskColor left untouched (clDefault: the
  // colour of the image's bottom-left pixel).
  Int32 AddMasked(const TBitmap& image, TColor maskColor);
  Int32 AddIcon(const TIcon& icon);
  // Raises EListError for an index outside the list.
  void Delete(Int32 index);
  void Clear();

  // Draws image index with its top-left corner at (x, y); a disabled image is
  // drawn greyed. Nothing for an index outside the list.
  void Draw(TCanvas& canvas, Int32 x, Int32 y, Int32 index, bool enabled = true) const;
  // The image (untouched pixels in the background colour, or black); false
  // for an index outside the list.
  bool GetBitmap(Int32 index, TBitmap& out) const;

  TNotifyEvent OnChange;

 private:
  struct TImages;
  void Changed();
  Int32 AddImage(const TBitmap& image, const TBitmap* mask, bool byColour, TColor maskColor);

  Int32 fWidth = 16;
  Int32 fHeight = 16;
  TColorDepth fColorDepth = cdDeviceDependent;
  bool fMasked = true;
  TColor fBkColor = clNone;
  TDrawingStyle fDrawingStyle = dsNormal;
  std::unique_ptr<TImages> fImages;
};

}  // namespace sk
