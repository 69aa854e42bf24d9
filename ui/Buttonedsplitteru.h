// A splitter with a clickable button drawn in its middle: a press on the
// button raises fOnButtonClick instead of starting a split.
#pragma once

#include "platform/runtime/RtlTypes.h"
#include "platform/visual/Splitters.h"

namespace sk {

class TButtonedSplitter : public TSplitter {
 public:
  explicit TButtonedSplitter(TComponent* owner);
  ~TButtonedSplitter() override;

  // The button: 7/8 of the client width and half its height, centred, in
  // the style's highlight colour outlined in its button shadow.
  const TRect& GetButtonRect() const { return ButtonRect; }
  void ComputeButtonRect();
  TColor PenColour() const { return fPenColour; }
  TColor BrushColour() const { return fBrushColour; }

  TNotifyEvent fOnButtonClick;

 protected:
  void Paint() override;
  void Resize() override;
  // Inside the button, its edges included, a press clicks the button.
  void MouseDown(TMouseButton button, TShiftState shift, Int32 x, Int32 y) override;
  void MouseMove(TShiftState shift, Int32 x, Int32 y) override;
  void Moved() override;

 private:
  bool OnButton(Int32 x, Int32 y) const;
  TColor fPenColour = 0;
  TColor fBrushColour = 0;
  TRect ButtonRect;
};

namespace Buttonedsplitteru {
// Registers the splitter for a form designer's "Samples" page; there is no
// designer, so it does nothing.
void Register();
}  // namespace Buttonedsplitteru

// Unit start and stop (the unit has no work of its own).
void Buttonedsplitteru_initialization();
void Buttonedsplitteru_Finalization();

}  // namespace sk
