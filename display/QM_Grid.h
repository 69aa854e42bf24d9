// TQM_Grid: the results grid every tool embeds to show one results list. It
// is a draw grid that holds no cell data: its cell handler (QMGridCellHandler.h)
// fetches and paints the visible cells only. It turns the host's numbered
// commands (the posted message WM_USER + 5000), the mouse and the keyboard
// into the events the host assigned, keeps the column headings shown and
// their widths, and starts a sort when a heading cell is clicked.
//
// Grid rows count the heading row and the column-total rows; entries are
// data rows from 0: data row = grid row - ColumnTotalRowsToShow - fixed rows.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "analysis/Work_qm_base_sister.h"
#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "display/Printer_organiser.h"
#include "display/QM_Grid_messages.h"
#include "platform/visual/DrawGrid.h"
#include "platform/visual/Forms.h"
#include "platform/visual/Metafiles.h"
#include "services/Wdef_definitions.h"

namespace sk {

class TQM_Grid;
class TQMGridCellHandler;
class TCanvas;

// The host-command message and the help message posted to the main form.
inline constexpr Cardinal WM_QM_GRID_COMMAND = WM_USER + 5000;
inline constexpr Cardinal WM_QM_GRID_HELP = WM_USER + 144;

// Rows handed to the host: the marked entries or the selection's data rows.
struct TGridSelectedRowsRec {
  bool marked_rows = false;
  std::unique_ptr<T1LongintList> rows;
  void FreeUp() { rows.reset(); }
};

// Print-preview pages: the first grid row of each page and one end marker.
struct TPrintPreviewOutputRec {
  std::unique_ptr<T1LongintList> pg_start_line;
  Int32 current_page = 0;
  Int32 total_pages = 0;
  Int32 preview_max_col1_width = 0;
  bool preview_success = false;
};

// ---- event types (sender first)
using TQMGridDoOrUndoEvent = std::function<void(TQM_Grid* Sender, Int32 ADataRow, bool pos_or_neg)>;
using TQMGridSortEvent =
    std::function<void(TQM_Grid* Sender, Int32 ACurrentColumn, Int32 ATrueColumn, Int32 ATag, bool header_clicked)>;
using TQMGridColEvent = std::function<TStatusOKAndAnswer(TQM_Grid* Sender, Int32 ACurrentCol)>;
using TQMGridRowCheckedEvent = std::function<TStatusOKAndAnswer(TQM_Grid* Sender, Int32 AGridRow)>;
using TQMGridColRowXYEvent = std::function<TStatusOKAndAnswer(TQM_Grid* Sender, Int32 Cell_XPos, Int32 Cell_Ypos,
                                                              Int32 ACol, Int32 ADataRow, const TRect& APlotRect)>;
using TQMGridColAndRowEvent = std::function<TStatusOKAndAnswer(TQM_Grid* Sender, Int32 ACol, Int32 ADataRow)>;
using TQMGridSourceFileReReadEvent = std::function<TGrid_data_rec(TQM_Grid* Sender, Int32 ACol, Int32 AGridRow)>;
using TQMGridJoinOrUnjoinRowEvent = std::function<void(TQM_Grid* Sender, Int32 ASourceDataRow,
                                                       Int32 ADestinationDataRow, bool pos_or_neg, bool DoToAll)>;
using TQMGridKeyNumberEvent = std::function<void(TQM_Grid* Sender, Int32 ANumber)>;
using TQMGridAndRowEvent = std::function<void(TQM_Grid* Sender, Int32 ADataRow)>;
using TQMGridNotifyEvent = std::function<void(TQM_Grid* Sender)>;
using TQMGridDataTweakEvent =
    std::function<TStatusOKAndAnswer(TQM_Grid* Sender, Int32 ATrueColumn, Int32 ACurrentColumn, Int32 ADataRow,
                                     TGrid_alternatives aGridKind, TGrid_data_rec& d)>;
using TQMGridStatusBarMessageEvent = std::function<void(TQM_Grid* Sender, Int32 AGridRow, Int32 aTotalRows,
                                                        const TGrid_data_rec& Info, TMyStatusBarPanel aType)>;
using TQMGridColandRowBoolEvent = std::function<TStatusOKAndAnswer(TQM_Grid* Sender, Int32 ACol, Int32 ADataRow)>;
using TQMGridGetKeyPressMode = std::function<TKeyPressMode(TQM_Grid* Sender)>;
using TQMGridSetKeyPressMode = std::function<void(TQM_Grid* Sender, TKeyPressMode Value)>;
using TQMGridGetPrinterInfoEvent = std::function<TQMPrinter_rec(TQM_Grid* Sender)>;
using TQM_StringBooleanFunctionEvent = std::function<bool(TQM_Grid* Sender)>;
using TQM_StringBooleanKeyFunctionEvent = std::function<bool(TQM_Grid* Sender, Word Key)>;
using TQMGridSelectionEvent = std::function<void(TQM_Grid* Sender, const TGridRect& Selection)>;
using TQMGridSelectionHandledEvent =
    std::function<void(TQM_Grid* Sender, const TGridRect& Selection, bool& Handled)>;
using TQMGridTagEvent = std::function<void(TQM_Grid* Sender, Int32 ATag)>;
using TQMGridReportIntegerEvent = std::function<void(TQM_Grid* Sender, Int32 Value)>;
using TQMGridColRowAndTagEvent = std::function<void(TQM_Grid* Sender, Int32 ACol, Int32 ADataRow, Int32 Tag)>;
using TQMGridColSizedEvent = std::function<void(TQM_Grid* Sender, Int32 AColumn, Int32 AWidth)>;
using TQMGridPosOrNegEvent = std::function<void(TQM_Grid* Sender, bool positivo)>;
using TQMGridNewFileEvent = std::function<void(Int32 type_wanted)>;
using TQMGridCategoryChangedEvent = std::function<void(TQM_Grid* Sender, Int32 ADataRow, Int32 ACol, Word& Key)>;
using TQMGridRequestSaveasEvent = std::function<bool(TQM_Grid* Sender, TSave_as_format request)>;
using TQMClustersToStringFunct = std::function<String(TQM_Grid* Sender, const std::vector<TStringTag>& clusters)>;
using TQMGridStringToStringFunctEvent = std::function<String(TQM_Grid* Sender, const String& aText)>;
using TQMGridCutToSizeAndPaddedEvent = std::function<String(const String& w, Int32 ACol)>;
using TQMGridGetFilenameEvent = std::function<String(TQM_Grid* Sender)>;
using TQMGridGridHeadersEvent =
    std::function<std::vector<TGrid_head>(TQM_Grid* Sender, TQuillmarkList aList_type, TQMBaseDataClass* aQMList)>;
using TQMGridGetSaveAsCharactersEvent = std::function<Int32(TQM_Grid* Sender)>;
using TQMGridGrowOrShrinkEvent = std::function<void(TQM_Grid* Sender, const TGridRect& Selection, bool growing)>;
using TQMGridGetDefaultGridHeaders = std::function<std::vector<TGrid_head>(TQM_Grid* Sender)>;
using TQMGridGridHeadersChangedEvent = std::function<void(TQM_Grid* Sender, std::vector<TGrid_head> new_headers)>;
using TQMGridLanguageCheckEvent = std::function<void(TQM_Grid* Sender, bool& change_it)>;
using TQMGridTryNewColumnEvent =
    std::function<bool(TQM_Grid* Sender, TQMColumnType ANewColType, const String& ATypedString)>;
using TQMGridNewColumnEvent = std::function<TStringAndIntegerRec(
    TQM_Grid* Sender, const String& aHeading, TQMColumnType ANewColType, TDeleteOrKeep keeping, Int32 ATrueColumn)>;
using TQMGridSaveToClipboardEvent = std::function<void(TQM_Grid* Sender, TQMClipboardSettings& ClipSettings)>;
using TQMGridKeyPressModeChangedEvent = std::function<void(TQM_Grid* Sender, TKeyPressMode NewValue)>;
using TQMGridSaveDlgEvent = std::function<void(TObject* Sender, bool& OK)>;
using TQMGridSetStringEvent = std::function<void(TQM_Grid* Sender, const String& AStr)>;
using TQMGridSaveWithFilenameEvent = std::function<bool(TObject* Sender, const String& Afilename)>;
using TQMGridSetSaveAsCharactersEvent = std::function<void(TQM_Grid* Sender, const TIntegerAndBooleanRec& iandb)>;
using TQMGridColumnEvent = std::function<void(TQM_Grid* Sender, Int32 ACurrentColumn)>;
using TQMGridStatusBarProgressEvent = std::function<void(TQM_Grid* Sender, Int32 APercent, TMyStatusBarPanel aType)>;
using TQMGridTXTStringEvent = std::function<String(TQM_Grid* Sender)>;
using TQMGridTypedinKeyEvent = std::function<void(TQM_Grid* Sender, Int32 ACol, Int32 ADataRow, Word& Key)>;
using TQMGridTweakHintEvent = std::function<String(TQM_Grid* Sender, Int32 ACol, const String& suggested)>;
using TQMGridColRowEvent = std::function<void(TQM_Grid* Sender, Int32 GRidC, Int32 GridR)>;

// The zip call of the suite's zip glue that the timeline export uses; the
// glue installs it (nullptr until then).
using TZipASeriesOfFilesToHook =
    std::function<bool(const std::vector<String>& files, const String& zipName, Int32 storePathMode, bool flag)>;
inline TZipASeriesOfFilesToHook ZipASeriesOfFilesToHook;

class TQM_Grid : public TCustomDrawGrid {
 public:
  explicit TQM_Grid(TComponent* owner);
  ~TQM_Grid() override;
  TQM_Grid(const TQM_Grid&) = delete;
  TQM_Grid& operator=(const TQM_Grid&) = delete;

  // ---- set-up and display
  void MatchGridToListType(TQuillmarkList kind, TGrid_alternatives display, TQMSister* list);
  void ClearList();
  void LoadGridHeaders();
  void ReLoadGridHeaders();
  std::vector<TGrid_head> GetGridHeaders(TQuillmarkList kind, TQMSister* list) const;
  std::vector<TGrid_head> GetExistingGridHeaders() const { return grid_headers; }
  void ClearGridHeaders() { grid_headers.clear(); }
  void SetAlignments(TQMSister* list);
  void SetColumnWidths();
  void LoadGridHeadersAndSetColumnWidths();
  void SetColumn1ToFitData();
  void SetLastColumnWidthToFit();
  void SetGridHeaderWidthsToDefault(const std::vector<TGrid_head>& headings);
  void SaveGridHeadings();
  void SetLanguage(const Tfixed_lang_details& details);
  Tfixed_lang_details GetLanguage() const;
  void SetOnGetPreferredTagForm(TGetPreferredTagFormat closure);
  void SetPreferredLinesPerRow(Int32 n);
  void MatchRowCountToList();
  TGrid_data_rec GetADrawgridDataRec(Int32 col, Int32 row);
  String GetAGridCellAsString(Int32 col, Int32 row, bool flag);
  void SetAGridCellAsString(Int32 col, Int32 row, const String& text);
  TGrid_data_rec GetColumnTotalDataForGrid(Int32 col, Int32 row);
  void DoStatusBarMessage(Int32 col, Int32 row);
  void SetDrawForGridSearchDisplay(const std::vector<TQMSearchWordRec>& words);
  void ClearSearchDisplay(const TQMSearchWordRec& word);
  Int32 GetHorizontalConcDisplacement() const;
  void SetHorizontalConcDisplacement(Int32 n);
  void MoveHorizontalConcDisplacement(Int32 delta);
  void BeginUpdate();
  void EndUpdate();

  // ---- positions and rows
  Int32 GridRowToDataRowUNconverted() const { return GridRowToDataRowUNconverted(Row()); }
  Int32 GridRowToDataRowUNconverted(Int32 row) const;
  // The first grid row that holds an entry.
  Int32 FirstEntryRow() const;
  bool ValidColAndRow(Int32 c, Int32 r) const;
  bool ValidNonHeaderColAndRow(Int32 c, Int32 r) const;
  void SetTopRowTo(Int32 r);
  void AdvanceRetreat(Int32 direction, bool smallSteps);
  void SaveCurrentPositions();
  void RestoreCurrentPositions();
  void RestoreCurrentPositions(TQMBaseListObject* entry);
  void ShowTotalEntriesandSetRowAndColTo1();
  Int32 GetJoinDropRow(Int32 row, const T1LongintList* rows) const;
  TGridRect SelectionWithoutFixedRow() const;
  TGridSelectedRowsRec GetSelDataRowsAsList(bool flag) const;
  String GetSelectedMainWordAsString() const;
  Int32 GetOverallCount() const;
  bool GridDataHasIndex() const;
  void RePaintCol0CurrentRow(TColor colour);
  void GrowOrShrinkCurrentRow(bool grow);
  String HintString(TPoint point, TRect& cellRect);
  void SelectCellAndCopyToTypeinEdit(Int32 col, Int32 row);
  bool StartANewEditSequence();
  void Teclated(Word& key);
  void DoSave(bool skipDialog);
  void DoSort(Int32 column, Int32 tag, bool headerClicked);
  void SetAlphabeticalSort(Talphabetical_sort choice);
  void DoRow0Click(Int32 col);
  void DoColumn0Click(Int32 row);
  void WMUser(TMessage& message);
  // The heading of a grid column; nullptr outside the headings.
  const TGrid_head* HeadingOf(Int32 col) const;
  Int32 HelpContext() const { return fHelpContext; }

  // ---- exports and printing
  void SaveToClipboard();
  void StartOrStopClipboard(bool starting);
  void AddAClipboardCell(Int32 relRow, const String& text);
  bool ExportedDataTo(const String& fileName, bool zipIt, bool zipFlag);
  Int32 PrintComputePageSizes();
  void PrintOutputAPage(TCanvas& canvas, Int32 page, bool selectionOnly);
  void PrintOneRow(TCanvas& canvas, TQMoutput output, Int32 row, Int32 firstCol, Int32& lastCol, Int32& y);
  void PrintHeaderOrFooter(TCanvas& canvas, const String& text, Int32& y, Int32 page, Int32 total, bool header);
  static String PrintFormattedHeaderOrFooter(const String& text, Int32 page, Int32 total);
  Int32 PrinterCurrentLineHeight(Int32 n) const;
  Int32 PrinterAGivenRowsHeight(TQMoutput output, Int32 row) const;

  // ---- fields
  TQMGridCellHandler* fCellmanager = nullptr;  // not owned
  TQMPrinter_rec print_rec{};
  std::vector<TGrid_head> grid_headers;
  Talphabetical_sort fAlphabetical_sub_sort{};
  TQuillmarkList fCurrentListType{};
  TGridCoord FCurrentTopLeft{};
  TGridCoord FCurrent{};
  TQMoutput fOutputMode = pra_screen;
  bool fResizingColWidths = false;
  bool fCtrl_K_pressed = false;
  bool fHandling_Message = false;
  bool fMouseWheel = false;
  bool fshowing_editData = false;
  bool fShowingTotalEntries = false;
  bool just_double_clicked = false;
  Int32 fPreferredLinesPerRow = 1;
  std::unique_ptr<TStringList> Clipboard_Stringlist;
  TQMSister* fCurrentQMList = nullptr;  // not owned
  TRect fGridSelectionRect{};
  TPoint fGridSelectionTopLeftPoint{};
  TGrid_alternatives fKindOfDisplay{};

  TQMGridDoOrUndoEvent FOnDeleteOrRestoreToEnd, fOnMarkOrUnmark;
  TQMGridSortEvent FOnSort;
  TQMGridColEvent fOnRow0Click;
  TQMGridRowCheckedEvent fOnColumn0Click;
  TQMGridColRowXYEvent fOnMouseMove;
  TQMGridColAndRowEvent fOnShowSameFilenameTextFiles, fOnDoubleClickCell;
  TQMGridJoinOrUnjoinRowEvent fOnJoinOrUnjoin;
  TQMGridKeyNumberEvent fOnGotoBookMark, fOnCTrl_K;
  TQMGridAndRowEvent fOnPatterns;
  TQMGridNotifyEvent fOnAssociates, fOnAutoHeightText, fOnAutoJoin, fOnBreakdowns, fOnChangeLanguageNow,
      fOnCheckLemmasForConsistency, fOnClearSetColumn, fOnClumps, fOnClusters, fOnCollocates, fonColourCategorise,
      fOnColumnLayout, fonComputeConcordance, fonComputeLinks, fOnComputeRelationships, fonComputeTimeline,
      fonComputeWordCloud, fOnComputeConcgrams, fOnDeleteIf, fOnDeleteStoplistItems, fOnEditCell,
      fOnRemoveDuplicates, fOnFindUnusual, fOnFreezeColumns, fOnGetStarted, fOnHighLightCluster,
      fOnHighLightCollocate, fOnJoinClusters, fOnLayout, fOnLemmas, fOnLoadAKeyWordList, fOnMergeMarkedItems,
      fOnMergeWith, fOnPlayMedia, fOnPlot, fOnPlotDisplayChange, fOnPrint, fOnPrintPreview, fOnRandomReduce,
      fOnRecomputeFilenames, fOnRecomputeTokens, fOnRefresh, fOnReverseDelete, fOnSaveLemmasAsLemmaFile,
      fOnSearchAndReplace, fOnSearchAndReplaceFilenames, fOnShowFilenames, fOnSpeakACell, fOnStatistics,
      fOnStyleChanged, fOnZap;
  TQMGridDataTweakEvent fOnDataTweak;
  TQMGridStatusBarMessageEvent fOnStatusbarMessage;
  TQMGridColandRowBoolEvent fOnSourceFileNeededAndAvailable;
  TQMGridGetKeyPressMode fOnGetKeypressMode;
  TQMGridSetKeyPressMode fOnSetKeypressMode;
  TQM_StringBooleanFunctionEvent FOnComputeColumnTotals, fOnIsToolbarShowing;
  TQM_StringBooleanKeyFunctionEvent fOnTypedKeyPreFiltered;
  TQMGridSelectionEvent fOnSourceTexts;
  TQMGridSelectionHandledEvent fOnFindFiles;
  TQMGridTagEvent fOnMatch, fOnModifySourceTexts, fOnPassTagToForm, fOnShowGridColumnData;
  TQMGridColRowAndTagEvent fOnSearchTextOrFindGeneral;
  TQMGridPosOrNegEvent FOnDeleteOrRestoreRow, fOnRedoOrUndo, fOnShowOrHideToolbar;
  TQMGridNewFileEvent fOnNewFile;
  TQMGridCategoryChangedEvent fOnCategoryChanged;
  TQMGridRequestSaveasEvent fOnRequestSaveAs;
  TQMGridGetFilenameEvent fOnGetFilename;
  TQMGridGrowOrShrinkEvent fOnGrowOrShrink;
  TQMGridGetDefaultGridHeaders fOnGetDefaultGridHeaders;
  TQMGridGridHeadersChangedEvent fOnGridHeadersChanged;
  TQMGridTryNewColumnEvent fOnNewColumnToTry;
  TQMGridNewColumnEvent fOnNewColumnCreating;
  TQMGridSaveToClipboardEvent FonSaveToClipboard;
  TQMGridSaveDlgEvent fOnSave, fOnSaveDlg;
  TQMGridSetStringEvent fOnEditSetColumn, fOnTypedInSetString;
  TQMGridSaveWithFilenameEvent fOnSaveWithFilename;
  TQMGridColumnEvent fOnComputeRelativeEntropy;
  TQMGridStatusBarProgressEvent fOnStatusbarPercent;
  TQMGridTXTStringEvent fOnGetAlignerTXTString;
  TQMGridTypedinKeyEvent fOnTypedInKey;
  TQMGridTweakHintEvent fOnHeaderHintTweaked;
  TQMGridColRowEvent fOnColSizing, fOnRowSizing;

  TColor FGridLineColour = 0;
  std::unique_ptr<TMetafile> WMetafile;
  TObject* ItemToFindAfterSort = nullptr;
  TQMClipboardSettings clipboard_settings{};
  TForm* OwnerForm = nullptr;
  Int32 _MinimumColumn1Width = 0;
  Int32 MinRowHeight = 24;
  Int32 MaxRowHeight = 384;
  Int32 drag_datarow = -1;
  Int32 drag_col = -1;
  bool Blank_out_SW = false;
  bool begun_update = false;
  bool Uniform_plot = false;
  bool data_didnt_fit = false;
  bool ignore_whether_data_fits = false;
  String Filename;
  TGridRect ExportRowsAndColsRect{};
  TPrintPreviewOutputRec print_pre_output;
  TTimeLineDataRec Overall_TimeLineData;
  std::unique_ptr<TFixedLangDetailsList> Alternate_languages;

  void WndProc(TMessage& message) override;

 protected:
  void DrawCell(Int32 ACol, Int32 ARow, const TRect& ARect, TGridDrawState AState) override;
  bool SelectCell(Int32 ACol, Int32 ARow) override;
  String GetEditText(Int32 ACol, Int32 ARow) override;
  void SetEditText(Int32 ACol, Int32 ARow, const String& Value) override;
  void RowHeightsChanged() override;
  void MouseDown(TMouseButton button, TShiftState shift, Int32 x, Int32 y) override;
  void MouseMove(TShiftState shift, Int32 x, Int32 y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Int32 x, Int32 y) override;
  void DblClick() override;
  void KeyDown(Word& key, TShiftState shift) override;
  bool DoMouseWheel(TShiftState shift, Int32 delta, TPoint pos) override;

 private:
  // Runs the typed-key handling when neither Ctrl nor Alt is held; the key
  // is consumed either way.
  void TypedKey(Word& key, TShiftState shift);
  // Moves over hidden columns to the right (or left) while there are any.
  void SkipHiddenColumns(bool right);
  // Exports: one row of an image; the pixel rectangle of a clipboard copy.
  void OutputExportData(TCanvas& canvas, Int32 row, Int32& y);
  Int32 fHelpContext = 0;
  TPoint fLastMouse{};
  std::unique_ptr<TMetafileCanvas> fWmfCanvasHolder;
  bool fCopyingToClipboard = false;  // a copy is running (and may be yielding)
  bool fClipboardCopyEnded = false;  // the copy running was cut short
};

// Unit start and stop (the unit has no work of its own).
void QM_Grid_initialization();
void QM_Grid_Finalization();

}  // namespace sk
