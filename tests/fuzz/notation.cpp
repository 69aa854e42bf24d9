// Search-word notation and the number-list expanders, fed typed text: the
// tagged-word clusters of a text and their joining back, the search-word
// field, the ignore-tag notation, word sections, character-code notation, and
// the compact notation for lists of numbers. Where a writer exists, the text it
// writes reads back to the same value, and writing that again gives the same
// text.
#include <unicode/uchar.h>

#include <vector>

#include "core/My_string_functions_notation.h"
#include "core/My_string_functions_numbers.h"
#include "core/My_string_functions_readable.h"
#include "support/FuzzSupport.h"

using namespace sk;
using sk::fuzz::Input;

namespace {

enum Mode : uint8_t {
  kClusters,
  kSearchWord,
  kIgnoreTags,
  kWordSections,
  kReadable,
  kNumberList,
  kNumberFlags,
  kScanners,
  kModeCount
};

// Clusters are the pieces between spaces, empty ones included. Joining them
// gives the text with the separator in place of each space, except that the
// empty pieces in front are not joined (the joined text starts at its first
// non-empty piece). A long separator makes a join that copies its result once
// per piece show as a time-out.
void Clusters(const String& text, size_t separatorLength) {
  const String separator = separatorLength == 0 ? String(u" ") : String(separatorLength, u'-');
  const std::vector<TStringTag> tags = StringToClusterStringAndTags(text);
  const std::vector<TPcharTag> pchars = StringToClusterPcharAndTags(text);
  SK_FUZZ_CHECK(tags.size() == pchars.size());
  String expected;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != u' ') continue;
    const String piece = text.substr(start, i - start);
    if (expected.empty())
      expected = piece;
    else
      expected += separator + piece;
    start = i + 1;
  }
  SK_FUZZ_CHECK(StringTagArrayToString(tags, separator) == expected);
  // Zero-terminated texts end at a NUL.
  if (text.find(Char(0)) == String::npos) SK_FUZZ_CHECK(PcharTagArrayToString(pchars, separator) == expected);
  const std::vector<TStringTag> back = PcharTagArrayToStringTagArray(StringTagArrayToPcharTagArray(tags));
  SK_FUZZ_CHECK(back.size() == tags.size());
  std::vector<TStringTag> part(tags.begin(), tags.begin() + static_cast<std::ptrdiff_t>(tags.size() < 3 ? tags.size() : 3));
  const Int32 at = PosStringTagArrayInOther(tags, part, false);
  if (!part.empty()) SK_FUZZ_CHECK(at >= 0 && at < static_cast<Int32>(tags.size()));
  const TPositionAndCount pc = FirstAsteriskPosAndCount(tags);
  SK_FUZZ_CHECK(pc.count >= 0 && pc.count <= static_cast<Int32>(tags.size()));
}

void SearchWord(const String& text) {
  const eightywidechar field = StringToSearch_word(text);
  String expected = text.substr(0, 80);
  const size_t z = expected.find(Char(0));
  if (z != String::npos) expected.resize(z);
  SK_FUZZ_CHECK(Search_wordToString(field) == expected);
  String cleaned = text;
  RemoveAnyPrivateUse(cleaned);
  SK_FUZZ_CHECK(cleaned.find(Char(0xF8FF)) == String::npos);
  const twowidechar two = TwoWideCharFrom(text.c_str(), static_cast<Int32>(text.size() % 7));
  (void)two;
  SK_FUZZ_CHECK(StringToTagWordPrecedence(TagWordPrecedenceToStr(StringToTagWordPrecedence(text))) ==
                StringToTagWordPrecedence(text));
}

void IgnoreTags(const String& text) {
  const TIgnore_tag pairs = StringToIgnoreTag(text);
  const String written = IgnoreTagToString(pairs);
  const TIgnore_tag back = StringToIgnoreTag(written);
  SK_FUZZ_CHECK(IgnoreTagToString(back) == written);
}

void WordSections(const String& text) {
  const TConcWordSectionsRec rec = StringToConcWordSections(text);
  bool hasWord = false;
  for (Char c : text)
    if (u_isalnum(c)) hasWord = true;
  if (hasWord) SK_FUZZ_CHECK(ConcWordSectionsToString(rec) == text);
  const TConcWordSectionsRec again = StringToConcWordSections(rec.wd_str);
  if (hasWord) SK_FUZZ_CHECK(again.wd_str == rec.wd_str);
}

// The readable form of a text reads back as the text, whatever it holds.
void Readable(const String& text, Int32 limit) {
  const String readable = QMFormattedWorkStringToReadableString(text, limit);
  SK_FUZZ_CHECK(QMFormattedReadableStringToWorkString(readable) == text);
  // Reading any typed text must not fail, and its readable form reads back.
  const String work = QMFormattedReadableStringToWorkString(text);
  SK_FUZZ_CHECK(QMFormattedReadableStringToWorkString(QMFormattedWorkStringToReadableString(work, 32)) == work);
}

void NumberList(const String& text, Int32 offset) {
  const std::vector<Int32> values = HumanAbbreviatedNumberListStringAsIntegers(text, offset);
  SK_FUZZ_CHECK(values.size() <= static_cast<size_t>(MaxNumberListCount));
  // The notation of the values names the same values in the same order.
  const String written = HumanAbbreviatedNumberListString(values, offset);
  const std::vector<Int32> back = HumanAbbreviatedNumberListStringAsIntegers(written, offset);
  SK_FUZZ_CHECK(back == values);
  // (Writing a million numbers twice over is the target's cost, not the
  // library's: the second writing is checked on shorter lists.)
  if (values.size() <= 65536) SK_FUZZ_CHECK(HumanAbbreviatedNumberListString(back, offset) == written);
  const String expanded = HumanAbbreviatedNumberListStringExpanded(text);
  (void)expanded;
  (void)ANumberInHumanString(text, offset % 50);
  (void)HumanAbbreviatedNumberListStringToMonths(text);
}

void NumberFlags(const String& text, bool zeroBased, size_t count) {
  std::vector<bool> flags(count, true);
  ConvertStringToRangeOfBoolean(text, zeroBased, flags);
  SK_FUZZ_CHECK(flags.size() == count);
}

void Scanners(const std::vector<String>& f, Int32 span) {
  const String& text = f[0];
  Int32 calls = 0;
  FindAndStudyStringInText(
      text, f[1],
      [&](const String&, const String&, const String&, Int32, Int32) { return ++calls > 10000; }, span);
  FindAndStudyStringInText(
      text, f[1], f[2], [&](const String&, const String&, Int32, Int32) { return ++calls > 20000; }, span);
  (void)NumberOfTagsWithinChunk(text, span);
  (void)OpenWithoutCloseTagInText(String(), String(), text, (span & 1) != 0, (span & 2) != 0, span, nullptr);
  (void)AngleBracketedSubstringInString(text);
  (void)LetterMatches(f[1], f[2]);
  (void)PrecedingContext(text, span, span * 3);
  (void)NManyWordsContext(static_cast<TSearchMethodRequirement>(span % TSearchMethodRequirement_Count), text, span, span % 9);
}

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  auto text = [&](uint8_t mode, const String& s, const TBytes& choices = {}) {
    TBytes b{mode};
    b.insert(b.end(), choices.begin(), choices.end());
    const std::string u = StringToUtf8(s);
    b.insert(b.end(), u.begin(), u.end());
    seeds.Add(b);
  };
  std::vector<TStringTag> words;
  AddAStringToStringTagArray(u"the", words);
  AddAStringToStringTagArray(u"cat", words);
  AddAStringToStringTagArray(u"sat", words);
  text(kClusters, StringTagArrayToString(words, u" "), {0});
  text(kSearchWord, Search_wordToString(StringToSearch_word(u"colou?r*")));
  TIgnore_tag pairs = StringToIgnoreTag(u"<*>,[*]");
  text(kIgnoreTags, IgnoreTagToString(pairs));
  text(kWordSections, ConcWordSectionsToString(StringToConcWordSections(u"\"Hello,\"")));
  text(kReadable, QMFormattedWorkStringToReadableString(u"tab\there #5 {CHR(9)}", 32), {32});
  text(kNumberList, HumanAbbreviatedNumberListString(std::vector<Int32>{0, 1, 2, 4, 6, 7, 8, 20}, 1), {1});
  text(kNumberFlags, u"2, 4-5,-3", {1, 12});
  text(kScanners, String(u"a <b>bold</b> and <i>it\u00E1lic</i> text") + Char(0) + u"<b>" + Char(0) + u"</b>",
       {5});
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const uint8_t mode = in.Byte() % kModeCount;
  switch (mode) {
    case kClusters: {
      const size_t separatorLength = in.Byte();
      Clusters(in.RestText(false), separatorLength);
      break;
    }
    case kSearchWord: SearchWord(in.RestText(false)); break;
    case kIgnoreTags: IgnoreTags(in.RestText(false)); break;
    case kWordSections: WordSections(in.RestText(false)); break;
    case kReadable: {
      const Int32 limit = in.Byte();
      Readable(in.RestText(false), limit);
      break;
    }
    case kNumberList: {
      const Int32 offset = static_cast<int8_t>(in.Byte());
      NumberList(in.RestText(false), offset);
      break;
    }
    case kNumberFlags: {
      const bool zeroBased = in.Bool();
      const size_t count = in.Byte();
      NumberFlags(in.RestText(false), zeroBased, count);
      break;
    }
    case kScanners: {
      const Int32 span = in.Byte();
      Scanners(sk::fuzz::Fields(in.RestText(false), 3), span);
      break;
    }
    default: break;
  }
  return 0;
}
