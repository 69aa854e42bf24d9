// Cell records, entry details and the not-applicable and decimal rules of
// number cells.
#include <gtest/gtest.h>

#include "AnalysisTestSupport.h"
#include "analysis/Work_qm_base.h"
#include "core/Generalruntime2const.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/StringList.h"

namespace sk {
namespace {

TGrid_head Head(const String& text, bool numerical, Int32 original, Int32 width = 60) {
  TGrid_head h{};
  h.heading = text;
  h.numerical = numerical;
  h.original_column = static_cast<SmallInt>(original);
  h.pixel_width96 = static_cast<SmallInt>(width);
  return h;
}

// A list whose entry cells are: column 1 the word, column 2 the frequency
// with the heading's decimals, column 3 a date (none).
class TCellList : public TTestList {
 public:
  TCellList() {
    GridHeadings()->AddOne(Head(u"N", true, 0));
    GridHeadings()->AddOne(Head(u"Word", false, 1));
    GridHeadings()->AddOne(Head(u"Freq.", true, 2));
    GridHeadings()->AddOne(Head(u"Date", false, 3));
  }
  TGrid_data_rec DrawgridDataRec(Int32 column, Int32 gridRow, TGrid_alternatives gridKind) override {
    TGrid_data_rec rec = TQMBaseDataClass::DrawgridDataRec(column, gridRow, gridKind);
    if (gridRow > 0 && rec.TrueColumn > 0 && InRange(rec.DataRow)) {
      if (rec.TrueColumn == 1) rec.cluster_tokens[0].wrd = Entry(rec.DataRow)->word;
      if (rec.TrueColumn == 2) rec.n_and_disp.computed_value = static_cast<Double>(Entry(rec.DataRow)->freq);
      if (rec.TrueColumn == 3) rec.data_type = ddt_julian_date;
    }
    return rec;
  }
};

TEST(Work_qm_base_cells, TheTopLeftCellTheRowNumbersAndTheHeadings) {
  TCellList list;
  list.AddWord(u"cat", 3);
  TGrid_data_rec r = list.DrawgridDataRec(0, 0, grid_none);
  EXPECT_EQ(r.cluster_tokens.at(0).wrd, u"N");
  EXPECT_TRUE(r.DataOK);
  EXPECT_TRUE(r.IsEdgeData);
  EXPECT_EQ(r.data_type, ddt_string);
  EXPECT_EQ(r.GridHeading.alignment, aligned_right);
  EXPECT_EQ(r.cell_specific_colours[fb_foregound], clNone);

  r = list.DrawgridDataRec(0, 5, grid_none);
  EXPECT_EQ(r.n_and_disp.computed_value, 5.0);
  EXPECT_EQ(r.DataRow, 4);
  EXPECT_FALSE(r.DataOK);  // row 5 is beyond a list of one
  EXPECT_TRUE(list.DrawgridDataRec(0, 1, grid_none).DataOK);

  r = list.DrawgridDataRec(1, 0, grid_none);
  EXPECT_TRUE(r.DataOK);
  EXPECT_TRUE(r.IsMainWordColumn);
  ASSERT_EQ(r.cluster_tokens.size(), 1u);
  EXPECT_EQ(r.cluster_tokens[0].wrd, u"Word");
  EXPECT_EQ(list.DrawgridDataRec(2, 0, grid_none).data_type, ddt_string);  // a numerical heading cell is text
  EXPECT_EQ(list.DrawgridDataRec(2, 1, grid_none).data_type, ddt_number);
}

TEST(Work_qm_base_cells, ACellOfADeletedBookmarkedEntryCarriesBoth) {
  TCellList list;
  list.AddWord(u"cat", 3);
  list.AddWord(u"dog", 4);
  list.SetDeleted(1, true);
  list.SetABookmark(7, 1);
  const TGrid_data_rec r = list.DrawgridDataRec(1, 2, grid_none);
  EXPECT_TRUE(r.deleted);
  EXPECT_EQ(r.bookmark, 7);
  const TGrid_data_rec other = list.DrawgridDataRec(1, 1, grid_none);
  EXPECT_FALSE(other.deleted);
  EXPECT_EQ(other.bookmark, 0);
  const TGridDataArrayRec line = list.EntryDetailsAsGridDataRecs(2);
  EXPECT_TRUE(line.is_deleted_line);
  EXPECT_FALSE(line.is_lemma_variant_line);
}

TEST(Work_qm_base_cells, NoValueNumbersBecomeNotApplicableAndDecimalsFollowTheFreedom) {
  struct Case {
    Double value;
    TNumberDisplayFreedom freedom;
    Byte decimals;
    Tdrawgrid_data type;
    String text;
    Byte decimalsAfter;
  } cases[] = {
      {-999998, ndf_raw_float_only, 2, ddt_string, u"", 2},
      {-999999, ndf_raw_float_only, 2, ddt_string, LoadResString(&_QMNonApplicable), 2},
      {3, ndf_integer_only, 2, ddt_number, u"x", 0},
      {3.5, ndf_raw_float_only, 0, ddt_number, u"x", 1},
      {3.5, ndf_preference, 3, ddt_number, u"x", 3},
  };
  for (const Case& c : cases) {
    TGrid_data_rec r{};
    r.data_type = ddt_number;
    r.cluster_tokens = {TStringTag{u"x", String(), 0}};
    r.n_and_disp.computed_value = c.value;
    r.n_and_disp.number_freedom = c.freedom;
    r.GridHeading.decimals = c.decimals;
    CheckForDontShowConstAndDecimals(r);
    EXPECT_EQ(r.data_type, c.type) << c.value;
    EXPECT_EQ(r.cluster_tokens[0].wrd, c.text) << c.value;
    EXPECT_EQ(r.GridHeading.decimals, c.decimalsAfter) << c.value;
  }
}

TEST(Work_qm_base_cells, EntryDetailsAsStringShowsTheShownColumns) {
  TCellList list;
  list.AddWord(u"cat", 12346);
  const TFormatSettings saved = Global_StringToDateTimeFormat;
  Global_StringToDateTimeFormat.ThousandSeparator = u',';
  Global_StringToDateTimeFormat.DecimalSeparator = u'.';
  EXPECT_EQ(list.EntryDetailsAsString(1), u"N: 1\tWord: cat\tFreq.: 12,346\tDate: ??");
  TGrid_head freq = list.GridHeadings()->GetDatum(2);
  freq.decimals = 2;
  list.GridHeadings()->SetDatum(2, freq);
  TGrid_head word = list.GridHeadings()->GetDatum(1);
  word.pixel_width96 = 2;  // too narrow to show
  list.GridHeadings()->SetDatum(1, word);
  EXPECT_EQ(list.EntryDetailsAsString(1), u"N: 1\tFreq.: 12,346.00\tDate: ??");
  Global_StringToDateTimeFormat = saved;
}

TEST(Work_qm_base_cells, EntryDetailsAsGridDataRecsBeyondTheListIsEmpty) {
  TCellList list;
  list.AddWord(u"cat", 3);
  EXPECT_TRUE(list.EntryDetailsAsGridDataRecs(2).data_array.empty());
  TGrid_head word = list.GridHeadings()->GetDatum(1);
  word.escondido = 1;
  list.GridHeadings()->SetDatum(1, word);
  TGridDataArrayRec line = list.EntryDetailsAsGridDataRecs(1);
  ASSERT_EQ(line.data_array.size(), 4u);
  EXPECT_EQ(line.data_array[1].GridHeading.heading, u"Word");
  EXPECT_FALSE(line.data_array[1].DataOK);  // a hidden column keeps only its heading
  EXPECT_EQ(line.data_array[2].n_and_disp.computed_value, 3.0);
  line = list.EntryDetailsAsGridDataRecs(1, true);
  EXPECT_EQ(line.data_array[1].cluster_tokens.at(0).wrd, u"cat");
}

TEST(Work_qm_base_cells, FormatRelevantDataAsStringTurnsNumbersAndDatesIntoText) {
  TCellList list;
  TGrid_data_rec r{};
  r.data_type = ddt_number;
  r.n_and_disp.number_freedom = ndf_integer_only;
  r.n_and_disp.computed_value = 2.5;  // halves go to the even neighbour
  list.FormatRelevantDataAsString(r);
  EXPECT_EQ(r.data_type, ddt_string);
  ASSERT_EQ(r.cluster_tokens.size(), 1u);
  EXPECT_EQ(r.cluster_tokens[0].wrd, u"2");
  r = TGrid_data_rec{};
  r.data_type = ddt_julian_date;
  list.FormatRelevantDataAsString(r);
  EXPECT_EQ(r.cluster_tokens.at(0).wrd, u"??");
  EXPECT_EQ(r.data_type, ddt_string);
  r = TGrid_data_rec{};
  r.cluster_tokens = {TStringTag{u"keep", String(), 0}};
  list.FormatRelevantDataAsString(r);
  EXPECT_EQ(r.cluster_tokens[0].wrd, u"keep");
}

TEST(Work_qm_base_cells, SmallAnswersOfTheBase) {
  TCellList list;
  list.AddWord(u"cat", 3);
  EXPECT_TRUE(list.ColumnIsNumerical(2));
  EXPECT_FALSE(list.ColumnIsNumerical(1));
  EXPECT_FALSE(list.ColumnIsNumerical(99));
  EXPECT_FALSE(list.ColumnIsFloatingPoint(2));
  EXPECT_EQ(list.ConcCharactersToExport(), 100);
  EXPECT_EQ(list.GetOneCloudDatum(0).f, 0);
  EXPECT_EQ(list.SearchWordsAsStringlist()->Count(), 0);

  TStringListAndInteger s = list.SelectedStatsFilenames(0);
  ASSERT_EQ(s.list->Count(), 3);
  EXPECT_EQ(s.list->Strings(1), u"Row 1: cat");
  EXPECT_EQ(s.list->Strings(2), u"");
  EXPECT_EQ(s.n, 0);
  s = list.SelectedStatsFilenames(-1);
  EXPECT_EQ(s.list->Strings(1), u"line 1 to 1");

  const TQMEntryDetailsRec d = list.AnEntryDetails(0);
  EXPECT_EQ(d.main_freq, 3);
  ASSERT_EQ(d.main_word_arr.size(), 1u);
  EXPECT_EQ(d.main_word_arr[0].wrd, u"cat");

  std::vector<TPcharTag> p(1);
  p[0].wrd = u"w";
  p[0].tag = u"<t>";
  p[0].tagnum_2B = 2;
  const std::vector<TStringTag> copy = TQMBaseDataClass::CopyOfClusterTokens(p);
  ASSERT_EQ(copy.size(), 1u);
  EXPECT_EQ(copy[0].wrd, u"w");
  EXPECT_EQ(copy[0].tag, u"<t>");
  EXPECT_EQ(copy[0].tagnum_2B, 2);
}

}  // namespace
}  // namespace sk
