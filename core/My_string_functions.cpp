#include "core/My_string_functions.h"

#include "core/UnitCounter.h"

namespace sk {

SK_COUNTER_ONLY_UNIT(My_string_functions)

}  // namespace sk
