// The suite definitions: saved-file identity, shared definitions and
// conversions, and the text records and auxiliary files of the suite.
#pragma once

#include "services/Wdef_definitions.h"
#include "services/Wdef_hooks.h"
#include "services/Wdef_identity.h"
#include "services/Wdef_records.h"

namespace sk {

// Unit start: fills the typed constants from the message tables and sets
// Global_StringToDateTimeFormat to the user's format settings with "/" as the
// date separator, "yyyy/mm/dd", ":" as the time separator and "hh:nn:ss".
// Stop: notes the stop in the log when global_log_level is above 1 and
// empties the typed constants.
void Wdef_initialization();
void Wdef_Finalization();

}  // namespace sk
