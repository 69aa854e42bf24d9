// Stopwatches, elapsed-time and time-remaining texts and a few time
// conversions.  Times are date-times (days); the start of a timed run is
// Global_StartTime, set by StartTiming.
#pragma once

#include <array>

#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Stopwatch.h"

namespace sk {

// A named stopwatch for timing one routine of a tool.
struct TStopWatchRec {
  TStopwatch stopwatch{};
  Int64 initial_Ticks = 0;
  String name;

  static TStopWatchRec Create(const String& aName);
  // The first time: reads Global_stopwatch's elapsed ticks into initial_Ticks
  // and restarts it; then starts this record's own stopwatch.
  void Start();
  void Stop();
};

using TRoutineStopwatchArr = std::array<TStopWatchRec, 21>;

enum timings : uint8_t {
  ComputeConcordance,
  Compute1Text,
  disk_load_parse,
  preprocessing,
  PosEx_searching,
  adding_to_Conclist,
  CopiedLineCollocPositions,
  ComputCollocates,
  ComputPlot,
  ComputPatterns,
  ComputClusters,
  ComputTimeline,
  word_count
};

// Declared for the tools; it has no operations of its own.
class TEnumConverter : public TObject {
 public:
  void* fValue = nullptr;
};

// Global_StartTime := now.
void StartTiming();
// now - Global_StartTime in days; restart calls StartTiming after the
// difference is taken.
TDateTime ElapsedTime(bool restart);
// Whole seconds between now and Global_StartTime.
Int64 SecondsSinceGlobalStartTime();
// Seconds from t to now, rounded, whole days included.
Int64 SecondsElapsedSince(TDateTime t);
// The time of day of t in seconds, rounded.
Int64 TodaysTimeInSeconds(TDateTime t);
// hours x 3,600 + minutes x 60 + seconds of t's time of day.
Int64 DateTimeToSeconds(TDateTime t);

// "~ %dh %dm to go", "~ %dm %ds to go", "~ %dm to go" or "~ %ds to go" for the
// time t still to go; the hours count whole days too.
String TimeRemainingMessage(TDateTime t);
// The time still to go, estimated from the time since StartTiming; empty
// while nothing can be estimated.
String EstimatedTimeRemainingMessage(Int64 done, Int64 total);
// The same once more than thresholdSeconds have passed, out of total - skipped.
String ComputedTimeRemaining(Int32 thresholdSeconds, Int64 handled, Int64 total, Int64 skipped);

// The last-write time of the running program's file, and that time as texts
// (date, date and time, "yyyy").
TDateTime Compilation_DateTime();
String Compilation_Date();
String Compilation_DateAndTime();
String Compilation_Year();

// words / the span in minutes; 0 for a span that is not above zero.
Single WordsPerMinute(TDateTime span, Int64 words);

namespace Timing_functions {
// ms / 86,400,000: a duration in milliseconds as days.
TDateTime MillisecondsToDateTime(Int64 ms);
}  // namespace Timing_functions
// No other unit exports the name: it is reachable unqualified too.
using Timing_functions::MillisecondsToDateTime;

}  // namespace sk
