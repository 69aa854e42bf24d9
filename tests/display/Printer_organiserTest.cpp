// The printer organiser: the stored layout of its records, the facts read
// from a PDF printer in portrait and landscape A4, margins, orientation,
// header and footer, the default choices, and "PRINTER NEEDED".
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include <QtGui/QPageSize>
#include <QtPrintSupport/QPrinter>

#include "TestSupport.h"
#include "VisualTestSupport.h"
#include "core/Global_vars.h"
#include "display/Printer_organiser.h"
#include "platform/runtime/Strings.h"
#include "services/Logging_utilities.h"
#include "services/Monitor_functions.h"

namespace sk {
namespace {

TEST(Printer_organiser, RecordsKeepTheirStoredLayout) {
  EXPECT_EQ(offsetof(TQMPrintIniPreferences, Footer), 162u);
  EXPECT_EQ(offsetof(TQMPrintIniPreferences, HeaderWanted), 324u);
  EXPECT_EQ(offsetof(TQMPrintIniPreferences, monochrome), 326u);
  EXPECT_EQ(offsetof(TQMPrintIniPreferences, MarginInches), 328u);
  EXPECT_EQ(offsetof(TQMPrintIniPreferences, orientation), 344u);
  EXPECT_EQ(offsetof(TQMPrintIniPreferences, units), 345u);
  EXPECT_EQ(offsetof(TQMPrintChoice, copies), 4u);
  EXPECT_EQ(offsetof(TQMPrintChoice, Selection), 24u);
  EXPECT_EQ(offsetof(TQMPrinter_rec, PrinterPrint_to_Width), 480u);
  EXPECT_EQ(offsetof(TQMPrinter_rec, print_area_MM), 496u);
  EXPECT_EQ(offsetof(TQMPrinter_rec, current_papersize), 560u);
  EXPECT_EQ(offsetof(TQMPrinter_rec, PrintToScreenRatio), 568u);
}

TEST(Printer_organiser, ConstructionAndDefaultChoices) {
  TPrinterOrganiser o;
  EXPECT_EQ(o.fp_choice.options, PrintDialogOptionBit(poPageNums) | PrintDialogOptionBit(poSelection) |
                                     PrintDialogOptionBit(poDisablePrintToFile));
  EXPECT_EQ(o.fp_choice.PRange, prPageNums);
  EXPECT_EQ(o.fp_rec.DotsPerInch, 0);
  EXPECT_EQ(o.fp_rec.PrintToScreenRatio, 0.0f);
  o.SetSelection(TGridRect{3, 4, 5, 6});
  o.SetDefaultChoices(7, 2, 10);
  EXPECT_EQ(o.fp_choice.options, PrintDialogOptionBit(poPageNums) | PrintDialogOptionBit(poSelection));
  EXPECT_EQ(o.fp_choice.copies, 1);
  EXPECT_EQ(o.fp_choice.total_pages, 10);
  EXPECT_EQ(o.fp_choice.current_page, 2);
  EXPECT_EQ(o.fp_choice.first_page, 0);
  EXPECT_EQ(o.fp_choice.last_page, 9);
  // Left and right from the columns; top and bottom stay.
  EXPECT_EQ(o.fp_choice.Selection, (TGridRect{0, 4, 6, 6}));
  o.SetFirstLastPage(3, true);
  o.SetFirstLastPage(5, false);
  EXPECT_EQ(o.fp_choice.first_page, 3);
  EXPECT_EQ(o.fp_choice.last_page, 5);
}

TEST(Printer_organiser, HeaderAndFooter) {
  TPrinterOrganiser o;
  struct Case {
    String text;
    bool header, wanted;
    uint8_t expectWanted;
  } cases[] = {
      {u"Page <page number>", true, true, 1},
      {u"", true, true, 0},  // wanted but empty: not wanted
      {u"<date>", false, true, 1},
      {u"<date>", false, false, 0},
  };
  for (const Case& c : cases) {
    o.SetHeaderOrFooterAndWanted(c.text, c.header, c.wanted);
    EXPECT_EQ(c.header ? o.fp_ini_preferences.HeaderWanted : o.fp_ini_preferences.FooterWanted, c.expectWanted);
    EXPECT_EQ(c.header ? o.HeaderText() : o.FooterText(), c.text);
  }
  // A long text keeps 80 characters and its terminating 0, and nothing past the field changes.
  const String longText(100, u'x');
  o.fp_ini_preferences.HeaderWanted = 7;
  o.SetHeaderOrFooterAndWanted(longText, false, true);
  EXPECT_EQ(o.FooterText(), String(80, u'x'));
  EXPECT_EQ(o.fp_ini_preferences.Footer[80], 0);
  EXPECT_EQ(o.fp_ini_preferences.HeaderWanted, 7);
  o.SetHeaderOrFooterAndWanted(u"short", false, true);
  EXPECT_EQ(o.FooterText(), u"short");
}

TEST(Printer_organiser, MarginsOrientationAndPrintableInches) {
  TPrinterOrganiser o;
  o.fp_rec.DotsPerInch = 300;
  o.fp_rec.print_area_in_print_dots = TRect{0, 0, 2400, 3300};
  o.fp_rec.print_area_MM = TRect{0, 0, 203, 279};
  o.fp_rec.current_papersize = TPapersize_rec{216, 279};
  o.SetPrinterSizesToMargins(TMarginInches{0.5f, 1.0f, 0.25f, 2.0f});
  EXPECT_EQ(o.fp_rec.print_to_area, (TRect{150, 75, 2100, 2700}));
  EXPECT_EQ(o.fp_rec.print_to_area_MM, (TRect{13, 6, 178, 228}));
  EXPECT_EQ(o.fp_rec.PrinterPrint_to_Width, 1950);
  EXPECT_EQ(o.fp_rec.PrinterPrint_to_height, 2625);
  EXPECT_FLOAT_EQ(o.GetPrinterPrintableWidthInches(true), 8.0f);
  EXPECT_FLOAT_EQ(o.GetPrinterPrintableWidthInches(false), 11.0f);

  // The present orientation changes nothing.
  const TQMPrinter_rec before = o.fp_rec;
  o.SetOrientation(poPortrait);
  EXPECT_EQ(std::memcmp(&before, &o.fp_rec, sizeof before), 0);
  o.SetOrientation(poLandscape);
  EXPECT_EQ(o.fp_ini_preferences.orientation, poLandscape);
  EXPECT_EQ(o.fp_rec.print_area_in_print_dots, (TRect{0, 0, 3300, 2400}));
  EXPECT_EQ(o.fp_rec.current_papersize.width, 279);
  EXPECT_EQ(o.fp_rec.current_papersize.height, 216);
  EXPECT_EQ(o.fp_rec.PrinterPrint_to_Width, 2625);
  EXPECT_EQ(o.fp_rec.PrinterPrint_to_height, 1950);
  o.SetOrientation(poPortrait);
  EXPECT_EQ(o.fp_rec.print_area_in_print_dots, (TRect{0, 0, 2400, 3300}));
  EXPECT_EQ(o.fp_rec.PrinterPrint_to_Width, 1950);

  // No resolution: the inches divide by 1.
  TQMPrinter_rec none{};
  none.print_area_in_print_dots = TRect{0, 0, 5, 7};
  EXPECT_FLOAT_EQ(GetPrintPrintableWidthInches(none, false), 7.0f);

  o.SetUnits(sm_centimetres);
  EXPECT_EQ(o.fp_ini_preferences.units, sm_centimetres);
  o.ToggleMonochrome();
  EXPECT_EQ(o.fp_ini_preferences.monochrome, 1);
  o.ToggleMonochrome();
  EXPECT_EQ(o.fp_ini_preferences.monochrome, 0);
}

class Printer_organiserPdf : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    FreePrinter();
    ASSERT_NE(Printer(), nullptr);
    Printer()->SetPdfFile(fFolder.File("out.pdf"), 300);
    Printer()->SetPaper(ppA4);
    Printer()->SetMarginsMM(5, 10, 15, 20);
  }
  void TearDown() override { FreePrinter(); }
  ScratchFolder fFolder{"sk_printorg"};
};

TEST_F(Printer_organiserPdf, PortraitA4AtThreeHundredDots) {
  Printer()->SetOrientation(poPortrait);
  TPrinterOrganiser o;
  o.fp_ini_preferences.monochrome = 1;
  o.SetPrinterSizesToMargins(TMarginInches{0.1f, 0.2f, 0.3f, 0.4f});
  o.GetCurrentPrinterInfo();
  EXPECT_EQ(String(o.fp_rec.nome), fFolder.File("out.pdf"));
  EXPECT_EQ(o.fp_rec.driver[0], 0);
  EXPECT_EQ(o.fp_rec.port[0], 0);
  EXPECT_EQ(o.fp_rec.DotsPerInch, 300);
  EXPECT_EQ(o.fp_rec.ScreenPixelsPerPolegada, CurrentPPI());
  EXPECT_FLOAT_EQ(o.fp_rec.PrintToScreenRatio, 300.0f / static_cast<Single>(CurrentPPI()));
  // The printable area is the paint rectangle's size (the paper less 5 + 15 and 10 + 20 mm).
  const TRect paint = Printer()->PaintRect();
  EXPECT_EQ(o.fp_rec.print_area_in_print_dots, (TRect{0, 0, paint.Right - paint.Left, paint.Bottom - paint.Top}));
  EXPECT_NEAR(o.fp_rec.print_area_MM.Right, 190, 1);
  EXPECT_NEAR(o.fp_rec.print_area_MM.Bottom, 267, 1);
  EXPECT_EQ(o.fp_rec.current_papersize.width, 210);
  EXPECT_EQ(o.fp_rec.current_papersize.height, 297);
  EXPECT_EQ(o.fp_ini_preferences.orientation, poPortrait);
  // A colour printer switches monochrome off.
  EXPECT_EQ(o.fp_ini_preferences.monochrome, Printer()->ColorMode() ? 0 : 1);
  // The margins are one inch again, whatever they were.
  for (Single m : o.fp_ini_preferences.MarginInches) EXPECT_EQ(m, 1.0f);
  EXPECT_EQ(o.fp_rec.print_to_area.Left, 300);
  EXPECT_EQ(o.fp_rec.print_to_area.Top, 300);
  EXPECT_EQ(o.fp_rec.print_to_area.Right, o.fp_rec.print_area_in_print_dots.Right - 300);
  EXPECT_EQ(o.fp_rec.PrinterPrint_to_Width, o.fp_rec.print_area_in_print_dots.Right - 600);
}

TEST_F(Printer_organiserPdf, LandscapeA4GivesTheWidePaper) {
  Printer()->SetOrientation(poLandscape);
  TPrinterOrganiser o;
  o.GetCurrentPrinterInfo();
  EXPECT_EQ(o.fp_ini_preferences.orientation, poLandscape);
  EXPECT_EQ(o.fp_rec.current_papersize.width, 297);
  EXPECT_EQ(o.fp_rec.current_papersize.height, 210);
  EXPECT_GT(o.fp_rec.print_area_in_print_dots.Right, o.fp_rec.print_area_in_print_dots.Bottom);
  // A refresh keeps landscape and does not swap the paper twice.
  o.GetCurrentPrinterInfo();
  EXPECT_EQ(o.fp_rec.current_papersize.width, 297);
}

TEST_F(Printer_organiserPdf, OtherPapersLeaveThePaperSizeAlone) {
  Printer()->QtPrinter().setPageSize(QPageSize(QPageSize::Tabloid));
  TPrinterOrganiser o;
  o.fp_rec.current_papersize = TPapersize_rec{1, 2};
  o.GetCurrentPrinterInfo();
  EXPECT_EQ(o.fp_rec.current_papersize.width, 1);
  EXPECT_EQ(o.fp_rec.current_papersize.height, 2);
  Printer()->SetPaper(ppLetter);
  o.GetCurrentPrinterInfo();
  EXPECT_EQ(o.fp_rec.current_papersize.width, 216);
  EXPECT_EQ(o.fp_rec.current_papersize.height, 279);
}

TEST_F(Printer_organiserPdf, APrinterNameKeepsItsTerminatingZero) {
  const String longName = fFolder.File(std::string(120, 'n') + ".pdf");
  Printer()->SetPdfFile(longName);
  TPrinterOrganiser o;
  o.GetCurrentPrinterInfo();
  EXPECT_EQ(String(o.fp_rec.nome), longName.substr(0, printer_name_chars - 1));
}

TEST(Printer_organiserNoPrinter, LogsPrinterNeededAndKeepsTheRecord) {
  TestApplication();
  FreePrinter();
  Printer()->SetPdfFile(String());
  if (Printer()->HasPrinter()) GTEST_SKIP() << "this machine has a system printer";
  ScratchFolder folder("sk_printlog");
  const Int32 savedLevel = global_log_level;
  global_log_level = 1;
  SetLogFilename(folder.File("log.txt"));
  TPrinterOrganiser o;
  o.fp_rec.DotsPerInch = 77;
  o.fp_ini_preferences.MarginInches = TMarginInches{2, 2, 2, 2};
  o.GetCurrentPrinterInfo();
  global_log_level = savedLevel;
  SetLogFilename(u"");
  FreePrinter();
  EXPECT_EQ(o.fp_rec.DotsPerInch, 77);
  EXPECT_EQ(o.fp_rec.PrintToScreenRatio, 1.0f);
  EXPECT_EQ(o.fp_rec.ScreenPixelsPerPolegada, CurrentPPI());
  EXPECT_EQ(o.fp_ini_preferences.MarginInches[0], 2.0f);
  const std::string log = ReadFileBytes(folder.Path("log.txt"));
  const std::string needle = std::string("P\0R\0I\0N\0T\0E\0R\0 \0N\0E\0E\0D\0E\0D\0", 28);
  EXPECT_NE(log.find(needle), std::string::npos);
}

}  // namespace
}  // namespace sk
