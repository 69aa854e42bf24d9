// Markup stripping and the HTML helpers, fed untrusted text: tags removed,
// blanked out and extracted with any brackets and length limits, attributes,
// tag values and headings, bold tags and angle-bracket entities. Blanking
// keeps every position, stripping never lengthens a text, and the entity and
// bracket forms turn back into what they were made from.
#include <algorithm>
#include <vector>

#include "core/My_string_functions_markup.h"
#include "core/My_string_functions_tabfields.h"
#include "core/My_string_functions_tags.h"
#include "core/Useful_classes_base_stringlists.h"
#include "support/FuzzSupport.h"

using namespace sk;
using sk::fuzz::Input;

namespace {

enum Mode : uint8_t { kStrip, kHTML, kTags, kTabFields, kModeCount };

void Strip(const String& text, Char open, Char close, Int32 maxLen) {
  const String without = WithoutMarkup(text, open, close, maxLen);
  SK_FUZZ_CHECK(without.size() <= text.size());
  if (maxLen < 1) SK_FUZZ_CHECK(without == text);
  const String blanked = BlankedOutMarkup(text, open, close, maxLen);
  SK_FUZZ_CHECK(blanked.size() == text.size());
  for (size_t i = 0; i < text.size(); ++i) SK_FUZZ_CHECK(blanked[i] == text[i] || blanked[i] == u' ');
  const String tags = MarkupWithoutText(text, open, close, maxLen);
  SK_FUZZ_CHECK(tags.size() <= text.size());
  (void)WithoutMarkup(text, maxLen);
  (void)MarkupWithoutText(text, maxLen);
  // The first and last few characters as markers.
  const String start = text.substr(0, std::min<size_t>(text.size(), 2));
  const String end = text.size() >= 2 ? text.substr(text.size() - 2) : text;
  const String data = ExtractMarkupDataFromText(text, start, end);
  SK_FUZZ_CHECK(data.size() <= text.size());
  for (Int32 n = 0; n < 4; ++n) (void)AttributeNOfTagStr(text, n);
  SK_FUZZ_CHECK(UNBracketedWith(BracketedWith(text, open, close), open, close).size() <= text.size() + 2);
  if (!text.empty() && text.front() != open && text.back() != close)
    SK_FUZZ_CHECK(UNBracketedWith(BracketedWith(text, open, close), open, close) == text);
  (void)WithoutCaseSensitiveSearchMarkers(text);
}

void HTML(const String& text) {
  // Entities made from every bracket turn back into the text, unless the text
  // held entities of its own.
  const String entities = AnyAngleBracketsToHTML(text);
  SK_FUZZ_CHECK(entities.find(u'<') == String::npos && entities.find(u'>') == String::npos);
  if (text.find(u"&lt;") == String::npos && text.find(u"&gt;") == String::npos) {
    SK_FUZZ_CHECK(ChangeHTMLToAngleBrackets(entities) == text);
    SK_FUZZ_CHECK(ChangeHTMLToAngleBrackets(ChangeAngleBracketsToHTML(text)) == text);
  }
  const String bold = HTMLBolded(text);
  SK_FUZZ_CHECK(IsHTMLBoldAtEnds(bold));
  SK_FUZZ_CHECK(StrippedHTMLBoldAtEnds(bold) == text);
  if (text.find(u"<B>") == String::npos && text.find(u"</B>") == String::npos) SK_FUZZ_CHECK(StrippedHTMLBold(bold) == text);
  SK_FUZZ_CHECK(StrippedHTML(text).size() <= text.size());
  (void)Emboldened(text);
  (void)HTMLSwitchedOff(text);
}

void Tags(const std::vector<String>& f) {
  const String& tag = f[0];
  const String& text = f[1];
  bool found = false;
  const String value = SimpleTagValue(tag, text, found);
  if (!found) SK_FUZZ_CHECK(value.empty());
  (void)TrimmedSimpleTagValue(tag, text, found);
  (void)IsAHeading(text, tag);
  (void)SameTagButSwitchedOff(tag);
  (void)TagOnNumbered(tag, static_cast<Int32>(text.size() % 100) - 3);
  const auto colours = StringWithHexColourWordsToStringlist(text);
  SK_FUZZ_CHECK(colours != nullptr);
  (void)BothSlashesExtractFilepath(text);
  (void)BothSlashesExtractFilename(text);
  (void)FilenameWithInsertion(text, tag, (text.size() & 1) != 0);
}

void TabFields(const String& line, Int32 n) {
  (void)PreTabPart(line);
  (void)AfterTabPart(line, n);
  (void)AfterTabDateOf(line, n);
  (void)AfterTabFloatOf(line, n);
  (void)AfterTabIntegerOf(line, n);
  (void)PreTabPathAndFilenameOf(line);
  (void)PreTabFilenameOf(line);
  (void)FilenameInTabbedString(line);
  (void)PreXCharOf(u'=', line);
  (void)AfterXCharOf(u'=', line);
  // The comparers that sort tabbed lines on a field take any line.
  TStringList list;
  list.SetTextStr(line);
  if (list.Count() >= 2) {
    (void)StringListCompareStringsDateAfter2Tabs(&list, 0, 1);
    (void)StringListCompareStringsFloatAfter1Tab(&list, 0, 1);
    (void)StringListCompareStringsIntegerAfter3Tabs(&list, 1, 0);
    (void)StringListCompareStringsStrAfter4Tabs(&list, 0, 1);
    (void)StringListCompareStringsFilenamePreTab(&list, 1, 0);
    list.CustomSort(StringListCompareStringsFloatAfter2Tabs);
  }
}

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  auto text = [&](uint8_t mode, const TBytes& choices, const String& s) {
    TBytes b{mode};
    b.insert(b.end(), choices.begin(), choices.end());
    const std::string u = StringToUtf8(s);
    b.insert(b.end(), u.begin(), u.end());
    seeds.Add(b);
  };
  const String page = u"<html><head><title>A corpus</title></head><body><p class=\"x\" id='1'>Caf\u00E9 "
                      u"<B>bold</B> &lt;not a tag&gt; 3 < 4 and [note] {x}</p></body></html>";
  text(kStrip, {'<', 0, '>', 0, 40}, page);
  text(kStrip, {'[', 0, ']', 0, 5}, page);
  text(kHTML, {}, ChangeAngleBracketsToHTML(page));
  text(kTags, {}, String(u"<title>") + Char(0) + page);
  text(kTabFields, {2}, u"/corpus/a.txt\t45000.5\t3.25\t17\tword\r\n/corpus/b.txt\t44000\t1e3\t-2\tother");
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const uint8_t mode = in.Byte() % kModeCount;
  switch (mode) {
    case kStrip: {
      const Char open = static_cast<Char>(in.Word());
      const Char close = static_cast<Char>(in.Word());
      const Int32 maxLen = static_cast<int8_t>(in.Byte());
      Strip(in.RestText(false), open, close, maxLen);
      break;
    }
    case kHTML: HTML(in.RestText(false)); break;
    case kTags: Tags(sk::fuzz::Fields(in.RestText(false), 2)); break;
    case kTabFields: {
      const Int32 n = static_cast<int8_t>(in.Byte());
      TabFields(in.RestText(false), n);
      break;
    }
    default: break;
  }
  return 0;
}
