#include "core/Lcid_consts.h"

#include "core/UnitCounter.h"

namespace sk {

SK_COUNTER_ONLY_UNIT(Lcid_consts)

}  // namespace sk
