#include "core/Comparing_types.h"

#include "core/Global_vars.h"
#include "core/UnitCounter.h"
#include "platform/runtime/Strings.h"

namespace sk {

SK_COUNTER_ONLY_UNIT(Comparing_types)

Int32 ComparedArraysDifferentLengths(Int32 a, Int32 b) { return a > b ? 1 : -1; }

bool StringTagMatches(const TStringTag& a, const TStringTag& b, bool allowLoneAsterisk) {
  const bool matched = SameText(a.wrd, b.wrd) && a.tag == b.tag;
  if (matched || !allowLoneAsterisk) return matched;
  return b.wrd == u"*" || a.wrd == u"*";
}

bool SameYMDDatesForBatchMode(const TYearMonthDay& a, const TYearMonthDay& b) {
  switch (Global_batch_mode) {
    case bm_year_batchfile:
      return a.year == b.year;
    case bm_month_batchfile:
      return a.year == b.year && a.month == b.month;
    default:
      return false;
  }
}

}  // namespace sk
