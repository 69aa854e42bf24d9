// The cell handler: rows, language and fonts, cell records, canvas settings
// and the painting of one cell.
#include "display/QMGridCellHandler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "analysis/Headingsu.h"
#include "analysis/Work_qm_base_sister.h"
#include "core/Generalruntime2const.h"
#include "core/Global_vars.h"
#include "core/Qm_global_vars.h"
#include "display/Grid_utilities.h"
#include "display/QM_Grid.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Strings.h"
#include "services/Wdef_definitions.h"

namespace sk {

namespace {

// The fixed character format's font name as a string (up to its 0).
String FontNameOf(const Tfixed_character_format_rec& f) {
  size_t n = 0;
  while (n < f.fontname.size() && f.fontname[n] != 0) ++n;
  return String(f.fontname.data(), n);
}

Int32 RoundHalfEven(Double x) { return static_cast<Int32>(std::nearbyint(x)); }

}  // namespace

TQMGridCellHandler::TQMGridCellHandler()
    : fPrintOrganiser(std::make_unique<TPrinterOrganiser>()), CellPainter(std::make_unique<TMyTextDrawer>()) {
  // The drawer's two below-threshold colours: red, then silver.
  CellPainter->below_threshold_colour = 0x0000FF;
  CellPainter->show_greyed_Colour = 0xC0C0C0;
  fMonitorFontscale = 1.0f;
}

TQMGridCellHandler::~TQMGridCellHandler() = default;

TQMSister* TQMGridCellHandler::List() const {
  return fCurrentGrid != nullptr ? fCurrentGrid->fCurrentQMList : nullptr;
}

bool TQMGridCellHandler::ListBusy() const {
  const TQMSister* l = List();
  return Global_Busy_Dont_Show_Data || l == nullptr || l->fListBusy != action_none;
}

// ---- rows

Int32 TQMGridCellHandler::GetRowNumber(Int32 gridRow) const {
  if (gridRow == 0) return 0;
  const Int32 totals = List() != nullptr ? List()->ColumnTotalRowsToShow : 0;
  const Int32 r = gridRow - totals;
  return r > 0 ? r : -gridRow;
}

// ---- set-up, language, fonts, rows

void TQMGridCellHandler::GridSetupLangFontRowcount(TQM_Grid* grid, TQMSister* list, TQuillmarkList kind,
                                                   TGrid_alternatives display) {
  fCurrentGrid = grid;
  if (grid == nullptr) return;
  grid->fCellmanager = this;
  grid->fCurrentQMList = list;
  grid->fCurrentListType = kind;
  grid->fKindOfDisplay = display;
  if (list == nullptr) {
    grid->SetRowCount(2);
    return;
  }
  if (list->GridHeadings() != nullptr) grid->SetColCount(std::max(1, list->GridHeadings()->Count()));
  const Tfixed_lang_details lang = flanguage;
  flanguage.lcid = ~lang.lcid;  // so that SetLanguage takes the record again
  SetLanguage(lang);
  SetTheFont(flanguage.new_win_font);
  MatchRowCountToList();
}

void TQMGridCellHandler::MatchRowCountToList() {
  TQMSister* list = List();
  if (fCurrentGrid == nullptr || list == nullptr) return;
  TQM_Grid& g = *fCurrentGrid;
  const Int32 fixed = list->Count() > 0 ? 1 : 0;
  const Int32 rows = g.fKindOfDisplay == grid_filenames
                         ? list->Count() + list->ColumnTotalRowsToShow + std::max(1, fixed)
                         : list->TotalRowCount(g.fKindOfDisplay) + std::max(1, fixed);
  g.SetRowCount(std::max(rows, fixed + 1));
  g.SetFixedRows(fixed);
}

void TQMGridCellHandler::SetLanguage(const Tfixed_lang_details& details) {
  if (std::memcmp(&details, &flanguage, sizeof(flanguage)) == 0) return;
  flanguage = details;
  CellPainter->BaseDirection = LCIDToBiDiMode(details.lcid);
  if (fGridCanBeRTL && fCurrentGrid != nullptr) fCurrentGrid->SetBiDiMode(CellPainter->BaseDirection);
  SetTheFont(details.new_win_font);
  Resize_RowHeights();
}

void TQMGridCellHandler::SetTheFont(const Tfixed_character_format_rec& format) {
  Tfixed_character_format_rec f = format;
  if (f.fontsize < 8) f.fontsize = 8;
  if (FontNameOf(f).empty()) {
    const String tahoma = u"Tahoma";
    f.fontname.fill(0);
    std::copy(tahoma.begin(), tahoma.end(), f.fontname.begin());
  }
  flanguage.new_win_font = f;
  RecalculateFonts();
}

String TQMGridCellHandler::FontName() const {
  const String n = FontNameOf(flanguage.new_win_font);
  return n.empty() ? String(u"Tahoma") : n;
}

Int32 TQMGridCellHandler::FontSize() const { return std::max<Int32>(8, flanguage.new_win_font.fontsize); }

void TQMGridCellHandler::RecalculateFonts() {
  if (fCurrentGrid == nullptr) return;
  fCurrentGrid->Font().SetName(FontName());
  fCurrentGrid->Font().SetSize(FontSize());
  fCurrentGrid->Canvas().Font().Assign(fCurrentGrid->Font());
  Resize_RowHeights();
}

Int32 TQMGridCellHandler::FixedFontSize() const {
  return std::max(8, RoundHalfEven(static_cast<Double>(FontSize()) / 4.0 * 3.0));
}

void TQMGridCellHandler::Resize_RowHeights() {
  TQM_Grid* g = fCurrentGrid;
  if (g == nullptr || g->InState(csDesigning)) return;
  if (g->OwnerForm != nullptr && (g->OwnerForm->InState(csLoading) || g->OwnerForm->InState(csReading))) return;
  fResizingRowHeights = true;
  g->BeginUpdate();
  TCanvas& c = g->Canvas();
  const Int32 saved = c.Font().Size();
  c.Font().SetName(FontName());
  c.Font().SetSize(FixedFontSize());
  const Int32 h1 = HeightOfAStringPlusOneThird(c, u"gh");
  c.Font().SetSize(FontSize());
  const Int32 h = HeightOfAStringPlusOneThird(c, u"gh");
  c.Font().SetSize(saved);
  g->MinRowHeight = RoundHalfEven(h * 0.8);
  g->SetDefaultRowHeight(std::min(h, g->MaxRowHeight));
  const Int32 lines = g->fPreferredLinesPerRow < 1 ? 1 : g->fPreferredLinesPerRow;
  const Int32 headH = std::min(h1 * HeadingLinesForList(g->fCurrentListType), g->MaxRowHeight);
  const Int32 rowH = std::min(h * lines, g->MaxRowHeight);
  // Rows of one height are the grid's default: only the fixed rows are set
  // apart, so a million rows cost nothing here.
  g->SetDefaultRowHeight(rowH);
  for (Int32 r = 0; r < g->FixedRows(); ++r) g->SetRowHeights(r, headH);
  g->EndUpdate();
  fResizingRowHeights = false;
}

// ---- cell records

TGrid_data_rec TQMGridCellHandler::GetADrawgridDataRec(Int32 col, Int32 row) {
  if (ListBusy()) return TGrid_data_rec{};
  TQMSister* list = List();
  fGettingDrawgridDataRec = true;
  ++RecordsFetched;
  TGrid_data_rec rec = list->DrawgridDataRec(col, row, fCurrentGrid->fKindOfDisplay);
  DoDataTweak(rec.TrueColumn, col, row, fCurrentGrid->fKindOfDisplay, rec);
  fGettingDrawgridDataRec = false;
  return rec;
}

void TQMGridCellHandler::DoDataTweak(Int32 /*trueColumn*/, Int32 col, Int32 row, TGrid_alternatives display,
                                     TGrid_data_rec& rec) {
  if (ftweaking_data || fCurrentGrid == nullptr) return;
  ftweaking_data = true;
  struct TClear {
    bool& f;
    ~TClear() { f = false; }
  } clear{ftweaking_data};
  if (fCurrentGrid->fOnDataTweak) fCurrentGrid->fOnDataTweak(fCurrentGrid, rec.TrueColumn, col, row, display, rec);
  TQMSister* list = List();
  const TNumberDisplayAndSinglesRec& n = rec.n_and_disp;
  if (list != nullptr && list->DataIsForStatusbar && rec.data_type == ddt_number && n.basis >= 1 &&
      n.source_value != 0 && static_cast<Double>(n.basis) != n.computed_value) {
    rec.data_type = ddt_string;
    if (rec.cluster_tokens.empty()) rec.cluster_tokens.resize(1);
    const bool fractional = n.source_value != std::floor(n.source_value);
    rec.cluster_tokens[0].wrd =
        Format(LoadResString(&_QMComputed) + u" %.5n = ", {n.computed_value}) +
        Format(LoadResString(fractional ? &_QMNFloatOfNRoundedYs : &_QMNRoundedOfNRoundedYs),
               {n.source_value, static_cast<Double>(n.basis), n.basis_str});
  }
}

TGrid_data_rec TQMGridCellHandler::GetColumnTotalDataForGrid(Int32 col, Int32 row) {
  if (ListBusy()) return TGrid_data_rec{};
  ++RecordsFetched;
  return List()->GetColumnTotalDataForGrid(col, row);
}

void TQMGridCellHandler::DoStatusBarMessage(Int32 col, Int32 row) {
  TQM_Grid* g = fCurrentGrid;
  if (g == nullptr || !g->fOnStatusbarMessage || List() == nullptr || !g->ValidNonHeaderColAndRow(col, row)) return;
  const Int32 r = GetRowNumber(row);
  TQMSister* list = List();
  list->DataIsForStatusbar = true;
  TGrid_data_rec rec = GetADrawgridDataRec(col, r);
  FormatIt(rec, col, r, true);
  list->DataIsForStatusbar = false;
  if (rec.DataOK) g->fOnStatusbarMessage(g, r, g->RowCount() - g->FixedRows(), rec, tusp_message);
}

String TQMGridCellHandler::GetAGridCellAsString(Int32 col, Int32 row, bool noUndo) {
  if (ListBusy() || row == 0 || fCurrentGrid == nullptr) return String();
  TQMSister* list = List();
  const Int32 entry = list->ConvertedForFrequency(fCurrentGrid->GridRowToDataRowUNconverted(row), list->BaseGridKind);
  if (entry < 0 || entry >= list->Count()) return String();
  const String text = list->GetSomeWordAsString(entry, col);
  // The text an edit is about to replace goes to the list's undo list.
  if (!noUndo) list->AddStringToUndolist(TEntryAndColumn{entry, col}, text);
  return text;
}

void TQMGridCellHandler::SetAGridCellAsString(Int32 col, Int32 row, const String& text) {
  if (ListBusy() || row == 0 || fCurrentGrid == nullptr) return;
  TQMSister* list = List();
  const Int32 entry = list->ConvertedForFrequency(fCurrentGrid->GridRowToDataRowUNconverted(row), list->BaseGridKind);
  if (entry < 0 || entry >= list->Count()) return;
  list->SetSomeWordAsString(entry, col, text);
}

void TQMGridCellHandler::FormatIt(TGrid_data_rec& rec, Int32 col, Int32 row, bool flag) {
  const Int32 fixedRows = fCurrentGrid != nullptr ? fCurrentGrid->FixedRows() : 1;
  ReFormatIt(rec, fTimeLineDisplayBasis, col, row, fixedRows, flag);
}

// ---- canvas settings and colours

TCanvasSettings TQMGridCellHandler::GetFixedFontCanvasSettings() {
  TCanvasSettings s;
  s.fontname = FontName();
  s.fontcolour = Global_Colours.arr[tsc_windowtext];
  s.brushcolour = Global_Colours.arr[tsc_window];
  Int32 size = FixedFontSize();
  if (fCurrentGrid == nullptr || fCurrentGrid->fOutputMode != pra_clipboard)
    size = RoundHalfEven(size * static_cast<Double>(fMonitorFontscale));
  s.fontsize = size;
  return s;
}

TCanvasSettings TQMGridCellHandler::GetCanvasSettingsForCell(Int32 col, Int32 row) {
  if (col == 0 || GetRowNumber(row) < 1) return GetFixedFontCanvasSettings();
  TCanvasSettings s = fCurrentGrid != nullptr ? GetCanvasSettings(fCurrentGrid->Canvas()) : TCanvasSettings{};
  s.fontname = FontName();
  Int32 size = FontSize();
  if (fCurrentGrid == nullptr || fCurrentGrid->fOutputMode != pra_clipboard)
    size = RoundHalfEven(size * static_cast<Double>(fMonitorFontscale));
  s.fontsize = size;
  return s;
}

void TQMGridCellHandler::SetCanvasFromCanvasSettings(TCanvas& canvas, const TCanvasSettings& s) {
  canvas.Font().SetName(s.fontname);
  canvas.Font().SetSize(s.fontsize);
  canvas.Font().SetStyle(s.fontstyles);
  canvas.Brush().SetColor(s.brushcolour);
  canvas.Font().SetColor(s.fontcolour);
}

void TQMGridCellHandler::SetWordHandling1ColourDetails(const std::array<TColor, 11>& colours) {
  fWordHandling1ColourDetails = colours;
  CellPainter->below_threshold_colour = 0xC0C0C0;
}

void TQMGridCellHandler::SetWordHandling4ColourDetails(const std::array<TMyCanvasColourRecAndTypeface, 10>& sets) {
  fWordHandling4ColourDetails = sets;
  CellPainter->show_greyed_Colour = 0xD3D3D3;
}

void TQMGridCellHandler::SetOnGetPreferredTagForm(TGetPreferredTagFormat closure) {
  fOnGetPreferredTagForm = closure;
  CellPainter->fOnGetPreferredTagForm = std::move(closure);
}

void TQMGridCellHandler::SetupLangColoursEtc(const Tfixed_lang_details& language,
                                             const TRulerPlotWordCloudColoursRec& ruler,
                                             const std::array<TColor, 11>& colours,
                                             const std::array<TMyCanvasColourRecAndTypeface, 10>& sets,
                                             bool monochrome) {
  SetLanguage(language);
  SetRulerPlotWordCloudFeatures(ruler);
  SetWordHandling1ColourDetails(colours);
  SetWordHandling4ColourDetails(sets);
  SetMonochrome(monochrome);
}

TColor TQMGridCellHandler::DefaultOrBelowThresholdColour(TColor colour, Byte below) const {
  if (below == 1) return CellPainter->below_threshold_colour;
  if (below == 2) return CellPainter->show_greyed_Colour;
  return colour;
}

// ---- painting one cell

void TQMGridCellHandler::PrepareOutputAndDraw(TCanvas& canvas, const TRect& rect, Int32 col, Int32 row,
                                              bool highlighted) {
  TQM_Grid* g = fCurrentGrid;
  if (g == nullptr || List() == nullptr) return;
  if (g->fOutputMode == pra_clipboard) {
    // A copy fetches each cell once, in ClipboardDrawInCell; it draws only
    // when a picture is being recorded.
    if (WmfCanvas != nullptr) SetCanvasFromCanvasSettings(*WmfCanvas, GetCanvasSettingsForCell(col, row));
    const TGridRect sel = g->Selection();
    const TQMClipboardSettings& cs = g->clipboard_settings;
    const Int32 relCol = col - sel.Left + (cs.include_number_column ? 1 : 0);
    // Relative rows are counted from grid rows, so that column-total rows
    // above the selection do not shift the lines.
    const Int32 relRow = row - sel.Top + (cs.include_heading_row ? 1 : 0);
    if (relRow < 0 || relRow >= g->Clipboard_Stringlist->Count()) return;
    if (col == sel.Left && cs.include_number_column) {
      if (row == sel.Top && cs.include_heading_row) ClipboardDrawInCell(0, 0, 0, 0);
      ClipboardDrawInCell(0, relRow, 0, row);
    }
    if (row == sel.Top && cs.include_heading_row && col > 0) ClipboardDrawInCell(relCol, 0, col, 0);
    ClipboardDrawInCell(relCol, relRow, col, row);
    return;
  }
  const Int32 r = GetRowNumber(row);
  fthis_cell_data = r >= 0 ? GetADrawgridDataRec(col, r) : GetColumnTotalDataForGrid(col, r);
  fFixedCellDisplay = r < 1 || col == 0;
  TCanvas& c = g->fOutputMode == pra_image && ScreenImage ? ScreenImage->Canvas() : canvas;
  DrawCellOn(c, rect, col, row, r, highlighted);
}

void TQMGridCellHandler::DrawCellOn(TCanvas& c, const TRect& rect, Int32 col, Int32 row, Int32 r,
                                    bool highlighted) {
  TQM_Grid* g = fCurrentGrid;
  ClearARect(c, rect, fthis_cell_data, col, row, highlighted, fFixedCellDisplay);
  if (r >= 1 && col == 0 && g->fOutputMode == pra_screen && !fthis_cell_data.IsOverallData)
    DrawNumberColumnMarks(c, rect, fthis_cell_data);
  FormatIt(fthis_cell_data, col, r, true);
  // Cells below the sort threshold are shown on the screen but left out of
  // an exported image.
  if (!(g->fOutputMode == pra_image && fthis_cell_data.BelowSortThreshold == 1))
    DrawACellFul(c, rect, highlighted, fthis_cell_data, col, r);
  if (col >= g->FixedCols() && (g->fOutputMode == pra_screen || g->fOutputMode == pra_image)) {
    if (r == 0) {
      DrawHeadingDecorations(c, rect, col);
    } else if (const TGrid_head* h = g->HeadingOf(col); h != nullptr && h->ShowAsApproximate) {
      const Int32 saved = c.Font().Size();
      const TColor savedColour = c.Font().Color();
      c.Font().SetSize(6);
      c.Font().SetColor(fWordHandling4ColourDetails[1].colourset.arr[tsc_windowtext]);
      c.SetBkMode(TRANSPARENT);
      c.TextOut(rect.Left, rect.Top, u"?");
      c.Font().SetSize(saved);
      c.Font().SetColor(savedColour);
    }
  }
}

void TQMGridCellHandler::ClearARect(TCanvas& canvas, const TRect& rect, const TGrid_data_rec& rec, Int32 col,
                                    Int32 row, bool highlighted, bool fixed) {
  SetCanvasFromCanvasSettings(canvas, GetCanvasSettingsForCell(col, row));
  canvas.Brush().SetStyle(bsSolid);
  if (fixed) {
    DrawAGradientOnRect(canvas, rect);
    return;
  }
  const TBasicBrushFontTypeRec bf =
      BrushFontTypeForGridHead(rec.GridHeading, highlighted, fMonochrome, fixed, Global_Colours);
  canvas.Font().SetColor(bf.font_colour);
  canvas.Brush().SetColor(rec.cell_specific_colours[fb_background] != clNone ? rec.cell_specific_colours[fb_background]
                                                                              : bf.brush_colour);
  canvas.FillRect(rect);
}

void TQMGridCellHandler::DrawACellFul(TCanvas& canvas, const TRect& rect, bool highlighted, TGrid_data_rec& rec,
                                      Int32 col, Int32 row) {
  if (rec.data_type == ddt_plot) {
    DrawAPlot(canvas, rect, rec);
    return;
  }
  if (rec.data_type == ddt_dateplot) {
    DrawATimeline(canvas, rect, rec);
    return;
  }
  TQM_Grid* g = fCurrentGrid;
  TMyTextDrawer& d = *CellPainter;
  const TBasicBrushFontTypeRec bf =
      BrushFontTypeForGridHead(rec.GridHeading, highlighted, fMonochrome, fFixedCellDisplay, Global_Colours);
  MatchACanvasToAGridHead(canvas, bf);
  d.FixedCellDisplay = fFixedCellDisplay;
  d.SetMonochrome(fMonochrome);
  bool struck = rec.deleted || rec.joined_elsewhere;
  if (col == 1 && row >= 1 && g->fCurrentListType == lt_filename_list && rec.FileStatus == fs_not_found) struck = true;
  d.DeletedAppearance = struck && !rec.IsOverallData;
  TFontStyles styles = bf.typefaces;
  if (d.DeletedAppearance) styles = static_cast<TFontStyles>(styles | (1u << fsStrikeOut));
  TForegroundBackGroundColours colours{};
  colours[fb_foregound] = canvas.Font().Color();
  colours[fb_background] = canvas.Brush().Color();
  d.fcustomColours = false;
  if (rec.cell_specific_colours[fb_foregound] != clNone || rec.cell_specific_colours[fb_background] != clNone) {
    TForegroundBackGroundColours cc = colours;
    if (rec.cell_specific_colours[fb_foregound] != clNone) cc[fb_foregound] = rec.cell_specific_colours[fb_foregound];
    if (rec.cell_specific_colours[fb_background] != clNone) cc[fb_background] = rec.cell_specific_colours[fb_background];
    d.SetCustomColours(cc);
    colours = cc;
  }
  d.CurrentSortThreshold = rec.BelowSortThreshold;
  d.SetWCLFormat(rec.data_wclformat);
  const Int32 spaceWidth = canvas.TextWidth(u" ");
  const Cardinal locale = flanguage.lcid;
  const TQMoutput output = g->fOutputMode;
  switch (rec.GridHeading.alignment) {
    case aligned_centre:
    case aligned_default:
    case aligned_right:
      d.edge_margin = GetMyDisplayMargins(spaceWidth, true);
      if (rec.data_wclformat == wcl_Clusters) {
        d.Alignamento = fFixedCellDisplay ? aligned_default : rec.GridHeading.alignment;
        if (!fFixedCellDisplay && List() != nullptr && col < static_cast<Int32>(List()->Alignments.size()))
          d.Alignamento = List()->Alignments[static_cast<size_t>(col)];
        d.DrawClusterText(rec.word_tag_display_options, rec.word_tag_ordering, rec.TagFileTagsShowArr,
                          rec.cluster_tokens, canvas, locale, rect, colours, styles, highlighted, rec.is_filename,
                          output);
      }
      break;
    case aligned_conc: {
      const String padding(static_cast<size_t>(std::max(0, rec.concord_padding_chars)), u' ');
      d.DrawConcText(padding, rec.conc_display_options, rec.word_tag_display_options, rec.word_tag_ordering,
                     rec.TagFileTagsShowArr, rec.conc_tokens, rec.conc_colour_info, canvas, locale, rect, styles,
                     highlighted, g->Blank_out_SW, output, rec.conc_outside_limits);
      break;
    }
    default: break;
  }
  if (!d.text_fits_within_Rect && !g->ignore_whether_data_fits) g->data_didnt_fit = true;
}

// ---- exports

void TQMGridCellHandler::SetupScreenImage(const TRect& rect) {
  ScreenImage = std::make_unique<TBitmap>(std::max(1, rect.Right - rect.Left), std::max(1, rect.Bottom - rect.Top));
  if (fCurrentGrid != nullptr) ScreenImage->Canvas().Font().Assign(fCurrentGrid->Font());
  ScreenImage->Canvas().Brush().SetColor(clWhite);
  ScreenImage->Canvas().FillRect(TRect{0, 0, ScreenImage->Width(), ScreenImage->Height()});
}

bool TQMGridCellHandler::SavedScreenImage(const String& fileName) {
  if (!ScreenImage) return false;
  bool ok = true;
  try {
    ScreenImage->SaveToFile(fileName);
  } catch (const std::exception&) {
    ok = false;
  }
  ScreenImage.reset();
  return ok && FileExists(fileName);
}

TRect TQMGridCellHandler::ComputedCellRectForClipboard(Int32 col, Int32 row, Double scale) const {
  if (fCurrentGrid == nullptr) return TRect{};
  const TQM_Grid& g = *fCurrentGrid;
  Int64 left = 0;
  for (Int32 c = 0; c < col; ++c) left += g.ColWidths(c);
  // Only the rows with a height of their own are visited: a copy far down a
  // long list does not walk every row above it for each cell.
  const Int64 top = g.RowHeightsSum(0, row);
  const auto rd = [scale](Int64 v) { return RoundHalfEven(static_cast<Double>(v) * scale); };
  return TRect{rd(left), rd(top), rd(left + g.ColWidths(col)), rd(top + g.RowHeights(row))};
}

void TQMGridCellHandler::ClipboardDrawInCell(Int32 relCol, Int32 relRow, Int32 col, Int32 row) {
  TQM_Grid* g = fCurrentGrid;
  // Cells arrive column by column, so the text goes at the line's end; the
  // relative column is not needed for it.
  (void)relCol;
  if (g == nullptr) return;
  const Int32 r = GetRowNumber(row);
  TGrid_data_rec rec = r >= 0 ? GetADrawgridDataRec(col, r) : GetColumnTotalDataForGrid(col, r);
  // Without a picture wanted there is no canvas: the cell gives its text only.
  TRect rect{};
  if (WmfCanvas != nullptr) {
    rect = ComputedCellRectForClipboard(col, row, fMonitorFontscale);
    // Every cell but the number column and the heading row moves by the
    // selection's corner.
    const TPoint tl = g->fGridSelectionTopLeftPoint;
    if (col > 0) {
      rect.Left -= tl.X;
      rect.Right -= tl.X;
    }
    if (row > 0) {
      rect.Top -= tl.Y;
      rect.Bottom -= tl.Y;
    }
  }
  const bool fixed = col == 0 || row == 0;
  const bool savedFixed = fFixedCellDisplay;
  fFixedCellDisplay = fixed || r < 1;
  if (WmfCanvas != nullptr) ClearARect(*WmfCanvas, rect, rec, col, row, false, fFixedCellDisplay);
  // Formatted first, so that numbers and dates copy as they are shown.
  FormatIt(rec, col, r, true);
  if (WmfCanvas != nullptr) DrawACellFul(*WmfCanvas, rect, false, rec, col, r);
  fFixedCellDisplay = savedFixed;
  String text;
  if (rec.data_wclformat == wcl_concordance || rec.GridHeading.alignment == aligned_conc)
    text = List()->ExportedConcLineToSaveAsformat(rec, WmfCanvas, nullptr, nullptr, TColRowAndSheet{}, as_txt);
  else
    text = GridDataValueAsString(rec, fTimeLineDisplayBasis);
  clip_string = text;
  g->AddAClipboardCell(relRow, text);
}

void QMGridCellHandler_initialization() {}
void QMGridCellHandler_Finalization() {}

}  // namespace sk
