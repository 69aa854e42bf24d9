#include "core/Basic_processes.h"

#include <chrono>

#include "core/Global_vars.h"
#include "core/UnitCounter.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/Dialogs.h"
#include "platform/runtime/FileUtils.h"

namespace sk {

namespace {

// The text that describes a failed shell request; empty for success (32 and above).
String CheckExecText(UInt64 code, const String& name) {
  switch (code) {
    case 0:
    case 8:
      return u"Not enough memory to run " + name;
    case 2:
    case 3:
    case 5:
      return u"Can't access " + name;
    case 16:
      return name + u" already running";
    case 26:
      return u"Sharing problem: " + name;
    case 27:
    case 31:
      return u"Can't handle files ending \"" + ExtractFileExt(name) + u"\"";
    default:
      if (code < 32) return u"Can't communicate with " + name;
      return String();
  }
}

// Clock of the last yield of a TTimedYield (0: none yet). Only the thread
// that runs the tool's work yields, as the yield hook itself requires.
constinit Int64 gLastTimedYieldNs = 0;
constinit Int64 gTimedYieldIntervalNs = TTimedYield::kYieldIntervalNs;

Int64 MonotonicNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Check points are spaced to come about every 0.25 to 2 ms of the loop's work.
constexpr Int64 kCheckSoonestNs = 250'000;
constexpr Int64 kCheckLatestNs = 2'000'000;
constexpr Cardinal kMaxCheckInterval = 1u << 16;

}  // namespace

void TTimedYield::SetYieldInterval(Int64 nanoseconds) { gTimedYieldIntervalNs = nanoseconds < 0 ? 0 : nanoseconds; }

Int64 TTimedYield::YieldInterval() { return gTimedYieldIntervalNs; }

bool TTimedYield::Check() {
  fTicks += fInterval;
  const Int64 now = MonotonicNs();
  if (fLastCheckNs != 0) {
    const Int64 sinceCheck = now - fLastCheckNs;
    if (sinceCheck < kCheckSoonestNs && fInterval < kMaxCheckInterval)
      fInterval *= 2;
    else if (sinceCheck > kCheckLatestNs && fInterval > 1)
      fInterval /= 2;
  }
  fLastCheckNs = now;
  fCountdown = fInterval;
  const bool due = now - gLastTimedYieldNs >= gTimedYieldIntervalNs || (fYields == 0 && fTicks >= kLongLoopTicks);
  if (due) {
    ++fYields;
    MyYieldProcess();
    // The hook may have taken a while: the next interval starts after it.
    gLastTimedYieldNs = MonotonicNs();
    fLastCheckNs = gLastTimedYieldNs;
    if (global_panic_state != panic_no_panic) fStopped = true;
  }
  return fStopped;
}

void MyYieldProcess() {
  if (Global_YieldProcessProc) Global_YieldProcessProc();
}

void Yikes() {}

void Yikes(Int32 /*value*/) {}

TColourFontRec GetDefaultExtraFontRec() {
  // The style's window and window-text colours, which the visual layer reads
  // from the desktop theme (white and black until it does).
  TColourFontRec result;
  result.BrushColour = ColorToRGB(clWindow);
  result.FontColour = ColorToRGB(clWindowText);
  result.typeface = 0;
  return result;
}

UInt64 CheckExec(UInt64 code, const String& name) {
  if (code < 32) MessageBoxW(nullptr, CheckExecText(code, name), String(), MB_OK);
  return code;
}

SK_COUNTER_ONLY_UNIT(Basic_processes)

}  // namespace sk
