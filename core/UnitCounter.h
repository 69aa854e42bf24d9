// The start and stop rule that every unit of the library follows.
//
// Each unit owns one counter, initially 0. Its initialisation routine counts
// down and does the unit's start work only when the counter has just gone from
// 0 to -1; its finalisation routine counts up and does the stop work only when
// the counter has just come back to 0. So the start work runs once per process
// whoever calls first (the library's Initialize or a tool), and the stop work
// runs at the last matching finalisation.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

class TUnitCounter {
 public:
  constexpr TUnitCounter() = default;

  // Counts one initialisation; true when the unit's start work is due now.
  bool Initialization() { return --fCount == -1; }
  // Counts one finalisation; true when the unit's stop work is due now.
  bool Finalization() { return ++fCount == 0; }
  Int32 Count() const { return fCount; }

 private:
  Int32 fCount = 0;
};

}  // namespace sk

// Defines <Unit>_initialization() and <Unit>_Finalization() for a unit whose
// only start and stop work is moving its counter. Use inside namespace sk.
#define SK_COUNTER_ONLY_UNIT(Unit)                              \
  namespace {                                                   \
  constinit ::sk::TUnitCounter Unit##_counter;                  \
  }                                                             \
  void Unit##_initialization() { Unit##_counter.Initialization(); } \
  void Unit##_Finalization() { Unit##_counter.Finalization(); }
