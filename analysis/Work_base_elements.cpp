#include "analysis/Work_base_elements.h"

#include "core/UnitCounter.h"
#include "services/Wdef_records.h"

namespace sk {

void CheckForDontShowConstAndDecimals(TGrid_data_rec& rec) {
  if (rec.data_type != ddt_number) return;
  const Double v = rec.n_and_disp.computed_value;
  if (v == -999999.0 || v == -999998.0) {
    SetDataRecStringNonApplicable(rec);
    return;
  }
  if (rec.n_and_disp.number_freedom == ndf_integer_only)
    rec.GridHeading.decimals = 0;
  else if (rec.GridHeading.decimals == 0)
    rec.GridHeading.decimals = 1;
}

SK_COUNTER_ONLY_UNIT(Work_base_elements)

}  // namespace sk
