#include "core/Useful_classes_base.h"

#include "core/UnitCounter.h"

namespace sk {

SK_COUNTER_ONLY_UNIT(Useful_classes_base)

}  // namespace sk
