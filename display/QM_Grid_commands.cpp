// The results grid's host commands: the message WM_USER + 5000 whose first
// parameter is a command code, turned into the host's events; saving,
// sorting from a heading or a command, and the heading and number-column
// clicks.
#include <algorithm>

#include "core/Generalruntime1const.h"
#include "display/QM_Grid.h"
#include "display/QMGridCellHandler.h"
#include "platform/runtime/ResourceStrings.h"

namespace sk {

namespace {

// Fires a notify event when the host assigned it.
void Fire(TQM_Grid* g, const TQMGridNotifyEvent& e) {
  if (e) e(g);
}

// Sets the alphabetical sub-sort and sorts on the current column.
void SortWith(TQM_Grid* g, Talphabetical_sort choice, Int32 tag) {
  g->SetAlphabeticalSort(choice);
  g->DoSort(g->Col(), tag, false);
}

// Hourglass from here to the end of the scope, exceptions too.
struct THourglass {
  THourglass() { Screen().SetCursor(crHourGlass); }
  ~THourglass() { Screen().SetCursor(crDefault); }
  THourglass(const THourglass&) = delete;
  THourglass& operator=(const THourglass&) = delete;
};

}  // namespace

void TQM_Grid::WndProc(TMessage& message) {
  if (message.Msg == WM_QM_GRID_COMMAND) {
    WMUser(message);
    return;
  }
  TCustomDrawGrid::WndProc(message);
}

void TQM_Grid::WMUser(TMessage& message) {
  message.Result = 0;
  // An unassigned event is skipped; a step after it ("then ...") still runs.
  // A command that arrives while another one is handled (an event handler
  // yielded and the host posted again) is dropped.
  if (fHandling_Message) return;
  fHandling_Message = true;
  struct TClear {
    bool& flag;
    ~TClear() { flag = false; }
  } clear{fHandling_Message};

  const Int32 code = static_cast<Int32>(static_cast<Int64>(message.WParam));
  const Int32 tag = code - 5000;
  const Int32 dataRow = GridRowToDataRowUNconverted();
  const Int32 column = Col();
  const TGridRect selection = Selection();
  switch (code) {
    case 5000: Fire(this, fOnGetStarted); break;
    case 5001: DoSave(true); break;
    case 5002: if (fOnRequestSaveAs) fOnRequestSaveAs(this, as_txt); break;
    case 5004: Fire(this, fOnPrint); break;
    case 5005: Fire(this, fOnPrintPreview); break;
    case 5006:
      if (fOnFindFiles) {
        bool handled = false;
        fOnFindFiles(this, selection, handled);
      }
      break;
    case 5007: case 5156: case 5157: case 5208: case 5209:
      if (fOnMatch) fOnMatch(this, tag);
      break;
    case 5010: case 5096: SortWith(this, sort_alphabetically, tag); break;
    case 5097: SortWith(this, sort_reverse_word, tag); break;
    case 5098: SortWith(this, sort_word_length, tag); break;
    case 5099: SortWith(this, sort_case_sensitively, tag); break;
    case 5109: SortWith(this, sort_on_cluster_length, tag); break;
    case 5118: SortWith(this, sort_on_tags, tag); break;
    case 5224: SortWith(this, sort_random_order, tag); break;
    case 5011: Fire(this, fOnZap); break;
    case 5012: case 5014:
      if (FOnDeleteOrRestoreRow) {
        FOnDeleteOrRestoreRow(this, code == 5012);
        if (code == 5012 && selection.Bottom < RowCount() - 1) SetRow(selection.Bottom + 1);
        Refresh();
      }
      break;
    case 5013: case 5015:
      if (FOnDeleteOrRestoreToEnd) {
        {
          THourglass wait;
          FOnDeleteOrRestoreToEnd(this, dataRow, code == 5013);
        }
        Refresh();
      }
      break;
    case 5017:
      if (fCurrentListType == lt_filename_list || fCurrentListType == lt_statistics_list)
        Fire(this, fOnSearchAndReplaceFilenames);
      else
        Fire(this, fOnSearchAndReplace);
      break;
    case 5018: if (fOnMarkOrUnmark) fOnMarkOrUnmark(this, dataRow, true); break;
    case 5167: if (fOnMarkOrUnmark) fOnMarkOrUnmark(this, dataRow, false); break;
    case 5019: if (fOnJoinOrUnjoin) fOnJoinOrUnjoin(this, -1, dataRow, true, false); break;
    case 5020: if (fOnJoinOrUnjoin) fOnJoinOrUnjoin(this, -1, dataRow, false, false); break;
    case 5047: if (fOnJoinOrUnjoin) fOnJoinOrUnjoin(this, -1, dataRow, false, true); break;
    case 5021: Fire(this, fOnRandomReduce); break;
    case 5022: SaveToClipboard(); break;
    case 5023:
      Fire(this, fOnEditCell);
      StartANewEditSequence();
      break;
    case 5024: if (fOnRequestSaveAs) fOnRequestSaveAs(this, as_xml); break;
    case 5025: Fire(this, fOnLemmas); break;
    case 5028: if (fOnRequestSaveAs) fOnRequestSaveAs(this, as_Excel_spreadsheet); break;
    case 5029: Fire(this, fOnColumnLayout); break;
    case 5030: if (fOnGrowOrShrink) fOnGrowOrShrink(this, selection, true); break;
    case 5031: if (fOnGrowOrShrink) fOnGrowOrShrink(this, selection, false); break;
    case 5032: Fire(this, fOnAutoHeightText); break;
    case 5033:
      Fire(this, fOnRefresh);
      Refresh();
      break;
    case 5034: case 5035: Fire(this, fOnCollocates); break;
    case 5036: Fire(this, fOnStatistics); break;
    case 5037: Fire(this, fOnBreakdowns); break;
    case 5038: Fire(this, fOnShowFilenames); break;
    case 5039: Fire(this, fOnPlot); break;
    case 5040: if (fOnSourceTexts) fOnSourceTexts(this, selection); break;
    case 5041: Fire(this, fonComputeLinks); break;
    case 5042: case 5240: Fire(this, fOnClusters); break;
    case 5043: Fire(this, fOnClumps); break;
    case 5044: if (fOnPatterns) fOnPatterns(this, dataRow); break;
    case 5045: Fire(this, fOnAssociates); break;
    case 5048: Fire(this, fOnJoinClusters); break;
    case 5050: Fire(this, fonComputeConcordance); break;
    case 5052:
      if (fOnNewColumnCreating) fOnNewColumnCreating(this, LoadResString(&_QMSet), tnc_extra_set, td_keep, -1);
      break;
    case 5053: Fire(this, fOnComputeRelationships); break;
    case 5054: Fire(this, fOnClearSetColumn); break;
    case 5055:
      Uniform_plot = !Uniform_plot;
      Fire(this, fOnPlotDisplayChange);
      Refresh();
      break;
    case 5058: Fire(this, fonComputeTimeline); break;
    case 5070: Fire(this, fOnLoadAKeyWordList); break;
    case 5075: if (fOnShowSameFilenameTextFiles) fOnShowSameFilenameTextFiles(this, column, dataRow); break;
    case 5076: Fire(this, fOnDeleteStoplistItems); break;
    case 5078: Fire(this, fOnMergeWith); break;
    case 5079: DoSave(false); break;
    case 5082: if (fOnRedoOrUndo) fOnRedoOrUndo(this, false); break;
    case 5083: if (fOnRedoOrUndo) fOnRedoOrUndo(this, true); break;
    case 5085: Fire(this, fOnDeleteIf); break;
    case 5086: Fire(this, fOnRemoveDuplicates); break;
    case 5090: case 5091: case 5130: break;
    case 5095: Fire(this, fOnPlayMedia); break;
    case 5103: {
      const TGrid_head* h = HeadingOf(column);
      fHelpContext = h != nullptr ? h->HelpContext : 0;
      if (TForm* main = Application().MainForm())
        PostMessage(main, WM_QM_GRID_HELP, static_cast<UInt64>(static_cast<Int64>(fHelpContext)),
                    reinterpret_cast<Int64>(this));
      break;
    }
    case 5104: Fire(this, fOnAutoJoin); break;
    case 5114: if (FOnComputeColumnTotals) FOnComputeColumnTotals(this); break;
    case 5131: Fire(this, fOnFindUnusual); break;
    case 5141: case 5142: case 5143: if (fOnModifySourceTexts) fOnModifySourceTexts(this, tag); break;
    case 5147: if (fOnRequestSaveAs) fOnRequestSaveAs(this, as_images); break;
    case 5150: Fire(this, fOnHighLightCollocate); break;
    case 5151: Fire(this, fOnHighLightCluster); break;
    case 5153: Fire(this, fOnMergeMarkedItems); break;
    case 5160: Fire(this, fOnComputeConcgrams); break;
    case 5162: Fire(this, fOnRecomputeTokens); break;
    case 5163: Fire(this, fOnRecomputeFilenames); break;
    case 5164: Fire(this, fOnChangeLanguageNow); break;
    case 5166:
      if (fOnGetDefaultGridHeaders && fOnGridHeadersChanged) {
        SetGridHeaderWidthsToDefault(fOnGetDefaultGridHeaders(this));
        fOnGridHeadersChanged(this, grid_headers);
      }
      break;
    // The data row goes in the first integer parameter and the column in
    // the second, as hosts expect.
    case 5170: if (fOnSearchTextOrFindGeneral) fOnSearchTextOrFindGeneral(this, dataRow, column, tag); break;
    case 5176: if (fOnSetKeypressMode) fOnSetKeypressMode(this, kp_typing_in); break;
    case 5177: if (fOnSetKeypressMode) fOnSetKeypressMode(this, kp_setting_categories); break;
    case 5178: if (fOnSetKeypressMode) fOnSetKeypressMode(this, kp_editing_data); break;
    case 5179: Fire(this, fonComputeWordCloud); break;
    case 5180: if (fOnEditSetColumn) fOnEditSetColumn(this, String()); break;
    case 5184: if (fOnRequestSaveAs) fOnRequestSaveAs(this, as_RTF); break;
    case 5193: Fire(this, fOnSaveLemmasAsLemmaFile); break;
    case 5194: Fire(this, fonColourCategorise); break;
    case 5195: Fire(this, fOnFreezeColumns); break;
    case 5198: Fire(this, fOnReverseDelete); break;
    case 5199: GrowOrShrinkCurrentRow(true); break;
    case 5200: GrowOrShrinkCurrentRow(false); break;
    case 5201: Fire(this, fOnCheckLemmasForConsistency); break;
    case 5210: if (fOnComputeRelativeEntropy) fOnComputeRelativeEntropy(this, column); break;
    case 5219: SetColumn1ToFitData(); break;
    default:
      // The host's own commands travel through the grid and come back.
      if (fOnPassTagToForm) fOnPassTagToForm(this, tag);
      break;
  }
}

void TQM_Grid::DoSave(bool skipDialog) {
  bool ok = true;
  if (!skipDialog && fOnSaveDlg) fOnSaveDlg(this, ok);
  if (ok && fOnSave) fOnSave(this, ok);
}

void TQM_Grid::SetAlphabeticalSort(Talphabetical_sort choice) {
  fAlphabetical_sub_sort = choice;
  if (fCurrentQMList != nullptr) fCurrentQMList->AlphabeticalSubSort = choice;
}

void TQM_Grid::DoSort(Int32 column, Int32 tag, bool headerClicked) {
  if (!FOnSort) return;
  THourglass wait;
  const Int32 trueColumn = fCurrentQMList != nullptr ? fCurrentQMList->Original_Column(column) : column;
  if (fCurrentQMList != nullptr) {
    fCurrentQMList->true_current_sort_column = trueColumn;
    fCurrentQMList->HeaderClickSort = headerClicked;
  }
  // Hosts read the standard-layout number from both column parameters.
  FOnSort(this, trueColumn, trueColumn, tag, headerClicked);
}

void TQM_Grid::DoRow0Click(Int32 col) {
  if (fOnRow0Click) fOnRow0Click(this, col);
  DoSort(col, -1, true);
}

void TQM_Grid::DoColumn0Click(Int32 row) {
  if (fOnColumn0Click) fOnColumn0Click(this, row);
}

}  // namespace sk
