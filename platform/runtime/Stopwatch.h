// A value-type stopwatch on the monotonic clock.  All-zero is a valid stopped
// watch with nothing elapsed, so arrays of them may be zero-filled.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

class TStopwatch {
 public:
  // Ticks per second of ElapsedTicks and GetTimeStamp (nanoseconds).
  static constexpr Int64 Frequency = 1000000000;
  static constexpr bool IsHighResolution = true;

  static TStopwatch Create();
  static TStopwatch StartNew();
  // Current reading of the monotonic clock in ticks.
  static Int64 GetTimeStamp();

  void Start();
  void Stop();
  void Reset();
  void Restart();
  bool IsRunning() const { return fRunning; }
  Int64 ElapsedTicks() const;
  Int64 ElapsedMilliseconds() const;
  double ElapsedSeconds() const;

 private:
  Int64 fElapsed = 0;    // ticks accumulated while stopped
  Int64 fStartTick = 0;  // stamp of the last Start while running
  bool fRunning = false;
};

}  // namespace sk
