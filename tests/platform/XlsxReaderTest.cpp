#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "XlsxTestSupport.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/ZipReader.h"
#include "platform/spreadsheet/XlsWorkbook.h"
#include "platform/spreadsheet/XlsxReader.h"

namespace sk {

namespace {

const char* const kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char* const kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

std::string Sheet(const std::string& rows) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet xmlns=\"") + kMain +
         "\"><sheetData>" + rows + "</sheetData></worksheet>";
}

std::string SharedStrings(const std::string& items) {
  return std::string("<sst xmlns=\"") + kMain + "\">" + items + "</sst>";
}

// The members of a small, sound package: one sheet and its shared strings.
std::map<std::string, std::string> Package(const std::string& sheetRows, const std::string& sst = "") {
  return {
      {"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
      {"_rels/.rels", std::string("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                                  "<Relationship Id=\"rId1\" Type=\"") +
                          kRel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
      {"xl/workbook.xml", std::string("<workbook xmlns=\"") + kMain + "\" xmlns:r=\"" + kRel +
                              "\"><sheets><sheet name=\"One\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels",
       std::string("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                   "<Relationship Id=\"rId1\" Type=\"") +
           kRel + "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" + kRel +
           "/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>"},
      {"xl/sharedStrings.xml", SharedStrings(sst)},
      {"xl/worksheets/sheet1.xml", Sheet(sheetRows)},
  };
}

class XlsxReaderTest : public ScratchFolderTest {
 protected:
  XlsxReaderTest() : ScratchFolderTest("sk_xlsxr") {}

  String Make(const std::map<std::string, std::string>& members, TZipCompression how = zcDeflate,
              const std::string& name = "in.xlsx") const {
    TZipFile z;
    z.Open(File(name), zmWrite);
    for (const auto& [member, content] : members) z.Add(B(content), Utf8ToString(member), how);
    z.Close();
    return File(name);
  }

  // Opens the package; on success gives the first sheet as tab-separated text.
  bool Read(const std::map<std::string, std::string>& members, std::string* text = nullptr) {
    TXlsWorkbook wb;
    const bool ok = wb.Open(Make(members));
    if (!ok) {
      // A failed open leaves a new workbook of one empty sheet.
      EXPECT_EQ(wb.SheetCount(), 1);
      EXPECT_TRUE(wb.GetCellValue(1, 1).IsEmpty());
    }
    if (ok && text != nullptr) *text = SheetText(wb);
    return ok;
  }

  static std::string SheetText(const TXlsWorkbook& wb) {
    TMemoryStream ms;
    wb.SaveAsText(&ms, u'\t', TEncoding::UTF8());
    return std::string(reinterpret_cast<const char*>(ms.Bytes()) + 3, static_cast<size_t>(ms.Size()) - 3);
  }
};

using XlsxReader = XlsxReaderTest;

}  // namespace

TEST_F(XlsxReader, EveryKindOfCellValue) {
  const std::string rows =
      "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c><c r=\"C1\"><v>-1.5E3</v></c>"
      "<c r=\"D1\" t=\"b\"><v>1</v></c><c r=\"E1\" t=\"e\"><v>#DIV/0!</v></c></row>"
      "<row r=\"3\"><c r=\"A3\" t=\"inlineStr\"><is><t xml:space=\"preserve\"> inline </t></is></c>"
      "<c r=\"B3\" t=\"str\"><f>A1&amp;\"!\"</f><v>formula text</v></c><c r=\"C3\"><f>1+1</f><v>2</v></c>"
      "<c r=\"D3\" s=\"4\"/><c r=\"E3\" t=\"s\"><v>2</v></c></row>";
  const std::string sst =
      "<si><t>shared</t></si>"
      "<si><r><t>rich </t></r><r><rPr><b/><sz val=\"14\"/><color rgb=\"FF00FF00\"/></rPr><t>run</t></r></si>"
      "<si><t>base</t><rPh sb=\"0\" eb=\"1\"><t>PHONETIC</t></rPh><t>_x0041__x005F_x0042_</t></si>";
  TXlsWorkbook wb;
  ASSERT_TRUE(wb.Open(Make(Package(rows, sst))));
  EXPECT_EQ(wb.SheetName(), u"One");
  EXPECT_EQ(wb.GetCellValue(1, 1).AsString().Value, u"shared");
  EXPECT_EQ(wb.GetCellValue(1, 3).AsNumber(), -1500);
  EXPECT_EQ(wb.GetCellValue(1, 4).AsString().Value, u"TRUE");
  EXPECT_EQ(wb.GetCellValue(1, 5).AsString().Value, u"#DIV/0!");
  EXPECT_EQ(wb.GetCellValue(3, 1).AsString().Value, u" inline ");
  EXPECT_EQ(wb.GetCellValue(3, 2).AsString().Value, u"formula text");
  EXPECT_EQ(wb.GetCellValue(3, 3).AsString().Value, u"2");
  EXPECT_TRUE(wb.GetCellValue(3, 4).IsEmpty());
  EXPECT_EQ(wb.GetCellValue(3, 5).AsString().Value, u"baseA_x0042_");
  const TCellValue rich = wb.GetCellValue(1, 2);
  ASSERT_EQ(rich.Kind(), cvRichString);
  EXPECT_EQ(rich.AsString().Value, u"rich run");
  ASSERT_EQ(rich.AsString().Runs.size(), 1u);
  EXPECT_EQ(rich.AsString().Runs[0].FirstChar, 5);
  EXPECT_EQ(rich.AsString().Runs[0].Font.Style, flx_Bold);
  EXPECT_EQ(rich.AsString().Runs[0].Font.Size20, 280);
  EXPECT_EQ(rich.AsString().Runs[0].Font.Color, TExcelColor::FromColor(0x00FF00));
  EXPECT_EQ(SheetText(wb), "shared\trich run\t-1500\tTRUE\t#DIV/0!\r\n\r\n inline \tformula text\t2\t\tbaseA_x0042_\r\n");
}

TEST_F(XlsxReader, MissingReferencesOrderAndRepeats) {
  std::string text;
  // Cells without a reference follow the one before; rows without a number
  // follow the row before; cells out of order are put in order; of two cells
  // at one place the later wins; lower-case and absolute references count.
  ASSERT_TRUE(Read(Package("<row><c><v>1</v></c><c><v>2</v></c><c r=\"E1\"><v>5</v></c><c><v>6</v></c></row>"
                           "<row><c r=\"c2\"><v>3</v></c><c r=\"A2\"><v>1</v></c><c r=\"$B$2\"><v>2</v></c>"
                           "<c r=\"A2\"><v>9</v></c></row>"),
                   &text));
  EXPECT_EQ(text, "1\t2\t\t\t5\t6\r\n9\t2\t3\r\n");
  ASSERT_TRUE(Read(Package("<row r=\"5\"><c r=\"XFD5\"><v>1</v></c></row><row r=\"1048576\"><c><v>2</v></c></row>")));
}

TEST_F(XlsxReader, NumbersPastTheRangeReadAsTheNearestNumber) {
  TXlsWorkbook wb;
  ASSERT_TRUE(wb.Open(Make(Package("<row><c><v>1.797693134862316E+308</v></c><c><v>-1e999</v></c>"
                                   "<c><v>1E-400</v></c><c><v> +2.5 </v></c><c><v>-0</v></c></row>"))));
  EXPECT_EQ(wb.GetCellValue(1, 1).AsNumber(), std::numeric_limits<double>::max());
  EXPECT_EQ(wb.GetCellValue(1, 2).AsNumber(), -std::numeric_limits<double>::max());
  EXPECT_EQ(wb.GetCellValue(1, 3).AsNumber(), 0.0);
  EXPECT_EQ(wb.GetCellValue(1, 4).AsNumber(), 2.5);
  EXPECT_EQ(wb.GetCellValue(1, 5).AsString().Value, u"0");
}

TEST_F(XlsxReader, PrefixedNamespacesAndAbsoluteTargets) {
  auto p = Package("");
  p["xl/workbook.xml"] = std::string("<x:workbook xmlns:x=\"") + kMain + "\" xmlns:rel=\"" + kRel +
                         "\"><x:sheets><x:sheet name=\"P\" sheetId=\"1\" rel:id=\"rId1\"/></x:sheets></x:workbook>";
  p["xl/_rels/workbook.xml.rels"] =
      std::string("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                  "<Relationship Id=\"rId1\" Type=\"") +
      kRel + "/worksheet\" Target=\"/xl/worksheets/./sheet1.xml\"/></Relationships>";
  p["xl/worksheets/sheet1.xml"] = std::string("<x:worksheet xmlns:x=\"") + kMain +
                                  "\"><x:sheetData><x:row><x:c t=\"inlineStr\"><x:is><x:t>pre</x:t></x:is></x:c>"
                                  "</x:row></x:sheetData></x:worksheet>";
  std::string text;
  ASSERT_TRUE(Read(p, &text));
  EXPECT_EQ(text, "pre\r\n");
}

TEST_F(XlsxReader, DamagedPartsGiveNoWorkbook) {
  const std::string ok = "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>";
  struct Case {
    const char* what;
    std::string sheet;
    std::string sst;
  };
  const std::string bomb =
      "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\"><!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;\">"
      "<!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;\">]>";
  const Case cases[] = {
      {"entity expansion", bomb + Sheet("<row><c t=\"inlineStr\"><is><t>&lol3;</t></is></c></row>"), ""},
      {"doctype alone", "<!DOCTYPE worksheet>" + Sheet(ok), ""},
      {"external entity", "<!DOCTYPE w [<!ENTITY x SYSTEM \"/etc/passwd\">]>" + Sheet("<row><c t=\"str\"><v>&x;</v></c></row>"), ""},
      {"shared string past the end", Sheet("<row><c t=\"s\"><v>1</v></c></row>"), "<si><t>a</t></si>"},
      {"negative shared string", Sheet("<row><c t=\"s\"><v>-1</v></c></row>"), "<si><t>a</t></si>"},
      {"shared string not a number", Sheet("<row><c t=\"s\"><v>x</v></c></row>"), "<si><t>a</t></si>"},
      {"column past the sheet", Sheet("<row><c r=\"XFE1\"><v>1</v></c></row>"), ""},
      {"row past the sheet", Sheet("<row r=\"1048577\"><c><v>1</v></c></row>"), ""},
      {"cell past the sheet", Sheet("<row><c r=\"A99999999999\"><v>1</v></c></row>"), ""},
      {"column after the last", Sheet("<row><c r=\"XFD1\"><v>1</v></c><c><v>2</v></c></row>"), ""},
      {"row zero", Sheet("<row r=\"0\"><c><v>1</v></c></row>"), ""},
      {"reference with no column", Sheet("<row><c r=\"12\"><v>1</v></c></row>"), ""},
      {"reference with junk", Sheet("<row><c r=\"A1x\"><v>1</v></c></row>"), ""},
      {"number that is not", Sheet("<row><c><v>1.2.3</v></c></row>"), ""},
      {"infinite number", Sheet("<row><c><v>inf</v></c></row>"), ""},
      {"boolean 2", Sheet("<row><c t=\"b\"><v>2</v></c></row>"), ""},
      {"unknown type", Sheet("<row><c t=\"zz\"><v>1</v></c></row>"), ""},
      {"unclosed element", "<worksheet><sheetData><row>", ""},
      {"not XML", "\x01\x02garbage", ""},
      {"empty part", "", ""},
      {"text over a megabyte", Sheet("<row><c t=\"inlineStr\"><is><t>" + std::string(1100000, 'a') + "</t></is></c></row>"), ""},
      {"comment of 9 MB", Sheet(ok + "<!--" + std::string(9u << 20, 'a') + "-->"), ""},
      {"tag of 9 MB", Sheet("<row><c r=\"A1\" x=\"" + std::string(9u << 20, 'a') + "\"><v>1</v></c></row>"), ""},
  };
  for (const Case& c : cases) {
    auto p = Package(ok);
    p["xl/worksheets/sheet1.xml"] = c.sheet;
    if (!c.sst.empty()) p["xl/sharedStrings.xml"] = SharedStrings(c.sst);
    EXPECT_FALSE(Read(p)) << c.what;
  }
  EXPECT_TRUE(Read(Package(ok)));
  // Long runs of blanks between elements are reported as they come, and read.
  std::string text;
  EXPECT_TRUE(Read(Package(ok + std::string(20u << 20, ' ') + ok), &text));
  EXPECT_EQ(text, "1\r\n");
}

TEST_F(XlsxReader, BrokenPackagesGiveNoWorkbook) {
  const std::string ok = "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>";
  struct Case {
    const char* what;
    const char* member;
    std::string content;  // "-" removes the member
  };
  const std::string relsHead =
      std::string("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                  "<Relationship Id=\"rId1\" Type=\"") +
      kRel + "/worksheet\" Target=\"";
  const Case cases[] = {
      {"no workbook", "xl/workbook.xml", "-"},
      {"no workbook relationships", "xl/_rels/workbook.xml.rels", "-"},
      {"no sheet", "xl/worksheets/sheet1.xml", "-"},
      {"sheet outside the package", "xl/_rels/workbook.xml.rels", relsHead + "../../../etc/passwd\"/></Relationships>"},
      {"sheet relationship missing", "xl/_rels/workbook.xml.rels", relsHead + "worksheets/sheet1.xml\" Id=\"rIdX\"/></Relationships>"},
      {"sheet without an id", "xl/workbook.xml",
       std::string("<workbook xmlns=\"") + kMain + "\"><sheets><sheet name=\"x\" sheetId=\"1\" id=\"rId1\"/></sheets></workbook>"},
      {"workbook part elsewhere", "_rels/.rels",
       std::string("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                   "<Relationship Id=\"rId1\" Type=\"") + kRel + "/officeDocument\" Target=\"nowhere.xml\"/></Relationships>"},
      {"no sheets at all", "xl/workbook.xml", std::string("<workbook xmlns=\"") + kMain + "\"><sheets/></workbook>"},
  };
  for (const Case& c : cases) {
    auto p = Package(ok);
    if (c.content == "-")
      p.erase(c.member);
    else
      p[c.member] = c.content;
    EXPECT_FALSE(Read(p)) << c.what;
  }
  // Shared strings and the package relationships are optional.
  auto p = Package(ok);
  p.erase("xl/sharedStrings.xml");
  p.erase("_rels/.rels");
  EXPECT_TRUE(Read(p));
}

TEST_F(XlsxReader, ASmallFileCannotMakeAHugeWorkbook) {
  // One long shared string repeated by many cells: a few kilobytes packed,
  // gigabytes of text once every cell holds it.
  std::string rows;
  for (int r = 1; r <= 40000; ++r) rows += "<row><c t=\"s\"><v>0</v></c></row>";
  const auto p = Package(rows, "<si><t>" + std::string(30000, 'x') + "</t></si>");
  const String file = Make(p);
  EXPECT_LT(std::filesystem::file_size(Path("in.xlsx")), 100000u);
  TXlsWorkbook wb;
  EXPECT_FALSE(wb.Open(file));
  // The same string in fewer cells is read.
  std::string few;
  for (int r = 1; r <= 100; ++r) few += "<row><c t=\"s\"><v>0</v></c></row>";
  EXPECT_TRUE(Read(Package(few, "<si><t>" + std::string(30000, 'x') + "</t></si>")));
}

TEST_F(XlsxReader, ParsingWorkGrowsWithTheInputAlone) {
  // Tags and comments each a few megabytes long (within the bound) arrive
  // over many pieces of the inflated member: the parser scans each byte a
  // few times, not once per piece that arrives while its token is open.
  const std::string ok = "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>";
  const std::string big(3u << 20, 'a');
  const std::string cases[] = {
      "<row r=\"1\"><c r=\"A1\" x=\"" + big + "\"><v>1</v></c></row>",
      ok + "<!--" + big + "--><!--" + big + "-->",
      ok + "<?pi " + big + "?>",
  };
  for (const std::string& rows : cases) {
    const Int64 before = xls_XmlScanBytes.load();
    std::string text;
    EXPECT_TRUE(Read(Package(rows), &text));
    EXPECT_EQ(text, "1\r\n");
    EXPECT_LT(xls_XmlScanBytes.load() - before, static_cast<Int64>(rows.size()) * 3) << rows.substr(0, 30);
  }
}

TEST_F(XlsxReader, WhatAFileInflatesToIsBounded) {
  // Many sheets, each within every bound of its own, inflate in all past
  // the bound of one workbook or out of proportion to the file.
  struct Case {
    const char* what;
    int sheets;
    std::string rows;
    TZipInflateBounds bounds;
    bool read;
  };
  std::string blanks = "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>" + std::string(1u << 20, '\n');
  std::string varied;
  for (int r = 1; r <= 4000; ++r)
    varied += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) + "\"><v>" + std::to_string(r * 7919 % 100003) + "</v></c></row>";
  const Case cases[] = {
      {"total within", 4, blanks, {Int64{6} << 20, 1 << 20, 0}, true},
      {"total past", 8, blanks, {Int64{6} << 20, 1 << 20, 0}, false},
      {"ratio past", 4, blanks, {Int64{1} << 30, 100, 1 << 20}, false},
      {"ratio past, but free", 4, blanks, {Int64{1} << 30, 100, 8 << 20}, true},
      {"ratio of real rows", 8, varied, {Int64{1} << 30, 100, 1 << 20}, true},
  };
  const TZipInflateBounds saved = zip_InflateBounds;
  for (const Case& c : cases) {
    auto p = Package(c.rows);
    std::string sheets, rels;
    for (int i = 1; i <= c.sheets; ++i) {
      const std::string n = std::to_string(i);
      sheets += "<sheet name=\"S" + n + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
      rels += std::string("<Relationship Id=\"rId") + n + "\" Type=\"" + kRel + "/worksheet\" Target=\"worksheets/sheet" + n + ".xml\"/>";
      p["xl/worksheets/sheet" + n + ".xml"] = Sheet(c.rows);
    }
    p["xl/workbook.xml"] = std::string("<workbook xmlns=\"") + kMain + "\" xmlns:r=\"" + kRel + "\"><sheets>" + sheets + "</sheets></workbook>";
    p["xl/_rels/workbook.xml.rels"] =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" + rels + "</Relationships>";
    zip_InflateBounds = c.bounds;
    TXlsWorkbook wb;
    EXPECT_EQ(wb.Open(Make(p)), c.read) << c.what;
    if (!c.read) {
      EXPECT_THROW(TXlsWorkbook{File("in.xlsx")}, EXlsError) << c.what;
    }
    zip_InflateBounds = saved;
  }
}

TEST_F(XlsxReader, FilesThatAreNotXlsx) {
  TXlsWorkbook wb;
  EXPECT_FALSE(wb.Open(File("missing.xlsx")));
  WriteRaw("empty.xlsx", "");
  EXPECT_FALSE(wb.Open(File("empty.xlsx")));
  // The older binary format starts with a compound-file signature.
  WriteRaw("old.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(4000, '\0'));
  EXPECT_FALSE(wb.Open(File("old.xls")));
  WriteRaw("text.xlsx", "word\tfreq\r\nthe\t1\r\n");
  EXPECT_FALSE(wb.Open(File("text.xlsx")));
  std::filesystem::create_directory(Path("folder.xlsx"));
  EXPECT_FALSE(wb.Open(File("folder.xlsx")));
  EXPECT_THROW(TXlsWorkbook{File("missing.xlsx")}, EXlsError);
}

TEST_F(XlsxReader, TruncatedAndFlippedFilesNeverCrash) {
  TXlsWorkbook wb;
  wb.NewFile(2);
  for (Int32 r = 1; r <= 30; ++r) {
    wb.SetCellValue(r, 1, u"word " + String(1, static_cast<Char>(u'a' + r % 26)));
    wb.SetCellValue(r, 2, r * 1.5);
  }
  wb.SetCellFromHtml(31, 1, u"<b>b</b> <i>i</i>");
  wb.Save(File("good.xlsx"));
  const std::string good = ReadRaw("good.xlsx");
  ASSERT_GT(good.size(), 1000u);
  // Every cut is refused: the directory at the end of the file is gone.
  for (size_t len = 0; len < good.size(); len += 41) {
    WriteRaw("cut.xlsx", good.substr(0, len));
    TXlsWorkbook back;
    EXPECT_FALSE(back.Open(File("cut.xlsx"))) << len;
  }
  // Flipped bytes may or may not spoil the file; they never crash the reader.
  for (size_t pos = 0; pos < good.size(); pos += 29) {
    std::string bad = good;
    bad[pos] = static_cast<char>(bad[pos] ^ 0x5A);
    WriteRaw("flip.xlsx", bad);
    TXlsWorkbook back;
    (void)back.Open(File("flip.xlsx"));
  }
}

TEST_F(XlsxReader, AMemberClaimingMoreThanItHolds) {
  const String file = Make(Package("<row><c><v>1</v></c></row>"), zcStored);
  std::string bytes = ReadRaw("in.xlsx");
  // Raise the stated size of the sheet member in its local header and in the
  // central directory.
  const std::string name = "xl/worksheets/sheet1.xml";
  int patched = 0;
  for (size_t p = bytes.find(name); p != std::string::npos; p = bytes.find(name, p + 1)) {
    const bool central = p >= 46 && bytes.compare(p - 46, 4, "PK\x01\x02") == 0;
    const bool local = p >= 30 && bytes.compare(p - 30, 4, "PK\x03\x04") == 0;
    if (!central && !local) continue;
    const size_t field = central ? p - 46 + 24 : p - 30 + 22;
    bytes[field + 2] = '\x10';  // + 1 MB
    ++patched;
  }
  ASSERT_EQ(patched, 2);
  WriteRaw("in.xlsx", bytes);
  TXlsWorkbook wb;
  EXPECT_FALSE(wb.Open(file));
}

TEST_F(XlsxReader, WorkbookWrittenByOpenpyxl) {
  RunXlsxCheck("make", Path("py.xlsx"));
  TXlsWorkbook wb;
  ASSERT_TRUE(wb.Open(File("py.xlsx")));
  ASSERT_EQ(wb.SheetCount(), 3);
  EXPECT_EQ(wb.SheetNameOf(2), u"Zweite Seite");
  EXPECT_EQ(SheetText(wb), "word\tfreq\tshare\r\nthe\t6187267\t0.0617\r\nof\t2941444\t0.0293\r\nthe\t12\t-1.5\r\n");
  wb.SetActiveSheet(2);
  EXPECT_EQ(SheetText(wb), "Gr\u00fc\u00dfe \u65e5\u672c\r\n\t\t100000000000000000000\r\n\tTRUE\r\n\"tab\there\"\r\n");
  wb.SetActiveSheet(3);
  EXPECT_EQ(SheetText(wb), "");
}

}  // namespace sk
