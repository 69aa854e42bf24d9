// Metafiles: pictures kept as drawing commands rather than pixels. A
// metafile holds an SVG document; a TMetafileCanvas records what is drawn on
// it through Qt's SVG generator, so lines, shapes, text and bitmaps stay as
// they were drawn. The metafile is saved as an SVG file and put on the
// clipboard as "image/svg+xml".
#pragma once

#include <memory>

#include "platform/visual/Graphics.h"

namespace sk {

class TMetafile : public TGraphic {
 public:
  TMetafile();
  TMetafile(const TMetafile& other);
  TMetafile& operator=(const TMetafile& other);
  ~TMetafile() override;

  // The picture's size in pixels (at 96 dots per inch). Changing it keeps
  // what was recorded, which is then drawn over the new size.
  Int32 Width() const override { return fWidth; }
  Int32 Height() const override { return fHeight; }
  void SetWidth(Int32 w) { SetSize(w, fHeight); }
  void SetHeight(Int32 h) { SetSize(fWidth, h); }
  void SetSize(Int32 w, Int32 h);
  // True when nothing has been recorded or the size is 0.
  bool Empty() const override;
  // Forgets the drawing and the size.
  void Clear();

  // Plays the drawing over r of the canvas, scaled to r.
  void Draw(TCanvas& canvas, const TRect& r) const override;
  // SVG documents. Loading takes the document's size from its view box (or
  // its width and height); it raises EInvalidGraphic for data that is not a
  // readable SVG document, and saving an empty metafile raises it too.
  void LoadFromFile(const String& fileName) override;
  void SaveToFile(const String& fileName) const override;
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) const override;
  std::unique_ptr<TGraphic> Clone() const override;

  // The SVG document; empty when nothing has been recorded.
  const TBytes& SvgData() const { return fSvg; }
  // Puts the document on the clipboard as "image/svg+xml"; false when the
  // metafile is empty or there is no clipboard.
  bool CopyToClipboard() const;
  // The picture rendered at its size on white, as PNG bytes; empty when the
  // metafile is empty or there is no application.
  TBytes RenderedPng() const;

 private:
  friend class TMetafileCanvas;
  void SetRecording(TBytes svg);
  void LoadFromBytes(TBytes bytes);

  Int32 fWidth = 0;
  Int32 fHeight = 0;
  TBytes fSvg;
};

// A canvas whose drawing is recorded into a metafile. The recording covers
// the metafile's size as it is when the canvas is made, and replaces the
// metafile's drawing when the canvas is freed. Text needs the host's
// QApplication, as on every canvas.
class TMetafileCanvas : public TCanvas {
 public:
  explicit TMetafileCanvas(TMetafile& metafile);
  // The same, with the document's creator (its title) and description.
  TMetafileCanvas(TMetafile& metafile, const String& creator, const String& description);
  ~TMetafileCanvas() override;

 private:
  class TRecorder;
  TMetafile& fMetafile;
  std::unique_ptr<TRecorder> fRecorder;
};

}  // namespace sk
