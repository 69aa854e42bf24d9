#include "core/My_file_extensionsu.h"

#include "core/Sets.h"
#include "core/UnitCounter.h"

namespace sk {

// Every ..._Count constant is the number of enumerators of its enumeration.
static_assert(EnumerationHasCount<TQM_Extensions, TQM_Extensions_Count>());

SK_COUNTER_ONLY_UNIT(My_file_extensionsu)

}  // namespace sk
