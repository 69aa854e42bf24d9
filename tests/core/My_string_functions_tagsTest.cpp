// Tags, header values, colour words, .docx text and file-name helpers.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <string>

#include "core/My_string_functions_tags.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Strings.h"
#include "platform/runtime/ZipReader.h"

namespace sk {
namespace {

// A scratch folder of its own for each test, removed afterwards.
class My_string_functions_tagsFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/sk_tags_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = Utf8ToString(tmpl) + u"/";
  }
  void TearDown() override {
    for (const String& f : made_) DeleteFile(f);
    RemoveDir(dir_);
  }
  String Path(const char16_t* name) {
    made_.push_back(dir_ + name);
    return made_.back();
  }
  void WriteBytes(const String& file, const std::string& bytes) {
    std::ofstream out(StringToUtf8(file), std::ios::binary);
    out << bytes;
  }
  // A zip archive with the given members (name, UTF-8 content).
  String MakeZip(const char16_t* name, std::initializer_list<std::pair<const char16_t*, std::string>> members) {
    const String file = Path(name);
    TZipFile zip;
    zip.Open(file, zmWrite);
    for (const auto& m : members) zip.Add(TBytes(m.second.begin(), m.second.end()), m.first);
    zip.Close();
    return file;
  }
  static std::string Document(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
           "<w:document xmlns:w=\"x\" xmlns:mc=\"y\"><w:body>" +
           body + "</w:body></w:document>";
  }
  String dir_;
  std::vector<String> made_;
};

TEST(My_string_functions_tagsTags, ClosingFormsAndNumbers) {
  EXPECT_EQ(SameTagButSwitchedOff(u"<p>"), u"</p>");
  EXPECT_EQ(SameTagButSwitchedOff(u"p"), u"/p");
  EXPECT_EQ(SameTagButSwitchedOff(u""), u"");
  EXPECT_EQ(SameTagButSwitchedOff(u"<"), u"</");
  EXPECT_EQ(TagOnNumbered(u"<p>", 3), u"<p \"3\">");
  EXPECT_EQ(TagOnNumbered(u"<p>", -12), u"<p \"-12\">");
  EXPECT_EQ(TagOnNumbered(u"<p", 3), u"<p");
  EXPECT_EQ(TagOnNumbered(u"", 3), u"");
  EXPECT_EQ(TagOnNumbered(u">", 1), u" \"1\">");
}

TEST(My_string_functions_tagsTags, Headings) {
  EXPECT_FALSE(IsAHeading(u"A sentence.", u""));
  EXPECT_TRUE(IsAHeading(u"Chapter (2)", u""));
  EXPECT_FALSE(IsAHeading(u")", u""));
  EXPECT_FALSE(IsAHeading(u"", u""));
  EXPECT_FALSE(IsAHeading(u"Really?)]}", u""));
  EXPECT_TRUE(IsAHeading(u"Introduction", u""));
  EXPECT_TRUE(IsAHeading(u"Title</h>", u"</h>"));
  EXPECT_FALSE(IsAHeading(u"Title</h> ", u"</h>"));
  EXPECT_FALSE(IsAHeading(u"h>", u"</h>"));
}

TEST(My_string_functions_tagsTags, SimpleValues) {
  bool found = true;
  EXPECT_EQ(SimpleTagValue(u"t", u"x<t> v </t>y", found), u" v ");
  EXPECT_TRUE(found);
  EXPECT_EQ(TrimmedSimpleTagValue(u"t", u"x<t> v </t>y", found), u"v");
  EXPECT_EQ(SimpleTagValue(u"t", u"</t>a<t>", found), u"");
  EXPECT_FALSE(found);
  EXPECT_EQ(SimpleTagValue(u"t", u"<t>open only", found), u"");
  EXPECT_FALSE(found);
  EXPECT_EQ(SimpleTagValue(u"t", u"<t></t>", found), u"");
  EXPECT_TRUE(found);
  // The first closing tag decides, even when a later one would follow.
  EXPECT_EQ(SimpleTagValue(u"t", u"</t><t>a</t>", found), u"");
  EXPECT_FALSE(found);
}

TEST(My_string_functions_tagsColours, ColourWordsGetTheirColours) {
  auto list = StringWithHexColourWordsToStringlist(u"plain <#FF0000>red and <#00FF00>green");
  ASSERT_EQ(list->Count(), 5);
  EXPECT_EQ(list->Get(0), u"plain ");
  EXPECT_EQ(list->GetOne(0), 0);
  EXPECT_EQ(list->Get(1), u"red ");
  EXPECT_EQ(list->GetOne(1), 0xFF0000);
  EXPECT_EQ(list->Get(2), u"and ");
  EXPECT_EQ(list->GetOne(2), 0);
  // The last coloured word keeps its colour.
  EXPECT_EQ(list->Get(3), u"green");
  EXPECT_EQ(list->GetOne(3), 0x00FF00);
  EXPECT_EQ(list->Get(4), u"");
  EXPECT_EQ(list->GetOne(4), 0);
}

TEST(My_string_functions_tagsColours, OddInput) {
  auto plain = StringWithHexColourWordsToStringlist(u"no colours");
  ASSERT_EQ(plain->Count(), 1);
  EXPECT_EQ(plain->Get(0), u"no colours");
  // Digits that are not hexadecimal are text.
  auto bad = StringWithHexColourWordsToStringlist(u"a <#zz>b <#1>c d");
  ASSERT_EQ(bad->Count(), 3);
  EXPECT_EQ(bad->Get(0), u"a <#zz>b ");
  EXPECT_EQ(bad->GetOne(0), 0);
  EXPECT_EQ(bad->Get(1), u"c ");
  EXPECT_EQ(bad->GetOne(1), 1);
  EXPECT_EQ(bad->Get(2), u"d");
  // Two colour words without a space between them each keep their word.
  auto joined = StringWithHexColourWordsToStringlist(u"<#A>x<#B>y");
  ASSERT_EQ(joined->Count(), 5);
  EXPECT_EQ(joined->Get(1), u"x");
  EXPECT_EQ(joined->GetOne(1), 10);
  EXPECT_EQ(joined->Get(3), u"y");
  EXPECT_EQ(joined->GetOne(3), 11);
  // An unfinished marker stays text.
  auto open = StringWithHexColourWordsToStringlist(u"x <#FF");
  ASSERT_EQ(open->Count(), 1);
  EXPECT_EQ(open->Get(0), u"x <#FF");
  EXPECT_EQ(StringWithHexColourWordsToStringlist(u"")->Count(), 1);
  // More than 8 digits, or a ">" beyond them, is no colour.
  auto wide = StringWithHexColourWordsToStringlist(u"<#123456789>a <#1 2>b");
  ASSERT_EQ(wide->Count(), 1);
  EXPECT_EQ(wide->Get(0), u"<#123456789>a <#1 2>b");
  auto widest = StringWithHexColourWordsToStringlist(u"<#FFFFFFFF>w");
  ASSERT_EQ(widest->Count(), 3);
  EXPECT_EQ(widest->GetOne(1), -1);
}

TEST(My_string_functions_tagsColours, ManyColourWordsWithoutSpaces) {
  String text;
  for (int i = 0; i < 20000; ++i) text += u"<#" + IntToHex(i % 4096 + 1, 3) + u">w";
  text += u" tail";
  auto list = StringWithHexColourWordsToStringlist(text);
  // Each colour word with the empty text before it, then the rest.
  ASSERT_EQ(list->Count(), 2 * 20000 + 1);
  EXPECT_EQ(list->Get(1), u"w");
  EXPECT_EQ(list->GetOne(1), 1);
  EXPECT_EQ(list->Get(2 * 20000 - 1), u"w ");
  EXPECT_EQ(list->GetOne(2 * 20000 - 1), (20000 - 1) % 4096 + 1);
  EXPECT_EQ(list->Get(2 * 20000), u"tail");
  EXPECT_EQ(list->GetOne(2 * 20000), 0);
}

TEST(My_string_functions_tagsNames, SlashesAndExtensions) {
  EXPECT_EQ(BothSlashesExtractFilepath(u"a/b\\c.txt"), u"a/b");
  EXPECT_EQ(BothSlashesExtractFilename(u"a/b\\c.txt"), u"c.txt");
  EXPECT_EQ(BothSlashesExtractFilepath(u"c.txt"), u"c.txt");
  EXPECT_EQ(BothSlashesExtractFilename(u"c.txt"), u"c.txt");
  EXPECT_EQ(BothSlashesExtractFilename(u"dir/"), u"");
  String name = u"/x/report";
  EnsureFileHasExtension(name, u".txt");
  EXPECT_EQ(name, u"/x/report.txt");
  EnsureFileHasExtension(name, u".doc");
  EXPECT_EQ(name, u"/x/report.txt");
  EXPECT_EQ(FilenameWithInsertion(u"/x/a.txt", u"_2", true), u"/x/a_2.txt");
  EXPECT_EQ(FilenameWithInsertion(u"/x/a", u"_2", true), u"/x/a_2");
  EXPECT_EQ(FilenameWithInsertion(u"/x/a.txt", u"_2", false), u"/x/a.txt_2");
  EXPECT_EQ(FilenameWithInsertion(u"/x.d/a", u"_2", true), u"/x.d/a_2");
}

TEST_F(My_string_functions_tagsFiles, HeaderValues) {
  const String file = Path(u"h.txt");
  WriteBytes(file, "\xEF\xBB\xBF<head>\n<title>  My text \n</title></head>\n");
  EXPECT_EQ(GetHeaderValueWithinFile(file, u"title"), u"My text");
  EXPECT_EQ(GetHeaderValueWithinFile(file, u"<title>"), u"My text");
  EXPECT_EQ(GetHeaderValueWithinFile(file, u"author"), u"");
  const String open = Path(u"o.txt");
  WriteBytes(open, "<title>never closed\n");
  EXPECT_EQ(GetHeaderValueWithinFile(open, u"title"), u"");
  const String before = Path(u"b.txt");
  WriteBytes(before, "</title> <title>x");
  EXPECT_EQ(GetHeaderValueWithinFile(before, u"title"), u"");
  EXPECT_EQ(GetHeaderValueWithinFile(dir_ + u"missing.txt", u"title"), u"");
}

TEST_F(My_string_functions_tagsFiles, DocxParagraphsRunsAndEntities) {
  const String file = MakeZip(
      u"a.docx",
      {{u"[Content_Types].xml", "<Types/>"},
       {u"word/document.xml",
        Document("<w:p w:rsidR=\"1\"><w:pPr><w:jc/></w:pPr><w:r><w:t>Hello </w:t></w:r>"
                 "<w:r><w:tab/><w:t xml:space=\"preserve\">world</w:t></w:r></w:p>"
                 "<w:p></w:p>"
                 "<w:p><w:r><w:t>Fish &amp; chips &lt;b&gt; &quot;q&quot; &apos;a&apos;</w:t></w:r></w:p>"
                 "<w:p><w:r><w:t>&#233;&#xE9;&#x1F600; &bogus; &#xD800; &#99999999; & x</w:t></w:r></w:p>"
                 "<w:p/><w:p w:rsidR=\"2\"/>"
                 "<w:p><w:r><w:t/><w:t>after empty run</w:t></w:r></w:p>"
                 "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl>")}});
  const String expected = String(u"Hello world\r\n") + u"\r\n" + u"Fish & chips <b> \"q\" 'a'\r\n" +
                          u"\u00E9\u00E9\U0001F600 &bogus; &#xD800; &#99999999; & x\r\n" +
                          u"after empty run\r\n" + u"cell\r\n";
  EXPECT_EQ(DOCXFileText(file), expected);
}

TEST_F(My_string_functions_tagsFiles, DocxAlternateContentUsesTheFallback) {
  const String file = MakeZip(
      u"alt.docx",
      {{u"word/document.xml",
        Document("<w:p><w:r><w:t>A</w:t></w:r>"
                 "<mc:AlternateContent><mc:Choice><w:t>CHOICE</w:t></mc:Choice>"
                 "<mc:Fallback><w:t>FALLBACK</w:t></mc:Fallback></mc:AlternateContent>"
                 "<w:r><w:t>B</w:t></w:r></w:p>")}});
  EXPECT_EQ(DOCXFileText(file), u"AFALLBACKB\r\n");
  // An element whose fallback is never closed stays as it is, and the text
  // is still produced.
  const String broken = MakeZip(
      u"broken.docx",
      {{u"word/document.xml",
        Document("<w:p><mc:AlternateContent><mc:Choice><w:t>C</w:t></mc:Choice>"
                 "<mc:Fallback><w:t>F</w:t></mc:AlternateContent><w:r><w:t>Z</w:t></w:r></w:p>")}});
  EXPECT_EQ(DOCXFileText(broken), u"CFZ\r\n");
  const String unclosed = MakeZip(
      u"unclosed.docx",
      {{u"word/document.xml", Document("<w:p><mc:AlternateContent><w:t>K</w:t></w:p>")}});
  EXPECT_EQ(DOCXFileText(unclosed), u"K\r\n");
}

TEST_F(My_string_functions_tagsFiles, DocxElementsPassedOverAndKeptApart) {
  // An element with no fallback of its own is passed over; the next one,
  // whose fallback comes later, is still replaced.
  const String file = MakeZip(
      u"two.docx",
      {{u"word/document.xml",
        Document("<w:p><mc:AlternateContent><mc:Choice><w:t>C1</w:t></mc:Choice></mc:AlternateContent>"
                 "<w:r><w:t>-</w:t></w:r>"
                 "<mc:AlternateContent><mc:Choice><w:t>C2</w:t></mc:Choice>"
                 "<mc:Fallback><w:t>F2</w:t></mc:Fallback></mc:AlternateContent></w:p>")}});
  EXPECT_EQ(DOCXFileText(file), u"C1-F2\r\n");
  // Entities are decoded once: an escaped entity keeps its own text.
  const String twice = MakeZip(
      u"twice.docx", {{u"word/document.xml", Document("<w:p><w:r><w:t>&amp;lt; &amp;amp; &#38;#65;</w:t></w:r></w:p>")}});
  EXPECT_EQ(DOCXFileText(twice), u"&lt; &amp; &#65;\r\n");
  // Runs are looked for inside their own paragraph only.
  const String split = MakeZip(
      u"split.docx", {{u"word/document.xml", Document("<w:p><w:r></w:r></w:p><w:p><w:r><w:t>x</w:t></w:r></w:p>")}});
  EXPECT_EQ(DOCXFileText(split), u"\r\nx\r\n");
}

TEST_F(My_string_functions_tagsFiles, DocxWithManyEmptyParagraphs) {
  std::string body;
  for (int i = 0; i < 30000; ++i) body += "<w:p w:rsidR=\"00A1\"><w:pPr><w:spacing/></w:pPr></w:p>";
  body += "<w:p><w:r><w:t>end</w:t></w:r></w:p>";
  const String file = MakeZip(u"long.docx", {{u"word/document.xml", Document(body)}});
  String expected;
  for (int i = 0; i < 30000; ++i) expected += u"\r\n";
  expected += u"end\r\n";
  EXPECT_EQ(DOCXFileText(file), expected);
}

// Damaged documents made of one unfinished piece repeated many times: an "&"
// with no ";", a run with no closing tag, alternate content whose fallback
// ends only after the last element. Each gives its text in one pass over the
// document (a search per piece through the rest would take minutes here).
TEST_F(My_string_functions_tagsFiles, DocxRepeatedUnfinishedPieces) {
  const int n = 300000;
  const String ampersands = MakeZip(
      u"amps.docx", {{u"word/document.xml", Document("<w:p><w:r><w:t>" + std::string(n, '&') + "&lt;</w:t></w:r></w:p>")}});
  EXPECT_EQ(DOCXFileText(ampersands), String(n, u'&') + u"<\r\n");

  std::string runs = "<w:p><w:r>";
  for (int i = 0; i < n / 3; ++i) runs += "<w:t>";
  runs += "</w:r></w:p><w:p><w:r><w:t>ok</w:t></w:r></w:p>";
  const String unclosedRuns = MakeZip(u"runs.docx", {{u"word/document.xml", Document(runs)}});
  EXPECT_EQ(DOCXFileText(unclosedRuns), u"\r\nok\r\n");

  std::string alt = "<w:p>";
  for (int i = 0; i < n / 15; ++i) alt += "<mc:AlternateContent><mc:Fallback></mc:AlternateContent>";
  alt += "</mc:Fallback><w:r><w:t>z</w:t></w:r></w:p>";
  const String lateFallbackEnd = MakeZip(u"late.docx", {{u"word/document.xml", Document(alt)}});
  EXPECT_EQ(DOCXFileText(lateFallbackEnd), u"z\r\n");
}

TEST_F(My_string_functions_tagsFiles, DocxFindsTheDocumentPartByNameOnly) {
  const String file =
      MakeZip(u"case.docx", {{u"other/x.xml", "<w:p><w:r><w:t>no</w:t></w:r></w:p>"},
                             {u"WORD\\DOCUMENT.XML", "<w:p><w:r><w:t>yes</w:t></w:r></w:p>"}});
  EXPECT_EQ(DOCXFileText(file), u"yes\r\n");
  const String none = MakeZip(u"none.docx", {{u"word/styles.xml", "<w:p><w:r><w:t>no</w:t></w:r></w:p>"}});
  EXPECT_EQ(DOCXFileText(none), u"");
  const String empty = MakeZip(u"empty.docx", {{u"word/document.xml", ""}});
  EXPECT_EQ(DOCXFileText(empty), u"");
}

TEST_F(My_string_functions_tagsFiles, UnreadableDocxGivesNoText) {
  EXPECT_EQ(DOCXFileText(dir_ + u"missing.docx"), u"");
  const String notZip = Path(u"text.docx");
  WriteBytes(notZip, "this is not an archive at all");
  EXPECT_EQ(DOCXFileText(notZip), u"");
  // A real archive cut short.
  const String whole = MakeZip(u"whole.docx", {{u"word/document.xml", Document(std::string(5000, 'x'))}});
  std::ifstream in(StringToUtf8(whole), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const String cut = Path(u"cut.docx");
  WriteBytes(cut, bytes.substr(0, bytes.size() / 2));
  EXPECT_EQ(DOCXFileText(cut), u"");
  EXPECT_EQ(DOCXFileText(dir_), u"");  // a folder
}

TEST_F(My_string_functions_tagsFiles, DocxReadAsItInflatesWithinTheBounds) {
  // A document of many pieces as it is inflated, tags, characters and
  // alternate content straddling their ends, gives the text of the whole;
  // one that inflates past the bounds of one read gives none.
  std::string body;
  String text;
  for (int i = 0; i < 6000; ++i) {
    body += "<w:p><w:r><w:t>caf\xC3\xA9 " + std::to_string(i) + "</w:t></w:r><mc:AlternateContent><mc:Choice>"
            "<w:t>no</w:t></mc:Choice><mc:Fallback><w:t>\xF0\x9F\x98\x80</w:t></mc:Fallback></mc:AlternateContent></w:p>";
    text += u"caf\u00E9 " + IntToStr(i) + u"\U0001F600\r\n";
  }
  const std::string blanks = "<w:p><w:r><w:t>x</w:t></w:r></w:p>" + std::string(2u << 20, '\n');
  struct Case {
    const char* what;
    const std::string& document;
    TZipInflateBounds bounds;
    String expected;
  };
  const Case cases[] = {
      {"many pieces", body, {}, text},
      {"within the bounds", blanks, {Int64{3} << 20, 100, Int64{3} << 20}, u"x\r\n"},
      {"past the total", blanks, {Int64{1} << 20, 1 << 20, 0}, u""},
      {"out of proportion", blanks, {Int64{1} << 30, 100, Int64{1} << 20}, u""},
  };
  const TZipInflateBounds saved = zip_InflateBounds;
  for (const Case& c : cases) {
    zip_InflateBounds = c.bounds;
    EXPECT_EQ(DOCXFileText(MakeZip(u"big.docx", {{u"word/document.xml", c.document}})), c.expected) << c.what;
    zip_InflateBounds = saved;
  }
}

TEST_F(My_string_functions_tagsFiles, DocxOddMarkupEnds) {
  // A run without its closing tag adds nothing; one with no ">" ends the
  // paragraph's runs; a paragraph without a closing tag runs to the end.
  const String file = MakeZip(
      u"odd.docx",
      {{u"word/document.xml",
        "<w:p><w:r><w:t>x</w:t><w:t>dangling</w:p><w:p><w:t never</w:p><w:p><w:r><w:t>last"}});
  EXPECT_EQ(DOCXFileText(file), u"x\r\n\r\n\r\n");
}

}  // namespace
}  // namespace sk
