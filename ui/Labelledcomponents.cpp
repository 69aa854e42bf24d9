#include "ui/Labelledcomponents.h"

#include "core/UnitCounter.h"

namespace sk {

SK_COUNTER_ONLY_UNIT(Labelledcomponents)

}  // namespace sk
