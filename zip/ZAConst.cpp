#include "zip/ZAConst.h"

#include "core/UnitCounter.h"

namespace sk {

namespace {
constinit TUnitCounter ZAConst_counter;
}  // namespace

void ZAConst_initialization() { ZAConst_counter.Initialization(); }

void ZAConst_Finalization() {
  if (ZAConst_counter.Finalization()) internalCurrentVersionText.clear();
}

}  // namespace sk
