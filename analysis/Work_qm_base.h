// The results-list classes: entries and their private parts, the stored-list
// information, the undo stacks, the base list with its saved envelope, and the
// sister class that every tool's list derives from.
#pragma once

#include "analysis/Work_qm_base_entries.h"
#include "analysis/Work_qm_base_holder.h"
#include "analysis/Work_qm_base_list.h"
#include "analysis/Work_qm_base_messages.h"
#include "analysis/Work_qm_base_sister.h"
#include "analysis/Work_qm_base_storedinfo.h"
#include "analysis/Work_qm_base_undo.h"

namespace sk {

// Unit start and stop (the unit has no work of its own).
void Work_qm_base_initialization();
void Work_qm_base_Finalization();

}  // namespace sk
