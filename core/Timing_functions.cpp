#include "core/Timing_functions.h"

#include <chrono>
#include <thread>

#include "core/Basic_processes.h"
#include "core/Global_vars.h"
#include "core/UnitCounter.h"

namespace sk {

// ---------------------------------------------------------------------------
// Waiting loops

namespace {

using WaitClock = std::chrono::steady_clock;

// How long a pass sleeps when no yield hook is installed, so that a wait does
// not keep a processor core busy.
constexpr std::chrono::milliseconds kIdlePassSleep{5};

// One pass of a waiting loop: four yields, then a short sleep when nothing
// can take the time.
void WaitingPass() {
  for (int i = 0; i < 4; ++i) MyYieldProcess();
  if (!Global_YieldProcessProc) std::this_thread::sleep_for(kIdlePassSleep);
}

// Whole seconds since start.
Int64 WholeSecondsSince(WaitClock::time_point start) {
  return std::chrono::duration_cast<std::chrono::seconds>(WaitClock::now() - start).count();
}

template <class StillTrue>
bool WaitWhile(StillTrue stillTrue, Int32 seconds) {
  if (!stillTrue()) return false;
  const auto start = WaitClock::now();
  bool timedOut = false;
  do {
    WaitingPass();
    timedOut = WholeSecondsSince(start) > seconds;
  } while (stillTrue() && !timedOut);
  return timedOut;
}

}  // namespace

bool WaitTillUntrue(bool& flag, Int32 seconds) {
  return WaitWhile([&flag] { return flag; }, seconds);
}

bool WaitTillUntrue(const TBoolFunct& flag, Int32 seconds) {
  return WaitWhile([&flag] { return flag && flag(); }, seconds);
}

void WaitForNSeconds(Int32 n) {
  const auto start = WaitClock::now();
  Int64 elapsed = 0;
  do {
    WaitingPass();
    elapsed = WholeSecondsSince(start);
  } while (!(elapsed > n || n < 0));
}

// ---------------------------------------------------------------------------
// Unit start and stop

SK_COUNTER_ONLY_UNIT(Timing_functions)

}  // namespace sk
