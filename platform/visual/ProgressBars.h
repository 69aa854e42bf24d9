// A progress bar: a framed bar filled from the left in the highlight colour
// in proportion to its position between Min and Max.
#pragma once

#include "platform/visual/Controls.h"

namespace sk {

class TProgressBar : public TCustomControl {
 public:
  // 150 x 17, range 0 to 100, position 0, step 10.
  explicit TProgressBar(TComponent* owner);
  ~TProgressBar() override;

  Int32 Min() const { return fMin; }
  Int32 Max() const { return fMax; }
  Int32 Position() const { return fPosition; }
  // Min above Max is raised to Max, and the other way round; the position is
  // kept inside the range.
  void SetMin(Int32 v);
  void SetMax(Int32 v);
  void SetRange(Int32 lo, Int32 hi);
  void SetPosition(Int32 v);
  Int32 Step() const { return fStep; }
  void SetStep(Int32 s) { fStep = s; }
  // The position moved by Step, or by n, and kept inside the range.
  void StepIt();
  void StepBy(Int32 n);

  // The filled part of the client area (empty at Min or for an empty range).
  TRect FilledRect() const;

 protected:
  void Paint() override;

 private:
  Int32 fMin = 0;
  Int32 fMax = 100;
  Int32 fPosition = 0;
  Int32 fStep = 10;
};

}  // namespace sk
