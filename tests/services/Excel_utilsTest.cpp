#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "XlsxTestSupport.h"
#include "core/CoreTestSupport.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/FormatSettings.h"
#include "platform/spreadsheet/XlsxWriter.h"
#include "services/Excel_utils.h"

namespace sk {

namespace {

// A 16 x 16 PNG.
const Byte kPng16[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x10, 0x00, 0x00, 0x00, 0x10, 0x08, 0x02, 0x00, 0x00, 0x00, 0x90, 0x91, 0x68, 0x36, 0x00, 0x00, 0x00,
    0x16, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0x38, 0x21, 0x27, 0x47, 0x12, 0x62, 0x18, 0xD5, 0x30, 0xAA,
    0x61, 0xF8, 0x6A, 0x00, 0x00, 0xE4, 0x62, 0x04, 0x10, 0xE9, 0x9B, 0x80, 0xF1, 0x00, 0x00, 0x00, 0x00, 0x49,
    0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

class ScopedDecimalSeparator {
 public:
  explicit ScopedDecimalSeparator(Char c) : fSaved(FormatSettings.DecimalSeparator) { FormatSettings.DecimalSeparator = c; }
  ~ScopedDecimalSeparator() { FormatSettings.DecimalSeparator = fSaved; }

 private:
  Char fSaved;
};

class Excel_utilsTest : public ScratchFolderTest {
 protected:
  Excel_utilsTest() : ScratchFolderTest("sk_excel") {}
};

using Excel_utils = Excel_utilsTest;

// A grid of five columns (text, integer, single, percent, text) whose third
// column is hidden, and whose cell (1, 1) is hidden.
TExcelShowRec ColumnFormat(Int32 c) {
  TExcelShowRec s;
  const TExcelDataTypes kinds[] = {ex_string, ex_integer, ex_single, ex_percent, ex_string};
  s.fmt = kinds[c];
  s.HAlign = c == 4 ? fha_right : fha_left;
  s.hidden = c == 2;
  return s;
}

TExcelDataRec CellData(Int32 r, Int32 c) {
  TExcelDataRec d;
  d.cell_format = ColumnFormat(c);
  d.cell_format.hidden = r == 1 && c == 1;
  d.cell_format.font_size = 10;
  d.cell_format.font_colour = clNavy;
  d.cell_format.background_colour = clNone;
  d.cell_format.min_colwidth = c == 4 ? 15 : 0;
  d.cell_format.VAlign = fva_top;
  d.s = c == 0 ? u"word" + String(1, static_cast<Char>(u'a' + r)) : u"note";
  d.i = 1000 * (r + 1);
  d.f = 0.25f * static_cast<Single>(r + 1);
  return d;
}


// The sanitizers reserve far more address space than a limit allows.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUnderAsan = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kUnderAsan = true;
#else
constexpr bool kUnderAsan = false;
#endif
#else
constexpr bool kUnderAsan = false;
#endif

// A member of a hand-built zip: its text is head + body x times + tail,
// deflated without ever being held whole.  The body is deflated once after a
// full flush, which makes its compressed bytes independent of what comes
// before, so that they can simply be repeated.
struct TBigMember {
  std::string Name;
  std::string Packed;
  uLong Crc = 0;
  UInt64 Size = 0;
};

TBigMember DeflateRepeated(const std::string& name, const std::string& head, const std::string& body, size_t times,
                           const std::string& tail) {
  TBigMember m{name, {}, crc32(0, nullptr, 0), 0};
  z_stream zs{};
  EXPECT_EQ(deflateInit2(&zs, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY), Z_OK);
  auto pack = [&](const std::string& in, int flush) {
    std::string out;
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs.avail_in = static_cast<uInt>(in.size());
    char buf[1 << 16];
    do {
      zs.next_out = reinterpret_cast<Bytef*>(buf);
      zs.avail_out = sizeof buf;
      deflate(&zs, flush);
      out.append(buf, sizeof buf - zs.avail_out);
    } while (zs.avail_out == 0);
    return out;
  };
  m.Packed = pack(head, Z_FULL_FLUSH);
  const std::string packedBody = pack(body, Z_FULL_FLUSH);
  for (size_t i = 0; i < times; ++i) m.Packed += packedBody;
  m.Packed += pack(tail, Z_FINISH);
  deflateEnd(&zs);
  auto sum = [&](const std::string& s) {
    m.Crc = crc32(m.Crc, reinterpret_cast<const Bytef*>(s.data()), static_cast<uInt>(s.size()));
    m.Size += s.size();
  };
  sum(head);
  for (size_t i = 0; i < times; ++i) sum(body);
  sum(tail);
  return m;
}

TBigMember Deflated(const std::string& name, const std::string& text) { return DeflateRepeated(name, text, "", 0, ""); }

void WriteZip(const std::string& path, const std::vector<TBigMember>& members) {
  std::string out, central;
  auto u16 = [](std::string& s, unsigned v) { s += static_cast<char>(v & 0xFF), s += static_cast<char>(v >> 8 & 0xFF); };
  auto u32 = [&](std::string& s, uLong v) { u16(s, v & 0xFFFF), u16(s, v >> 16 & 0xFFFF); };
  for (const TBigMember& m : members) {
    const uLong offset = out.size();
    std::string fields;  // version, flags, method, time, date, CRC, sizes, name length, extra length
    u16(fields, 20), u16(fields, 0), u16(fields, 8), u16(fields, 0), u16(fields, 0x21);
    u32(fields, m.Crc), u32(fields, m.Packed.size()), u32(fields, static_cast<uLong>(m.Size));
    u16(fields, static_cast<unsigned>(m.Name.size())), u16(fields, 0);
    out += std::string("PK\x03\x04", 4) + fields + m.Name + m.Packed;
    central += std::string("PK\x01\x02", 4);
    u16(central, 20);
    central += fields;
    u16(central, 0), u16(central, 0), u16(central, 0), u32(central, 0), u32(central, offset);
    central += m.Name;
  }
  const uLong at = out.size();
  out += central + std::string("PK\x05\x06", 4);
  u16(out, 0), u16(out, 0), u16(out, static_cast<unsigned>(members.size())), u16(out, static_cast<unsigned>(members.size()));
  u32(out, central.size()), u32(out, at), u16(out, 0);
  std::ofstream(path, std::ios::binary).write(out.data(), static_cast<std::streamsize>(out.size()));
}
}  // namespace

TEST_F(Excel_utils, StringListsGoOneSheetEachWithTypedCellsAndATitleBlock) {
  ScopedDecimalSeparator comma(u',');
  TUTF8Stringlist words, second, names;
  words.Add(u"word\tfreq\tshare");
  words.Add(u"");  // takes no row
  words.Add(u"<B>the</B>\t007\t0.5");
  words.Add(u"of\t-12\t2,5\t");  // ends in the separator: an empty cell follows
  words.Add(String(100, u'w') + u"\tx");
  second.Add(u"only one piece");
  names.Add(u"Words/list");
  names.Add(u"");
  WriteRaw("icon.ico", IconFile());
  SaveAStringlistToExcel(File("lists.xlsx"), u"A title", u"upper", u"lower", File("icon.ico"), &names,
                         {&words, &second}, u'\t');

  const std::vector<std::string> d = RunXlsxCheck("dump", Path("lists.xlsx"));
  EXPECT_EQ(LineStarting(d, "sheet 1"), "sheet 1 Words_list");
  EXPECT_EQ(LineStarting(d, "sheet 2"), "sheet 2 2");  // no name: its number
  // The title block.
  EXPECT_EQ(LineStarting(d, "merge 1 "), "merge 1 B1:H3");
  EXPECT_EQ(CountStarting(d, "merge 2 "), 0u);
  EXPECT_EQ(LineStarting(d, "cell 1 B1 "),
            "cell 1 B1 s 'A title' bold=1 italic=0 size=15 colour=- fill=- numfmt=@ halign=center valign=center");
  EXPECT_NE(LineStarting(d, "cell 1 J1 s 'upper' "), "");
  EXPECT_NE(LineStarting(d, "cell 1 J2 s '" + StringToUtf8(FormatDateTime(u"dd-mmm-yyyy", Date())) + "' "), "");
  EXPECT_NE(LineStarting(d, "cell 1 J3 s 'lower' "), "");
  // Rows from 6, columns from 3, 12 points in the plain text colours.
  const std::string look = " bold=0 italic=0 size=12 colour=000000 fill=FFFFFF numfmt=General halign=None valign=None";
  EXPECT_EQ(LineStarting(d, "cell 1 C6 "), "cell 1 C6 s 'word'" + look);
  EXPECT_EQ(LineStarting(d, "cell 1 C7 "),
            "cell 1 C7 s 'the' bold=1 italic=0 size=12 colour=000000 fill=FFFFFF numfmt=General halign=None valign=None");
  EXPECT_EQ(LineStarting(d, "cell 1 D7 "), "cell 1 D7 n 7" + look);
  EXPECT_EQ(LineStarting(d, "cell 1 E7 "), "cell 1 E7 s '0.5'" + look);  // not a number in these settings
  EXPECT_EQ(LineStarting(d, "cell 1 D8 "), "cell 1 D8 n -12" + look);
  EXPECT_EQ(LineStarting(d, "cell 1 E8 "), "cell 1 E8 n 2.5" + look);
  EXPECT_EQ(LineStarting(d, "cell 1 F8 "), "cell 1 F8 n None" + look);
  EXPECT_EQ(LineStarting(d, "cell 1 G8 "), "");
  EXPECT_EQ(LineStarting(d, "cell 1 C9 "), "cell 1 C9 s '" + std::string(100, 'w') + "'" + look);
  EXPECT_EQ(LineStarting(d, "cell 2 C6 "), "cell 2 C6 s 'only one piece'" + look);
  // Columns widen to the text plus 2, up to 80 characters.
  EXPECT_EQ(LineStarting(d, "col 1 C "), "col 1 C width=80.7109 numfmt=General");
  EXPECT_EQ(LineStarting(d, "col 2 C "), "col 2 C width=16.7109 numfmt=General");
  // The icon: its larger image, as PNG.
  EXPECT_NE(LineStarting(d, "image xl/drawings/drawing1.xml edit=oneCell from=12,466725,0,57150 "), "");
  EXPECT_NE(LineStarting(d, "image").find("descr='Program Icon'"), std::string::npos);
  EXPECT_NE(LineStarting(d, "media xl/media/image1.png"), "");
  EXPECT_EQ(CountStarting(d, "media"), 1u);

  EXPECT_EQ(StringToUtf8(TextFromExcel(File("lists.xlsx"))),
            "A title\t\t\t\t\t\t\t\tupper\r\n" + StringToUtf8(FormatDateTime(u"dd-mmm-yyyy", Date())) +
                "\r\nlower\r\nword\tfreq\tshare\r\nthe\t7\t0.5\r\nof\t-12\t2,5\r\n" + std::string(100, 'w') +
                "\tx\r\nonly one piece\r\n");
}

TEST_F(Excel_utils, MissingOrUnreadableIconsAreLeftOut) {
  TUTF8Stringlist list;
  list.Add(u"a");
  WriteRaw("bad.ico", std::string("\0\0\1\0\1\0", 6) + std::string(40, 'x'));
  WriteRaw("bad.png", "not a picture");
  WriteRaw("good.png", std::string(reinterpret_cast<const char*>(kPng16), sizeof kPng16));
  for (const char* icon : {"", "missing.ico", "bad.ico", "bad.png", "good.png"}) {
    SaveAStringlistToExcel(File("i.xlsx"), u"t", u"", u"", *icon ? File(icon) : String(), nullptr, {&list}, u'\t');
    const std::vector<std::string> d = RunXlsxCheck("dump", Path("i.xlsx"));
    EXPECT_EQ(CountStarting(d, "image"), std::string(icon) == "good.png" ? 1u : 0u) << icon;
    EXPECT_EQ(LineStarting(d, "cell 1 C6 ").substr(0, 16), "cell 1 C6 s 'a' ") << icon;
  }
}

TEST_F(Excel_utils, GridCellsStayUnderTheirOwnColumns) {
  SaveDataToExcel(File("grid.xlsx"), u"Grid [1]", u"Grid title", u"a note", u"", ColumnFormat, CellData, 3, 5);
  const std::vector<std::string> d = RunXlsxCheck("dump", Path("grid.xlsx"));
  EXPECT_EQ(LineStarting(d, "sheet 1"), "sheet 1 Grid _1_");
  EXPECT_EQ(LineStarting(d, "merge 1"), "merge 1 B1:H3");
  EXPECT_NE(LineStarting(d, "cell 1 J1 s 'Grid [1]' "), "");  // the title block has the name as given
  EXPECT_NE(LineStarting(d, "cell 1 J3 s 'a note' "), "");
  // Columns: C text, D integers, (hidden single), E percent, F text.
  EXPECT_EQ(LineStarting(d, "col 1 C "), "col 1 C width=9.14062 numfmt=@");
  EXPECT_EQ(LineStarting(d, "col 1 D "), "col 1 D width=9.14062 numfmt=#,##0");
  EXPECT_EQ(LineStarting(d, "col 1 E "), "col 1 E width=9.14062 numfmt=0.00%");
  EXPECT_EQ(LineStarting(d, "col 1 F "), "col 1 F width=15.7109 numfmt=@");  // its minimum width
  EXPECT_EQ(LineStarting(d, "col 1 G "), "");
  // Row r at r + 5.
  EXPECT_EQ(LineStarting(d, "cell 1 C5 "),
            "cell 1 C5 s 'worda' bold=0 italic=0 size=10 colour=000080 fill=- numfmt=@ halign=left valign=top");
  EXPECT_EQ(LineStarting(d, "cell 1 D5 "),
            "cell 1 D5 n 1000 bold=0 italic=0 size=10 colour=000080 fill=- numfmt=#,##0 halign=None valign=None");
  EXPECT_EQ(LineStarting(d, "cell 1 E5 "),
            "cell 1 E5 n 0.25 bold=0 italic=0 size=10 colour=000080 fill=- numfmt=0.00% halign=None valign=None");
  EXPECT_EQ(LineStarting(d, "cell 1 F5 "),
            "cell 1 F5 s 'note' bold=0 italic=0 size=10 colour=000080 fill=- numfmt=@ halign=right valign=top");
  // The hidden cell (1, 1) leaves D6 empty; the cells after it keep their
  // columns.
  EXPECT_EQ(LineStarting(d, "cell 1 D6 "), "");
  EXPECT_NE(LineStarting(d, "cell 1 E6 n 0.5 "), "");
  EXPECT_NE(LineStarting(d, "cell 1 F6 s 'note' "), "");
  EXPECT_NE(LineStarting(d, "cell 1 C7 s 'wordc' "), "");
  EXPECT_EQ(CountStarting(d, "cell 1 G"), 0u);
  EXPECT_EQ(CountStarting(d, "cell 1 C8"), 0u);
}

TEST_F(Excel_utils, AGridOfHiddenColumnsWritesOnlyTheTitleBlock) {
  auto hidden = [](Int32) {
    TExcelShowRec s;
    s.hidden = true;
    return s;
  };
  Int32 calls = 0;
  auto cells = [&](Int32 r, Int32 c) {
    ++calls;
    return CellData(r, c);
  };
  SaveDataToExcel(File("empty.xlsx"), u"S", u"Only the title", u"", u"", hidden, cells, 50, 4);
  EXPECT_EQ(calls, 0);
  const std::vector<std::string> d = RunXlsxCheck("dump", Path("empty.xlsx"));
  EXPECT_EQ(CountStarting(d, "col "), 0u);
  for (const std::string& l : d)
    if (l.compare(0, 7, "cell 1 ") == 0) {
      const std::string ref = l.substr(7, l.find(' ', 7) - 7);
      EXPECT_TRUE(ref == "B1" || ref == "J1" || ref == "J2" || ref == "J3") << l;
    }
}

// A long grid export yields while the file is written too, with no long
// stretch of rows between two yields; a Stop while the rows are written or
// the package assembled raises and leaves the old file byte for byte, and
// nothing else in its folder.
TEST_F(Excel_utils, ALongExportYieldsAsItWritesAndAStopKeepsTheOldFile) {
  constexpr Int32 kRows = 10000;
  auto cells = [](Int32 r, Int32 c) {
    TExcelDataRec d;
    d.cell_format = ColumnFormat(c);
    d.cell_format.hidden = false;
    d.s = u"word " + IntToStr(r);
    d.i = r;
    d.f = 0.5f * static_cast<Single>(r % 100);
    return d;
  };
  EveryCheckYields everyCheck;
  enum TStop { no_stop, half_the_rows, the_package };
  for (const TStop stop : {no_stop, half_the_rows, the_package}) {
    SCOPED_TRACE(static_cast<int>(stop));
    WriteRaw("keep.xlsx", "the old file");
    // Rows handed to the file writer, and the most of them between yields.
    Int64 handed = 0, atYield = 0, longest = 0, yieldsWriting = 0;
    bool writing = false, packaging = false;
    SetXlsxRowFileHook([&](Int32, Int32 row, std::FILE*) {
      writing = true;
      if (row > 0) ++handed;
      else packaging = true;
    });
    Global_YieldProcessProc = [&] {
      if (!writing) return;
      ++yieldsWriting;
      longest = std::max(longest, handed - atYield);
      atYield = handed;
      if ((stop == half_the_rows && handed >= kRows / 2) || (stop == the_package && packaging))
        global_panic_state = panic_stop_asap;
    };
    if (stop == no_stop) {
      SaveDataToExcel(File("keep.xlsx"), u"S", u"T", u"", u"", ColumnFormat, cells, kRows, 5);
    } else {
      EXPECT_THROW(SaveDataToExcel(File("keep.xlsx"), u"S", u"T", u"", u"", ColumnFormat, cells, kRows, 5),
                   EXlsError);
    }
    Global_YieldProcessProc = nullptr;
    SetXlsxRowFileHook(nullptr);
    global_panic_state = panic_no_panic;
    longest = std::max(longest, handed - atYield);
    EXPECT_GE(yieldsWriting, 2);
    EXPECT_LE(longest, 4096);
    if (stop == no_stop) {
      EXPECT_EQ(handed, kRows + 3);  // and the title block's three rows
      TXlsWorkbook back(true);
      ASSERT_TRUE(back.Open(File("keep.xlsx")));
      EXPECT_EQ(back.GetCellValue(kRows + 4, 3).AsString().Value, u"word 9999");
    } else {
      EXPECT_EQ(ReadRaw("keep.xlsx"), "the old file");
      EXPECT_LT(handed, stop == half_the_rows ? kRows : kRows + 4);
    }
    Int32 files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(fDir)) ++files;
    EXPECT_EQ(files, 1);
  }
}

TEST_F(Excel_utils, GridsLargerThanASheetRaiseBeforeWriting) {
  WriteRaw("keep.xlsx", "the old file");
  Int32 calls = 0;
  auto cells = [&](Int32 r, Int32 c) {
    ++calls;
    return CellData(r, c);
  };
  // Rows from 5: a grid of 1,048,572 rows ends at the sheet's last row, one
  // more goes past it.
  EXPECT_THROW(SaveDataToExcel(File("keep.xlsx"), u"S", u"T", u"", u"", ColumnFormat, cells, xls_MaxRow - 3, 5),
               EXlsError);
  EXPECT_EQ(calls, 0);
  auto text = [](Int32) { return TExcelShowRec(); };
  EXPECT_THROW(SaveDataToExcel(File("keep.xlsx"), u"S", u"T", u"", u"", text, cells, 1, xls_MaxCol - 1), EXlsError);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(ReadRaw("keep.xlsx"), "the old file");
  // A list with more lines than a sheet has rows.
  TUTF8Stringlist many;
  for (Int32 i = 0; i < xls_MaxRow - 4; ++i) many.Add(u"x");
  EXPECT_THROW(SaveAStringlistToExcel(File("keep.xlsx"), u"T", u"", u"", u"", nullptr, {&many}, u'\t'), EXlsError);
  // A line of more pieces than a sheet has columns (from column 3).
  TUTF8Stringlist wide;
  wide.Add(String(xls_MaxCol - 2, u'\t'));
  EXPECT_THROW(SaveAStringlistToExcel(File("keep.xlsx"), u"T", u"", u"", u"", nullptr, {&wide}, u'\t'), EXlsError);
  wide.Clear();
  wide.Add(String(xls_MaxCol - 3, u'\t'));
  EXPECT_NO_THROW(SaveAStringlistToExcel(File("fits.xlsx"), u"T", u"", u"", u"", nullptr, {&wide}, u'\t'));
  std::filesystem::remove(Path("fits.xlsx"));
  EXPECT_EQ(ReadRaw("keep.xlsx"), "the old file");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(fDir), std::filesystem::directory_iterator()), 1);
}

TEST_F(Excel_utils, TextFromExcelReadsWhatOpenpyxlWrote) {
  RunXlsxCheck("make", Path("py.xlsx"));
  EXPECT_EQ(StringToUtf8(TextFromExcel(File("py.xlsx"))),
            "word\tfreq\tshare\r\nthe\t6187267\t0.0617\r\nof\t2941444\t0.0293\r\nthe\t12\t-1.5\r\n"
            "Gr\u00fc\u00dfe \u65e5\u672c\r\n100000000000000000000\r\nTRUE\r\n\"tab\there\"\r\n");
  // Date, time, date-time and elapsed-time cells (the values openpyxl reads
  // back from them), the same in a workbook of either date system; numbers
  // in other formats stay numbers.
  for (const char* mode : {"dates1900", "dates1904"}) {
    RunXlsxCheck(mode, Path(std::string(mode) + ".xlsx"));
    EXPECT_EQ(StringToUtf8(TextFromExcel(File(std::string(mode) + ".xlsx"))),
              "2024/01/15\t13:45:30\t2024/01/15 13:45:30\t45306\t0.5\r\n"
              "1900/02/27\t2024/02/29\t1999/12/31 00:00:00\t30:00:00\t1.25\r\n")
        << mode;
  }
}

TEST_F(Excel_utils, TextFromExcelOfNothingUsable) {
  EXPECT_EQ(TextFromExcel(File("missing.xlsx")), u"");
  WriteRaw("bad.xlsx", "PK\x03\x04 not really");
  EXPECT_EQ(TextFromExcel(File("bad.xlsx")), u"");
  WriteRaw("old.xls", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(600, '\0'));
  EXPECT_EQ(TextFromExcel(File("old.xls")), u"");
  std::filesystem::create_directory(Path("dir.xlsx"));
  EXPECT_EQ(TextFromExcel(File("dir.xlsx")), u"");
  bool called = false;
  TUTF8Stringlist list;
  list.Add(u"  padded\t ");
  SaveAStringlistToExcel(File("ok.xlsx"), u"", u"", u"", u"", nullptr, {&list}, u'\t');
  // An empty title and notes leave only the date of the title block.
  EXPECT_EQ(TextFromExcel(File("ok.xlsx"), [&](Int32) { return called = true; }),
            FormatDateTime(u"dd-mmm-yyyy", Date()) + u"\r\npadded\r\n");
  EXPECT_FALSE(called);
}

TEST_F(Excel_utils, TextFromExcelOfAHugeSheetWithinAGibibyteOfAddressSpace) {
  if (kUnderAsan) GTEST_SKIP() << "an address-space limit cannot be set under the address sanitizer";
  // A sheet of about 589 MB (a million rows of one value, formatted empty
  // cells and blanks) packed into a file of a few megabytes.
  const char* main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
  const char* rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  constexpr int kRowsPerBody = 64;
  constexpr size_t kBodies = 16250;
  std::string body, expected;
  for (int r = 0; r < kRowsPerBody; ++r) {
    body += "<row><c><v>" + std::to_string(r * 37) + "</v></c>";
    for (int c = 0; c < 10; ++c) body += "<c s=\"1\"/>";
    body += std::string(440, ' ');
    body += "</row>";
    expected += std::to_string(r * 37) + "\r\n";
  }
  const TBigMember sheet = DeflateRepeated(
      "xl/worksheets/sheet1.xml", std::string("<worksheet xmlns=\"") + main + "\"><sheetData>", body, kBodies,
      "<row><c t=\"inlineStr\"><is><t>end</t></is></c></row></sheetData></worksheet>");
  ASSERT_GT(sheet.Size, 580000000u);
  WriteZip(Path("big.xlsx"),
           {Deflated("xl/workbook.xml", std::string("<workbook xmlns=\"") + main + "\" xmlns:r=\"" + rel +
                                            "\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"),
            Deflated("xl/_rels/workbook.xml.rels",
                     std::string("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                                 "<Relationship Id=\"rId1\" Type=\"") +
                         rel + "/worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>"),
            sheet});
  EXPECT_LT(std::filesystem::file_size(Path("big.xlsx")), 64u << 20);
  const String file = File("big.xlsx");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const struct rlimit limit{rlim_t{1} << 30, rlim_t{1} << 30};
    if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(3);
    const String text = TextFromExcel(file);
    if (text.empty()) ::_exit(1);
    // Every body's rows, then the last row.
    const String want = Utf8ToString(expected);
    bool same = text.size() == want.size() * kBodies + 5 && text.compare(text.size() - 5, 5, u"end\r\n") == 0;
    for (size_t i = 0; same && i < kBodies; ++i) same = text.compare(i * want.size(), want.size(), want) == 0;
    ::_exit(same ? 0 : 2);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no text, 2: wrong text, 3: no limit";
}

}  // namespace sk
