// The printer: facts of a PDF printer at a set resolution in portrait and
// landscape A4 and with unequal margins, and a document of two pages.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "VisualTestSupport.h"
#include <QtGui/QPageSize>
#include <QtPrintSupport/QPrinter>

#include "platform/runtime/Strings.h"
#include "platform/visual/Printer.h"

namespace sk {
namespace {

std::filesystem::path TempPdf(const char* name) {
  const auto dir = std::filesystem::temp_directory_path() / ("sk_printer_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  return dir / name;
}

Int32 Dots(Double mm, Int32 dpi) { return static_cast<Int32>(std::lround(mm / 25.4 * dpi)); }

TEST(TPrinterFacts, PdfPrinterAtASetResolutionPortraitAndLandscapeA4) {
  TestApplication();
  TPrinter p;
  const String file = Utf8ToString(TempPdf("facts.pdf").string());
  p.SetPdfFile(file, 300);
  ASSERT_TRUE(p.HasPrinter());
  EXPECT_TRUE(p.IsPdf());
  EXPECT_EQ(p.PrinterName(), file);
  EXPECT_GE(p.PrinterCount(), 1);
  p.SetPaper(ppA4);
  p.SetOrientation(poPortrait);
  p.SetMarginsMM(0, 0, 0, 0);
  EXPECT_EQ(p.Resolution(), 300);
  EXPECT_EQ(p.Paper(), ppA4);
  const TRect full = p.FullPageRect();
  EXPECT_NEAR(full.Right, Dots(210, 300), 2);
  EXPECT_NEAR(full.Bottom, Dots(297, 300), 2);
  EXPECT_EQ(p.PaintRect(), full);

  // Unequal margins: the paint rectangle's corner is the left and top margins.
  p.SetMarginsMM(10, 20, 30, 40);
  const TRect paint = p.PaintRect();
  EXPECT_NEAR(paint.Left, Dots(10, 300), 2);
  EXPECT_NEAR(paint.Top, Dots(20, 300), 2);
  EXPECT_NEAR(full.Right - paint.Right, Dots(30, 300), 2);
  EXPECT_NEAR(full.Bottom - paint.Bottom, Dots(40, 300), 2);
  EXPECT_EQ(p.PageWidth(), paint.Right - paint.Left);

  p.SetOrientation(poLandscape);
  EXPECT_EQ(p.Orientation(), poLandscape);
  const TRect wide = p.FullPageRect();
  EXPECT_EQ(wide.Right, full.Bottom);
  EXPECT_EQ(wide.Bottom, full.Right);

  p.SetResolution(600);
  EXPECT_NEAR(p.FullPageRect().Right, Dots(297, 600), 2);

  // The named paper sizes come back; any other is "other".
  struct Case {
    TPrinterPaper paper;
  } papers[] = {{ppLetter}, {ppLegal}, {ppA3}, {ppA5}, {ppB4}, {ppB5}, {ppJisB5}};
  for (const Case& c : papers) {
    p.SetPaper(c.paper);
    EXPECT_EQ(p.Paper(), c.paper) << int(c.paper);
  }
  p.QtPrinter().setPageSize(QPageSize(QPageSize::Tabloid));
  EXPECT_EQ(p.Paper(), ppOther);
  p.SetColorMode(false);
  EXPECT_FALSE(p.ColorMode());
  p.SetColorMode(true);
  EXPECT_TRUE(p.ColorMode());
}

TEST(TPrinterDocument, TwoPagesIntoAPdfFile) {
  TestApplication();
  TPrinter p;
  const auto path = TempPdf("doc.pdf");
  std::filesystem::remove(path);
  p.SetPdfFile(Utf8ToString(path.string()), 150);
  EXPECT_THROW(p.NewPage(), EPrinter);
  p.BeginDoc();
  EXPECT_TRUE(p.Printing());
  EXPECT_EQ(p.PageNumber(), 1);
  EXPECT_TRUE(p.Canvas().CanDraw());
  EXPECT_EQ(p.Canvas().SurfaceExtent().cx, p.PageWidth());
  p.Canvas().TextOut(10, 10, u"page one");
  EXPECT_THROW(p.BeginDoc(), EPrinter);
  EXPECT_THROW(p.SetPdfFile(u"other.pdf"), EPrinter);
  p.NewPage();
  EXPECT_EQ(p.PageNumber(), 2);
  p.Canvas().Brush().SetColor(clBlack);
  p.Canvas().FillRect(Rect(0, 0, 100, 100));
  p.EndDoc();
  EXPECT_FALSE(p.Printing());
  EXPECT_EQ(p.PageNumber(), 0);
  EXPECT_FALSE(p.Canvas().CanDraw());
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GE(bytes.size(), 5u);
  EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
  EXPECT_NE(bytes.find("/Count 2"), std::string::npos);
  EXPECT_THROW(p.EndDoc(), EPrinter);
  in.close();
  std::filesystem::remove_all(path.parent_path());
}

// A PDF whose name is not UTF-8 (Latin-1, Shift-JIS, bytes of no code page)
// is written at that name and no other, the second document over the first;
// a folder that is not there is refused before anything is printed.
TEST(TPrinterDocument, APdfWhoseNameIsNotUtf8IsWrittenThere) {
  TestApplication();
  const auto dir = TempPdf("x").parent_path() / "names";
  for (const std::string stem : {"caf\xE9", "\x93\xFA\x96\x7B", "x\xFF\xC0"}) {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string raw = dir.string() + "/" + stem + ".pdf";
    TPrinter p;
    p.SetPdfFile(SystemNameToString(raw), 150);
    for (int run = 0; run < 2; ++run) {
      p.BeginDoc();
      p.Canvas().TextOut(10, 10, u"page");
      p.EndDoc();
    }
    EXPECT_EQ(StringToSystemName(p.PrinterName()), raw);
    std::ifstream in(raw, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
  }
  TPrinter p;
  p.SetPdfFile(Utf8ToString(dir.string() + "/no/such/folder.pdf"), 150);
  EXPECT_THROW(p.BeginDoc(), EPrinter);
  EXPECT_FALSE(p.Printing());
  std::filesystem::remove_all(dir.parent_path());
}

TEST(TPrinterDocument, WithoutAPrinterNothingBegins) {
  TestApplication();
  TPrinter p;
  p.SetPdfFile(String());
  if (p.HasPrinter()) GTEST_SKIP() << "this machine has a system printer";
  EXPECT_FALSE(p.IsPdf());
  EXPECT_EQ(p.PrinterName(), String());
  EXPECT_THROW(p.BeginDoc(), EPrinter);
  EXPECT_FALSE(p.Printing());
}

TEST(TPrinterCurrent, MadeOnFirstUseAndFreed) {
  TestApplication();
  TPrinter* a = Printer();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(Printer(), a);
  FreePrinter();
  TPrinter* b = Printer();
  ASSERT_NE(b, nullptr);
  FreePrinter();
}

}  // namespace
}  // namespace sk
