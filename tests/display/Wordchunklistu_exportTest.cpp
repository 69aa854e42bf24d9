// A concordance line exported through word chunks: as text, into a rich edit
// (formats at positions) and into a workbook cell (its HTML read back).
#include <gtest/gtest.h>

#include "DisplayTestSupport.h"
#include "TestSupport.h"
#include "analysis/AnalysisTestSupport.h"
#include "display/Wordchunklistu_export.h"
#include "platform/spreadsheet/XlsWorkbook.h"
#include "platform/visual/RichEdit.h"
#include "services/Excel_utils2.h"
#include "services/Html_utils.h"

namespace sk {
namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kYellow = 0x00FFFF;

// Installs the export for one test.
struct ScopedExport {
  ScopedExport() {
    Wordchunklistu_initialization();
    Html_utils_initialization();
  }
  ~ScopedExport() {
    Html_utils_Finalization();
    Wordchunklistu_Finalization();
  }
};

// A line with the given left words, the node "NODE" in red on yellow and
// the given right words.
TGrid_data_rec ConcLine(const std::vector<String>& left, const std::vector<String>& right) {
  TGrid_data_rec rec{};
  for (const String& w : left) rec.conc_tokens[at_left].push_back(ConcToken(w));
  rec.conc_tokens[at_right].push_back(ConcToken(u"NODE"));
  rec.conc_tokens[at_right][0].colloc_info.CustomColour = true;
  const TColourFontRec node{kYellow, kRed, static_cast<TFontStyles>(1u << fsBold)};
  rec.conc_colour_info[at_right].push_back(TCollocateColourRec{node, node});
  for (const String& w : right) rec.conc_tokens[at_right].push_back(ConcToken(w));
  rec.conc_outside_limits[at_right] = -1;
  rec.concord_padding_chars = 1;
  return rec;
}

std::vector<String> Words(const String& stem, int n) {
  std::vector<String> r;
  for (int i = 0; i < n; ++i) r.push_back(stem + IntToStr(10 + i));
  return r;
}

TEST(Wordchunklistu_export, TextKeepsTheLastHalfOfTheLeftContextAndStopsAtTheLimit) {
  ScopedExport scoped;
  TQMBaseHolder holder;
  holder.fLCID = kEnglishLcid;
  TTestList list;
  list.Patroa = &holder;
  const TGrid_data_rec rec = ConcLine(Words(u"left", 20), Words(u"right", 20));
  String left;
  for (const String& w : Words(u"left", 20)) left += w + u" ";
  const String text = list.ExportedConcLineToSaveAsformat(rec, nullptr, nullptr, nullptr, {}, as_txt);
  ASSERT_GT(left.size(), 50u);
  EXPECT_EQ(text.substr(0, 50), left.substr(left.size() - 50));
  EXPECT_EQ(text.substr(50, 8), u" NODE  r");  // padding, node, blank, padding
  EXPECT_LE(text.size(), 100u);
  EXPECT_GT(text.size(), 90u);
  EXPECT_EQ(text.back(), u' ');  // whole chunks only
}

TEST(Wordchunklistu_export, TheTextCutNeverSplitsASurrogatePair) {
  ScopedExport scoped;
  TTestList list;
  String pairs;
  for (int i = 0; i < 25; ++i) pairs += u"\U0001D49C";
  // "xxxxxxxxxx " and 50 units and a blank: the cut at 12 falls inside a pair.
  const TGrid_data_rec rec = ConcLine({u"xxxxxxxxxx", pairs}, {});
  const String text = list.ExportedConcLineToSaveAsformat(rec, nullptr, nullptr, nullptr, {}, as_txt);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text[0], 0xD835);  // a high surrogate starts it
  EXPECT_EQ(text.substr(0, 49), pairs.substr(2) + u" ");
}

TEST(Wordchunklistu_export, WithoutTheDisplayLayerTheExportGivesNothing) {
  TTestList list;
  EXPECT_EQ(list.ExportedConcLineToSaveAsformat(ConcLine({u"a"}, {u"b"}), nullptr, nullptr, nullptr, {}, as_txt),
            u"");
}

TEST(Wordchunklistu_export, TheRichEditReceivesEachChunkInItsFormat) {
  ScopedExport scoped;
  TestApplication();
  TTestList list;
  TRichEdit edit;
  const TGrid_data_rec rec = ConcLine(Words(u"left", 20), {u"after"});
  const String text = list.ExportedConcLineToSaveAsformat(rec, nullptr, &edit, nullptr, {}, as_RTF);
  EXPECT_EQ(edit.Text(), text);
  // Whole chunks of the left context within 50 characters.
  EXPECT_EQ(text.substr(0, 7), u" left23");  // 50 characters: a blank and seven words with theirs
  const size_t node = text.find(u"NODE");
  ASSERT_NE(node, String::npos);
  const TRichCharFormat n = edit.FormatAt(static_cast<Int32>(node));
  EXPECT_EQ(n.Color, kRed);
  EXPECT_EQ(n.BackColor, kYellow);
  EXPECT_EQ(n.Style, 1u << fsBold);
  const TRichCharFormat plain = edit.FormatAt(0);
  EXPECT_EQ(plain.BackColor, clNone);
  EXPECT_EQ(plain.Style, 0u);
}

TEST(Wordchunklistu_export, AWorkbookCellHoldsTheLineAsHtml) {
  ScopedExport scoped;
  TTestList list;
  TXlsWorkbook book;
  // The cell holds the line as shown, text that reads like HTML included
  // (the text of an HTML source with its markup hidden).
  const struct {
    TGrid_data_rec rec;
    const char16_t* text;
  } lines[] = {
      {ConcLine({u"one", u"two"}, {u"three"}), u"one two  NODE  three "},
      {ConcLine({u"AT&amp;T", u"&lt;p&gt;"}, {u"&#233;"}), u"AT&amp;T &lt;p&gt;  NODE  &#233; "},
  };
  for (const auto& line : lines) {
    const TColRowAndSheet place{2, 3, 0};
    const String text =
        list.ExportedConcLineToSaveAsformat(line.rec, nullptr, nullptr, &book, place, as_Excel_spreadsheet);
    EXPECT_EQ(text, line.text);
    const TRichString cell = book.GetCellValue(3, 2).AsString();
    String shown = text;
    for (Char& c : shown)
      if (c == u' ') c = 0x00A0;  // blanks go as non-breaking spaces
    EXPECT_EQ(cell.Value, shown);
    bool nodeRed = false;
    for (const TRTFRun& run : cell.Runs)
      if (run.FirstChar == static_cast<Int32>(text.find(u"NODE")))
        nodeRed = run.Font.Color.Value == kRed && (run.Font.Style & 1) != 0;
    EXPECT_TRUE(nodeRed);
  }
}

TEST(Wordchunklistu_export, SeparatedColumnsTakeEachChunkInTheColumnOfItsSpan) {
  ScopedExport scoped;
  TQMBaseHolder holder;
  holder.ExportRec.settings.export_conc_columns_separated = true;
  holder.ExportRec.leftmost = span_L05;
  holder.ExportRec.rightmost = span_R05;
  TTestList list;
  list.Patroa = &holder;
  TXlsWorkbook book;
  const TGrid_data_rec rec = ConcLine({u"one", u"two"}, {u"three"});
  const TColRowAndSheet place{1, 1, 0};
  list.ExportedConcLineToSaveAsformat(rec, nullptr, nullptr, &book, place, as_Excel_spreadsheet);
  // span_L02 is column 1 + 3, the node (span_Centre) 1 + 5, span_R01 1 + 6.
  EXPECT_EQ(book.GetCellValue(1, 4).AsString().Value, u"one");
  EXPECT_EQ(book.GetCellValue(1, 5).AsString().Value, u"two");
  EXPECT_EQ(book.GetCellValue(1, 6).AsString().Value, u"NODE");
  EXPECT_EQ(book.GetCellValue(1, 7).AsString().Value, u"three");
  EXPECT_TRUE(book.GetCellValue(1, 1).IsEmpty());
}

// A concordance exported line by line, each line a cell with the node in its
// colour, saves whatever its number of lines (here 64,000, twice the number
// that once ran out of cell formats) and reads back.
TEST(Wordchunklistu_export, AConcordanceOfAnyLengthSavesAsAWorkbook) {
  ScopedExport scoped;
  TTestList list;
  TXlsWorkbook book;
  constexpr Int32 kLines = 64000;
  const TGrid_data_rec rec = ConcLine({u"in", u"the", u"beginning"}, {u"created"});
  String text;
  for (Int32 r = 1; r <= kLines; ++r)
    text = list.ExportedConcLineToSaveAsformat(rec, nullptr, nullptr, &book, TColRowAndSheet{1, r, 0},
                                               as_Excel_spreadsheet);
  const ScratchFolder scratch("sk_concxlsx");
  book.Save(scratch.File("conc.xlsx"));
  TXlsWorkbook back(scratch.File("conc.xlsx"));
  String shown = text;
  for (Char& c : shown)
    if (c == u' ') c = 0x00A0;  // blanks go as non-breaking spaces
  for (const Int32 r : {1, 32001, kLines}) {
    const TRichString cell = back.GetCellValue(r, 1).AsString();
    EXPECT_EQ(cell.Value, shown) << r;
    bool nodeRed = false;
    for (const TRTFRun& run : cell.Runs)
      if (run.FirstChar == static_cast<Int32>(text.find(u"NODE"))) nodeRed = run.Font.Color.Value == kRed;
    EXPECT_TRUE(nodeRed) << r;
  }
  EXPECT_TRUE(back.GetCellValue(kLines + 1, 1).IsEmpty());
}

}  // namespace
}  // namespace sk
