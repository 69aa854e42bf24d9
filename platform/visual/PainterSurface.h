// A canvas surface over a painter that Qt hands out while a widget, a view's
// row or a button paints: the visual layer's owner-drawn controls give their
// canvas one of these for the length of a paint.
#pragma once

#include <QtGui/QPainter>

#include "platform/visual/Graphics.h"

namespace sk {

class TPainterSurface : public TCanvasSurface {
 public:
  TPainterSurface(QPainter* painter, TSize extent) : fPainter(painter), fExtent(extent) {}
  QPainter* Painter() override { return fPainter; }
  TSize Extent() const override { return fExtent; }

 private:
  QPainter* fPainter;
  TSize fExtent;
};

// Lends a canvas a surface while the scope lasts; the canvas has none after.
class TCanvasOnPainter {
 public:
  TCanvasOnPainter(TCanvas& canvas, QPainter* painter, TSize extent) : fCanvas(canvas), fSurface(painter, extent) {
    fCanvas.SetSurface(&fSurface);
  }
  ~TCanvasOnPainter() { fCanvas.SetSurface(nullptr); }
  TCanvasOnPainter(const TCanvasOnPainter&) = delete;
  TCanvasOnPainter& operator=(const TCanvasOnPainter&) = delete;

 private:
  TCanvas& fCanvas;
  TPainterSurface fSurface;
};

}  // namespace sk
