// Message unit Generalruntime3const: the suite's third message table. It
// declares no entries of its own; it exists so that code and tools that name
// the unit find it, and it takes part in the unit start and stop rule like
// every other unit.
#pragma once

#include "platform/runtime/ResourceStrings.h"

namespace sk {

// Unit start and stop (the unit has no work of its own).
void Generalruntime3const_initialization();
void Generalruntime3const_Finalization();

}  // namespace sk
