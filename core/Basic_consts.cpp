#include "core/Basic_consts.h"

#include "core/UnitCounter.h"

namespace sk {

SK_COUNTER_ONLY_UNIT(Basic_consts)

}  // namespace sk
