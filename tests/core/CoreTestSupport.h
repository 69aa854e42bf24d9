// Test helpers for the core layer's tests; the helpers every test program
// shares are in TestSupport.h.
#pragma once

#include <chrono>

#include "TestSupport.h"
#include "core/Basic_processes.h"
#include "core/Global_vars.h"

namespace sk {

// Installs a yield hook that counts its calls while it lives. Loops yield by
// time (TTimedYield): a long loop at least once, then about every 20 ms of
// work; AtMostByTime() is the most calls that rule allows for the time since
// the counter was made (with room for the clock's granularity).
class YieldCounter {
 public:
  YieldCounter() : fStart(std::chrono::steady_clock::now()) {
    Global_YieldProcessProc = [this] { ++calls; };
  }
  ~YieldCounter() { Global_YieldProcessProc = nullptr; }
  YieldCounter(const YieldCounter&) = delete;
  YieldCounter& operator=(const YieldCounter&) = delete;
  int AtMostByTime() const {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - fStart);
    return 2 + static_cast<int>(ms.count() / 15);
  }
  int calls = 0;

 private:
  std::chrono::steady_clock::time_point fStart;
};

// Makes every check point of a loop's TTimedYield yield while it lives, for
// tests of what a host may do inside a yield (a loop of n ticks then yields
// at least log2(n / 16) times).
class EveryCheckYields {
 public:
  EveryCheckYields() : fSaved(TTimedYield::YieldInterval()) { TTimedYield::SetYieldInterval(0); }
  ~EveryCheckYields() { TTimedYield::SetYieldInterval(fSaved); }
  EveryCheckYields(const EveryCheckYields&) = delete;
  EveryCheckYields& operator=(const EveryCheckYields&) = delete;

 private:
  Int64 fSaved;
};

// A text of n characters: words of four letters between single spaces, every
// tenth separator a comma.
inline String LongWordText(size_t n) {
  String t;
  t.reserve(n);
  for (size_t i = 0; t.size() < n; ++i) {
    t += u"word";
    t += (i % 10 == 9) ? u',' : u' ';
  }
  t.resize(n);
  return t;
}

}  // namespace sk
