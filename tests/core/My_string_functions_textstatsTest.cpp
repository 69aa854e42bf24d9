// Paragraph, heading and sentence spans of texts, the marks they leave in the
// character-class array, and the line lookup they use.
#include <gtest/gtest.h>

#include <vector>

#include "core/Global_vars.h"
#include "core/My_string_functions_charclass.h"
#include "core/My_string_functions_splitting.h"
#include "core/My_string_functions_textstats.h"
#include "platform/runtime/Strings.h"

namespace sk {
namespace {

using Spans = std::vector<std::pair<Int32, Int32>>;

const TTextStatsSet kAll{stats_sentence, stats_paragraph, stats_heading};
const TTextStatsSet kNoSentences{stats_paragraph, stats_heading};

// Prepares the shared state as a search does for a new text, marks it and
// keeps the class array.
class My_string_functions_textstatsMark : public ::testing::Test {
 protected:
  void TearDown() override {
    Global_TextSectionsArr = TTextStatsPositions_rec{};
    Global_CRLFBreaks.clear();
  }

  void Mark(const String& text, TTextStatsSet kinds, Int32 start = 1) {
    Global_TextSectionsArr = TTextStatsPositions_rec{};
    Global_TextSectionsArr.bufferful_chars.resize(text.size());
    classes_.assign(text.size() + 10, 0);
    ParseAString(text, classes_);
    Global_CRLFBreaks = CRLF_LRs(text);
    std::vector<TStartFinishIntegerRec> lines;
    for (const TStartFinishIntegerRec& b : Global_CRLFBreaks) lines.push_back({b.start - 1, b.finish - 1});
    AutoMarkTextStatsPositions(lines, text, classes_, start, kinds);
  }

  // Marks a text with line spans given as the caller found them (1-based, as
  // Global_CRLFBreaks holds them).
  void MarkWithLines(const String& text, const std::vector<TStartFinishIntegerRec>& breaks, TTextStatsSet kinds) {
    Global_TextSectionsArr = TTextStatsPositions_rec{};
    Global_TextSectionsArr.bufferful_chars.resize(text.size());
    classes_.assign(text.size() + 10, 0);
    ParseAString(text, classes_);
    Global_CRLFBreaks = breaks;
    std::vector<TStartFinishIntegerRec> lines;
    for (const TStartFinishIntegerRec& b : breaks) lines.push_back({b.start - 1, b.finish - 1});
    AutoMarkTextStatsPositions(lines, text, classes_, 1, kinds);
  }

  static Spans Of(Ttext_stats kind) {
    Spans spans;
    for (const TStartFinishIntegerRec& r : Global_TextSectionsArr.stats_arr[kind]) spans.emplace_back(r.start, r.finish);
    return spans;
  }

  bool Marked(Int32 index) const { return (classes_[static_cast<size_t>(index)] & 4096) != 0; }

  std::vector<Word> classes_;
};

TEST_F(My_string_functions_textstatsMark, HeadingsAndParagraphs) {
  const String text = u"Introduction\r\nIt rains.\r\n" + String(120, u'w');
  Mark(text, kNoSentences);
  EXPECT_EQ(Of(stats_heading), (Spans{{0, 12}}));
  EXPECT_EQ(Of(stats_paragraph), (Spans{{14, 23}, {25, 145}}));
  EXPECT_TRUE(Of(stats_sentence).empty());
  for (const Int32 k : {0, 12, 14, 23, 25}) EXPECT_TRUE(Marked(k)) << k;
  EXPECT_FALSE(Marked(13));
  const auto& chars = Global_TextSectionsArr.bufferful_chars;
  EXPECT_EQ(chars[12].stat, stats_heading);
  EXPECT_EQ(chars[12].num_0B, 0);
  EXPECT_EQ(chars[25].stat, stats_paragraph);
  EXPECT_EQ(chars[25].num_0B, 1);

  // A short line whose last letter, number or currency sign comes after its
  // last terminator is a heading; blanks after a terminator are passed over.
  Mark(u"Chapter 2.\r\nPrice: $\r\nOK. \r\nend", kNoSentences);
  EXPECT_EQ(Of(stats_paragraph), (Spans{{0, 10}, {22, 26}}));
  EXPECT_EQ(Of(stats_heading), (Spans{{12, 20}, {28, 31}}));
}

TEST_F(My_string_functions_textstatsMark, SentencesOfOneLine) {
  Mark(u"It rains. The end.", kAll);
  EXPECT_EQ(Of(stats_sentence), (Spans{{0, 8}, {10, 18}}));
  EXPECT_EQ(Of(stats_paragraph), (Spans{{0, 18}}));
  EXPECT_TRUE(Marked(8));   // the line goes on after the first sentence
  EXPECT_TRUE(Marked(10));  // the second starts inside the line
  EXPECT_FALSE(Marked(17));
  EXPECT_EQ(Global_TextSectionsArr.bufferful_chars[10].stat, stats_sentence);
  EXPECT_EQ(Global_TextSectionsArr.bufferful_chars[10].num_0B, 1);

  // Abbreviations followed by lower case, and a terminator glued to the next
  // word, end nothing.
  Mark(u"We saw it, e.g. this one. Then we left.", kAll);
  EXPECT_EQ(Of(stats_sentence), (Spans{{0, 24}, {26, 39}}));
  Mark(u"It is the end.The next one.", kAll);
  EXPECT_EQ(Of(stats_sentence), (Spans{{0, 27}}));
  // A sentence of 3 characters or fewer joins the next one.
  Mark(u"A. Then we went home.", kAll);
  EXPECT_EQ(Of(stats_sentence), (Spans{{0, 21}}));
  // Quotation marks before the space trail, after it they lead.
  Mark(u"It ended.\" \"Next part here.", kAll);
  EXPECT_EQ(Of(stats_sentence), (Spans{{0, 9}, {11, 27}}));
  // Terminators are only looked for from start on; the sentence still
  // begins at its line's start.
  Mark(u"It rains. The end.", kAll, 11);
  EXPECT_EQ(Of(stats_sentence), (Spans{{0, 18}}));
}

TEST_F(My_string_functions_textstatsMark, SentencesOverSeveralLines) {
  const String text = u"First line here. Second one.\r\nThird sentence here. Last one.\r\n";
  Mark(text, kAll);
  EXPECT_EQ(Of(stats_sentence), (Spans{{0, 15}, {17, 28}, {30, 49}, {51, 60}}));
  EXPECT_EQ(Of(stats_paragraph), (Spans{{0, 28}, {30, 60}}));
  EXPECT_TRUE(Of(stats_heading).empty());
  Mark(text, kNoSentences);
  EXPECT_TRUE(Of(stats_sentence).empty());
  EXPECT_FALSE(Marked(15));
}

TEST_F(My_string_functions_textstatsMark, TagsBoundsAndLongRuns) {
  // A terminator inside a tag ends no sentence.
  String text = u"One <b.> Two things. More";
  Global_TextSectionsArr = TTextStatsPositions_rec{};
  classes_.assign(text.size() + 10, 0);
  ParseAString(text, classes_);
  for (Int32 k = 4; k <= 7; ++k) classes_[static_cast<size_t>(k)] |= 2048;
  Global_CRLFBreaks = CRLF_LRs(text);
  AutoMarkTextStatsPositions({}, text, classes_, 1, kAll);
  EXPECT_EQ(Of(stats_sentence), (Spans{{0, 19}}));

  // Buffers shorter than the text take only the writes that fit.
  text = u"Heading\r\nIt rains. The end. Again, it rains.";
  Global_TextSectionsArr = TTextStatsPositions_rec{};
  Global_TextSectionsArr.bufferful_chars.resize(3);
  classes_.assign(text.size(), 0);
  ParseAString(text, classes_);
  Global_CRLFBreaks = CRLF_LRs(text);
  AutoMarkTextStatsPositions({{0, 7}, {9, 44}, {40, 400}, {-5, 2}}, text, classes_, 1, kAll);
  EXPECT_EQ(Of(stats_sentence), (Spans{{9, 17}, {19, 26}, {28, 44}}));
  EXPECT_EQ(Of(stats_heading), (Spans{{0, 7}, {-5, 2}}));
  EXPECT_EQ(Global_TextSectionsArr.bufferful_chars[0].stat, stats_heading);
  EXPECT_EQ(Global_TextSectionsArr.bufferful_chars[2].num_0B, 1);

  // A long run of terminators is walked once, not once per terminator.
  Mark(u"Start" + String(200000, u'.') + u" End", kAll);
  EXPECT_EQ(Of(stats_sentence), (Spans{{0, 200009}}));

  // So are many lines that hold nothing decisive, walking back for their
  // last letter or terminator.
  String dashes;
  for (Int32 k = 0; k < 50000; ++k) dashes += u"-\r\n";
  Mark(u"Title." + dashes, kNoSentences);
  EXPECT_EQ(Of(stats_paragraph).size(), 50000u);
  EXPECT_TRUE(Of(stats_heading).empty());

  Mark(u"", kAll);
  EXPECT_TRUE(Of(stats_sentence).empty());
}

// The same short document with each kind of line end: a heading, then two
// paragraphs of two sentences each.
TEST_F(My_string_functions_textstatsMark, HeadingsParagraphsAndSentencesWithEachLineEnd) {
  const String document = u"Introduction|It rains. The end.|Second one here. Yes it is.|";
  for (const String& lineEnd : {String(u"\r\n"), String(u"\r")}) {
    const String text = StringReplace(document, u"|", lineEnd, rfReplaceAll);
    const Int32 e = static_cast<Int32>(lineEnd.size());
    SCOPED_TRACE(e);
    Mark(text, kAll);
    // Each line span ends at its line break.
    EXPECT_EQ(Of(stats_heading), (Spans{{0, 12}}));
    EXPECT_EQ(Of(stats_paragraph), (Spans{{12 + e, 30 + e}, {30 + 2 * e, 57 + 2 * e}}));
    EXPECT_EQ(Of(stats_sentence),
              (Spans{{12 + e, 20 + e}, {22 + e, 30 + e}, {30 + 2 * e, 45 + 2 * e}, {47 + 2 * e, 57 + 2 * e}}));
  }

  // Line feeds alone, with the line spans a caller makes at each LF.
  const String text = StringReplace(document, u"|", u"\n", rfReplaceAll);
  MarkWithLines(text, {{1, 13}, {14, 32}, {33, 60}}, kAll);
  EXPECT_EQ(Of(stats_heading), (Spans{{0, 12}}));
  EXPECT_EQ(Of(stats_paragraph), (Spans{{13, 31}, {32, 59}}));
  EXPECT_EQ(Of(stats_sentence), (Spans{{13, 21}, {23, 31}, {32, 47}, {49, 59}}));

  // Without line spans the whole text is one line, yet no sentence starts on
  // a line break.
  MarkWithLines(text, {}, kAll);
  EXPECT_EQ(Of(stats_sentence), (Spans{{0, 21}, {23, 30}, {32, 47}, {49, 59}}));
}

TEST_F(My_string_functions_textstatsMark, LastLineEmptyTextAndEmptyLines) {
  // Without a final line break the last line, paragraph and sentence still
  // count; their span ends one past the text, where no write goes.
  const String text = u"Title\r\nIt rains. The end.";
  Mark(text, kAll);
  EXPECT_EQ(Of(stats_heading), (Spans{{0, 5}}));
  EXPECT_EQ(Of(stats_paragraph), (Spans{{7, 25}}));
  EXPECT_EQ(Of(stats_sentence), (Spans{{7, 15}, {17, 25}}));
  EXPECT_EQ(Global_TextSectionsArr.bufferful_chars[17].stat, stats_sentence);
  EXPECT_EQ(Global_TextSectionsArr.bufferful_chars[17].num_0B, 1);
  // The same text with a final line break gives the same spans.
  Mark(text + u"\r\n", kAll);
  EXPECT_EQ(Of(stats_paragraph), (Spans{{7, 25}}));
  EXPECT_EQ(Of(stats_sentence), (Spans{{7, 15}, {17, 25}}));

  // An empty text, or one of line breaks only, has no heading, paragraph or
  // sentence.
  for (const String& empty : {String(), String(u"\r\n"), String(u"\r\n\r\n"), String(u"\n")}) {
    Mark(empty, kAll);
    EXPECT_TRUE(Of(stats_heading).empty()) << empty.size();
    EXPECT_TRUE(Of(stats_paragraph).empty()) << empty.size();
    EXPECT_TRUE(Of(stats_sentence).empty()) << empty.size();
  }

  // Empty lines before, between and after the text make no spans of their own.
  Mark(u"\r\n\r\nTitle\r\n\r\nIt rains here.\r\n\r\n", kAll);
  EXPECT_EQ(Of(stats_heading), (Spans{{4, 9}}));
  EXPECT_EQ(Of(stats_paragraph), (Spans{{13, 27}}));
  EXPECT_EQ(Of(stats_sentence), (Spans{{13, 27}}));
}

TEST_F(My_string_functions_textstatsMark, SpanIndexesBeyondSixteenBits) {
  String text;
  for (Int32 k = 0; k < 70000; ++k) text += u"Hd\r\n";
  Mark(text, kNoSentences);
  ASSERT_EQ(Of(stats_heading).size(), 70000u);
  const auto& chars = Global_TextSectionsArr.bufferful_chars;
  EXPECT_EQ(chars[4 * 69999].stat, stats_heading);
  EXPECT_EQ(chars[4 * 69999].num_0B, 69999);
  EXPECT_EQ(chars[4 * 65536 + 2].num_0B, 65536);  // its finish, the CR
}

TEST(My_string_functions_textstatsLines, LineHoldingAPosition) {
  const String text = u"First line here. Second one.\r\nThird sentence here. Last one.\r\n";
  const std::vector<TStartFinishIntegerRec> breaks = CRLF_LRs(text);
  ASSERT_EQ(breaks.size(), 3u);
  Int32 cursor = 0;
  Int32 lineEnd = 0;
  TStartFinishIntegerRec line = FindCRLFBreaksLRStraddling(text, cursor, lineEnd, 17, breaks);
  EXPECT_EQ(line.start, 0);
  EXPECT_EQ(line.finish, 28);
  EXPECT_EQ(cursor, 0);
  EXPECT_EQ(lineEnd, 29);
  line = FindCRLFBreaksLRStraddling(text, cursor, lineEnd, 30, breaks);
  EXPECT_EQ(line.start, 30);
  EXPECT_EQ(cursor, 1);
  EXPECT_EQ(lineEnd, 60);
  line = FindCRLFBreaksLRStraddling(text, cursor, lineEnd, 10000, breaks);
  EXPECT_EQ(cursor, 2);
  EXPECT_EQ(lineEnd, 61);
  // The cursor never goes back, and past the last line nothing changes.
  line = FindCRLFBreaksLRStraddling(text, cursor, lineEnd, 0, breaks);
  EXPECT_EQ(cursor, 2);
  cursor = 3;
  lineEnd = 7;
  line = FindCRLFBreaksLRStraddling(text, cursor, lineEnd, 5, breaks);
  EXPECT_EQ(line.start, -1);
  EXPECT_EQ(cursor, 3);
  EXPECT_EQ(lineEnd, 7);
  cursor = 0;
  line = FindCRLFBreaksLRStraddling(text, cursor, lineEnd, 5, {});
  EXPECT_EQ(line.start, -1);
}

}  // namespace
}  // namespace sk
