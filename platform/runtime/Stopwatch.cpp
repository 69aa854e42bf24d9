#include "platform/runtime/Stopwatch.h"

#include <time.h>

namespace sk {

Int64 TStopwatch::GetTimeStamp() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<Int64>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

TStopwatch TStopwatch::Create() { return TStopwatch(); }

TStopwatch TStopwatch::StartNew() {
  TStopwatch w;
  w.Start();
  return w;
}

void TStopwatch::Start() {
  if (!fRunning) {
    fStartTick = GetTimeStamp();
    fRunning = true;
  }
}

void TStopwatch::Stop() {
  if (fRunning) {
    const Int64 now = GetTimeStamp();
    if (now > fStartTick) fElapsed += now - fStartTick;
    fRunning = false;
  }
}

void TStopwatch::Reset() {
  fElapsed = 0;
  fStartTick = 0;
  fRunning = false;
}

void TStopwatch::Restart() {
  fElapsed = 0;
  fRunning = true;
  fStartTick = GetTimeStamp();
}

Int64 TStopwatch::ElapsedTicks() const {
  Int64 t = fElapsed;
  if (fRunning) {
    const Int64 now = GetTimeStamp();
    if (now > fStartTick) t += now - fStartTick;
  }
  return t;
}

Int64 TStopwatch::ElapsedMilliseconds() const { return ElapsedTicks() / 1000000; }

double TStopwatch::ElapsedSeconds() const {
  return static_cast<double>(ElapsedTicks()) / static_cast<double>(Frequency);
}

}  // namespace sk
