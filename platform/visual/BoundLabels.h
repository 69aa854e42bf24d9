// The label that a labelled control carries: a label placed beside its
// buddy control (on the same parent), whose access key focuses the buddy.
#pragma once

#include "platform/visual/StandardControls.h"

namespace sk {

enum TLabelPosition : uint8_t { lpAbove, lpBelow, lpLeft, lpRight };

class TBoundLabel : public TLabel {
 public:
  explicit TBoundLabel(TComponent* owner);
  ~TBoundLabel() override;
  // The control the label belongs to (its focus control); nullptr once that
  // control is freed.
  TWinControl* Buddy() const { return FocusControl(); }
  void SetBuddy(TWinControl* buddy) { SetFocusControl(buddy); }
};

}  // namespace sk
