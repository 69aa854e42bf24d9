#include "analysis/Work_base_elements.h"

#include "core/UnitCounter.h"

namespace sk {

SK_COUNTER_ONLY_UNIT(Work_base_elements)

}  // namespace sk
