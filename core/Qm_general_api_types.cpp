#include "core/Qm_general_api_types.h"

#include "core/UnitCounter.h"

namespace sk {

SK_COUNTER_ONLY_UNIT(Qm_general_api_types)

}  // namespace sk
