// Test helpers for the core layer's tests; the helpers every test program
// shares are in TestSupport.h.
#pragma once

#include "TestSupport.h"
#include "core/Global_vars.h"

namespace sk {

// Installs a yield hook that counts its calls while it lives.
class YieldCounter {
 public:
  YieldCounter() {
    Global_YieldProcessProc = [this] { ++calls; };
  }
  ~YieldCounter() { Global_YieldProcessProc = nullptr; }
  YieldCounter(const YieldCounter&) = delete;
  YieldCounter& operator=(const YieldCounter&) = delete;
  int calls = 0;
};

}  // namespace sk
