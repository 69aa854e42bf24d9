#include "platform/visual/BoundLabels.h"

namespace sk {

TBoundLabel::TBoundLabel(TComponent* owner) : TLabel(owner) {}

TBoundLabel::~TBoundLabel() { Destroying(); }

}  // namespace sk
