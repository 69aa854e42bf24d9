// The results grid's exports: a clipboard copy of the selection (text lines
// and a picture), one image per timeline segment (optionally zipped), and
// printing page by page with a header and a footer. Every destination paints
// through the cell handler's PrepareOutputAndDraw, switched by fOutputMode.
#include <algorithm>
#include <cmath>

#include "core/Basic_consts.h"
#include "core/Basic_processes.h"
#include "core/Generalruntime2const.h"
#include "core/Global_vars.h"
#include "core/Juliandateroutines.h"
#include "core/My_file_extensionsu.h"
#include "core/My_string_functions_splitting.h"
#include "core/Qm_global_vars.h"
#include "display/QM_Grid.h"
#include "display/QMGridCellHandler.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/StringList.h"
#include "platform/visual/Clipboard.h"
#include "platform/visual/Printer.h"
#include "services/Logging_utilities.h"
#include "services/Monitor_functions.h"
#include "services/Qmbaseholderunit.h"
#include "ui/Graphics_utilities.h"

namespace sk {

namespace {

Int32 RoundHalfEven(Double x) { return static_cast<Int32>(std::nearbyint(x)); }

// The largest clipboard picture also offered as pixels (PNG), about a
// screenful: 1920 x 1080.
constexpr Int64 kMaxClipboardPngPixels = Int64{1920} * 1080;

// Puts the grid's output mode, the list's export flags and the cursor back
// however the export ends.
struct TExportState {
  TQM_Grid& g;
  bool cursor;
  ~TExportState() {
    g.fOutputMode = pra_screen;
    if (g.fCurrentQMList != nullptr) {
      g.fCurrentQMList->ExportingReducedTextChars = false;
      g.fCurrentQMList->DoingClipboardOperation = false;
    }
    if (g.fCellmanager != nullptr) g.fCellmanager->WmfCanvas = nullptr;
    if (cursor) Screen().SetCursor(crDefault);
  }
};

}  // namespace

// ---- clipboard

void TQM_Grid::SaveToClipboard() {
  // A copy yields to the host, which may ask for another copy meanwhile: that
  // one is not started over the first.
  if (fCopyingToClipboard) return;
  if (FonSaveToClipboard) FonSaveToClipboard(this, clipboard_settings);
  struct TCopying {
    bool& flag;
    ~TCopying() { flag = false; }
  } copying{fCopyingToClipboard};
  fCopyingToClipboard = true;
  TExportState restore{*this, false};
  try {
    StartOrStopClipboard(true);
  } catch (...) {
    fWmfCanvasHolder.reset();
    throw;
  }
  StartOrStopClipboard(false);
}

void TQM_Grid::AddAClipboardCell(Int32 relRow, const String& text) {
  if (relRow < 0 || relRow >= Clipboard_Stringlist->Count()) return;
  String line = Clipboard_Stringlist->Get(relRow);
  if (!line.empty()) line += u"\t";
  Clipboard_Stringlist->Put(relRow, line + text);
}

void TQM_Grid::StartOrStopClipboard(bool starting) {
  if (starting) {
    fClipboardCopyEnded = false;
    Clipboard_Stringlist->Clear();
    WMetafile->Clear();
    if (fCurrentQMList == nullptr || fCellmanager == nullptr) return;
    TQMSister* const list = fCurrentQMList;
    TQMGridCellHandler* const handler = fCellmanager;
    list->DoingClipboardOperation = true;
    const TGridRect sel = Selection();
    const TQMClipboardSettings& cs = clipboard_settings;
    TRect tl = handler->ComputedCellRectForClipboard(sel.Left, sel.Top, 1.0);
    if (cs.include_number_column) tl.Left -= ColWidths(0);
    if (cs.include_heading_row) tl.Top -= RowHeights(0);
    fGridSelectionTopLeftPoint = TPoint{tl.Left, tl.Top};
    const TRect br = handler->ComputedCellRectForClipboard(sel.Right, sel.Bottom, 1.0);
    fGridSelectionRect = TRect{tl.Left, tl.Top, br.Right, br.Bottom};
    const Int32 rows = std::max(0, sel.Bottom - sel.Top + 1);
    for (Int32 i = 0; i < rows + (cs.include_heading_row ? 2 : 0); ++i) Clipboard_Stringlist->Add(String());
    const Int32 w = std::max(0, br.Right - tl.Left), h = std::max(0, br.Bottom - tl.Top);
    WMetafile->SetSize(w, h);
    if (global_log_level > 1)
      AddToLogFile(Format(u"metafile: %d by %d, res=%f", {w, h, static_cast<Double>(handler->fMonitorFontscale)}));
    // The picture is recorded only when it is wanted: a text copy draws
    // nothing and measures nothing.
    if (cs.include_picture) {
      const String tools = LoadResString(&_QMQuillmarkTools);
      fWmfCanvasHolder = std::make_unique<TMetafileCanvas>(*WMetafile, tools, tools);
      fWmfCanvasHolder->Font().Assign(Font());
      TQMGridCellHandler::SetCanvasFromCanvasSettings(*fWmfCanvasHolder, GetCanvasSettings(Canvas()));
      if (global_log_level > 1) AddToLogFile(Format(u"font size: %d", {fWmfCanvasHolder->Font().Size()}));
    }
    handler->WmfCanvas = fWmfCanvasHolder.get();
    const Int32 rowCount = RowCount();
    TTimedYield yield;
    // The host's yield may repaint the grid, which then paints on the screen
    // with the list as usual (or may replace the list).
    const auto copying = [&](bool on) {
      fOutputMode = on ? pra_clipboard : pra_screen;
      list->ExportingReducedTextChars = on;
      list->DoingClipboardOperation = on;
    };
    for (Int32 r = sel.Top; r <= sel.Bottom; ++r) {
      copying(true);
      for (Int32 c = sel.Left; c <= sel.Right; ++c) handler->PrepareOutputAndDraw(Canvas(), TRect{}, c, r, true);
      copying(false);
      // A Stop, or another list, row count or selection by the time the
      // yield returns, ends the copy with nothing put on the clipboard.
      if (yield.Tick() || fCurrentQMList != list || fCellmanager != handler || RowCount() != rowCount ||
          !(Selection() == sel)) {
        fClipboardCopyEnded = true;
        return;
      }
    }
    copying(true);
    return;
  }
  // The canvas is freed first: that completes the picture.
  if (fCellmanager != nullptr) fCellmanager->WmfCanvas = nullptr;
  fWmfCanvasHolder.reset();
  if (fCurrentQMList != nullptr) {
    fCurrentQMList->ExportingReducedTextChars = false;
    fCurrentQMList->DoingClipboardOperation = false;
  }
  fOutputMode = pra_screen;
  Invalidate();
  if (fClipboardCopyEnded) {
    // A copy cut short leaves the clipboard as it was.
    Clipboard_Stringlist->Clear();
    WMetafile->Clear();
    return;
  }
  std::vector<std::pair<std::string, TBytes>> formats;
  if (clipboard_settings.include_text && Clipboard_Stringlist->Count() > 0) {
    // The text goes to UTF-8 line by line, yielding as the copy did.
    TBytes text;
    TTimedYield yield;
    for (Int32 i = 0; i < Clipboard_Stringlist->Count(); ++i) {
      const std::string line = StringToUtf8(Clipboard_Stringlist->Get(i));
      text.insert(text.end(), line.begin(), line.end());
      text.push_back('\r');
      text.push_back('\n');
      if (yield.Tick()) {
        Clipboard_Stringlist->Clear();
        WMetafile->Clear();
        return;
      }
    }
    formats.emplace_back("text/plain", std::move(text));
  }
  if (clipboard_settings.include_picture && !WMetafile->Empty()) {
    formats.emplace_back("image/svg+xml", WMetafile->SvgData());
    // The pixel copy beside the drawing is for pictures of a page or so: a
    // picture of thousands of rows would take seconds to render without a
    // yield, and gigabytes.
    if (Int64{WMetafile->Width()} * WMetafile->Height() <= kMaxClipboardPngPixels) {
      const TBytes png = WMetafile->RenderedPng();
      if (!png.empty()) formats.emplace_back("image/png", png);
    }
  }
  if (!formats.empty()) ClipboardSetFormats(formats);
}

// ---- timeline images

void TQM_Grid::OutputExportData(TCanvas& canvas, Int32 row, Int32& y) {
  const TGridRect& e = ExportRowsAndColsRect;
  Int32 x = 0;
  const auto paint = [&](Int32 c) {
    const TRect r{x, y, x + ColWidths(c), y + RowHeights(row)};
    fCellmanager->PrepareOutputAndDraw(canvas, r, c, row, false);
    x += ColWidths(c) + GridLineWidth();
  };
  paint(0);
  for (Int32 c = std::max(1, e.Left); c <= e.Right && c < ColCount(); ++c) {
    const TGrid_head* h = HeadingOf(c);
    if (h == nullptr || h->escondido) continue;
    paint(c);
  }
  y += RowHeights(row) + GridLineWidth();
}

bool TQM_Grid::ExportedDataTo(const String& fileName, bool zipIt, bool zipFlag) {
  Screen().SetCursor(crHourGlass);
  TExportState restore{*this, true};
  if (fCurrentQMList == nullptr || fCellmanager == nullptr) return false;
  TQMSister* list = fCurrentQMList;
  TQMExportRec exportRec = list->Patroa != nullptr ? list->Patroa->ExportRec : TQMExportRec{};
  const TRect er = ExportSettingsGridRect(exportRec, ColCount(), RowCount());
  ExportRowsAndColsRect = TGridRect{er.Left, er.Top, er.Right, er.Bottom};
  if (list->fList_type != lt_KWDB_timeline_list && list->fList_type != lt_conc_timeline_list) return false;
  if (!exportRec.settings.export_timeline_segments_separately) return false;
  const Int32 plotCol = list->GetPlotOrTimelineColumnNumber();
  if (plotCol < 0 || list->Count() < 1) return false;
  const TGrid_data_rec first = fCellmanager->GetADrawgridDataRec(plotCol, 1);
  const Int32 segments = static_cast<Int32>(first.timeline_data_scores.size());
  const TGridRect& e = ExportRowsAndColsRect;
  std::vector<String> files;
  bool allSaved = true;
  for (Int32 i = 0; i < segments; ++i) {
    list->SetTimelineFocussedSegment(i);
    MyYieldProcess();
    Int32 w = ColWidths(0) + GridLineWidth(), h = 0;
    for (Int32 c = std::max(1, e.Left); c <= e.Right && c < ColCount(); ++c) {
      const TGrid_head* hd = HeadingOf(c);
      if (hd != nullptr && !hd->escondido) w += ColWidths(c) + GridLineWidth();
    }
    for (Int32 r = e.Top; r <= e.Bottom && r < RowCount(); ++r) h += RowHeights(r) + GridLineWidth();
    fCellmanager->SetupScreenImage(TRect{0, 0, w, h});
    Int32 y = 0;
    TTimedYield yield;
    bool stopped = false;
    for (Int32 r = e.Top; r <= e.Bottom && r < RowCount() && !stopped; ++r) {
      fOutputMode = pra_image;
      OutputExportData(fCellmanager->ScreenImage->Canvas(), r, y);
      // The host's yield may repaint the grid, which then paints on the
      // screen, not on the image.
      fOutputMode = pra_screen;
      stopped = yield.Tick();
    }
    if (stopped) {
      // A Stop saves no further image and makes no zip.
      fCellmanager->ScreenImage.reset();
      allSaved = false;
      break;
    }
    const String date = AcceptableShortFilename(
        TimelineDataToJulianDateStr(i, first.timeline_datearr, first.timeline_data.basis, false));
    const String name = ChangeFileExt(fileName, Format(u"_%s_(col_%d)%s", {date, i + 1, String(QMExts[ext_bmp])}));
    files.push_back(name);
    if (allSaved)
      allSaved = fCellmanager->SavedScreenImage(name);
    else
      fCellmanager->ScreenImage.reset();
    MyYieldProcess();
  }
  list->SetTimelineFocussedSegment(-1);
  fOutputMode = pra_screen;
  Refresh();
  if (!allSaved) return false;
  if (!zipIt) return true;
  // The suite's zip glue installs the call; without it no zip is made.
  if (!ZipASeriesOfFilesToHook) return false;
  return ZipASeriesOfFilesToHook(files, fileName, 0, zipFlag);
}

// ---- printing

Int32 TQM_Grid::PrinterCurrentLineHeight(Int32 n) const { return RoundHalfEven(n * print_rec.PrintToScreenRatio); }

Int32 TQM_Grid::PrinterAGivenRowsHeight(TQMoutput output, Int32 row) const {
  const Int32 h = RowHeights(row) + GridLineWidth();
  return output == pra_printer ? PrinterCurrentLineHeight(h) : h;
}

Int32 TQM_Grid::PrintComputePageSizes() {
  if (fCellmanager == nullptr) return 0;
  TPrinterOrganiser& org = *fCellmanager->fPrintOrganiser;
  print_rec = org.fp_rec;
  T1LongintList& starts = *print_pre_output.pg_start_line;
  starts.Clear();
  org.SetSelection(Selection());
  print_pre_output.total_pages = 0;
  const Int32 line = PrinterCurrentLineHeight(RowHeights(0) + GridLineWidth());
  const Int32 frame = (org.fp_ini_preferences.FooterWanted ? line : 0) + (org.fp_ini_preferences.HeaderWanted ? 2 * line : 0);
  const TGridRect sel = Selection();
  Int32 used = 0, rowsOnPage = 0;
  const auto startPage = [&](Int32 row) {
    starts.AddOne(row);
    ++print_pre_output.total_pages;
    used = frame;
    rowsOnPage = 0;
  };
  startPage(0);
  TTimedYield yield;
  for (Int32 r = 0; r < RowCount(); ++r) {
    // A Stop leaves no pages to print.
    if (yield.Tick()) {
      starts.Clear();
      print_pre_output.total_pages = 0;
      print_pre_output.current_page = 0;
      return 0;
    }
    const Int32 h = RoundHalfEven((RowHeights(r) + GridLineWidth()) * static_cast<Double>(print_rec.PrintToScreenRatio));
    used += h;
    // A new page only when this one already holds a row: a row taller than
    // the page fills a page alone and leaves none empty.
    if (used > print_rec.PrinterPrint_to_height && rowsOnPage > 0) {
      startPage(r);
      used += h;
    }
    ++rowsOnPage;
    const Int32 page = print_pre_output.total_pages - 1;
    if (r == sel.Top) org.SetFirstLastPage(page, true);
    if (r == sel.Bottom) org.SetFirstLastPage(page, false);
    if (r == Row()) print_pre_output.current_page = page;
  }
  if (rowsOnPage > 0) starts.AddOne(RowCount());
  print_pre_output.total_pages = std::max(0, starts.Count() - 1);
  print_pre_output.current_page = std::min(print_pre_output.current_page, std::max(0, print_pre_output.total_pages - 1));
  return starts.Count() > 2 ? starts.GetAValue(1) : 0;
}

String TQM_Grid::PrintFormattedHeaderOrFooter(const String& text, Int32 page, Int32 total) {
  String s = text;
  const String dateTag = u"<date>", pageTag = u"<page number>";
  if (const size_t p = s.find(dateTag); p != String::npos)
    s.replace(p, dateTag.size(), FormatDateTime(u"dd mmm yyyy", Date()));
  if (page > 0)
    if (const size_t p = s.find(pageTag); p != String::npos) s.replace(p, pageTag.size(), Format(u"%d / %d", {page, total}));
  return s;
}

void TQM_Grid::PrintHeaderOrFooter(TCanvas& canvas, const String& text, Int32& y, Int32 page, Int32 total,
                                   bool header) {
  TCanvasSettings s = GetCanvasSettings(Canvas());
  s.brushcolour = Global_Colours.arr[tsc_window];
  s.fontcolour = Global_Colours.arr[tsc_windowtext];
  s.fontstyles = header ? static_cast<TFontStyles>(1u << fsBold) : TFontStyles{0};
  TQMGridCellHandler::SetCanvasFromCanvasSettings(canvas, s);
  const String t = PrintFormattedHeaderOrFooter(text, page, total);
  const bool preview = fOutputMode == pra_print_preview;
  TRect area = print_rec.print_to_area;
  if (preview) {
    const Double k = mm_to_inch * print_rec.ScreenPixelsPerPolegada;
    const TRect& mm = print_rec.print_to_area_MM;
    area = TRect{RoundHalfEven(mm.Left * k), RoundHalfEven(mm.Top * k), RoundHalfEven(mm.Right * k),
                 RoundHalfEven(mm.Bottom * k)};
  }
  const Int32 th = canvas.TextHeight(t);
  const Int32 tw = canvas.TextWidth(t);
  if (header) {
    const Int32 top = y + (preview ? 1 : 0);
    canvas.ExtTextOut(area.Left, top, 0, TRect{area.Left, top, area.Left + tw, top + th}, t);
  } else {
    const Int32 right = area.Right - (preview ? 1 : 0);
    const Int32 top = area.Bottom - th - (preview ? 10 : 0);
    canvas.ExtTextOut(right - tw, top, 0, TRect{right - tw, top, right, top + th}, t);
  }
  y += 2 * th;
}

void TQM_Grid::PrintOneRow(TCanvas& canvas, TQMoutput output, Int32 row, Int32 firstCol, Int32& lastCol, Int32& y) {
  const Int32 top = y;
  y += PrinterAGivenRowsHeight(output, row);
  Int32 x = 0, right = INT32_MAX;
  if (output == pra_printer) {
    x = print_rec.print_to_area.Left;
    right = print_rec.print_to_area.Right;
  } else if (output == pra_print_preview) {
    const Double k = mm_to_inch * print_rec.ScreenPixelsPerPolegada;
    x = RoundHalfEven(print_rec.print_to_area_MM.Left * k);
    right = RoundHalfEven(print_rec.print_to_area_MM.Right * k);
  }
  const TQMoutput saved = fOutputMode;
  fOutputMode = output;
  // The room the columns after column 0 have on any page.
  Int64 room = Int64{right} - x;
  std::vector<Int32> cols{0};
  for (Int32 c = std::max(1, firstCol); c <= lastCol && c < ColCount(); ++c) cols.push_back(c);
  for (const Int32 c : cols) {
    const TGrid_head* h = HeadingOf(c);
    if (c > 0 && (h == nullptr || h->escondido)) continue;
    Int32 w = ColWidths(c) + GridLineWidth(), hh = RowHeights(row) + GridLineWidth();
    if (output == pra_printer) {
      w = PrinterCurrentLineHeight(w);
      hh = PrinterCurrentLineHeight(hh);
    }
    const bool fits = Int64{x} + w <= right;
    // A column wider than the printable width beside column 0 fits no page:
    // rather than leave it out (a concordance column as wide as the screen
    // would print nothing but row numbers), it is printed cut to the space
    // left on the page. The row ends there, as it does at any column that
    // does not fit.
    if (fits || (w > room && x < right)) {
      const TRect cell{x, top, fits ? x + w : right, top + hh};
      TQMGridCellHandler::SetCanvasFromCanvasSettings(canvas, fCellmanager->GetCanvasSettingsForCell(c, row));
      fCellmanager->PrepareOutputAndDraw(canvas, cell, c, row, false);
      if (c >= 1 && row >= FirstEntryRow()) print_pre_output.preview_success = true;
    }
    if (!fits) {
      lastCol = c;
      if (output == pra_print_preview) {
        canvas.Pen().SetColor(0x800080);
        const Int32 edge = c == 1 ? right - 1 : right;
        canvas.MoveTo(edge, top);
        canvas.LineTo(edge, top + hh);
        if (c == 1)
          print_pre_output.preview_max_col1_width = std::max(25, right - x - DimensionScaledForDPI(5));
      }
      break;
    }
    x += w;
    if (c == 0) room = Int64{right} - x;
  }
  fOutputMode = saved;
}

void TQM_Grid::PrintOutputAPage(TCanvas& canvas, Int32 page, bool selectionOnly) {
  T1LongintList& starts = *print_pre_output.pg_start_line;
  // A page number beyond the computed pages prints nothing.
  if (page < 0 || page >= starts.Count() - 1 || fCurrentQMList == nullptr || fCellmanager == nullptr) return;
  TPrinterOrganiser& org = *fCellmanager->fPrintOrganiser;
  LoadGridHeaders();
  const TQMPrintChoice choice = org.fp_choice;
  print_rec = org.fp_rec;
  const TQMoutput output = fOutputMode;
  Int32 y = 0;
  if (output == pra_printer)
    y = print_rec.print_to_area.Top;
  else if (output == pra_print_preview)
    y = RoundHalfEven(print_rec.print_to_area_MM.Top * mm_to_inch * print_rec.ScreenPixelsPerPolegada);
  const String header = org.HeaderText(), footer = org.FooterText();
  if (org.fp_ini_preferences.HeaderWanted && !header.empty())
    PrintHeaderOrFooter(canvas, header, y, page + 1, print_pre_output.total_pages, true);
  const TGridRect sel = choice.Selection;
  for (Int32 r = starts.GetAValue(page); r < starts.GetAValue(page + 1) && r < RowCount(); ++r) {
    MyYieldProcess();
    Int32 last = sel.Right >= sel.Left ? sel.Right : ColCount() - 1;
    if (!selectionOnly) {
      if (page < choice.first_page)
        y += PrinterAGivenRowsHeight(output, r);
      else
        PrintOneRow(canvas, output, r, sel.Left, last, y);
    } else if (r >= sel.Top && r <= sel.Bottom) {
      // A selection in a preview is painted as preview.
      PrintOneRow(canvas, output, r, sel.Left, last, y);
    }
  }
  if (org.fp_ini_preferences.FooterWanted && !footer.empty())
    PrintHeaderOrFooter(canvas, footer, y, page + 1, print_pre_output.total_pages, false);
  if (output == pra_printer && page != choice.last_page)
    if (TPrinter* p = Printer(); p != nullptr && p->Printing()) p->NewPage();
}

}  // namespace sk
