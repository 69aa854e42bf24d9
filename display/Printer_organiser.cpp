#include "display/Printer_organiser.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/Basic_consts.h"
#include "core/Global_vars.h"
#include "core/Rectangle_utilities.h"
#include "platform/runtime/RtlMath.h"
#include "services/Logging_utilities.h"
#include "services/Monitor_functions.h"

namespace sk {

namespace {

Int32 gStarted = 0;

// Copies at most n - 1 characters of text into dest and ends them with 0, so
// that the field always holds a terminated string.
template <size_t N>
void CopyInto(Char (&dest)[N], const String& text) {
  const size_t n = std::min(text.size(), N - 1);
  std::fill(std::begin(dest), std::end(dest), Char(0));
  std::copy_n(text.data(), n, dest);
}

template <size_t N>
String FieldText(const Char (&field)[N]) {
  size_t n = 0;
  while (n < N && field[n] != 0) ++n;
  return String(field, n);
}

struct TPaperMM {
  TPrinterPaper paper;
  Int32 width, height;
};

// Paper sizes in millimetres, portrait. The JIS B sizes share the ISO codes.
constexpr TPaperMM kPaperSizes[] = {
    {ppLetter, 216, 279}, {ppLegal, 216, 355}, {ppA3, 297, 420},   {ppA4, 210, 297},   {ppA5, 148, 210},
    {ppB4, 250, 354},     {ppB5, 182, 257},    {ppJisB4, 250, 354}, {ppJisB5, 182, 257},
};

Int32 RoundToInt(Double v) { return static_cast<Int32>(Round(v)); }

}  // namespace

Single GetPrintPrintableWidthInches(const TQMPrinter_rec& rec, bool across) {
  const TRect& r = rec.print_area_in_print_dots;
  const Int32 dots = across ? r.Right - r.Left : r.Bottom - r.Top;
  return static_cast<Single>(dots) / static_cast<Single>(std::max(1, rec.DotsPerInch));
}

TPrinterOrganiser::TPrinterOrganiser() {
  fp_choice = TQMPrintChoice{};
  fp_choice.options = PrintDialogOptionBit(poPageNums) | PrintDialogOptionBit(poSelection) |
                      PrintDialogOptionBit(poDisablePrintToFile);
  fp_choice.PRange = prPageNums;
  fp_rec = TQMPrinter_rec{};
}

void TPrinterOrganiser::GetCurrentPrinterInfo() {
  fp_rec.ScreenPixelsPerPolegada = CurrentPPI();
  fp_rec.PrintToScreenRatio = 1.0f;
  TPrinter* printer = Printer();
  if (printer == nullptr || !printer->HasPrinter() || printer->PrinterCount() == 0) {
    if (global_log_level > 0) AddToLogFile(u"PRINTER NEEDED");
    return;
  }
  const String name = printer->PrinterName();
  if (global_log_level > 0) AddToLogFile(u"PRINTER= " + name);
  CopyInto(fp_rec.nome, name);
  CopyInto(fp_rec.driver, String());
  CopyInto(fp_rec.port, String());
  if (!name.empty()) {
    fp_rec.DotsPerInch = printer->Resolution();
    const TRect paint = printer->PaintRect();
    const Int32 w = paint.Right - paint.Left, h = paint.Bottom - paint.Top;
    fp_rec.print_area_in_print_dots = TRect{0, 0, w, h};
    const Double dpi = std::max(1, fp_rec.DotsPerInch);
    fp_rec.print_area_MM = TRect{0, 0, RoundToInt(w / dpi * inch_to_mm), RoundToInt(h / dpi * inch_to_mm)};
  }
  const TPrinterPaper paper = printer->Paper();
  for (const TPaperMM& p : kPaperSizes)
    if (p.paper == paper) fp_rec.current_papersize = TPapersize_rec{p.width, p.height};
  if (printer->ColorMode()) fp_ini_preferences.monochrome = 0;
  if (printer->Orientation() == poLandscape) {
    fp_ini_preferences.orientation = poLandscape;
    std::swap(fp_rec.current_papersize.width, fp_rec.current_papersize.height);
  } else {
    fp_ini_preferences.orientation = poPortrait;
  }
  fp_rec.PrintToScreenRatio =
      static_cast<Single>(fp_rec.DotsPerInch) / static_cast<Single>(std::max(1, fp_rec.ScreenPixelsPerPolegada));
  SetPrinterSizesToMargins(TMarginInches{1.0f, 1.0f, 1.0f, 1.0f});
}

void TPrinterOrganiser::SetChoice(const TQMPrintChoice& choice) { fp_choice = choice; }

void TPrinterOrganiser::SetDefaultChoices(Int32 columns, Int32 currentPage, Int32 totalPages) {
  fp_choice.PRange = prPageNums;
  fp_choice.options = PrintDialogOptionBit(poPageNums) | PrintDialogOptionBit(poSelection);
  fp_choice.copies = 1;
  fp_choice.total_pages = totalPages;
  fp_choice.current_page = currentPage;
  fp_choice.first_page = 0;
  fp_choice.last_page = totalPages - 1;
  fp_choice.Selection.Left = 0;
  fp_choice.Selection.Right = columns - 1;
}

void TPrinterOrganiser::SetFirstLastPage(Int32 page, bool first) {
  if (first)
    fp_choice.first_page = page;
  else
    fp_choice.last_page = page;
}

void TPrinterOrganiser::SetSelection(const TGridRect& rect) { fp_choice.Selection = rect; }

void TPrinterOrganiser::SetHeaderOrFooterAndWanted(const String& text, bool header, bool wanted) {
  const uint8_t on = wanted && !text.empty() ? 1 : 0;
  if (header) {
    CopyInto(fp_ini_preferences.Header, text);
    fp_ini_preferences.HeaderWanted = on;
  } else {
    CopyInto(fp_ini_preferences.Footer, text);
    fp_ini_preferences.FooterWanted = on;
  }
}

String TPrinterOrganiser::HeaderText() const { return FieldText(fp_ini_preferences.Header); }

String TPrinterOrganiser::FooterText() const { return FieldText(fp_ini_preferences.Footer); }

void TPrinterOrganiser::SetOrientation(TPrinterOrientation orientation) {
  if (orientation == fp_ini_preferences.orientation) return;
  fp_ini_preferences.orientation = orientation;
  const bool portrait = orientation == poPortrait;
  fp_rec.print_area_MM = OrientedRect(fp_rec.print_area_MM, portrait);
  fp_rec.print_to_area_MM = OrientedRect(fp_rec.print_to_area_MM, portrait);
  fp_rec.print_to_area = OrientedRect(fp_rec.print_to_area, portrait);
  fp_rec.print_area_in_print_dots = OrientedRect(fp_rec.print_area_in_print_dots, portrait);
  std::swap(fp_rec.current_papersize.width, fp_rec.current_papersize.height);
  const Int32 w = fp_rec.PrinterPrint_to_Width, h = fp_rec.PrinterPrint_to_height;
  if ((portrait && w > h) || (!portrait && w < h)) std::swap(fp_rec.PrinterPrint_to_Width, fp_rec.PrinterPrint_to_height);
}

void TPrinterOrganiser::SetPrinterSizesToMargins(const TMarginInches& margins) {
  fp_ini_preferences.MarginInches = margins;
  const auto [left, right, top, bottom] = margins;
  const Double d = fp_rec.DotsPerInch;
  const TRect& printable = fp_rec.print_area_in_print_dots;
  fp_rec.print_to_area = TRect{RoundToInt(left * d), RoundToInt(top * d), printable.Right - RoundToInt(right * d),
                               printable.Bottom - RoundToInt(bottom * d)};
  const TRect& mm = fp_rec.print_area_MM;
  const Double k = inch_to_mm;
  fp_rec.print_to_area_MM = TRect{mm.Left + RoundToInt(left * k), mm.Top + RoundToInt(top * k),
                                  mm.Right - RoundToInt(right * k), mm.Bottom - RoundToInt(bottom * k)};
  fp_rec.PrinterPrint_to_Width = fp_rec.print_to_area.Right - fp_rec.print_to_area.Left;
  fp_rec.PrinterPrint_to_height = fp_rec.print_to_area.Bottom - fp_rec.print_to_area.Top;
}

void TPrinterOrganiser::SetUnits(TScreenMeasurementUnits units) { fp_ini_preferences.units = units; }

void TPrinterOrganiser::ToggleMonochrome() { fp_ini_preferences.monochrome = fp_ini_preferences.monochrome ? 0 : 1; }

Single TPrinterOrganiser::GetPrinterPrintableWidthInches(bool across) const {
  return GetPrintPrintableWidthInches(fp_rec, across);
}

void Printer_organiser_initialization() { ++gStarted; }

void Printer_organiser_Finalization() {
  if (gStarted > 0) --gStarted;
}

}  // namespace sk
