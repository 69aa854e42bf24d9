// Grid cell text: values as text, cell records prepared for painting, and
// the grid options of the list kinds.
#include <gtest/gtest.h>

#include "display/Grid_utilities.h"

namespace sk {
namespace {

TGrid_data_rec Cell(Tdrawgrid_data type) {
  TGrid_data_rec r{};
  r.data_type = type;
  r.cluster_tokens = {TStringTag{u"Cat", String(), 0}, TStringTag{u"sat", String(), 0}};
  return r;
}

TEST(Grid_utilities, ValuesAsTextByDataType) {
  TGrid_data_rec r = Cell(ddt_string);
  EXPECT_EQ(GridDataValueAsString(r, TTimeLineDisplayBasis{}), u"Cat sat");
  r.cluster_tokens[1].tag = u"<V>";
  EXPECT_EQ(GridDataValueAsString(r, TTimeLineDisplayBasis{}), u"Cat <V>sat");  // tag, then word
  r = Cell(ddt_number);
  r.n_and_disp.number_freedom = ndf_raw_float_only;
  r.n_and_disp.computed_value = 2.5;
  r.GridHeading.decimals = 2;
  EXPECT_EQ(GridDataValueAsString(r, TTimeLineDisplayBasis{}), u"2.50");
  r = Cell(ddt_julian_date);
  EXPECT_EQ(GridDataValueAsString(r, TTimeLineDisplayBasis{}), u"??");
  EXPECT_EQ(GridDataValueAsString(Cell(ddt_plot), TTimeLineDisplayBasis{}), u"");
  EXPECT_EQ(GridDataValueAsString(Cell(ddt_dateplot), TTimeLineDisplayBasis{}), u"");
}

TEST(Grid_utilities, ReFormatItPreparesCellsInPlace) {
  // A date cell without a date becomes "??" and a text cell.
  TGrid_data_rec r = Cell(ddt_julian_date);
  ReFormatIt(r, TTimeLineDisplayBasis{}, 1, 3, 1, false);
  EXPECT_EQ(r.data_type, ddt_string);
  EXPECT_EQ(r.cluster_tokens[0].wrd, u"??");

  // Text keeps its case in the heading row and takes the column's case in
  // data rows.
  for (const Int32 row : {0, 1}) {
    r = Cell(ddt_string);
    r.GridHeading.allow_case_change = 1;
    r.GridHeading.output_case = upper_case_output;
    ReFormatIt(r, TTimeLineDisplayBasis{}, 1, row, 1, false);
    EXPECT_EQ(r.cluster_tokens[0].wrd, row == 0 ? u"Cat" : u"CAT");
  }

  // Plot and concordance headings are centred in the heading row only.
  for (const Int32 row : {0, 2}) {
    r = Cell(ddt_plot);
    r.GridHeading.alignment = aligned_conc;
    ReFormatIt(r, TTimeLineDisplayBasis{}, 1, row, 1, false);
    EXPECT_EQ(r.GridHeading.alignment, row == 0 ? aligned_centre : aligned_conc);
  }

  // A number goes into the first token, which is made when there is none.
  r = Cell(ddt_number);
  r.cluster_tokens.clear();
  r.n_and_disp.number_freedom = ndf_integer_only;
  r.n_and_disp.computed_value = 42;
  ReFormatIt(r, TTimeLineDisplayBasis{}, 1, 1, 1, false);
  ASSERT_EQ(r.cluster_tokens.size(), 1u);
  EXPECT_EQ(r.cluster_tokens[0].wrd, u"42");
  EXPECT_EQ(r.data_type, ddt_number);
  r.data_type = ddt_julian_date;
  r.cluster_tokens.clear();
  ReFormatIt(r, TTimeLineDisplayBasis{}, 1, 1, 1, false);
  ASSERT_EQ(r.cluster_tokens.size(), 1u);
}

TEST(Grid_utilities, OnlyLongTextListsLetRowsBeSized) {
  EXPECT_EQ(GridOptionsForListType(lt_word_list), 159u);
  EXPECT_EQ(GridOptionsForListType(lt_keyword_list), 159u);
  for (const TQuillmarkList k : {lt_concordance_list, lt_aligner_multiple_list, lt_plaintext_list,
                                 lt_aligner_single_list})
    EXPECT_EQ(GridOptionsForListType(k), 223u);
}

}  // namespace
}  // namespace sk
