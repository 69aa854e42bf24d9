// A splitter: a thin control aligned to a side of its parent beside another
// control aligned the same way; dragging it with the left button resizes
// that control, and the splitter moves with it.
#pragma once

#include "platform/visual/Controls.h"

namespace sk {

class TSplitter : public TGraphicControl {
 public:
  // 3 pixels wide, aligned to the left, minimum size 30, the horizontal-split
  // cursor.
  explicit TSplitter(TComponent* owner);
  ~TSplitter() override;

  // The smallest size the resized control, and the space left beyond the
  // splitter, may take.
  Int32 MinSize() const { return fMinSize; }
  void SetMinSize(Int32 v) { fMinSize = v < 1 ? 1 : v; }
  // The control the splitter resizes: the visible control on its parent that
  // touches it on its aligned side; nullptr when none does.
  TControl* ResizedControl() const;
  bool Dragging() const { return fDragging; }

  // Raised after each change of the resized control's size.
  TNotifyEvent OnMoved;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, Int32 x, Int32 y) override;
  void MouseMove(TShiftState shift, Int32 x, Int32 y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Int32 x, Int32 y) override;
  virtual void Moved();
  void Notification(TComponent* component, TOperation operation) override;

 private:
  bool Horizontal() const;
  void StopDragging();
  Int32 fMinSize = 30;
  bool fDragging = false;
  TControl* fControl = nullptr;
  TPoint fDownAt;
  Int32 fStartSize = 0;
  Int32 fMaxSize = 0;
};

}  // namespace sk
