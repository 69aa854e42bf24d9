#include "analysis/Work_qm_base.h"

#include "core/UnitCounter.h"

namespace sk {

SK_COUNTER_ONLY_UNIT(Work_qm_base)

}  // namespace sk
