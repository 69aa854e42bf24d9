// The group box: a frame with a caption at its top around the controls
// placed on it. Its controls are placed in the box's own coordinates, from
// its top-left corner.
#pragma once

#include "platform/visual/Controls.h"

namespace sk {

class TCustomGroupBox : public TCustomControl {
 public:
  // A box of 185 x 105.
  explicit TCustomGroupBox(TComponent* owner);
  ~TCustomGroupBox() override;
  void SetText(const String& s) override;

 protected:
  // Qt draws the frame and the caption.
  bool PaintsItself() const override { return false; }
  bool FillsBackground() const override { return false; }
};

class TGroupBox : public TCustomGroupBox {
 public:
  explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}
};

}  // namespace sk
