// A button that marks itself with an "F" at its top-left corner, and a label
// class kept for shadowed text.
#pragma once

#include "platform/visual/StandardControls.h"

namespace sk {

// A push button drawn as usual, then the letter "F" at its top-left corner.
class TMyStatusButton : public TButton {
 public:
  explicit TMyStatusButton(TComponent* owner) : TButton(owner) {}
  ~TMyStatusButton() override { Destroying(); }

 protected:
  void PaintOverlay(TCanvas& canvas) override;
};

// A label that draws its text as a plain label does; its shadow is not drawn.
class TShadowLabel : public TLabel {
 public:
  explicit TShadowLabel(TComponent* owner) : TLabel(owner) {}
  ~TShadowLabel() override { Destroying(); }

 protected:
  void Paint() override;
  // Draws the text's shadow: nothing.
  virtual void DrawShadow(TCanvas& canvas) { (void)canvas; }
};

}  // namespace sk
