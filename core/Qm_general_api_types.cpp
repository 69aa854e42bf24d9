#include "core/Qm_general_api_types.h"

#include "core/Sets.h"
#include "core/UnitCounter.h"

namespace sk {

// Every ..._Count constant is the number of enumerators of its enumeration.
static_assert(EnumerationHasCount<TAPIRelationshipStats, TAPIRelationshipStats_Count>());

SK_COUNTER_ONLY_UNIT(Qm_general_api_types)

}  // namespace sk
