// TQMGridCellHandler: the results grid's cell painter and cell-data source.
// For every cell the grid asks it to draw (screen, off-screen image,
// clipboard picture or printer) it fetches the list's record of that cell
// only, lets the host adjust it, formats it, clears the rectangle and paints
// the content through the text drawer or a plot painter, with the small
// marks of the number column and the heading row. It also holds the grid's
// language, fonts and colours, sizes the rows, and keeps the printer
// organiser that printing uses.
#pragma once

#include <array>
#include <memory>

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "display/Printer_organiser.h"
#include "display/Rtl_and_ltr_painting.h"
#include "platform/visual/Graphics.h"
#include "platform/visual/Metafiles.h"
#include "ui/Graphics_utilities.h"

namespace sk {

class TQM_Grid;
class TQMSister;

class TQMGridCellHandler : public TObject {
 public:
  TQMGridCellHandler();
  ~TQMGridCellHandler() override;
  TQMGridCellHandler(const TQMGridCellHandler&) = delete;
  TQMGridCellHandler& operator=(const TQMGridCellHandler&) = delete;

  // ---- rows
  // 0 for the heading row, an entry row from 1, column-total rows -1, -2, ...
  Int32 GetRowNumber(Int32 gridRow) const;
  bool IsHeadingOrHeaderRow(Int32 gridRow) const { return GetRowNumber(gridRow) < 1; }

  // ---- set-up, language, fonts, rows
  void GridSetupLangFontRowcount(TQM_Grid* grid, TQMSister* list, TQuillmarkList kind, TGrid_alternatives display);
  void MatchRowCountToList();
  void SetLanguage(const Tfixed_lang_details& details);
  const Tfixed_lang_details& GetLanguage() const { return flanguage; }
  void SetTheFont(const Tfixed_character_format_rec& format);
  void RecalculateFonts();
  Int32 FixedFontSize() const;
  void Resize_RowHeights();
  // The font name the cells use ("Tahoma" for none).
  String FontName() const;
  Int32 FontSize() const;

  // ---- cell records
  TGrid_data_rec GetADrawgridDataRec(Int32 col, Int32 row);
  void DoDataTweak(Int32 trueColumn, Int32 col, Int32 row, TGrid_alternatives display, TGrid_data_rec& rec);
  TGrid_data_rec GetColumnTotalDataForGrid(Int32 col, Int32 row);
  void DoStatusBarMessage(Int32 col, Int32 row);
  String GetAGridCellAsString(Int32 col, Int32 row, bool noUndo);
  void SetAGridCellAsString(Int32 col, Int32 row, const String& text);
  void FormatIt(TGrid_data_rec& rec, Int32 col, Int32 row, bool flag);

  // ---- canvas settings and colours
  TCanvasSettings GetCanvasSettingsForCell(Int32 col, Int32 row);
  TCanvasSettings GetFixedFontCanvasSettings();
  static void SetCanvasFromCanvasSettings(TCanvas& canvas, const TCanvasSettings& settings);
  const TRulerPlotWordCloudColoursRec& GetRulerPlotWordCloudFeatures() const { return fRulerPlotWordCloudFeatures; }
  void SetRulerPlotWordCloudFeatures(const TRulerPlotWordCloudColoursRec& rec) { fRulerPlotWordCloudFeatures = rec; }
  const std::array<TColor, 11>& GetWordHandling1ColourDetails() const { return fWordHandling1ColourDetails; }
  void SetWordHandling1ColourDetails(const std::array<TColor, 11>& colours);
  const std::array<TMyCanvasColourRecAndTypeface, 10>& GetWordHandling4ColourDetails() const {
    return fWordHandling4ColourDetails;
  }
  void SetWordHandling4ColourDetails(const std::array<TMyCanvasColourRecAndTypeface, 10>& sets);
  void SetTimeLineDisplayBasis(TTimeLineDisplayBasis basis) { fTimeLineDisplayBasis = basis; }
  void SetMonochrome(bool flag) { fMonochrome = flag; }
  void SetOnGetPreferredTagForm(TGetPreferredTagFormat closure);
  void SetupLangColoursEtc(const Tfixed_lang_details& language, const TRulerPlotWordCloudColoursRec& ruler,
                           const std::array<TColor, 11>& colours,
                           const std::array<TMyCanvasColourRecAndTypeface, 10>& sets, bool monochrome);
  TColor DefaultOrBelowThresholdColour(TColor colour, Byte below) const;

  // ---- painting
  void PrepareOutputAndDraw(TCanvas& canvas, const TRect& rect, Int32 col, Int32 row, bool highlighted);
  void ClearARect(TCanvas& canvas, const TRect& rect, const TGrid_data_rec& rec, Int32 col, Int32 row,
                  bool highlighted, bool fixed);
  void DrawACellFul(TCanvas& canvas, const TRect& rect, bool highlighted, TGrid_data_rec& rec, Int32 col, Int32 row);
  void DrawNumberColumnMarks(TCanvas& canvas, const TRect& rect, const TGrid_data_rec& rec);
  void DrawHeadingDecorations(TCanvas& canvas, const TRect& rect, Int32 col);
  void PaintDateAtRectTop(TCanvas& canvas, const TGrid_data_rec& rec, const TRect& rect, Int32& size, Int32 height,
                          Int32 x, Int32 availableWidth, Int32 period);
  void DrawAPlot(TCanvas& canvas, const TRect& rect, const TGrid_data_rec& rec);
  void DrawATimeline(TCanvas& canvas, const TRect& rect, const TGrid_data_rec& rec);

  // ---- exports
  void SetupScreenImage(const TRect& rect);
  bool SavedScreenImage(const String& fileName);
  TRect ComputedCellRectForClipboard(Int32 col, Int32 row, Double scale) const;
  void ClipboardDrawInCell(Int32 relCol, Int32 relRow, Int32 col, Int32 row);

  // ---- fields
  std::unique_ptr<TPrinterOrganiser> fPrintOrganiser;
  TQM_Grid* fCurrentGrid = nullptr;  // not owned
  bool fResizingRowHeights = false;
  bool fFixedCellDisplay = false;
  bool fMonochrome = false;
  TRulerPlotWordCloudColoursRec fRulerPlotWordCloudFeatures{};
  std::array<TColor, 11> fWordHandling1ColourDetails{};
  std::array<TMyCanvasColourRecAndTypeface, 10> fWordHandling4ColourDetails{};
  TGrid_data_rec fthis_cell_data;
  Tfixed_lang_details flanguage{};
  std::unique_ptr<TMyTextDrawer> CellPainter;
  TTimeLineDisplayBasis fTimeLineDisplayBasis{};
  Single fMonitorFontscale = 1.0f;
  String clip_string;
  TGetPreferredTagFormat fOnGetPreferredTagForm;
  bool fGettingDrawgridDataRec = false;
  bool ftweaking_data = false;
  bool fGridCanBeRTL = false;
  std::unique_ptr<TBitmap> ScreenImage;
  TCanvas* WmfCanvas = nullptr;  // the grid's metafile canvas during a copy
  // How many cell records the list was asked for (the grid is virtual: a
  // paint asks for the visible cells only).
  Int64 RecordsFetched = 0;
  // The longest text of the plotted list, in characters, for uniform plots.
  Int32 largest_charcount = 0;

 private:
  TQMSister* List() const;
  bool ListBusy() const;
  void DrawCellOn(TCanvas& canvas, const TRect& rect, Int32 col, Int32 row, Int32 r, bool highlighted);
};

// Unit start and stop (the unit has no work of its own).
void QMGridCellHandler_initialization();
void QMGridCellHandler_Finalization();

}  // namespace sk
