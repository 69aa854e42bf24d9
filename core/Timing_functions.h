// Timing: waiting loops that keep yielding to the host.
#pragma once

#include "core/Basic_types.h"
// The unit's other theme: elapsed times, time-remaining texts and stopwatches.
#include "core/Timing_functions_timing.h"

namespace sk {

// ---------------------------------------------------------------------------
// Waiting loops. Each pass yields four times through MyYieldProcess; when no
// yield hook is installed a pass also sleeps a few milliseconds instead of
// spinning. Time is measured on a monotonic clock in whole seconds.

// Waits until flag is false or more than `seconds` whole seconds have passed.
// Returns true when it stopped because the time ran out; false at once,
// without yielding, when flag is already false. A negative `seconds` ends
// after one pass with true.
bool WaitTillUntrue(bool& flag, Int32 seconds);
// The same with a function in place of the flag; it is called at the start
// and after each pass. An empty function counts as false.
bool WaitTillUntrue(const TBoolFunct& flag, Int32 seconds);
// Yields until more than n whole seconds have passed (one pass for a negative n).
void WaitForNSeconds(Int32 n);

// ---------------------------------------------------------------------------
// Unit start and stop: no work (the start time is recorded only when a tool
// asks for it).
void Timing_functions_initialization();
void Timing_functions_Finalization();

}  // namespace sk
