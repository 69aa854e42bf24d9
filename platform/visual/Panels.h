// Panels: a container control that paints its colour, a bevel and its
// caption. TCustomPanel is the base of panels that paint themselves
// differently (override Paint); TPanel is the plain one a host places.
#pragma once

#include "platform/visual/Controls.h"

namespace sk {

enum TPanelBevel : uint8_t { bvNone, bvLowered, bvRaised };

class TCustomPanel : public TCustomControl {
 public:
  // 185 x 41, button-face colour, a raised outer bevel, the caption centred.
  explicit TCustomPanel(TComponent* owner);
  ~TCustomPanel() override;

  TPanelBevel BevelOuter() const { return fBevelOuter; }
  void SetBevelOuter(TPanelBevel b);
  TAlignment Alignment() const { return fAlignment; }
  void SetAlignment(TAlignment a);

 protected:
  // The colour over the client area, the bevel (one pixel of button
  // highlight and button shadow), then the caption, vertically centred.
  void Paint() override;

 private:
  TPanelBevel fBevelOuter = bvRaised;
  TAlignment fAlignment = taCenter;
};

class TPanel : public TCustomPanel {
 public:
  explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

}  // namespace sk
