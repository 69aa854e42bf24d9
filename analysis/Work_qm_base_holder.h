// What the results-list classes do with the tool's data holder and the
// suite's definitions: the holder that stands in for a tool's.
#pragma once

#include "analysis/Work_qm_base_list.h"
#include "services/Qmbaseholderunit.h"

namespace sk {

// A holder with a list beside it (not owned); nothing else of its own.
class TQMDummyBaseHolder : public TQMBaseHolder {
 public:
  TQMDummyBaseHolder() = default;
  TQMBaseDataClass* DummyList = nullptr;
};

}  // namespace sk
