#include "core/My_file_extensionsu.h"

#include "core/UnitCounter.h"

namespace sk {

SK_COUNTER_ONLY_UNIT(My_file_extensionsu)

}  // namespace sk
