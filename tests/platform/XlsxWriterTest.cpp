#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "XlsxTestSupport.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/Strings.h"
#include "platform/spreadsheet/XlsWorkbook.h"
#include "platform/spreadsheet/XlsxWriter.h"

namespace sk {

namespace {

// A 16 x 16 PNG without a resolution chunk, and a 32 x 32 one at 150 dots
// per inch.
const Byte kPng16[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x10, 0x00, 0x00, 0x00, 0x10, 0x08, 0x02, 0x00, 0x00, 0x00, 0x90, 0x91, 0x68, 0x36, 0x00, 0x00, 0x00,
    0x16, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0x38, 0x21, 0x27, 0x47, 0x12, 0x62, 0x18, 0xD5, 0x30, 0xAA,
    0x61, 0xF8, 0x6A, 0x00, 0x00, 0xE4, 0x62, 0x04, 0x10, 0xE9, 0x9B, 0x80, 0xF1, 0x00, 0x00, 0x00, 0x00, 0x49,
    0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
const Byte kPng32At150Dpi[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x20, 0x00, 0x00, 0x00, 0x20, 0x08, 0x02, 0x00, 0x00, 0x00, 0xFC, 0x18, 0xED, 0xA3, 0x00, 0x00, 0x00,
    0x09, 0x70, 0x48, 0x59, 0x73, 0x00, 0x00, 0x17, 0x12, 0x00, 0x00, 0x17, 0x12, 0x01, 0x67, 0x9F, 0xD2, 0x52,
    0x00, 0x00, 0x00, 0x2A, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0x38, 0x21, 0x27, 0x47, 0x53, 0xC4, 0x30,
    0x6A, 0xC1, 0xA8, 0x05, 0xA3, 0x16, 0x8C, 0x5A, 0x30, 0x6A, 0xC1, 0xA8, 0x05, 0xA3, 0x16, 0x8C, 0x5A, 0x30,
    0x6A, 0xC1, 0xA8, 0x05, 0xA3, 0x16, 0x0C, 0x15, 0x0B, 0x00, 0x25, 0xCB, 0x10, 0x3D, 0x60, 0x1D, 0x91, 0x29,
    0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

TBytes Png16() { return TBytes(std::begin(kPng16), std::end(kPng16)); }

// The anchor the exports use for their icon: from row 1 (80/256 down),
// column 13 (784/1024 across) to row 4 (102/256), column 14 (912/1024).
TImageProperties IconProperties() {
  TImageProperties p;
  p.Anchor = TClientAnchor{2, 1, 80, 13, 784, 4, 102, 14, 912};
  p.ShapeName = u"Program Icon";
  return p;
}

class XlsxWriterTest : public ScratchFolderTest {
 protected:
  XlsxWriterTest() : ScratchFolderTest("sk_xlsxw") {}

  // Names of what the scratch folder holds.
  std::vector<std::string> Entries() const {
    std::vector<std::string> r;
    for (const auto& e : std::filesystem::directory_iterator(fDir)) r.push_back(e.path().filename().string());
    std::sort(r.begin(), r.end());
    return r;
  }
};

using XlsxWriter = XlsxWriterTest;

}  // namespace

TEST_F(XlsxWriter, OpenpyxlReadsSheetsValuesFormatsMergesWidthsAndThePicture) {
  TXlsWorkbook wb;
  wb.NewFile(2);
  wb.SetSheetName(u"Word list");
  // A title block: the title at B1, merged over B1:H3, 15 points bold.
  TFlxFormat title;
  title.Format = u"@";
  title.Font.Size20 = 300;
  title.Font.Style = flx_Bold;
  title.HAlignment = fha_center;
  title.VAlignment = fva_center;
  const Int32 titleXF = wb.AddFormat(title);
  wb.SetCellValue(1, 2, u"Title \u00E9");
  wb.SetCellFormat(1, 2, 3, 8, titleXF);
  wb.MergeCells(1, 2, 3, 8);
  // Columns: text, integers, two decimals, percentages.
  TFlxFormat f;
  f.Format = u"@";
  wb.SetColFormat(3, wb.AddFormat(f));
  f.Format = u"#,##0";
  wb.SetColFormat(4, wb.AddFormat(f));
  f.Format = u"#,##0.00";
  wb.SetColFormat(5, wb.AddFormat(f));
  f.Format = u"0.00%";
  wb.SetColFormat(6, wb.AddFormat(f));
  wb.SetColWidth(3, 20 * 256);
  wb.SetColWidth(5, 9 * 256);
  // Cells; one bold, one coloured and filled.
  wb.SetCellValue(6, 3, u"the");
  wb.SetCellValue(6, 4, 6187267);
  wb.SetCellValue(6, 5, 12.25);
  wb.SetCellValue(6, 6, 0.0617);
  TFlxFormat bold = wb.GetCellVisibleFormatDef(7, 3);
  bold.Font.Style = flx_Bold;
  wb.SetCellValue(7, 3, u"bold", wb.AddFormat(bold));
  TFlxFormat look = wb.GetCellVisibleFormatDef(7, 4);
  look.Font.Color = TExcelColor::FromColor(0x0000FF);
  look.FillPattern.Pattern = fps_Solid;
  look.FillPattern.FgColor = TExcelColor::FromColor(0xFFFF00);
  wb.SetCellValue(7, 4, -3, wb.AddFormat(look));
  wb.SetCellBoolean(7, 5, false);
  wb.SetCellFromHtml(8, 3, u"<b>all bold</b>");
  wb.SetCellFromHtml(8, 4, u"x <i>y</i>");
  ASSERT_TRUE(wb.AddImage(Png16(), IconProperties()));
  wb.SetActiveSheet(2);
  wb.SetSheetName(u"a/b");
  wb.SetCellValue(1, 1, u"\u65E5\u672C");
  wb.Save(File("out.xlsx"));

  const std::vector<std::string> d = RunXlsxCheck("dump", Path("out.xlsx"));
  EXPECT_EQ(LineStarting(d, "sheet 1"), "sheet 1 Word list");
  EXPECT_EQ(LineStarting(d, "sheet 2"), "sheet 2 a_b");
  EXPECT_EQ(LineStarting(d, "cell 1 B1 "),
            "cell 1 B1 s 'Title \u00e9' bold=1 italic=0 size=15 colour=- fill=- numfmt=@ halign=center valign=center");
  EXPECT_EQ(LineStarting(d, "merge 1"), "merge 1 B1:H3");
  EXPECT_EQ(CountStarting(d, "merge"), 1u);
  EXPECT_EQ(LineStarting(d, "cell 1 C6 "), "cell 1 C6 s 'the' bold=0 italic=0 size=11 colour=- fill=- numfmt=@ halign=None valign=None");
  EXPECT_EQ(LineStarting(d, "cell 1 D6 "), "cell 1 D6 n 6187267 bold=0 italic=0 size=11 colour=- fill=- numfmt=#,##0 halign=None valign=None");
  EXPECT_EQ(LineStarting(d, "cell 1 E6 "), "cell 1 E6 n 12.25 bold=0 italic=0 size=11 colour=- fill=- numfmt=#,##0.00 halign=None valign=None");
  EXPECT_EQ(LineStarting(d, "cell 1 F6 "), "cell 1 F6 n 0.0617 bold=0 italic=0 size=11 colour=- fill=- numfmt=0.00% halign=None valign=None");
  EXPECT_EQ(LineStarting(d, "cell 1 C7 "), "cell 1 C7 s 'bold' bold=1 italic=0 size=11 colour=- fill=- numfmt=@ halign=None valign=None");
  EXPECT_EQ(LineStarting(d, "cell 1 D7 "), "cell 1 D7 n -3 bold=0 italic=0 size=11 colour=FF0000 fill=00FFFF numfmt=#,##0 halign=None valign=None");
  EXPECT_EQ(LineStarting(d, "cell 1 E7 "), "cell 1 E7 b False bold=0 italic=0 size=11 colour=- fill=- numfmt=#,##0.00 halign=None valign=None");
  // One run alone shows as the cell's font; runs as a rich text.
  EXPECT_EQ(LineStarting(d, "cell 1 C8 "), "cell 1 C8 s 'all bold' bold=1 italic=0 size=11 colour=- fill=- numfmt=@ halign=None valign=None");
  EXPECT_EQ(LineStarting(d, "cell 1 D8 "), "cell 1 D8 s 'x y' bold=0 italic=0 size=11 colour=- fill=- numfmt=#,##0 halign=None valign=None");
  EXPECT_EQ(LineStarting(d, "cell 2 A1 "), "cell 2 A1 s '\u65e5\u672c' bold=0 italic=0 size=11 colour=- fill=- numfmt=General halign=None valign=None");
  // Widths as stored: 20 and 9 characters; a column with only a format keeps
  // the default width.
  EXPECT_EQ(LineStarting(d, "col 1 C "), "col 1 C width=20.7109 numfmt=@");
  EXPECT_EQ(LineStarting(d, "col 1 D "), "col 1 D width=9.14062 numfmt=#,##0");
  EXPECT_EQ(LineStarting(d, "col 1 E "), "col 1 E width=9.71094 numfmt=#,##0.00");
  EXPECT_EQ(LineStarting(d, "col 1 F "), "col 1 F width=9.14062 numfmt=0.00%");
  // The picture: moves with its cells, keeps its size; offsets of 49 and 6
  // pixels; 72 x 62 pixels (in EMU, 9525 to a pixel).
  EXPECT_EQ(LineStarting(d, "image"),
            "image xl/drawings/drawing1.xml edit=oneCell from=12,466725,0,57150 to=13,542925,3,76200 "
            "ext=685800,590550 descr='Program Icon'");
  EXPECT_EQ(LineStarting(d, "media"), "media xl/media/image1.png 79");
}

TEST_F(XlsxWriter, PictureResolutionAndAnchorTypes) {
  TXlsWorkbook wb;
  wb.SetColWidth(2, 20 * 256);
  TImageProperties p;
  // Two columns of 145 and 64 pixels, two rows: 209 x 40 pixels, whatever the
  // picture's own size and resolution.
  p.Anchor = TClientAnchor{0, 1, 0, 2, 0, 3, 0, 4, 0};
  ASSERT_TRUE(wb.AddImage(TBytes(std::begin(kPng32At150Dpi), std::end(kPng32At150Dpi)), p));
  wb.Save(File("pic.xlsx"));
  const std::vector<std::string> d = RunXlsxCheck("dump", Path("pic.xlsx"));
  const std::string line = LineStarting(d, "image");
  // Anchor type 0 moves and sizes with the cells: the file's default.
  EXPECT_EQ(line, "image xl/drawings/drawing1.xml edit=None from=1,0,0,0 to=3,0,2,0 ext=1990725,381000 descr=None");
}

TEST_F(XlsxWriter, PicturesThatCannotBeReadAreLeftOut) {
  TXlsWorkbook wb;
  TBytes png = Png16();
  const std::vector<TBytes> bad = {
      {},
      B("not a picture"),
      TBytes(png.begin(), png.begin() + 20),  // cut inside the header
      B({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x02}),  // JPEG with no frame
      B({'B', 'M', 0, 0}),
  };
  for (const TBytes& b : bad) EXPECT_FALSE(wb.AddImage(b, IconProperties()));
  EXPECT_EQ(wb.ImageCount(), 0);
  EXPECT_FALSE(wb.AddImage(static_cast<TStream*>(nullptr), IconProperties()));
  TBytesStream s(png);
  s.SetPosition(30);  // a stream is taken whole, wherever it stands
  EXPECT_TRUE(wb.AddImage(&s, IconProperties()));
  EXPECT_EQ(wb.ImageCount(), 1);
}

TEST(XlsImages, HeadersGiveTypeSizeAndResolution) {
  TXlsImageInfo i = XlsProbeImage(kPng16, sizeof kPng16);
  EXPECT_EQ(i.Type, TXlsImageInfo::Png);
  EXPECT_EQ(i.Width, 16);
  EXPECT_DOUBLE_EQ(i.DpiX, 96);
  i = XlsProbeImage(kPng32At150Dpi, sizeof kPng32At150Dpi);
  EXPECT_EQ(i.Width, 32);
  EXPECT_NEAR(i.DpiX, 150, 0.02);
  // JPEG: a JFIF segment at 72 dots per inch, then the frame of 300 x 200.
  const TBytes jpeg = B({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 1, 0, 72, 0, 72, 0, 0,
                         0xFF, 0xC0, 0x00, 0x0B, 8, 0x00, 0xC8, 0x01, 0x2C, 1, 1, 0x11, 0});
  i = XlsProbeImage(jpeg.data(), jpeg.size());
  EXPECT_EQ(i.Type, TXlsImageInfo::Jpeg);
  EXPECT_EQ(i.Width, 300);
  EXPECT_EQ(i.Height, 200);
  EXPECT_DOUBLE_EQ(i.DpiY, 72);
  // A segment claiming more than the file holds.
  TBytes cut = jpeg;
  cut[5] = 0xFF;
  EXPECT_EQ(XlsProbeImage(cut.data(), cut.size()).Type, TXlsImageInfo::Unknown);
  // BMP: 40-byte information header, 3 x 2; rows stored top down (negative
  // height) and zero sizes are refused.
  TBytes bmp(58, 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  bmp[14] = 40;
  bmp[18] = 3;
  bmp[22] = 2;
  i = XlsProbeImage(bmp.data(), bmp.size());
  EXPECT_EQ(i.Type, TXlsImageInfo::Bmp);
  EXPECT_EQ(i.Height, 2);
  bmp[25] = 0xFF;
  bmp[22] = 0xFE;
  bmp[23] = 0xFF;
  bmp[24] = 0xFF;
  EXPECT_EQ(XlsProbeImage(bmp.data(), bmp.size()).Type, TXlsImageInfo::Unknown);
  // A PNG whose chunk length runs past the end still gives its header.
  TBytes png(std::begin(kPng16), std::end(kPng16));
  png[33] = 0x7F;
  EXPECT_EQ(XlsProbeImage(png.data(), png.size()).Type, TXlsImageInfo::Png);
  EXPECT_EQ(XlsProbeImage(nullptr, 0).Type, TXlsImageInfo::Unknown);
}

TEST_F(XlsxWriter, TextsWithEscapesAndControlsRoundTrip) {
  TXlsWorkbook wb;
  const String texts[] = {
      u"literal _x0041_ stays", u"_x005F_", u"ctl \x01\x1F cr\r lf\n tab\t", String(u"nul\0in", 6),
      u"  spaces  ", u"<&>\"'", u"\U0001F600 \u200F\u05D0",
  };
  for (size_t i = 0; i < std::size(texts); ++i) wb.SetCellValue(static_cast<Int32>(i) + 1, 1, texts[i]);
  // A text of nothing but escapes still fits once escaped.
  String many;
  while (many.size() + 7 <= 32767) many += u"_x0041_";
  wb.SetCellValue(20, 1, many);
  wb.Save(File("t.xlsx"));
  TXlsWorkbook back(File("t.xlsx"));
  for (size_t i = 0; i < std::size(texts); ++i)
    EXPECT_EQ(back.GetCellValue(static_cast<Int32>(i) + 1, 1).AsString().Value, texts[i]) << i;
  const String read = back.GetCellValue(20, 1).AsString().Value;
  EXPECT_FALSE(read.empty());
  EXPECT_EQ(read, many.substr(0, read.size()));
}

TEST_F(XlsxWriter, RichTextRunsRoundTrip) {
  TFlxFont bold, red;
  bold.Style = flx_Bold;
  red.Color = TExcelColor::FromColor(0x0000FF);
  // n runs of four letters, by turns bold and red (each font twice running
  // when paired), after some text in the cell's font.
  auto runs = [&](size_t n, bool paired) {
    TRichString rs(u"head ");
    for (size_t i = 0; i < n; ++i) {
      rs.Runs.push_back(TRTFRun{static_cast<Int32>(rs.Value.size()), (paired ? i / 2 : i) % 2 ? red : bold});
      rs.Value += String(u"r") + static_cast<Char>(u'a' + i % 26) + u"\x01 ";
    }
    return rs;
  };
  // A concordance line with 128 hits marked.
  String kwic;
  for (int i = 0; i < 128; ++i) kwic += u"context <font color=\"#FF0000\"><b>hit</b></font> ";
  const TFlxFont cellFont;
  struct Case {
    const char* what;
    TRichString rich;
  } cases[] = {
      {"tags", XlsRichStringFromHtml(u"plain <b>bold</b> <font color=\"#00FF00\"><i>green</i></font> <u>u</u><s>s</s>",
                                     cellFont)},
      {"128 hits", XlsRichStringFromHtml(kwic, cellFont)},
      {"254 pieces", runs(253, false)},
      {"255 pieces", runs(254, false)},
      {"256 pieces", runs(255, false)},
      {"2,000 runs", runs(2000, false)},
      {"2,000 runs of fonts in pairs", runs(2000, true)},
      {"runs past the limit with their markup", runs(6000, false)},
  };
  TXlsWorkbook wb;
  for (size_t i = 0; i < std::size(cases); ++i) wb.SetCellValue(static_cast<Int32>(i) + 1, 1, cases[i].rich);
  // A save that loops for ever fails here instead of stopping the tests.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::alarm(30);
    try {
      wb.Save(File("r.xlsx"));
    } catch (const EXlsError&) {
      ::_exit(1);
    }
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save failed or did not end";
  TXlsWorkbook back(File("r.xlsx"));
  // Each character in the font it was written in.
  auto fonts = [](const TRichString& rs) {
    std::vector<TFlxFont> f(rs.Value.size());
    for (size_t i = 0; i < rs.Runs.size(); ++i)
      std::fill(f.begin() + rs.Runs[i].FirstChar,
                i + 1 < rs.Runs.size() ? f.begin() + rs.Runs[i + 1].FirstChar : f.end(), rs.Runs[i].Font);
    return f;
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const TRichString written = wb.GetCellValue(static_cast<Int32>(i) + 1, 1).AsString();
    const TRichString read = back.GetCellValue(static_cast<Int32>(i) + 1, 1).AsString();
    EXPECT_TRUE(read.Value == written.Value) << cases[i].what;
    EXPECT_TRUE(fonts(read) == fonts(written)) << cases[i].what;
  }
  // openpyxl reads the concordance line whole.
  EXPECT_EQ(LineStarting(RunXlsxCheck("dump", Path("r.xlsx")), "cell 1 A2 "),
            "cell 1 A2 s '" + StringToUtf8(wb.GetCellValue(2, 1).AsString().Value) +
                "' bold=0 italic=0 size=11 colour=- fill=- numfmt=General halign=None valign=None");
}

// Only the formats the file's table holds count against its limit: rich
// cells of several pieces write their runs' fonts inline, so any number of
// them saves (here 70,000 concordance-like lines, the node in its colour,
// beside 1,000 cells of one piece in one font) and reads back, here and in
// openpyxl.  Cells of one piece each take the format of their font: 64,001
// fonts are more than a file holds, and refused before anything is written.
TEST_F(XlsxWriter, RichCellsOfAnyNumberSaveAndOnlyTheFormatTableCounts) {
  TFlxFont node, right;
  node.Style = flx_Bold;
  node.Color = TExcelColor::FromColor(0x0000FF);
  right.Style = flx_Italic;
  constexpr Int32 kLines = 70000;
  auto line = [&](Int32 r) {
    TRichString rs(u"left context " + IntToStr(r) + u" ");
    const Int32 at = static_cast<Int32>(rs.Value.size());
    rs.Value += u"node right context";
    rs.Runs = {TRTFRun{at, node}, TRTFRun{at + 4, right}};
    return rs;
  };
  TXlsWorkbook wb;
  for (Int32 r = 1; r <= kLines; ++r) wb.SetCellValue(r, 1, line(r));
  for (Int32 r = 1; r <= 1000; ++r) {
    TRichString one(u"one piece");
    one.Runs = {TRTFRun{0, node}};
    wb.SetCellValue(r, 2, one);
  }
  wb.Save(File("rich.xlsx"));
  TXlsWorkbook back(File("rich.xlsx"));
  for (const Int32 r : {1, 32001, kLines}) {
    const TRichString read = back.GetCellValue(r, 1).AsString();
    EXPECT_EQ(read.Value, line(r).Value) << r;
    ASSERT_EQ(read.Runs.size(), 2u) << r;
    EXPECT_EQ(read.Runs[0].Font.Color, node.Color) << r;
    EXPECT_EQ(read.Runs[1].Font.Style & flx_Italic, flx_Italic) << r;
  }
  size_t chars = 9 * 1000;
  for (Int32 r = 1; r <= kLines; ++r) chars += line(r).Value.size();
  const std::vector<std::string> counted = RunXlsxCheck("count", Path("rich.xlsx"));
  EXPECT_EQ(LineStarting(counted, "sheet 1 "), "sheet 1 cells=71000 chars=" + std::to_string(chars) +
                                                   " first=('A1', 'left context 1 node right context') "
                                                   "last=('A70000', 'left context 70000 node right context')");
  EXPECT_EQ(LineStarting(counted, "formats "), "formats 2");

  TXlsWorkbook many;
  for (Int32 i = 0; i <= xls_MaxFormats; ++i) {
    TRichString one(u"x");
    one.Runs = {TRTFRun{0, TFlxFont()}};
    one.Runs[0].Font.Color = TExcelColor::FromColor(i);
    many.SetCellValue(i + 1, 1, one);
  }
  WriteRaw("keep.xlsx", "old");
  EXPECT_THROW(many.Save(File("keep.xlsx")), EXlsError);
  EXPECT_EQ(ReadRaw("keep.xlsx"), "old");
}

TEST_F(XlsxWriter, NumbersBooleansAndNonFiniteValues) {
  TXlsWorkbook wb;
  // Numbers are stored with 16 significant digits; the largest one is stored
  // just past the range and still reads back as itself.
  const double values[] = {0, -0.5, 1e-300, std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
                           9007199254740992.0, 0.3, 123456.7890123456};
  for (size_t i = 0; i < std::size(values); ++i) wb.SetCellValue(1, static_cast<Int32>(i) + 1, values[i]);
  wb.SetCellValue(2, 1, std::numeric_limits<double>::quiet_NaN());
  wb.SetCellValue(2, 2, -std::numeric_limits<double>::infinity());
  wb.SetCellBoolean(2, 3, true);
  wb.Save(File("n.xlsx"));
  TXlsWorkbook back(File("n.xlsx"));
  for (size_t i = 0; i < std::size(values); ++i) {
    TCellValue v = back.GetCellValue(1, static_cast<Int32>(i) + 1);
    EXPECT_EQ(v.Kind(), cvNumber);
    EXPECT_EQ(v.AsNumber(), values[i]) << i;
  }
  // The file has no form for these: they are kept as their text.
  EXPECT_EQ(back.GetCellValue(2, 1).AsString().Value, u"NaN");
  EXPECT_EQ(back.GetCellValue(2, 2).AsString().Value, u"-INF");
  EXPECT_EQ(back.GetCellValue(2, 3).Kind(), cvBoolean);
}

TEST_F(XlsxWriter, MergesAnywhereInTheSheetAreKept) {
  TXlsWorkbook wb;
  // Merges over rows without cells, before, between and after the data, and
  // one whose last row is the last row written.
  wb.MergeCells(1, 1, 2, 2);
  wb.SetCellValue(5, 1, u"x");
  wb.MergeCells(6, 1, 9, 3);
  wb.SetCellValue(10, 1, u"y");
  wb.MergeCells(10, 2, 10, 4);
  wb.MergeCells(20, 1, 30, 1);
  wb.Save(File("m.xlsx"));
  const std::vector<std::string> d = RunXlsxCheck("dump", Path("m.xlsx"));
  EXPECT_EQ(CountStarting(d, "merge 1 "), 4u);
  for (const char* m : {"merge 1 A1:B2", "merge 1 A6:C9", "merge 1 B10:D10", "merge 1 A20:A30"})
    EXPECT_FALSE(LineStarting(d, m).empty()) << m;
}

// ---- saving never in place -----------------------------------------------------

TEST_F(XlsxWriter, SaveReplacesTheTargetAndLeavesNothingElse) {
  WriteRaw("out.xlsx", "old content");
  ::chmod(Path("out.xlsx").c_str(), 0640);
  TXlsWorkbook wb;
  wb.SetCellValue(1, 1, u"new");
  wb.Save(File("out.xlsx"));
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.xlsx"});
  EXPECT_EQ(TXlsWorkbook(File("out.xlsx")).GetCellValue(1, 1).AsString().Value, u"new");
  struct stat st {};
  ASSERT_EQ(::stat(Path("out.xlsx").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // the old file's permissions carry over
}

TEST_F(XlsxWriter, SaveThroughALinkReplacesTheFileItNames) {
  std::filesystem::create_directory(Path("real"));
  WriteRaw("real/data.xlsx", "old");
  std::filesystem::create_symlink(Path("real/data.xlsx"), Path("link.xlsx"));
  TXlsWorkbook wb;
  wb.SetCellValue(1, 1, u"via link");
  wb.Save(File("link.xlsx"));
  EXPECT_TRUE(std::filesystem::is_symlink(Path("link.xlsx")));
  EXPECT_EQ(TXlsWorkbook(File("real/data.xlsx")).GetCellValue(1, 1).AsString().Value, u"via link");
}

TEST_F(XlsxWriter, FailedSavesLeaveTheOldTargetByteExact) {
  const std::string old = "PK\x03\x04 the old workbook's bytes";
  WriteRaw("keep.xlsx", old);
  TXlsWorkbook wb;
  for (Int32 r = 1; r <= 2000; ++r) wb.SetCellValue(r, 1, u"row text that takes some room " + String(1, u'a' + r % 26));

  // 1. The writing runs out of room halfway (a file-size limit stands in for
  //    a full disk).
  {
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct sigaction ignore {}, before {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &before);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool raised = false;
    try {
      wb.Save(File("keep.xlsx"));
    } catch (const EXlsError&) {
      raised = true;
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &before, nullptr);
    EXPECT_TRUE(raised);
    EXPECT_EQ(ReadRaw("keep.xlsx"), old);
    EXPECT_EQ(Entries(), std::vector<std::string>{"keep.xlsx"});
  }
  // 2. The folder takes no new file.
  if (::geteuid() != 0) {
    ::chmod(fDir.c_str(), 0555);
    EXPECT_THROW(wb.Save(File("keep.xlsx")), EXlsError);
    ::chmod(fDir.c_str(), 0755);
    EXPECT_EQ(ReadRaw("keep.xlsx"), old);
    EXPECT_EQ(Entries(), std::vector<std::string>{"keep.xlsx"});
  }
  // 3. More distinct formats than a file holds: refused before anything is
  //    written.
  TXlsWorkbook many;
  for (Int32 i = 0; i <= xls_MaxFormats; ++i) {
    TFlxFormat f;
    f.Font.Color = TExcelColor::FromColor(i);
    many.SetCellValue(i / 100 + 1, i % 100 + 1, i, many.AddFormat(f));
  }
  EXPECT_THROW(many.Save(File("keep.xlsx")), EXlsError);
  EXPECT_EQ(ReadRaw("keep.xlsx"), old);
  EXPECT_EQ(Entries(), std::vector<std::string>{"keep.xlsx"});
  // 4. No such folder, or a folder as the target.
  EXPECT_THROW(wb.Save(File("none/x.xlsx")), EXlsError);
  std::filesystem::create_directory(Path("dir.xlsx"));
  EXPECT_THROW(wb.Save(File("dir.xlsx")), EXlsError);
  EXPECT_THROW(wb.Save(u""), EXlsError);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"dir.xlsx", "keep.xlsx"}));
}

TEST_F(XlsxWriter, CharactersXmlCannotHoldAreEscapedAndReadBack) {
  // Each text goes in as a plain cell and as a rich cell of two runs; the
  // file must stay readable (here and by openpyxl) and give back what the
  // workbook holds.
  const String texts[] = {
      u"\uFFFF",
      u"a\uFFFEb",
      String(u"\x01\x02\x03\x04\x05\x06\x07\x08 \x0B\x0C \x0E\x0F\x10\x1F"),
      u"cr\r\nlf\n tab\t",
      String(u"lone high \xD800"),
      String(u"\xDC00 lone low"),
      String(u"reversed \xDC00\xD800 pair"),
      u"pair \U0001F600 kept",
      u"literal _xFFFF_ and _xD800_ and _x0001_",
      u"_x005F_xFFFF_",
      String(u"mixed \uFFFF_x0041_\x01"),
      // Text that an escape written after it would complete into one.
      String(u"_x0041\x14"),
      u"_x0041_x0042_",
      String(u"_x0041") + String(u"\xDC00"),
      u"_x0041\U0001F600",
  };
  TXlsWorkbook wb;
  TFlxFont bold;
  bold.Style = flx_Bold;
  for (size_t i = 0; i < std::size(texts); ++i) {
    const Int32 r = static_cast<Int32>(i) + 1;
    wb.SetCellValue(r, 1, texts[i]);
    TRichString rich(u"x" + texts[i] + u"y");
    rich.Runs = {TRTFRun{1, bold}, TRTFRun{static_cast<Int32>(rich.Value.size()) - 1, TFlxFont()}};
    wb.SetCellValue(r, 2, rich);
  }
  // Font names and number formats: long ones of characters beyond ASCII are
  // cut by whole characters, and what XML cannot hold is replaced.
  TFlxFormat f;
  f.Format = String(100, u'\u00E9') + u"\x01\uFFFF";
  f.Font.Name = String(50, u'\u65E5') + String(u"\xD800");
  wb.SetCellValue(30, 1, u"formatted", wb.AddFormat(f));
  wb.Save(File("c.xlsx"));
  TXlsWorkbook back;
  ASSERT_TRUE(back.Open(File("c.xlsx")));
  for (size_t i = 0; i < std::size(texts); ++i) {
    const Int32 r = static_cast<Int32>(i) + 1;
    for (Int32 c = 1; c <= 2; ++c)
      EXPECT_EQ(back.GetCellValue(r, c).AsString().Value, wb.GetCellValue(r, c).AsString().Value) << r << "," << c;
  }
  // Rich cells keep even a lone surrogate, also when their runs all look
  // like the cell and it reads back as a plain text.
  EXPECT_EQ(back.GetCellValue(5, 2).AsString().Value, String(u"xlone high \xD800y"));
  TXlsWorkbook lone;
  const String withLone = String(u"a\xDC02") + u"b";
  TRichString loneRich(withLone);
  loneRich.Runs = {TRTFRun{1, TFlxFont()}};
  lone.SetCellValue(1, 1, loneRich);
  ASSERT_EQ(lone.GetCellValue(1, 1).AsString().Value, withLone);
  lone.Save(File("l.xlsx"));
  ASSERT_TRUE(back.Open(File("l.xlsx")));
  EXPECT_EQ(back.GetCellValue(1, 1).AsString().Value, withLone);
  const auto lines = RunXlsxCheck("dump", Path("c.xlsx"));
  EXPECT_FALSE(lines.empty());
}

TEST_F(XlsxWriter, SheetNamesWithControlsAreSavedAsTheyReadBack) {
  const String names[] = {String(u"tab\there"), String(u"line\r\nbreak"), String(u"ctl\x01\x1F"),
                          u"non\uFFFFchar", String(u"lone \xD800"), u"pair \U0001F600"};
  TXlsWorkbook wb;
  wb.NewFile(static_cast<Int32>(std::size(names)));
  for (size_t i = 0; i < std::size(names); ++i) {
    wb.SetActiveSheet(static_cast<Int32>(i) + 1);
    wb.SetSheetName(names[i]);
    for (Char c : wb.SheetName()) EXPECT_TRUE(c >= 0x20 && c != 0xFFFF) << i;
  }
  EXPECT_EQ(wb.SheetNameOf(1), u"tab_here");
  EXPECT_EQ(wb.SheetNameOf(6), u"pair \U0001F600");
  wb.Save(File("n.xlsx"));
  TXlsWorkbook back;
  ASSERT_TRUE(back.Open(File("n.xlsx")));
  ASSERT_EQ(back.SheetCount(), wb.SheetCount());
  for (Int32 i = 1; i <= wb.SheetCount(); ++i) EXPECT_EQ(back.SheetNameOf(i), wb.SheetNameOf(i)) << i;
  EXPECT_FALSE(RunXlsxCheck("dump", Path("n.xlsx")).empty());
}

TEST_F(XlsxWriter, EscapedTextsWithinTheLimitAreKeptWhole) {
  // The limit is on a text's characters, not on the form the file stores
  // them in: escapes and a rich string's markup may take several times as
  // many, in a plain cell and in a rich one.
  auto repeat = [](const String& s, size_t n) {
    String r;
    for (size_t i = 0; i < n; ++i) r += s;
    return r;
  };
  const String a(32760, u'a');
  struct Case {
    const char* what;
    String text;
  } cases[] = {
      {"literals", repeat(u"_x0041_", 4000)},
      {"19,999 characters of literals", repeat(u"_x0041_", 2857)},
      {"literals at the limit", repeat(u"_x0041_", 4681)},
      {"a control after every letter", repeat(u"a\x01", 15000)},
      {"controls at the limit", String(32767, u'\x01')},
      {"lone surrogates at the limit", String(32767, u'\xD800')},
      {"fits unescaped", String(32767, u'a')},
      // Letters beyond ASCII are no hexadecimal digits, whatever their low byte.
      {"no escape beyond ASCII", repeat(u"_x\u0130\u0131\u0141\u0130_", 4681)},
      {"escape ends at the limit", a + u"\x01"},
      {"escape past the limit", a + u"a\x01"},
      {"pair after an escape", a.substr(1) + u"\x01\U0001F600"},
      {"pair past an escape at the limit", a + u"\x01\U0001F600"},
      {"pair at the limit", String(32765, u'a') + u"\U0001F600"},
  };
  TXlsWorkbook wb;
  TFlxFont bold, italic;
  bold.Style = flx_Bold;
  italic.Style = flx_Italic;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Int32 r = static_cast<Int32>(i) + 1;
    wb.SetCellValue(r, 1, cases[i].text);
    // The same text in three runs, the second starting in the middle.
    const Int32 third = static_cast<Int32>(cases[i].text.size() / 3);
    TRichString rich(cases[i].text);
    rich.Runs = {TRTFRun{0, bold}, TRTFRun{third + 1, TFlxFont()}, TRTFRun{2 * third, italic}};
    wb.SetCellValue(r, 2, rich);
  }
  // A run that starts between the halves of a pair.
  TRichString split(u"x\U0001F600y");
  split.Runs = {TRTFRun{2, bold}};
  wb.SetCellValue(20, 1, split);
  wb.Save(File("whole.xlsx"));
  TXlsWorkbook back;
  ASSERT_TRUE(back.Open(File("whole.xlsx")));
  for (size_t i = 0; i < std::size(cases); ++i)
    for (Int32 c = 1; c <= 2; ++c) {
      const TRichString got = back.GetCellValue(static_cast<Int32>(i) + 1, c).AsString();
      EXPECT_EQ(got.Value.size(), cases[i].text.size()) << cases[i].what << " " << c;
      EXPECT_TRUE(got.Value == cases[i].text) << cases[i].what << " " << c;
      EXPECT_EQ(got.Runs.size(), c == 1 ? 0u : 3u) << cases[i].what;
    }
  EXPECT_TRUE(back.GetCellValue(20, 1).AsString().Value == split.Value);
}

TEST_F(XlsxWriter, MergesOverHugeAreasAreRefusedBeforeWriting) {
  // The writer's library visits each cell of a merged range: a column's
  // height is taken, the whole sheet is refused with the old file kept.
  struct Case {
    const char* what;
    TXlsCellRange range;
    bool saved;
  } cases[] = {
      {"a whole column, two wide", {1, 2, xls_MaxRow, 3}, true},
      {"the whole sheet", {1, 1, xls_MaxRow, xls_MaxCol}, false},
      {"a row across the sheet, 5000 high", {1, 1, 5000, xls_MaxCol}, false},
  };
  for (const Case& c : cases) {
    WriteRaw("m.xlsx", "the old file");
    TXlsWorkbook wb;
    wb.SetCellValue(1, 1, u"kept");
    wb.MergeCells(c.range.Top, c.range.Left, c.range.Bottom, c.range.Right);
    if (c.saved) {
      wb.Save(File("m.xlsx"));
      TXlsWorkbook back;
      EXPECT_TRUE(back.Open(File("m.xlsx"))) << c.what;
    } else {
      EXPECT_THROW(wb.Save(File("m.xlsx")), EXlsError) << c.what;
      EXPECT_EQ(ReadRaw("m.xlsx"), "the old file") << c.what;
    }
  }
}

// ---- the writer library's row file failing --------------------------------------

size_t OpenDescriptors() {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                           std::filesystem::directory_iterator()));
}

// A fault that points the row file's descriptor at /dev/full from row
// `from` until row `until` (0: the sheet's end): what the library writes
// meanwhile, and what it left in its buffer, fails there.
std::function<void(Int32, std::FILE*)> FullFrom(Int32 from, Int32 until) {
  return [from, until, saved = -1](Int32 row, std::FILE* rows) mutable {
    if (row != from && row != until) return;
    std::fflush(rows);
    const int fd = ::fileno(rows);
    if (row == from) {
      saved = ::dup(fd);
      const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
      ::dup2(full, fd);
      ::close(full);
    } else {
      ::dup2(saved, fd);
      ::close(saved);
    }
  };
}

// The row file's bytes so far.
std::string RowFileBytes(std::FILE* rows) {
  std::fflush(rows);
  std::string bytes(static_cast<size_t>(::lseek(::fileno(rows), 0, SEEK_END)), '\0');
  EXPECT_EQ(::pread(::fileno(rows), bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
  return bytes;
}

TEST_F(XlsxWriter, AFaultInTheRowFileFailsTheSaveAndKeepsTheOldWorkbook) {
  TXlsWorkbook old, wb;
  old.SetCellValue(1, 1, u"the old workbook");
  old.Save(File("keep.xlsx"));
  const std::string oldBytes = ReadRaw("keep.xlsx");
  for (Int32 r = 1; r <= 3000; ++r) {
    for (Int32 c = 1; c <= 3; ++c)
      wb.SetCellValue(r, c, Utf8ToString("new cell " + std::to_string(r) + "/" + std::to_string(c)));
    for (Int32 c = 4; c <= 5; ++c) wb.SetCellValue(r, c, r * 1000.0 + c + 0.25);
  }

  struct TCase {
    const char* what;
    std::function<void(Int32 row, std::FILE* rows)> fault;
  } cases[] = {
      {"one write of the row file fails with no room left", FullFrom(66, 67)},
      {"the temporary folder is full from row 1000 on", FullFrom(1000, 0)},
      {"the first read of the row file fails",
       [&](Int32 row, std::FILE* rows) {
         if (row != 0) return;
         // The same file open for writing only: the library's reads of it fail.
         std::fflush(rows);
         const std::string self = "/proc/self/fd/" + std::to_string(::fileno(rows));
         const int writeOnly = ::open(self.c_str(), O_WRONLY | O_CLOEXEC);
         ::lseek(writeOnly, 0, SEEK_END);
         ::dup2(writeOnly, ::fileno(rows));
         ::close(writeOnly);
       }},
      {"the row file loses its end at a row's end, with no error",
       [&](Int32 row, std::FILE* rows) {
         if (row != 0) return;
         const std::string bytes = RowFileBytes(rows);
         const size_t cut = bytes.find("</row>", bytes.size() / 2) + 6;
         ASSERT_EQ(::ftruncate(::fileno(rows), static_cast<off_t>(cut)), 0);
       }},
      {"one value changes in the row file, with no error",
       [&](Int32 row, std::FILE* rows) {
         if (row != 0) return;
         const std::string bytes = RowFileBytes(rows);
         const size_t at = bytes.find("new cell 1500/2");
         ASSERT_NE(at, std::string::npos);
         ASSERT_EQ(::pwrite(::fileno(rows), "3", 1, static_cast<off_t>(at + 14)), 1);
       }},
  };
  const size_t descriptors = OpenDescriptors();
  for (const TCase& c : cases) {
    SetXlsxRowFileHook([&](Int32 sheet, Int32 row, std::FILE* rows) {
      if (sheet == 1) c.fault(row, rows);
    });
    EXPECT_THROW(wb.Save(File("keep.xlsx")), EXlsError) << c.what;
    SetXlsxRowFileHook(nullptr);
    EXPECT_TRUE(ReadRaw("keep.xlsx") == oldBytes) << c.what;
    EXPECT_EQ(Entries(), std::vector<std::string>{"keep.xlsx"}) << c.what;
    EXPECT_EQ(OpenDescriptors(), descriptors) << c.what;
  }
  // Untouched, the same workbook saves whole.
  wb.Save(File("keep.xlsx"));
  TXlsWorkbook back(File("keep.xlsx"));
  EXPECT_EQ(back.SheetData(1).CellCount(), 15000);
  EXPECT_EQ(back.GetCellValue(3000, 2).AsString().Value, u"new cell 3000/2");
}

TEST_F(XlsxWriter, NumbersOfEveryFormPassTheCheckOfWhatWasWritten) {
  // The check of the package counts each number as the file spells it: any
  // number it spelled otherwise than the writer's library would fail the
  // save.
  TXlsWorkbook wb;
  const double edges[] = {0.0, -0.0, 1e15 - 1, 1e15, -1e15, 1e16, 1e16 - 2, 123456789012345678.0,
                          0.1, 1.0 / 3, 1e-5, 1e-4, 2.5e-308, 4.9e-324, std::numeric_limits<double>::max(),
                          std::numeric_limits<double>::lowest(), 9007199254740993.0, 0.1 + 0.2, 1e21, -7.0};
  Int32 row = 1;
  for (const double v : edges) wb.SetCellValue(row++, 1, v);
  std::mt19937_64 random(20261208);
  for (Int32 i = 0; i < 20000; ++i) {
    double v;
    const UInt64 bits = random();
    std::memcpy(&v, &bits, sizeof v);
    if (!std::isfinite(v)) continue;
    wb.SetCellValue(row, 1 + i % 3, v);
    wb.SetCellValue(row++, 4, static_cast<double>(static_cast<Int64>(bits >> 12)) / 1024);
  }
  EXPECT_NO_THROW(wb.Save(File("n.xlsx")));
  TXlsWorkbook back(File("n.xlsx"));
  EXPECT_EQ(back.GetCellValue(6, 1).AsNumber(), 1e16);
}

}  // namespace sk
