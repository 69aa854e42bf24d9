// Small process helpers: the yield routine, the diagnostics hook, the default
// colours of plain text and the report of a shell request's result.
#pragma once

#include "core/Basic_types.h"

namespace sk {

// Calls the host's yield hook (Global_YieldProcessProc) when one is installed;
// otherwise returns at once. It never pumps messages itself.
void MyYieldProcess();

// Yielding by time for long loops. A loop makes one TTimedYield and calls
// Tick() once per character, item or pass. Tick is a countdown in the common
// case; at a check point it reads the monotonic clock and calls MyYieldProcess
// when about 20 ms have passed since the library last yielded, and also the
// first time a loop of many ticks (kLongLoopTicks) reaches a check point
// without having yielded, so that every long loop gives the host at least one
// chance to run. Check points adapt to the loop: a loop of cheap ticks reads
// the clock every few thousand ticks, a loop of costly passes every pass, so
// a Stop raised from the host's yield is seen within a few milliseconds of
// work after it was raised.
//
// Tick returns true when global_panic_state was found raised at a yield of
// this loop (the host raises it only from inside a yield); loops that stop
// on a Stop test it, the others ignore it.
class TTimedYield {
 public:
  // The usual time between yields, and the ticks after which a loop counts
  // as long.
  static constexpr Int64 kYieldIntervalNs = 20'000'000;
  static constexpr Cardinal kLongLoopTicks = 1024;
  // The time between yields in force (kYieldIntervalNs unless set). Tests of
  // what a host may do inside a yield set 0, so that every check point of a
  // loop yields.
  static void SetYieldInterval(Int64 nanoseconds);
  static Int64 YieldInterval();

  TTimedYield() = default;
  TTimedYield(const TTimedYield&) = delete;
  TTimedYield& operator=(const TTimedYield&) = delete;

  bool Tick() {
    if (--fCountdown != 0) return fStopped;
    return Check();
  }
  // n ticks at once (a run of n characters handled together).
  bool Tick(size_t n) {
    if (n < fCountdown) {
      fCountdown -= static_cast<Cardinal>(n);
      return fStopped;
    }
    return Check();
  }
  // Whether a yield of this loop found global_panic_state raised.
  bool Stopped() const { return fStopped; }
  // How many times this loop has yielded.
  Cardinal Yields() const { return fYields; }

 private:
  bool Check();

  Cardinal fCountdown = 16;  // ticks left to the next check point
  Cardinal fInterval = 16;   // ticks between check points
  UInt64 fTicks = 0;       // ticks up to the last check point
  Int64 fLastCheckNs = 0;  // clock at the last check point (0: none yet)
  Cardinal fYields = 0;
  bool fStopped = false;
};

// Called where an unexpected case was met; they do nothing and must not
// change behaviour there (a place to hang diagnostics).
void Yikes();
void Yikes(Int32 value);

// The default colours of plain text: the window background as brush, the
// window text as font colour, no font styles.
TColourFontRec GetDefaultExtraFontRec();

// Shows a message box (empty caption, OK only, no owner) describing the result
// `code` of a shell request to run or open `name`; codes of 32 and above mean
// success and show nothing. Returns code unchanged.
UInt64 CheckExec(UInt64 code, const String& name);

// Unit start and stop (the unit has no work of its own).
void Basic_processes_initialization();
void Basic_processes_Finalization();

}  // namespace sk
