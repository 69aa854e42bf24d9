#include "core/Qm_global_vars.h"

#include "core/UnitCounter.h"

namespace sk {

namespace {

constinit TUnitCounter Qm_global_vars_counter;

}  // namespace

void Qm_global_vars_initialization() {
  if (!Qm_global_vars_counter.Initialization()) return;
  Global_Stringlist = std::make_unique<TStringList>();
  for (auto& watch : Global_process_stopwatches) watch = TStopwatch{};
}

void Qm_global_vars_Finalization() {
  if (!Qm_global_vars_counter.Finalization()) return;
  Global_Stringlist.reset();
  String().swap(Global_TempMainFile.filename);
}

}  // namespace sk
