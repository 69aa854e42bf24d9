#include "core/Qm_specific_types.h"

#include "core/UnitCounter.h"

namespace sk {

SK_COUNTER_ONLY_UNIT(Qm_specific_types)

}  // namespace sk
