#include "core/Basic_unicode_chars.h"

#include "core/UnitCounter.h"

namespace sk {

SK_COUNTER_ONLY_UNIT(Basic_unicode_chars)

}  // namespace sk
