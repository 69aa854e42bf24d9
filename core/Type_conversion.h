// Conversions between the suite's kinds: the tool that owns a kind of list.
#pragma once

#include "core/Qm_specific_types.h"

namespace sk {

// The tool that owns a kind of results list. Kinds not owned by one analysis
// tool belong to the shell; an undefined list and notes belong to whichever
// tool is running (global_current_tool).
tool_type ToolTypeFromListType(TQuillmarkList list);

// Unit start and stop (the unit has no work of its own).
void Type_conversion_initialization();
void Type_conversion_Finalization();

}  // namespace sk
