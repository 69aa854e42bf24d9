// What printing a results grid needs to know about the current printer and
// about the user's print choices: the printer's name, resolution and
// printable areas in dots and millimetres, the margins, orientation, header
// and footer, the pages and the grid selection to print.
//
// The three records have fixed layouts suited to storing whole.
#pragma once

#include <array>
#include <functional>

#include "core/Basic_types.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/visual/DrawGrid.h"
#include "platform/visual/Printer.h"

namespace sk {

// A header or footer holds at most this many characters and a terminating 0.
inline constexpr Int32 print_header_max_chars = 80;
// A printer, driver or port name holds at most this many characters and a 0.
inline constexpr Int32 printer_name_chars = 80;

// Margins in inches: left, right, top, bottom.
using TMarginInches = std::array<Single, 4>;

struct TQMPrintIniPreferences {
  Char Header[print_header_max_chars + 1];
  Char Footer[print_header_max_chars + 1];
  uint8_t HeaderWanted;
  uint8_t FooterWanted;
  uint8_t monochrome;
  TMarginInches MarginInches;
  TPrinterOrientation orientation;
  TScreenMeasurementUnits units;
};
static_assert(sizeof(TQMPrintIniPreferences) == 348);

struct TQMPrintChoice {
  TPrintDialogOptions options;
  TPrintRange PRange;
  Int32 copies;
  Int32 total_pages;
  Int32 current_page;
  Int32 first_page;
  Int32 last_page;
  TGridRect Selection;
};
static_assert(sizeof(TQMPrintChoice) == 40);

// Paper width and height in millimetres.
struct TPapersize_rec {
  Int32 width;
  Int32 height;
};

struct TQMPrinter_rec {
  Char nome[printer_name_chars];
  Char driver[printer_name_chars];
  Char port[printer_name_chars];
  Int32 PrinterPrint_to_Width;
  Int32 PrinterPrint_to_height;
  Int32 ScreenPixelsPerPolegada;
  Int32 DotsPerInch;
  TRect print_area_MM;
  TRect print_to_area_MM;
  TRect print_to_area;
  TRect print_area_in_print_dots;
  TPapersize_rec current_papersize;
  Single PrintToScreenRatio;
};
static_assert(sizeof(TQMPrinter_rec) == 572);

using TPrinterInfoChangeEvent =
    std::function<void(TObject* Sender, const TQMPrintIniPreferences& prefs, const TQMPrinter_rec& rec)>;

// The printable width (across) or height of a printer record in inches.
Single GetPrintPrintableWidthInches(const TQMPrinter_rec& rec, bool across);

class TPrinterOrganiser : public TObject {
 public:
  TPrinterOrganiser();

  TQMPrintIniPreferences fp_ini_preferences{};
  TQMPrintChoice fp_choice{};
  TQMPrinter_rec fp_rec{};

  // Refreshes fp_rec from the current printer (Printer()); without one it
  // logs "PRINTER NEEDED" and keeps the record's facts. Every refresh puts
  // the margins back to one inch on each side.
  void GetCurrentPrinterInfo();
  void SetChoice(const TQMPrintChoice& choice);
  void SetDefaultChoices(Int32 columns, Int32 currentPage, Int32 totalPages);
  void SetFirstLastPage(Int32 page, bool first);
  void SetSelection(const TGridRect& rect);
  void SetHeaderOrFooterAndWanted(const String& text, bool header, bool wanted);
  void SetOrientation(TPrinterOrientation orientation);
  void SetPrinterSizesToMargins(const TMarginInches& margins);
  void SetUnits(TScreenMeasurementUnits units);
  void ToggleMonochrome();
  Single GetPrinterPrintableWidthInches(bool across) const;

  // The header or footer as a string (up to its terminating 0).
  String HeaderText() const;
  String FooterText() const;
};

// Unit start and stop (the unit has no work of its own).
void Printer_organiser_initialization();
void Printer_organiser_Finalization();

}  // namespace sk
