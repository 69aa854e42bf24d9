#include "services/File_utils.h"

#include "core/UnitCounter.h"

namespace sk {

SK_COUNTER_ONLY_UNIT(File_utils)

}  // namespace sk
