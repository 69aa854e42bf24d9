#include "core/Generalruntime3const.h"

#include "core/UnitCounter.h"

namespace sk {

SK_COUNTER_ONLY_UNIT(Generalruntime3const)

}  // namespace sk
