// Results lists: column totals with segments and labels, cumulative
// frequencies, categories, marked and selected rows, finding entries on
// sorted and unsorted lists, and the entries that match search words.
#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>

#include "AnalysisTestSupport.h"
#include "analysis/Base_search_itemsU.h"
#include "analysis/Maths_routines.h"
#include "analysis/Work_qm_base.h"
#include "core/My_string_functions_notation.h"
#include "core/Qm_specific_consts.h"

namespace sk {
namespace {

// An entry with a word (column 1), a group (column 2), a value (column 3) and
// a dispersion.
class TValueEntry : public TQMBaseListObject {
 public:
  TValueEntry(TQMSister* parent, TQMBaseHolder* holder) : TQMBaseListObject(parent, holder) {}
  String GetAWordAsString(Int32 column) override { return column == 1 ? word : column == 2 ? group : String(); }
  Double ColumnValue(Int32 column) override { return column == 3 ? value : 0.0; }
  Single MainWordDispersion() override { return dispersion; }
  std::vector<TStringTag> MainWordStringTagArr() override { return {TStringTag{word, String(), 0}}; }
  String word;
  String group;
  Double value = 0;
  Single dispersion = 0;
};

// A list of such entries with headings N, word, group (text) and value
// (numerical); it owns its entries. Data rows may be shifted for the grid.
class TValueList : public TQMSister {
 public:
  explicit TValueList(TQuillmarkList kind = lt_word_list)
      : TQMSister(nullptr, &NewQMBaseListObject<TValueEntry>, {}, {}, {}, {}, grid_none, kind, 0) {
    for (const char16_t* name : {u"N", u"Word", u"Group", u"Value"}) {
      TGrid_head h{};
      h.heading = name;
      h.numerical = String(name) == u"Value" ? 1 : 0;
      GridHeadings()->AddOne(h);
    }
    SetCompareWordsFunct([this](TObject* o) {
      return Compare2Strings(static_cast<TValueEntry*>(o)->word, base_compare_StringTag.wrd);
    });
  }
  ~TValueList() override { Clear(); }
  void RemoveAnEntry(Int32 index) override {
    TQMBaseListObject* e = (index >= 0 && index < Count()) ? At(index) : nullptr;
    TQMBaseDataClass::RemoveAnEntry(index);
    delete e;
  }
  TValueEntry* AddValue(const String& word, Double value, const String& group = String()) {
    auto* e = static_cast<TValueEntry*>(AddedABlankEntry(0));
    e->word = word;
    e->value = value;
    e->group = group;
    return e;
  }
  TValueEntry* Entry(Int32 i) const { return static_cast<TValueEntry*>(Get(i)); }
  TNumberDisplayAndSinglesRec NumericalData(Int32 column, Int32 dataRow, Int32 flagRow) override {
    if (column != 3) return TQMBaseDataClass::NumericalData(column, dataRow, flagRow);
    TNumberDisplayAndSinglesRec rec{};
    rec.computed_value = Entry(dataRow)->value;
    return rec;
  }
  Int32 ConvertedForFrequency(Int32 row, TGrid_alternatives gridKind) override {
    return row + shift + TQMBaseDataClass::ConvertedForFrequency(0, gridKind);
  }
  void ReportProgressPercent(Int32 percent) override { progress.push_back(percent); }
  Int32 shift = 0;
  std::vector<Int32> progress;
};

TGridColumnDataRec ValueData(TValueList& list) { return list.GridHeadings()->GetColumnData(3); }

TEST(Work_qm_baseTotals, NoSegmentsChangeNothingElse) {
  TValueList list;
  list.AddValue(u"a", 5);
  list.ColumnTotalRowsToShow = 3;
  list.fColumnTotalsComputed = true;
  list.ComputeColumnTotals(0, grid_none);
  EXPECT_FALSE(list.fColumnTotalsComputed);
  EXPECT_EQ(list.ColumnTotalRowsToShow, 3);
  EXPECT_EQ(ValueData(list).descriptives[gc_total], 0.0f);
}

TEST(Work_qm_baseTotals, TotalsWithSegments) {
  TValueList list;
  for (int i = 1; i <= 100; ++i) list.AddValue(u"w", i);
  list.ComputeColumnTotals(4, grid_none);
  EXPECT_TRUE(list.fColumnTotalsComputed);
  EXPECT_EQ(list.ColumnTotalRowsToShow, 9);
  EXPECT_EQ(list.TotalRowCount(grid_none), 109);
  const TGridColumnDataRec d = ValueData(list);
  EXPECT_FLOAT_EQ(d.descriptives[gc_total], 5050);
  EXPECT_FLOAT_EQ(d.descriptives[gc_max], 100);
  EXPECT_FLOAT_EQ(d.descriptives[gc_min], 1);
  EXPECT_FLOAT_EQ(d.descriptives[gc_mean], 50.5f);
  EXPECT_NEAR(d.descriptives[gc_sd], 29.0115, 1e-3);
  // Rows 0 to 24 are the first segment, 75 to 99 the fourth.
  EXPECT_NEAR(d.descriptives[gc_1], 325 * 100.0 / 5050, 1e-4);
  EXPECT_NEAR(d.descriptives[gc_4], 2200 * 100.0 / 5050, 1e-4);
  EXPECT_EQ(d.descriptives[gc_5], 0.0f);
  // The text column gets nothing.
  EXPECT_EQ(list.GridHeadings()->GetColumnData(1).descriptives[gc_total], 0.0f);
}

TEST(Work_qm_baseTotals, ValuesAreStoredAsComputed) {
  struct Case {
    std::vector<Double> values;
    Single total, max, min, mean, sd;
  } cases[] = {
      // All negative: the maximum is the largest value, not 0.
      {{-1, -2, -3}, -6, -1, -3, -2, 1},
      {{-2.353, -40.5}, -42.853f, -2.353f, -40.5f, -21.4265f, 26.974002f},
      {{7}, 7, 7, 7, 7, 0},
      // The no-value numbers stay out.
      {{10, -999999, 20, -999998}, 30, 20, 10, 15, static_cast<Single>(std::sqrt(50.0))},
      {{-999999}, 0, 0, 0, 0, 0},
      {{0, 0}, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    TValueList list;
    for (Double v : c.values) list.AddValue(u"w", v);
    list.ComputeColumnTotals(1, grid_none);
    const TGridColumnDataRec d = ValueData(list);
    EXPECT_FLOAT_EQ(d.descriptives[gc_total], c.total);
    EXPECT_FLOAT_EQ(d.descriptives[gc_max], c.max);
    EXPECT_FLOAT_EQ(d.descriptives[gc_min], c.min);
    EXPECT_FLOAT_EQ(d.descriptives[gc_mean], c.mean);
    EXPECT_NEAR(d.descriptives[gc_sd], c.sd, 1e-5);
  }
  // A total of 0 or less leaves the segment sums as they are.
  TValueList negative;
  for (Double v : {-1.0, -2.0, -3.0, -4.0}) negative.AddValue(u"w", v);
  negative.ComputeColumnTotals(2, grid_none);
  EXPECT_FLOAT_EQ(ValueData(negative).descriptives[gc_1], -3);
  EXPECT_FLOAT_EQ(ValueData(negative).descriptives[gc_2], -7);
  // More than twelve segments are twelve.
  negative.ComputeColumnTotals(40, grid_none);
  EXPECT_EQ(negative.ColumnTotalRowsToShow, 17);
}

TEST(Work_qm_baseTotals, TotalRowCells) {
  Qm_specific_consts_initialization();
  TValueList list;
  for (int i = 1; i <= 100; ++i) list.AddValue(u"w", i);
  list.ComputeColumnTotals(4, grid_none);
  struct Case {
    Int32 column, row;
    Tdrawgrid_data type;
    String text;
  } cases[] = {
      {0, 1, ddt_string, u"Total"}, {0, 5, ddt_string, u"Sd."},    {0, 6, ddt_string, u"1st 4th"},
      {0, -9, ddt_string, u"4th 4th"}, {3, 6, ddt_string, u"6.44%"}, {3, 9, ddt_string, u"43.56%"},
      {3, 1, ddt_number, u""},      {1, 1, ddt_string, u""},       {0, 10, ddt_string, u""},
      {0, 0, ddt_string, u""},      {7, 1, ddt_string, u""},
  };
  for (const Case& c : cases) {
    const TGrid_data_rec rec = list.GetColumnTotalDataForGrid(c.column, c.row);
    ASSERT_EQ(rec.cluster_tokens.size(), 1u);
    EXPECT_EQ(rec.data_type, c.type) << c.column << "," << c.row;
    EXPECT_EQ(rec.cluster_tokens[0].wrd, c.text) << c.column << "," << c.row;
  }
  const TGrid_data_rec total = list.GetColumnTotalDataForGrid(3, 1);
  EXPECT_DOUBLE_EQ(total.n_and_disp.computed_value, 5050);
  EXPECT_EQ(total.n_and_disp.number_freedom, ndf_raw_float_only);
  EXPECT_FLOAT_EQ(total.GridHeading.minimum, -99999.0f);
  EXPECT_GE(total.GridHeading.decimals, 1);
  EXPECT_EQ(total.GridHeading.heading, u"Value");
  Qm_specific_consts_Finalization();
}

TEST(Work_qm_baseTotals, CumulativeFrequencies) {
  TValueList list;
  for (Double v : {1.0, 2.0, 2.5, 3.5, -999999.0}) list.AddValue(u"w", v);
  EXPECT_EQ(list.GetCumulativeFreq(0, 3), -999999);  // no formula column yet
  list.ComputeCumulativeFreqs(3, true);
  EXPECT_EQ(list.ParseFormulaHandler->CumulativeFreqs, (std::vector<Int64>{1, 3, 5, 9, 9}));
  EXPECT_EQ(list.GetCumulativeFreq(3, 3), 9);
  for (Int32 row : {-1, 5, 1000}) EXPECT_EQ(list.GetCumulativeFreq(row, 3), -999999) << row;
  // Entries added: recomputed before the answer.
  list.AddValue(u"w", 10);
  EXPECT_EQ(list.GetCumulativeFreq(5, 3), 19);
  // The base number of a cell is 1 for every column but 0.
  list.ComputeCumulativeFreqs(2, false);
  EXPECT_EQ(list.GetCumulativeFreq(5, 2), 6);
  EXPECT_DOUBLE_EQ(list.NumericalData(0, 4, 7).computed_value, 7);
}

TEST(Work_qm_baseTotals, SumsOverTheEntries) {
  TValueList list;
  TValueEntry* head = list.AddValue(u"a", 2);
  list.AddValue(u"b", -999998);
  TValueEntry* joined = list.AddValue(u"c", 5);
  joined->dispersion = 0.5f;
  head->JoinFrom(joined);
  EXPECT_DOUBLE_EQ(list.TotalOfAllItems(3), 7);
  EXPECT_DOUBLE_EQ(list.GetMeanDipersionOfTotal(1.5, 0), 1.0);
  EXPECT_DOUBLE_EQ(list.GetMeanDipersionOfTotal(1.5, 1), 1.5);
  EXPECT_DOUBLE_EQ(list.GetMeanDipersionOfTotal(1.5, 99), 1.5);
}

TEST(Work_qm_baseTotals, RelativeEntropyOfTheFrequencies) {
  TTestList list;
  for (Int64 f : {5, 1, 5, 1}) list.AddWord(u"w", f);
  EXPECT_FLOAT_EQ(list.ComputeRelativeEntropyOfValues(4), static_cast<Single>(RelativeEntropy({5, 1, 5, 1})));
  // The two highest only.
  EXPECT_FLOAT_EQ(list.ComputeRelativeEntropyOfValues(2), static_cast<Single>(RelativeEntropy({5, 5})));
  EXPECT_FLOAT_EQ(list.ComputeRelativeEntropyOfValues(-3), static_cast<Single>(RelativeEntropy({})));
}

TEST(Work_qm_baseCategories, ClearingAndEmptySetColumns) {
  TValueList list;
  for (int i = 0; i < 4; ++i) list.AddValue(u"w", i);
  list.ClearACategory(0, 8);
  EXPECT_FALSE(list.Entry(0)->PrivateObjExists());  // nothing to clear, nothing made
  list.SetACategoryAndColour(1, TStringTrueColumnAndColourRec{8, 5, String()});
  list.SetACategoryString(2, 8, u"noun");
  EXPECT_TRUE(list.ListModified.Contains(mod_computation));
  EXPECT_TRUE(list.ListModified.Contains(mod_edited));
  EXPECT_TRUE(list.SetColumnIsEmptyInItem(0, true));
  EXPECT_TRUE(list.SetColumnIsEmptyInItem(1, false));
  EXPECT_FALSE(list.SetColumnIsEmptyInItem(1, true));
  EXPECT_FALSE(list.SetColumnIsEmptyInItem(2, false));
  EXPECT_EQ(list.EmptySetColumnCount(false), 3);
  EXPECT_EQ(list.EmptySetColumnCount(true), 2);
  list.ClearCategories(8);
  const TPrivateSetCols& cols = *list.Entry(1)->privateobj->annotations;
  EXPECT_EQ(cols.GetABackgroundColour(cols.IndexOfTrueColumn(8)), 0);
  EXPECT_TRUE(list.SetColumnIsEmptyInItem(2, false));
  EXPECT_FALSE(list.Entry(3)->PrivateObjExists());
  EXPECT_THROW(list.ClearACategory(9, 8), EAssertionFailed);

  list.SetMarcacao(0, marcado_boss);
  list.SetMarcacao(3, marcado_subordinate);
  list.ClearMarcacao();
  EXPECT_EQ(list.MarcacoesExistentes, 0);
  EXPECT_EQ(list.GetMarcacao(0), marcado_clear);
  EXPECT_FALSE(list.ClearColourCategoryColours());

  EXPECT_EQ(list.CheckedTrueColumnNumber(3), 3);
  EXPECT_EQ(list.CheckedTrueColumnNumber(0), 8);  // the word list's set column
}

TEST(Work_qm_baseCategories, ExportableRows) {
  TValueList list(lt_word_list);
  for (int i = 0; i < 3; ++i) list.AddValue(u"w", i);
  EXPECT_TRUE(list.IsAnExportableGridRow(2));  // no holder: every row
  TQMDummyBaseHolder holder;
  list.Patroa = &holder;
  holder.ExportRec.Export_Rows_specified = {0, 2};
  EXPECT_TRUE(list.IsAnExportableGridRow(2));
  EXPECT_FALSE(list.IsAnExportableGridRow(1));
  holder.ExportRec.settings.export_all_rows = true;
  EXPECT_TRUE(list.IsAnExportableGridRow(1));
  holder.ExportRec.settings.only_if_has_SET_col_data = true;
  list.SetACategoryString(1, 8, u"x");
  EXPECT_TRUE(list.IsAnExportableGridRow(0));
  EXPECT_FALSE(list.IsAnExportableGridRow(1));
  EXPECT_TRUE(list.IsAnExportableGridRow(2));
  EXPECT_FALSE(list.IsAnExportableGridRow(4));
  list.Patroa = nullptr;
}

// Chosen rows answer what a search of the holder's rows answers, over passes
// in order and asks out of order, while the rows are changed between passes
// (in place, grown, replaced, emptied, another holder) and resized within one.
TEST(Work_qm_baseCategories, ExportableRowsAsBySearching) {
  TValueList list(lt_word_list);
  for (int i = 0; i < 30; ++i) list.AddValue(u"w", i);
  TQMDummyBaseHolder holders[2];
  Cardinal seed = 3;
  auto dice = [&seed](Cardinal below) { return ((seed = seed * 1103515245u + 12345u) >> 16) % below; };
  std::vector<Integer>* rows = &holders[0].ExportRec.Export_Rows_specified;
  list.Patroa = &holders[0];
  for (int pass = 0; pass < 200; ++pass) {
    switch (dice(6)) {
      case 0:
        if (!rows->empty()) (*rows)[dice(static_cast<Cardinal>(rows->size()))] = static_cast<Integer>(dice(34)) - 2;
        break;
      case 1: rows->push_back(static_cast<Integer>(dice(34)) - 2); break;
      case 2: *rows = {static_cast<Integer>(dice(32)), static_cast<Integer>(dice(32))}; break;
      case 3: rows->clear(); break;
      case 4: {
        const int h = list.Patroa == &holders[0] ? 1 : 0;
        list.Patroa = &holders[h];
        rows = &holders[h].ExportRec.Export_Rows_specified;
        break;
      }
      default: break;
    }
    const bool inOrder = dice(3) != 0;
    // A pass begins at its lowest row, as an export does.
    for (Int32 k = 0, row = -2; k < 40; ++k) {
      if (k > 0) row = inOrder ? row + static_cast<Int32>(dice(3)) : static_cast<Int32>(dice(34)) - 2;
      if (dice(20) == 0) rows->push_back(row);  // within the pass, the number of rows changes
      const bool chosen = std::find(rows->begin(), rows->end(), row) != rows->end();
      ASSERT_EQ(list.IsAnExportableGridRow(row), chosen) << "pass " << pass << " row " << row;
    }
  }
  list.Patroa = nullptr;
}

TEST(Work_qm_baseSelection, MarkedAndSelectedRows) {
  TValueList list;
  for (int i = 0; i < 6; ++i) list.AddValue(u"w", i);
  list.SetMarcacao(1, marcado_subordinate);
  list.SetMarcacao(4, marcado_boss);
  list.SetMarcacao(5, marcado_subordinate);
  EXPECT_EQ(list.CopyOfMarkedDataRows()->GetACopyOfSelf()->Count(), 3);
  auto values = [](const T1LongintList& l) {
    std::vector<Int32> v;
    for (Int32 i = 0; i < l.Count(); ++i) v.push_back(l.GetAValue(i));
    return v;
  };
  // The head of the marks comes first, even below the others.
  EXPECT_EQ(values(*list.CopyOfMarkedDataRows()), (std::vector<Int32>{4, 1, 5}));
  list.shift = 10;
  EXPECT_EQ(values(*list.CopyOfMarkedGridRows()), (std::vector<Int32>{14, 11, 15}));
  TRect rect{0, 2, 3, 4};
  EXPECT_EQ(values(*list.CopyOfSelDataRows(rect, true)), (std::vector<Int32>{12, 13, 14}));
  EXPECT_EQ(values(*list.CopyOfSelDataRows(rect, false)), (std::vector<Int32>{2, 3, 4}));
  EXPECT_EQ(values(*list.CopyOfSelGridRows(rect)), (std::vector<Int32>{2, 3, 4}));
  list.shift = 0;

  list.SetDeleted(2, true);
  list.SetDeleted(3, true);
  EXPECT_EQ(list.CountSelectedItems(sf_deleted), list.fSelectedItems[sf_deleted]->Count());
  list.fSelectedItems[sf_deleted]->Clear();
  list.fSelectedItems[sf_deleted]->AddOne(0);
  EXPECT_EQ(list.CountSelectedItems(sf_deleted), 2);
  EXPECT_EQ(values(*list.fSelectedItems[sf_deleted]), (std::vector<Int32>{2, 3}));

  T1LongintList rows;
  rows.AddOne(0);
  rows.AddOne(7);
  EXPECT_EQ(list.CopiedMatchesToSetColumn(rows), 1);
  EXPECT_EQ(list.Entry(0)->GetCategory(8).s, u"w");
}

TEST(Work_qm_baseFinding, EmptyListsFindNothing) {
  TValueList list;
  list.linguistic_match_found = true;
  EXPECT_EQ(list.Find_WordStr(u"a"), -1);
  EXPECT_FALSE(list.linguistic_match_found);
  EXPECT_EQ(list.Find_WordStrNoHigherThan(TStringTag{u"a", u"", 0}, 5), -1);
  EXPECT_EQ(list.Find_PosWordStr(u"a", true, false, false, 0), -1);
}

TEST(Work_qm_baseFinding, SortedAndUnsortedLists) {
  const std::vector<String> words = {u"ant", u"bee", u"cat", u"dog", u"eel", u"fox", u"gnu"};
  TValueList list;
  for (const String& w : words) list.AddValue(w, 0);
  for (bool sorted : {true, false}) {
    list.QMSortSettings.saveable.sort_is_alph_ascending = sorted;
    for (size_t i = 0; i < words.size(); ++i) {
      EXPECT_EQ(list.Find_WordStr(words[i]), static_cast<Int32>(i)) << sorted;
      EXPECT_TRUE(list.linguistic_match_found);
      EXPECT_EQ(list.Find_WordStr(TStringTag{words[i], u"", 0}), static_cast<Int32>(i));
      EXPECT_EQ(list.Find_WordStr(StringTagToPcharTag(TStringTag{words[i], u"", 0})), static_cast<Int32>(i));
    }
    EXPECT_EQ(list.Find_WordStr(u"cow"), -1);
    EXPECT_FALSE(list.linguistic_match_found);
  }
  // On the sorted list the last place probed is kept.
  list.QMSortSettings.saveable.sort_is_alph_ascending = true;
  list.Find_WordStr(u"cow");
  EXPECT_TRUE(list.fnearest_word_num == 2 || list.fnearest_word_num == 3);
  // Never past the last entry, however high the limit.
  EXPECT_EQ(list.Find_WordStrNoHigherThan(TStringTag{u"gnu", u"", 0}, 1000), 6);
  EXPECT_EQ(list.Find_WordStrNoHigherThan(TStringTag{u"zebra", u"", 0}, 1000), -1);
  EXPECT_EQ(list.Find_WordStrNoHigherThan(TStringTag{u"fox", u"", 0}, 3), -1);
  EXPECT_EQ(list.Find_WordStrNoHigherThan(TStringTag{u"bee", u"", 0}, 3), 1);
  list.QMSortSettings.saveable.sort_is_alph_ascending = false;
  EXPECT_EQ(list.Find_WordStrNoHigherThan(TStringTag{u"gnu", u"", 0}, 1), 6);  // unsorted: the whole list
}

TEST(Work_qm_baseFinding, HalvingFindsEveryEntryOfLongLists) {
  for (int n = 1; n <= 70; ++n) {
    TValueList list;
    list.QMSortSettings.saveable.sort_is_alph_ascending = true;
    for (int i = 0; i < n; ++i) list.AddValue(String(1, static_cast<Char>(u'0' + i)), 0);
    for (int i = 0; i < n; ++i) ASSERT_EQ(list.Find_WordStr(String(1, static_cast<Char>(u'0' + i))), i) << n;
  }
}

TEST(Work_qm_baseFinding, PositionsEntriesAndPivotForms) {
  TValueList list;
  TValueEntry* a = list.AddValue(u"alpha", 0);
  list.AddValue(u"beta", 0);
  list.AddValue(u"alphabet", 0);
  EXPECT_EQ(list.Find_PosWordStr(u"alp", true, false, false, 0), 0);
  EXPECT_EQ(list.Find_PosWordStr(u"alp", true, false, false, 1), 2);
  EXPECT_EQ(list.Find_PosWordStr(u"alp", true, false, false, -5), 0);
  EXPECT_EQ(list.Find_an_Entry(a), a);
  TValueEntry outside(&list, nullptr);
  EXPECT_EQ(list.Find_an_Entry(&outside), nullptr);

  list.base_compare_StringTagArray = {TStringTag{u"x", u"<N>", 1}, TStringTag{u"y", u"", 0}};
  list.SetFindCompareTypeAndFunct(fi_StringTagArray, fi_string, nullptr);
  EXPECT_EQ(list.base_compare_StringTag.wrd, u"x");
  list.SetFindCompareTypeAndFunct(fi_StringTagArray, fi_PcharTagArray, nullptr);
  ASSERT_EQ(list.base_compare_PcharTagArray.size(), 2u);
  list.base_compare_StringTag = TStringTag{u"z", u"", 0};
  list.SetFindCompareTypeAndFunct(fi_StringTag, fi_StringTagArray, nullptr);
  ASSERT_EQ(list.base_compare_StringTagArray.size(), 1u);
  EXPECT_EQ(list.base_compare_StringTagArray[0].wrd, u"z");
  list.SetFindCompareTypeAndFunct(fi_PcharTagArray, fi_StringTagArray, nullptr);
  EXPECT_EQ(list.base_compare_StringTagArray.size(), 2u);
  EXPECT_EQ(list.Find_WordStr(u"beta"), -1);  // the comparer went with the last call
}

TEST(Work_qm_baseMatching, ItemsWhichMatch) {
  TValueList list;
  list.AddValue(u"cat", 0, u"x");
  list.AddValue(u"hotdog", 0, u"y");
  list.AddValue(u"catalogue", 0, u"x");
  list.AddValue(u"dog", 0, u"y");
  list.AddValue(u"Cat", 0, u"z");
  list.SetDeleted(4, true);
  auto values = [](const T1LongintList& l) {
    std::vector<Int32> v;
    for (Int32 i = 0; i < l.Count(); ++i) v.push_back(l.GetAValue(i));
    return v;
  };
  TBaseSearchItems none;
  EXPECT_EQ(list.ItemsWhichMatch(&none, LOCALE_USER_DEFAULT, 1, id_include_deleted)->Count(), 0);
  EXPECT_EQ(list.ItemsWhichMatch(nullptr, LOCALE_USER_DEFAULT, 1, id_include_deleted)->Count(), 0);
  TBaseSearchItems words(TIgnore_tag{}, LOCALE_USER_DEFAULT, true, se_searchword);
  words.AddSW(u"cat/*dog");
  EXPECT_EQ(values(*list.ItemsWhichMatch(&words, LOCALE_USER_DEFAULT, 1, id_exclude_deleted)),
            (std::vector<Int32>{0, 1, 3}));
  EXPECT_EQ(values(*list.ItemsWhichMatch(&words, LOCALE_USER_DEFAULT, 1, id_include_deleted)),
            (std::vector<Int32>{0, 1, 3, 4}));
  EXPECT_EQ(list.progress, (std::vector<Int32>{0, 0}));
  TBaseSearchItems exact(TIgnore_tag{}, LOCALE_USER_DEFAULT, true, se_searchword);
  exact.AddSW(u"==Cat==");
  EXPECT_EQ(values(*list.ItemsWhichMatch(&exact, LOCALE_USER_DEFAULT, 1, id_include_deleted)),
            (std::vector<Int32>{4}));
  // The breakdown leaves out one group (and does not look at deletion).
  EXPECT_EQ(values(*list.ItemsWhichMatchBreakdown(&words, LOCALE_USER_DEFAULT, 1, 2, u"y")),
            (std::vector<Int32>{0, 4}));
  EXPECT_TRUE(global_bufStr[wp_part].empty());
}

}  // namespace
}  // namespace sk
