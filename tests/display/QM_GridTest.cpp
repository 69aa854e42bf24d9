// The results grid: every host-command code against a recording host,
// dropped re-entrant commands, positions with column-total rows, advancing
// with wraps, the concordance shift's bounds, heading clicks and sorting,
// keys through Qt's test events, column widths, and a virtual paint that
// asks a million-entry list for as many cells as a thousand-entry one.
#include <gtest/gtest.h>

#include <QtCore/QCoreApplication>
#include <QtGui/QMouseEvent>
#include <QtTest/QTest>
#include <QtWidgets/QAbstractScrollArea>
#include <map>
#include <string>

#include "ResultsGridTestSupport.h"

namespace sk {
namespace {

// Assigns every event of the host table and records which fired, with the
// integer arguments they got.
struct Recorder {
  std::vector<std::string> fired;
  std::vector<Int32> args;
  void Note(const char* name, std::initializer_list<Int32> a = {}) {
    fired.emplace_back(name);
    args.insert(args.end(), a.begin(), a.end());
  }
  void Attach(TQM_Grid& g) {
#define NOTIFY(f) g.f = [this](TQM_Grid*) { Note(#f); };
    NOTIFY(fOnGetStarted) NOTIFY(fOnPrint) NOTIFY(fOnPrintPreview) NOTIFY(fOnZap)
    NOTIFY(fOnSearchAndReplaceFilenames) NOTIFY(fOnSearchAndReplace) NOTIFY(fOnRandomReduce) NOTIFY(fOnEditCell)
    NOTIFY(fOnLemmas) NOTIFY(fOnColumnLayout) NOTIFY(fOnAutoHeightText) NOTIFY(fOnRefresh) NOTIFY(fOnCollocates)
    NOTIFY(fOnStatistics) NOTIFY(fOnBreakdowns) NOTIFY(fOnShowFilenames) NOTIFY(fOnPlot) NOTIFY(fonComputeLinks)
    NOTIFY(fOnClusters) NOTIFY(fOnClumps) NOTIFY(fOnAssociates) NOTIFY(fOnJoinClusters)
    NOTIFY(fonComputeConcordance) NOTIFY(fOnComputeRelationships) NOTIFY(fOnClearSetColumn)
    NOTIFY(fOnPlotDisplayChange) NOTIFY(fonComputeTimeline) NOTIFY(fOnLoadAKeyWordList)
    NOTIFY(fOnDeleteStoplistItems) NOTIFY(fOnMergeWith) NOTIFY(fOnDeleteIf) NOTIFY(fOnRemoveDuplicates)
    NOTIFY(fOnPlayMedia) NOTIFY(fOnAutoJoin) NOTIFY(fOnFindUnusual) NOTIFY(fOnHighLightCollocate)
    NOTIFY(fOnHighLightCluster) NOTIFY(fOnMergeMarkedItems) NOTIFY(fOnComputeConcgrams)
    NOTIFY(fOnRecomputeTokens) NOTIFY(fOnRecomputeFilenames) NOTIFY(fOnChangeLanguageNow)
    NOTIFY(fonComputeWordCloud) NOTIFY(fOnSaveLemmasAsLemmaFile) NOTIFY(fonColourCategorise)
    NOTIFY(fOnFreezeColumns) NOTIFY(fOnReverseDelete) NOTIFY(fOnCheckLemmasForConsistency)
#undef NOTIFY
    g.fOnSave = [this](TObject*, bool&) { Note("fOnSave"); };
    g.fOnSaveDlg = [this](TObject*, bool&) { Note("fOnSaveDlg"); };
    g.fOnRequestSaveAs = [this](TQM_Grid*, TSave_as_format f) {
      Note("fOnRequestSaveAs", {f});
      return true;
    };
    g.fOnFindFiles = [this](TQM_Grid*, const TGridRect&, bool& handled) {
      Note("fOnFindFiles", {handled ? 1 : 0});
    };
    g.fOnMatch = [this](TQM_Grid*, Int32 t) { Note("fOnMatch", {t}); };
    g.FOnSort = [this](TQM_Grid*, Int32 a, Int32 b, Int32 t, bool h) { Note("FOnSort", {a, b, t, h ? 1 : 0}); };
    g.FOnDeleteOrRestoreRow = [this](TQM_Grid*, bool p) { Note("FOnDeleteOrRestoreRow", {p ? 1 : 0}); };
    g.FOnDeleteOrRestoreToEnd = [this](TQM_Grid*, Int32 r, bool p) {
      Note("FOnDeleteOrRestoreToEnd", {r, p ? 1 : 0});
    };
    g.fOnMarkOrUnmark = [this](TQM_Grid*, Int32 r, bool p) { Note("fOnMarkOrUnmark", {r, p ? 1 : 0}); };
    g.fOnJoinOrUnjoin = [this](TQM_Grid*, Int32 s, Int32 d, bool p, bool all) {
      Note("fOnJoinOrUnjoin", {s, d, p ? 1 : 0, all ? 1 : 0});
    };
    g.FonSaveToClipboard = [this](TQM_Grid*, TQMClipboardSettings&) { Note("FonSaveToClipboard"); };
    g.fOnGrowOrShrink = [this](TQM_Grid*, const TGridRect&, bool grow) { Note("fOnGrowOrShrink", {grow ? 1 : 0}); };
    g.fOnSourceTexts = [this](TQM_Grid*, const TGridRect&) { Note("fOnSourceTexts"); };
    g.fOnPatterns = [this](TQM_Grid*, Int32 r) { Note("fOnPatterns", {r}); };
    g.fOnNewColumnCreating = [this](TQM_Grid*, const String& h, TQMColumnType t, TDeleteOrKeep k, Int32 c) {
      EXPECT_EQ(h, u"Set");
      Note("fOnNewColumnCreating", {t, k, c});
      return TStringAndIntegerRec{};
    };
    g.fOnShowSameFilenameTextFiles = [this](TQM_Grid*, Int32 c, Int32 r) {
      Note("fOnShowSameFilenameTextFiles", {c, r});
      return TStatusOKAndAnswer{};
    };
    g.fOnRedoOrUndo = [this](TQM_Grid*, bool p) { Note("fOnRedoOrUndo", {p ? 1 : 0}); };
    g.FOnComputeColumnTotals = [this](TQM_Grid*) {
      Note("FOnComputeColumnTotals");
      return true;
    };
    g.fOnModifySourceTexts = [this](TQM_Grid*, Int32 t) { Note("fOnModifySourceTexts", {t}); };
    g.fOnSearchTextOrFindGeneral = [this](TQM_Grid*, Int32 a, Int32 b, Int32 t) {
      Note("fOnSearchTextOrFindGeneral", {a, b, t});
    };
    g.fOnSetKeypressMode = [this](TQM_Grid*, TKeyPressMode m) { Note("fOnSetKeypressMode", {m}); };
    g.fOnEditSetColumn = [this](TQM_Grid*, const String& s) { Note("fOnEditSetColumn", {Int32(s.size())}); };
    g.fOnComputeRelativeEntropy = [this](TQM_Grid*, Int32 c) { Note("fOnComputeRelativeEntropy", {c}); };
    g.fOnPassTagToForm = [this](TQM_Grid*, Int32 t) { Note("fOnPassTagToForm", {t}); };
    g.fOnGetDefaultGridHeaders = [this](TQM_Grid*) {
      Note("fOnGetDefaultGridHeaders");
      return std::vector<TGrid_head>{};
    };
    g.fOnGridHeadersChanged = [this](TQM_Grid*, std::vector<TGrid_head>) { Note("fOnGridHeadersChanged"); };
  }
};

void Command(TQM_Grid& g, Int32 code) {
  TMessage m{WM_QM_GRID_COMMAND, static_cast<UInt64>(static_cast<Int64>(code)), 0, 99};
  g.WndProc(m);
  EXPECT_EQ(m.Result, 0);
}

TEST(QM_Grid_commands, EveryCodeReachesItsEvent) {
  TGridFixture f(50);
  Recorder rec;
  rec.Attach(*f.grid);
  f.grid->FocusCell(2, 5);  // data row 4, column 2
  struct Case {
    Int32 code;
    std::vector<std::string> fired;
    std::vector<Int32> args;
  } cases[] = {
      {5000, {"fOnGetStarted"}, {}},
      {5001, {"fOnSave"}, {}},
      {5079, {"fOnSaveDlg", "fOnSave"}, {}},
      {5002, {"fOnRequestSaveAs"}, {as_txt}},
      {5024, {"fOnRequestSaveAs"}, {as_xml}},
      {5028, {"fOnRequestSaveAs"}, {as_Excel_spreadsheet}},
      {5147, {"fOnRequestSaveAs"}, {as_images}},
      {5184, {"fOnRequestSaveAs"}, {as_RTF}},
      {5004, {"fOnPrint"}, {}},
      {5005, {"fOnPrintPreview"}, {}},
      {5006, {"fOnFindFiles"}, {0}},
      {5007, {"fOnMatch"}, {7}},
      {5156, {"fOnMatch"}, {156}},
      {5157, {"fOnMatch"}, {157}},
      {5208, {"fOnMatch"}, {208}},
      {5209, {"fOnMatch"}, {209}},
      // One standard-layout number in both column parameters.
      {5010, {"FOnSort"}, {2, 2, 10, 0}},
      {5096, {"FOnSort"}, {2, 2, 96, 0}},
      {5097, {"FOnSort"}, {2, 2, 97, 0}},
      {5098, {"FOnSort"}, {2, 2, 98, 0}},
      {5099, {"FOnSort"}, {2, 2, 99, 0}},
      {5109, {"FOnSort"}, {2, 2, 109, 0}},
      {5118, {"FOnSort"}, {2, 2, 118, 0}},
      {5224, {"FOnSort"}, {2, 2, 224, 0}},
      {5011, {"fOnZap"}, {}},
      {5013, {"FOnDeleteOrRestoreToEnd"}, {4, 1}},
      {5015, {"FOnDeleteOrRestoreToEnd"}, {4, 0}},
      {5017, {"fOnSearchAndReplace"}, {}},
      {5018, {"fOnMarkOrUnmark"}, {4, 1}},
      {5167, {"fOnMarkOrUnmark"}, {4, 0}},
      {5019, {"fOnJoinOrUnjoin"}, {-1, 4, 1, 0}},
      {5020, {"fOnJoinOrUnjoin"}, {-1, 4, 0, 0}},
      {5047, {"fOnJoinOrUnjoin"}, {-1, 4, 0, 1}},
      {5021, {"fOnRandomReduce"}, {}},
      {5023, {"fOnEditCell"}, {}},
      {5025, {"fOnLemmas"}, {}},
      {5029, {"fOnColumnLayout"}, {}},
      {5030, {"fOnGrowOrShrink"}, {1}},
      {5031, {"fOnGrowOrShrink"}, {0}},
      {5032, {"fOnAutoHeightText"}, {}},
      {5033, {"fOnRefresh"}, {}},
      {5034, {"fOnCollocates"}, {}},
      {5035, {"fOnCollocates"}, {}},
      {5036, {"fOnStatistics"}, {}},
      {5037, {"fOnBreakdowns"}, {}},
      {5038, {"fOnShowFilenames"}, {}},
      {5039, {"fOnPlot"}, {}},
      {5040, {"fOnSourceTexts"}, {}},
      {5041, {"fonComputeLinks"}, {}},
      {5042, {"fOnClusters"}, {}},
      {5240, {"fOnClusters"}, {}},
      {5043, {"fOnClumps"}, {}},
      {5044, {"fOnPatterns"}, {4}},
      {5045, {"fOnAssociates"}, {}},
      {5048, {"fOnJoinClusters"}, {}},
      {5050, {"fonComputeConcordance"}, {}},
      {5052, {"fOnNewColumnCreating"}, {tnc_extra_set, td_keep, -1}},
      {5053, {"fOnComputeRelationships"}, {}},
      {5054, {"fOnClearSetColumn"}, {}},
      {5055, {"fOnPlotDisplayChange"}, {}},
      {5058, {"fonComputeTimeline"}, {}},
      {5070, {"fOnLoadAKeyWordList"}, {}},
      {5075, {"fOnShowSameFilenameTextFiles"}, {2, 4}},
      {5076, {"fOnDeleteStoplistItems"}, {}},
      {5078, {"fOnMergeWith"}, {}},
      {5082, {"fOnRedoOrUndo"}, {0}},
      {5083, {"fOnRedoOrUndo"}, {1}},
      {5085, {"fOnDeleteIf"}, {}},
      {5086, {"fOnRemoveDuplicates"}, {}},
      {5090, {}, {}},
      {5091, {}, {}},
      {5130, {}, {}},
      {5095, {"fOnPlayMedia"}, {}},
      {5104, {"fOnAutoJoin"}, {}},
      {5114, {"FOnComputeColumnTotals"}, {}},
      {5131, {"fOnFindUnusual"}, {}},
      {5141, {"fOnModifySourceTexts"}, {141}},
      {5142, {"fOnModifySourceTexts"}, {142}},
      {5143, {"fOnModifySourceTexts"}, {143}},
      {5150, {"fOnHighLightCollocate"}, {}},
      {5151, {"fOnHighLightCluster"}, {}},
      {5153, {"fOnMergeMarkedItems"}, {}},
      {5160, {"fOnComputeConcgrams"}, {}},
      {5162, {"fOnRecomputeTokens"}, {}},
      {5163, {"fOnRecomputeFilenames"}, {}},
      {5164, {"fOnChangeLanguageNow"}, {}},
      {5166, {"fOnGetDefaultGridHeaders", "fOnGridHeadersChanged"}, {}},
      // The data row in the first integer parameter, the column in the second.
      {5170, {"fOnSearchTextOrFindGeneral"}, {4, 2, 170}},
      {5176, {"fOnSetKeypressMode"}, {kp_typing_in}},
      {5177, {"fOnSetKeypressMode"}, {kp_setting_categories}},
      {5178, {"fOnSetKeypressMode"}, {kp_editing_data}},
      {5179, {"fonComputeWordCloud"}, {}},
      {5180, {"fOnEditSetColumn"}, {0}},
      {5193, {"fOnSaveLemmasAsLemmaFile"}, {}},
      {5194, {"fonColourCategorise"}, {}},
      {5195, {"fOnFreezeColumns"}, {}},
      {5198, {"fOnReverseDelete"}, {}},
      {5201, {"fOnCheckLemmasForConsistency"}, {}},
      {5210, {"fOnComputeRelativeEntropy"}, {2}},
      // Codes no row names come back with the code less 5000.
      {5003, {"fOnPassTagToForm"}, {3}},
      {5100, {"fOnPassTagToForm"}, {100}},
      {5241, {"fOnPassTagToForm"}, {241}},
      {4999, {"fOnPassTagToForm"}, {-1}},
      {0, {"fOnPassTagToForm"}, {-5000}},
  };
  // 5023 goes on to edit column 2, which cannot be edited: one message.
  PressingHook ok(u"OK");
  {
    ScopedModalHook scope(ok.Hook());
    for (const Case& c : cases) {
      rec.fired.clear();
      rec.args.clear();
      f.grid->FocusCell(2, 5);
      Command(*f.grid, c.code);
      EXPECT_EQ(rec.fired, c.fired) << c.code;
      EXPECT_EQ(rec.args, c.args) << c.code;
      EXPECT_FALSE(f.grid->fHandling_Message);
    }
  }
  EXPECT_EQ(ok.Shown(), 1);
  // Filename and statistics lists search and replace file names.
  rec.fired.clear();
  f.grid->fCurrentListType = lt_filename_list;
  Command(*f.grid, 5017);
  EXPECT_EQ(rec.fired, std::vector<std::string>{"fOnSearchAndReplaceFilenames"});
}

TEST(QM_Grid_commands, PostedCommandsArriveAndReentryIsDropped) {
  TGridFixture f(20);
  std::vector<Int32> tags;
  f.grid->fOnPassTagToForm = [&](TQM_Grid* g, Int32 t) {
    tags.push_back(t);
    // A command arriving while this one is handled is lost.
    if (t == 301) Command(*g, 5302);
  };
  ASSERT_TRUE(PostMessage(f.grid.get(), WM_QM_GRID_COMMAND, 5301, 0));
  QCoreApplication::processEvents();
  EXPECT_EQ(tags, std::vector<Int32>{301});
  Command(*f.grid, 5303);
  EXPECT_EQ(tags, (std::vector<Int32>{301, 303}));
}

TEST(QM_Grid_commands, UnassignedEventsAndFollowingSteps) {
  TGridFixture f(20);
  // 5055 toggles the uniform plot even without a host handler.
  EXPECT_FALSE(f.grid->Uniform_plot);
  Command(*f.grid, 5055);
  EXPECT_TRUE(f.grid->Uniform_plot);
  // 5012 on the last row fires and refreshes but does not move.
  int fired = 0;
  f.grid->FOnDeleteOrRestoreRow = [&](TQM_Grid*, bool) { ++fired; };
  const Int32 last = f.grid->RowCount() - 1;
  f.grid->FocusCell(1, last);
  Command(*f.grid, 5012);
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(f.grid->Row(), last);
  f.grid->FocusCell(1, 3);
  Command(*f.grid, 5012);
  EXPECT_EQ(f.grid->Row(), 4);
  // Help posts 1168 to the main form with the heading's help context.
  Command(*f.grid, 5103);
  // Grow and shrink the current row.
  const Int32 h = f.grid->RowHeights(4);
  Command(*f.grid, 5199);
  EXPECT_EQ(f.grid->RowHeights(4), std::min(f.grid->MaxRowHeight, 2 * h));
  Command(*f.grid, 5200);
  EXPECT_EQ(f.grid->RowHeights(4), std::max(f.grid->DefaultRowHeight(), h));
}

TEST(QM_Grid_positions, ColumnTotalRowsAreCountedEverywhere) {
  TGridFixture f(30);
  f.list->ColumnTotalRowsToShow = 2;
  f.grid->MatchRowCountToList();
  struct Case {
    Int32 gridRow, dataRow, rowNumber;
  } cases[] = {{0, -3, 0}, {1, -2, -1}, {2, -1, -2}, {3, 0, 1}, {10, 7, 8}};
  for (const Case& c : cases) {
    EXPECT_EQ(f.grid->GridRowToDataRowUNconverted(c.gridRow), c.dataRow) << c.gridRow;
    EXPECT_EQ(f.handler->GetRowNumber(c.gridRow), c.rowNumber) << c.gridRow;
    EXPECT_EQ(f.handler->IsHeadingOrHeaderRow(c.gridRow), c.rowNumber < 1);
  }
  EXPECT_EQ(f.grid->FirstEntryRow(), 3);
  EXPECT_FALSE(f.grid->ValidNonHeaderColAndRow(1, 2));
  EXPECT_TRUE(f.grid->ValidNonHeaderColAndRow(1, 3));
  // The entry's row lies below the totals.
  f.grid->RestoreCurrentPositions(f.list->Get(0));
  EXPECT_EQ(f.grid->Row(), 3);
  f.list->SetCurrentGridDataRow(0, true);
  f.grid->ShowTotalEntriesandSetRowAndColTo1();
  EXPECT_EQ(f.grid->Row(), 3);
  EXPECT_FALSE(f.grid->fShowingTotalEntries);
  // Painting the grid paints total rows from the column totals.
  f.list->fetched = 0;
  f.grid->Repaint();
  (void)Rendered(*f.grid);
  EXPECT_GT(f.list->fetched, 0);
}

TEST(QM_Grid_positions, TheSelectionIsGivenWhenNoEntryCarriesAMark) {
  TGridFixture f(30);
  f.grid->MatchRowCountToList();
  f.grid->SetSelection(TGridRect{1, 11, 2, 20});
  // A count left over from marks that are gone does not hide the selection.
  for (const Int32 stale : {0, 3}) {
    f.list->MarcacoesExistentes = stale;
    const TGridSelectedRowsRec r = f.grid->GetSelDataRowsAsList(false);
    EXPECT_FALSE(r.marked_rows) << stale;
    ASSERT_EQ(r.rows->Count(), 10) << stale;
    EXPECT_EQ(r.rows->GetAValue(0), 10) << stale;
  }
}

TEST(QM_Grid_positions, AdvanceRetreatWrapsAndShiftIsBounded) {
  TGridFixture f(1000);
  const Int32 last = f.grid->RowCount() - 1;
  struct Case {
    Int32 from, direction;
    bool small;
    Int32 to;
  } cases[] = {
      {1, 1, true, 1 + 1001 / 20},
      {last - 3, 1, true, 1},        // within one step of the end: the first entry row
      {last - 60, 1, true, last - 10},
      {3, -1, true, last},           // within one step of the start: the last row
      {500, -1, false, 490},
  };
  for (const Case& c : cases) {
    f.grid->SetRow(c.from);
    f.grid->AdvanceRetreat(c.direction, c.small);
    EXPECT_EQ(f.grid->Row(), c.to) << c.from;
  }
  for (const Int32 d : {30, 30, 30, -200, 7}) f.grid->MoveHorizontalConcDisplacement(d);
  EXPECT_EQ(f.grid->GetHorizontalConcDisplacement(), -43);
  f.grid->MoveHorizontalConcDisplacement(-100);
  EXPECT_EQ(f.grid->GetHorizontalConcDisplacement(), -50);
  f.grid->SetHorizontalConcDisplacement(999);
  EXPECT_EQ(f.grid->GetHorizontalConcDisplacement(), 999);
}

void MouseOn(TQM_Grid& g, QPoint at) {
  QWidget* vp = static_cast<QAbstractScrollArea*>(g.Widget())->viewport();
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), vp->mapToGlobal(QPointF(at)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(vp, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), vp->mapToGlobal(QPointF(at)), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(vp, &release);
}

TEST(QM_Grid_sorting, HeadingClicksSortOrOnlyReport) {
  TGridFixture f(10);
  std::vector<Int32> row0;
  f.grid->fOnRow0Click = [&](TQM_Grid*, Int32 c) {
    row0.push_back(c);
    return TStatusOKAndAnswer{};
  };
  f.list->true_current_sort_column = 7;
  const TRect head = f.grid->CellRect(2, 0);
  MouseOn(*f.grid, QPoint(head.Left + 5, head.Top + 3));
  EXPECT_EQ(row0, std::vector<Int32>{2});
  EXPECT_EQ(f.list->true_current_sort_column, 7);  // no FOnSort: nothing sorted
  std::vector<Int32> sorted;
  f.grid->FOnSort = [&](TQM_Grid*, Int32 a, Int32 b, Int32 t, bool h) { sorted = {a, b, t, h ? 1 : 0}; };
  MouseOn(*f.grid, QPoint(head.Left + 5, head.Top + 3));
  EXPECT_EQ(sorted, (std::vector<Int32>{2, 2, -1, 1}));
  EXPECT_EQ(f.list->true_current_sort_column, 2);
  EXPECT_TRUE(f.list->HeaderClickSort);
  EXPECT_EQ(Screen().Cursor(), crDefault);
}

TEST(QM_Grid_keys, DigitsBookmarksCtrlKAndTypedKeys) {
  TGridFixture f(10);
  std::vector<std::string> got;
  f.grid->fOnGotoBookMark = [&](TQM_Grid*, Int32 n) { got.push_back("mark" + std::to_string(n)); };
  f.grid->fOnCTrl_K = [&](TQM_Grid*, Int32 n) { got.push_back("ctrlk" + std::to_string(n)); };
  f.grid->fOnGetKeypressMode = [](TQM_Grid*) { return kp_typing_in; };
  f.grid->fOnTypedInKey = [&](TQM_Grid*, Int32 a, Int32 b, Word& k) {
    got.push_back("typed" + std::to_string(k) + "@" + std::to_string(a) + "," + std::to_string(b));
  };
  f.grid->FOnDeleteOrRestoreRow = [&](TQM_Grid*, bool p) { got.push_back(p ? "delete" : "restore"); };
  f.grid->FocusCell(1, 3);
  QWidget* w = f.grid->Widget();
  QTest::keyClick(w, Qt::Key_3, Qt::ControlModifier);
  QTest::keyClick(w, Qt::Key_0, Qt::ControlModifier);  // typed-key handling, which Ctrl stops
  QTest::keyClick(w, Qt::Key_K, Qt::ControlModifier);
  QTest::keyClick(w, Qt::Key_0);
  QTest::keyClick(w, Qt::Key_A);
  QTest::keyClick(w, Qt::Key_Delete);
  QTest::keyClick(w, Qt::Key_Insert);
  EXPECT_EQ(got, (std::vector<std::string>{"mark3", "ctrlk0", "typed65@2,1", "delete", "restore"}));
  EXPECT_FALSE(f.grid->fCtrl_K_pressed);
  // A filter that takes the key stops it; without a key-press mode nothing more happens.
  got.clear();
  f.grid->fOnTypedKeyPreFiltered = [](TQM_Grid*, Word k) { return k == 'B'; };
  QTest::keyClick(w, Qt::Key_B);
  f.grid->fOnGetKeypressMode = nullptr;
  QTest::keyClick(w, Qt::Key_C);
  EXPECT_TRUE(got.empty());
}

TEST(QM_Grid_widths, HiddenColumnsAndTheMonitorBound) {
  TGridFixture f(10);
  f.grid->grid_headers[2].escondido = 1;
  f.grid->grid_headers[1].pixel_width96 = 30000;
  f.grid->SetColumnWidths();
  EXPECT_EQ(f.grid->ColWidths(2), 0);
  EXPECT_LE(f.grid->ColWidths(1), Screen().Width() / 10 * 9);
  EXPECT_GT(f.grid->ColWidths(1), 0);
  f.grid->_MinimumColumn1Width = 77;
  f.grid->grid_headers[1].pixel_width96 = 10;
  f.grid->SetColumnWidths();
  EXPECT_EQ(f.grid->ColWidths(1), 77);
}

TEST(QM_Grid_editing, UneditableColumnNamesTheEditableOnes) {
  TGridFixture f(10);
  PressingHook ok(u"OK");
  {
    ScopedModalHook scope(ok.Hook());
    f.grid->FocusCell(2, 3);
    EXPECT_FALSE(f.grid->StartANewEditSequence());
  }
  EXPECT_EQ(ok.Shown(), 1);
  // Column 3 cannot be edited; column 2 (the words) can.
  EXPECT_NE(ok.Last().find("column 3"), std::string::npos) << ok.Last();
  EXPECT_NE(ok.Last().find("(only 2)"), std::string::npos) << ok.Last();
  std::vector<String> handed;
  f.grid->fOnGetKeypressMode = [](TQM_Grid*) { return kp_editing_data; };
  f.grid->fOnTypedInSetString = [&](TQM_Grid*, const String& s) { handed.push_back(s); };
  f.grid->FocusCell(1, 4);
  EXPECT_TRUE(f.grid->StartANewEditSequence());
  EXPECT_EQ(handed, std::vector<String>{u"w4"});
  EXPECT_EQ(f.grid->GetAGridCellAsString(1, 4, true), String());  // the shared entry holds no word
}

TEST(QM_Grid_scale, OneScreenFetchesTheSameForAMillionAsForAThousand) {
  // Top, middle and end of each list.
  Int64 fetched[2][3]{};
  const Int32 sizes[2] = {1000, 1000000};
  for (int i = 0; i < 2; ++i) {
    TGridFixture f(sizes[i], 400, 300);
    const Int32 where[3] = {1, sizes[i] / 2, sizes[i]};
    for (int k = 0; k < 3; ++k) {
      f.grid->SetTopRow(where[k]);
      f.list->fetched = 0;
      (void)Rendered(*f.grid);
      fetched[i][k] = f.list->fetched;
    }
  }
  for (int k = 0; k < 3; ++k) {
    EXPECT_GT(fetched[0][k], 0);
    EXPECT_LT(fetched[0][k], 200);
    EXPECT_EQ(fetched[0][k], fetched[1][k]) << k;
  }
}

TEST(QM_Grid_scale, ABusyListIsPaintedBlankWithoutFetching) {
  TGridFixture f(1000);
  f.list->SetListBusy(action_sorting);
  f.list->fetched = 0;
  const QImage img = Rendered(*f.grid);
  EXPECT_EQ(f.list->fetched, 0);
  f.list->SetListBusy(action_none);
  (void)img;
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

// A heading click sorts through the host; while the sort yields, a repaint
// of the grid fetches no record and leaves the cells blank.
TEST(QM_Grid_scale, ARepaintWhileSortingFetchesNothing) {
  TGridFixture f(20000);
  TSortSettings& s = f.list->QMSortSettings;
  s.comparesorts[main_sort] = [](TObject*) { return 0; };
  s.saveable.column_choices[main_sort].ascending = true;
  s.saveable.SortBytes[main_sort] = 1;
  s.saveable.SortLevelsAvailable = main_sort;
  Int64 fetchedDuringSort = 0, repaints = 0;
  const TYieldProcessProc saved = Global_YieldProcessProc;
  Global_YieldProcessProc = [&] {
    const Int64 before = f.list->fetched;
    (void)Rendered(*f.grid);
    ++repaints;
    fetchedDuringSort += f.list->fetched - before;
  };
  f.grid->FOnSort = [](TQM_Grid* g, Int32, Int32, Int32, bool) {
    g->fCurrentQMList->SortThem(0, g->fCurrentQMList->Count() - 1);
  };
  const TRect head = f.grid->CellRect(1, 0);
  MouseOn(*f.grid, QPoint(head.Left + 5, head.Top + 3));
  Global_YieldProcessProc = saved;
  EXPECT_GT(repaints, 0);
  EXPECT_EQ(fetchedDuringSort, 0);
  // Afterwards the cells come back.
  f.list->fetched = 0;
  (void)Rendered(*f.grid);
  EXPECT_GT(f.list->fetched, 0);
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

TEST(QM_Grid_keys, PreviewPagesThroughKeyCodes256And257) {
  TGridFixture f(100);
  TPrintPreviewOutputRec& p = f.grid->print_pre_output;
  for (const Int32 start : {0, 30, 60, 101}) p.pg_start_line->AddOne(start);
  p.total_pages = 3;
  p.current_page = 0;
  struct Step {
    Word key;
    Int32 page, top;
    bool consumed;
  } steps[] = {{256, 1, 30, true}, {256, 2, 60, true}, {256, 2, 60, false}, {257, 1, 30, true},
               {257, 0, 1, true},  {257, 0, 1, false}};
  for (const Step& s : steps) {
    Word key = s.key;
    f.grid->DoKeyDown(key, 0);
    EXPECT_EQ(p.current_page, s.page) << s.key;
    EXPECT_EQ(f.grid->TopRow(), s.top) << s.key;
    EXPECT_EQ(f.grid->Row(), s.top) << s.key;
    EXPECT_EQ(key == 0, s.consumed) << s.key;
  }
}

TEST(QM_Grid_hints, HeadingHintsAndRowSizing) {
  TGridFixture f(10);
  f.grid->grid_headers[2].hint = u"how often";
  f.grid->grid_headers[2].HelpContext = 77;
  const TRect head = f.grid->CellRect(2, 0);
  TRect cell{};
  EXPECT_EQ(f.grid->HintString(TPoint{head.Left + 3, head.Top + 3}, cell), u"how often");
  EXPECT_EQ(cell, head);
  EXPECT_EQ(f.grid->HelpContext(), 77);
  f.grid->fOnHeaderHintTweaked = [](TQM_Grid*, Int32 c, const String& s) { return s + u"!" + IntToStr(c); };
  EXPECT_EQ(f.grid->HintString(TPoint{head.Left + 3, head.Top + 3}, cell), u"how often!2");
  const TRect data = f.grid->CellRect(1, 3);
  EXPECT_EQ(f.grid->HintString(TPoint{data.Left + 3, data.Top + 3}, cell), u"");
  f.grid->SetOptions(f.grid->Options() | GridOptionBit(goRowSizing));
  const TRect number = f.grid->CellRect(0, 3);
  EXPECT_EQ(f.grid->HintString(TPoint{number.Left + 3, number.Top + 3}, cell), u"expand this line by pulling it down");
  EXPECT_EQ(f.grid->HelpContext(), 2040);
}

}  // namespace
}  // namespace sk
