#include "display/Grid_utilities.h"

#include "core/Juliandateroutines.h"
#include "core/My_string_functions_notation.h"
#include "core/My_string_functions_numbers.h"
#include "core/My_string_functions_numbers_in_text.h"

#include "core/UnitCounter.h"

namespace sk {

SK_COUNTER_ONLY_UNIT(Grid_utilities)

namespace {

String DateText(Double textualDate, TTimeLineDisplayBasis basis) {
  return textualDate == 0 ? String(u"??") : JulianToStringRemovingConst(textualDate, basis, false);
}

// The first token, made when the record has none, so that a number or date
// always has somewhere to go.
TStringTag& FirstToken(TGrid_data_rec& rec) {
  if (rec.cluster_tokens.empty()) rec.cluster_tokens.emplace_back();
  return rec.cluster_tokens.front();
}

}  // namespace

String GridDataValueAsString(const TGrid_data_rec& rec, TTimeLineDisplayBasis basis) {
  switch (rec.data_type) {
    case ddt_string: return StringTagArrayToString(rec.cluster_tokens, u" ");
    case ddt_number: return FormattedWithDecimals(rec.n_and_disp, rec.GridHeading.decimals, false);
    case ddt_julian_date: return DateText(rec.textual_date, basis);
    default: return String();
  }
}

void ReFormatIt(TGrid_data_rec& rec, TTimeLineDisplayBasis basis, Int32 column, Int32 row, Int32 firstDataRow,
                bool flag) {
  (void)column;
  if (row == 0 &&
      (rec.GridHeading.alignment == aligned_plotting || rec.GridHeading.alignment == aligned_conc))
    rec.GridHeading.alignment = aligned_centre;
  switch (rec.data_type) {
    case ddt_string:
      if (row >= firstDataRow && rec.GridHeading.allow_case_change)
        OutputConvertStringTagArray(rec.GridHeading.output_case, rec.cluster_tokens);
      break;
    case ddt_number:
      FirstToken(rec).wrd = NumberDisplayAndSinglesRecToStr(rec.n_and_disp, rec.GridHeading.minimum,
                                                             rec.GridHeading.decimals, flag);
      break;
    case ddt_julian_date:
      rec.data_type = ddt_string;
      FirstToken(rec).wrd = DateText(rec.textual_date, basis);
      break;
    default: break;
  }
}

TGridOptionsBits GridOptionsForListType(TQuillmarkList kind) {
  // Fixed and plain lines both ways, range selection and column sizing.
  TGridOptionsBits bits = (1u << 0) | (1u << 1) | (1u << 2) | (1u << 3) | (1u << 4) | (1u << 7);
  if (kind == lt_concordance_list || kind == lt_aligner_multiple_list || kind == lt_plaintext_list ||
      kind == lt_aligner_single_list)
    bits |= 1u << 6;
  return bits;
}

}  // namespace sk
