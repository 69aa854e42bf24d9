#include "core/Timing_functions_timing.h"

#include <cmath>

#include "core/Generalruntime2const.h"
#include "core/Global_vars.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/RtlMath.h"

namespace sk {

namespace {

// Longest time still to go that the texts are asked to show, in days; a
// larger estimate is shown as this many.
constexpr Double kLongestRemainingDays = 1000000.0;

// The time still to go: elapsed x (total / done) - elapsed, once more than
// thresholdSeconds have passed and something is done; 0 otherwise.
TDateTime EstimatedRemaining(Int32 thresholdSeconds, Int64 done, Int64 total) {
  const TDateTime elapsed = ElapsedTime(false);
  if (elapsed > thresholdSeconds / static_cast<Double>(SecsPerDay) && done >= 1)
    return elapsed * (static_cast<Double>(total) / static_cast<Double>(done)) - elapsed;
  return 0.0;
}

}  // namespace

// ---- stopwatches ----

TStopWatchRec TStopWatchRec::Create(const String& aName) {
  TStopWatchRec r;
  r.name = aName;
  r.initial_Ticks = 0;
  return r;
}

void TStopWatchRec::Start() {
  if (initial_Ticks == 0) {
    Global_stopwatch.Stop();
    initial_Ticks = Global_stopwatch.ElapsedTicks();
    Global_stopwatch.Restart();
  }
  stopwatch.Start();
}

void TStopWatchRec::Stop() { stopwatch.Stop(); }

// ---- elapsed time ----

void StartTiming() { Global_StartTime = Now(); }

TDateTime ElapsedTime(bool restart) {
  const TDateTime result = Now() - Global_StartTime;
  if (restart) StartTiming();
  return result;
}

Int64 SecondsSinceGlobalStartTime() { return SecondsBetween(Now(), Global_StartTime); }

Int64 SecondsElapsedSince(TDateTime t) { return Round((Now() - t) * SecsPerDay); }

Int64 TodaysTimeInSeconds(TDateTime t) { return Round(std::fabs(Frac(t)) * SecsPerDay); }

Int64 DateTimeToSeconds(TDateTime t) {
  // The time of day is read from the fraction alone, so that a date-time
  // outside the calendar's range (an elapsed time of many days, a stray value)
  // still gives its time of day instead of raising.  Milliseconds are rounded
  // as the calendar routines round them: a fraction that rounds to midnight
  // is the start of the next day.
  if (!std::isfinite(t)) return 0;
  const Int64 ms = static_cast<Int64>(std::llround(std::fabs(t - std::trunc(t)) * MSecsPerDay)) % MSecsPerDay;
  return ms / 1000;
}

namespace Timing_functions {
TDateTime MillisecondsToDateTime(Int64 ms) { return static_cast<Double>(ms) / MSecsPerDay; }
}  // namespace Timing_functions

// ---- time still to go ----

String TimeRemainingMessage(TDateTime t) {
  if (!(t > 0)) t = 0;
  t = Min(t, kLongestRemainingDays);
  const Int64 ms = Round(t * MSecsPerDay);
  const Int32 hours = static_cast<Int32>(ms / 3600000);
  const Int32 minutes = static_cast<Int32>((ms / 60000) % 60);
  const Int32 seconds = static_cast<Int32>((ms / 1000) % 60);
  if (hours > 0) return Format(LoadResString(&_QMAboutNHoursMinsToGo), {hours, minutes});
  if (minutes == 0) return Format(LoadResString(&_QMAboutNSecondsToGo), {seconds});
  if (minutes >= 2) return Format(LoadResString(&_QMAboutNMinsToGo), {minutes});
  return Format(LoadResString(&_QMAboutNMinsSecondsToGo), {minutes, seconds});
}

String EstimatedTimeRemainingMessage(Int64 done, Int64 total) {
  const TDateTime remaining = EstimatedRemaining(0, done, total);
  if (!(remaining > 0)) return String();
  return TimeRemainingMessage(remaining);
}

String ComputedTimeRemaining(Int32 thresholdSeconds, Int64 handled, Int64 total, Int64 skipped) {
  // More handled than there is to do gives a negative estimate: nothing to show.
  const TDateTime remaining = EstimatedRemaining(thresholdSeconds, handled, total - skipped);
  if (!(remaining > 0)) return String();
  return TimeRemainingMessage(remaining);
}

// ---- the program's own date ----

TDateTime Compilation_DateTime() {
  // The running program's own file.
  TDateTime result = 0.0;
  if (!FileAge(u"/proc/self/exe", result)) return 0.0;
  return result;
}

String Compilation_Date() { return DateToStr(Compilation_DateTime(), Global_StringToDateTimeFormat); }

String Compilation_DateAndTime() {
  return DateTimeToStr(Compilation_DateTime(), Global_StringToDateTimeFormat);
}

String Compilation_Year() {
  return FormatDateTime(u"yyyy", Compilation_DateTime(), Global_StringToDateTimeFormat);
}

Single WordsPerMinute(TDateTime span, Int64 words) {
  const Double minutes = span * MinsPerDay;
  if (!(minutes > 0)) return 0;
  return static_cast<Single>(static_cast<Double>(words) / minutes);
}

}  // namespace sk
