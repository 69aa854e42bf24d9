// Encoding detection and decoding, code-page conversion and precomposition.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/CoreTestSupport.h"
#include "core/My_string_functions_words.h"
#include "core/Unicode_string_conversion.h"
#include "core/Useful_classes_stringlist_sorts.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/QuickSort.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Locale.h"
#include "TestSupport.h"

namespace sk {
namespace {

// Keeps the process ANSI code page as a test found it.
using AnsiCodePage = ScopedACP;

// Text whose last bytes only shift back (UTF-7, ISO-2022-JP) is converted
// whole: the size asked for is the size that the conversion takes.
TEST(Unicode_string_conversion, AnsiTextEndingInAShiftIsNotLost) {
  EXPECT_EQ(AnsiConvertedToString(65000, "+AGE-", 5), u"a");
  EXPECT_EQ(AnsiConvertedToString(50220, "\x1B$B$\"\x1B(B", 8), u"\u3042");
  EXPECT_EQ(AnsiConvertedToString(50222, "x\x1B$B$\"\x1B(B", 9), u"x\u3042");
}

TEST(Unicode_string_conversionDetect, ByteOrderMarksSelectTheEncoding) {
  TEncoding* enc = nullptr;
  Int32 bom = -1;
  EXPECT_EQ(EncodedStringFromBytes(B({0xEF, 0xBB, 0xBF, 0x41}), enc, bom), u"A");
  EXPECT_EQ(enc, TEncoding::UTF8());
  EXPECT_EQ(bom, 3);

  EXPECT_EQ(EncodedStringFromBytes(B({0xFF, 0xFE, 0x41, 0x00, 0x3A, 0x04}), enc, bom), u"A\u043A");
  EXPECT_EQ(enc, TEncoding::Unicode());
  EXPECT_EQ(bom, 2);

  EXPECT_EQ(EncodedStringFromBytes(B({0xFE, 0xFF, 0x00, 0x41, 0x04, 0x3A}), enc, bom), u"A\u043A");
  EXPECT_EQ(enc, TEncoding::BigEndianUnicode());
  EXPECT_EQ(bom, 2);

  // No mark: valid UTF-8.
  EXPECT_EQ(EncodedStringFromBytes(B({0x41, 0x42}), enc, bom), u"AB");
  EXPECT_EQ(enc, TEncoding::UTF8());
  EXPECT_EQ(bom, 0);
  EXPECT_EQ(EncodedStringFromBytes(B("caf\xC3\xA9 \xE2\x82\xAC"), enc, bom), u"caf\u00E9 \u20AC");
  EXPECT_EQ(enc, TEncoding::UTF8());
}

TEST(Unicode_string_conversionDetect, NoMarkAndInvalidUtf8IsAnsi) {
  AnsiCodePage ansi(1252);
  TEncoding* enc = nullptr;
  Int32 bom = -1;
  EXPECT_EQ(EncodedStringFromBytes(B({0x41, 0xE9, 0x42}), enc, bom), u"A\u00E9B");
  EXPECT_EQ(enc, TEncoding::ANSI());
  EXPECT_EQ(enc->CodePage(), 1252u);
  EXPECT_EQ(bom, 0);
  // A multi-byte sequence cut off at the end is not UTF-8 either.
  EXPECT_EQ(EncodedStringFromBytes(B({0x61, 0xC3}), enc, bom), u"a\u00C3");
  EXPECT_EQ(enc->CodePage(), 1252u);
}

// The form that reads bytes in place (a mapped file) answers as the array
// form, long ASCII runs with a bad byte at every alignment included.
TEST(Unicode_string_conversionDetect, BytesInPlaceAnswerAsTheArray) {
  AnsiCodePage ansi(1252);
  std::vector<TBytes> inputs = {B({0xEF, 0xBB, 0xBF, 0x41}), B({0xFF, 0xFE, 0x41, 0x00}), B("plain text"),
                                B({0xEF, 0xBB, 0xBF, 0x41, 0xE9, 0x42}), B({0x61, 0xC3}), TBytes()};
  for (size_t at = 0; at < 24; ++at) {
    TBytes run(24, 0x61);
    run[at] = 0xE9;
    inputs.push_back(run);
  }
  for (const TBytes& bytes : inputs) {
    TEncoding* e1 = nullptr;
    TEncoding* e2 = nullptr;
    Int32 b1 = -1, b2 = -1;
    const String s1 = EncodedStringFromBytes(bytes, e1, b1);
    const String s2 = EncodedStringFromBytes(bytes.data(), bytes.size(), e2, b2);
    EXPECT_EQ(s1, s2);
    EXPECT_EQ(e1, e2);
    EXPECT_EQ(b1, b2);
  }
  TEncoding* enc = nullptr;
  Int32 bom = -1;
  EXPECT_EQ(EncodedStringFromBytes(nullptr, 5, enc, bom), u"");
  EXPECT_EQ(enc, nullptr);
}

// Detection and decoding give what the plain rule gives (the mark's encoding;
// else UTF-8, and when anything in it is not UTF-8, the ANSI code page by the
// two-call conversion) wherever the first byte that is not UTF-8 lies,
// whatever a reader tells of where it met one, into room of any size, with a
// single- and a double-byte ANSI code page.
TEST(Unicode_string_conversionDetect, DecodingIsThePlainRuleWhereverTheBadByteLies) {
  const size_t look = kUtf8LookAhead;
  std::vector<std::string> inputs = {"\xEF\xBB\xBF" "A\xE9", "\xFF\xFE" "A", "\xC3", "\x82\xA0" "A"};
  std::mt19937 random(46);
  inputs.emplace_back(70000, 'x');
  for (char& b : inputs.back()) b = static_cast<char>(random());
  for (const std::string filler : {"a", "\xC3\xA9", "\xE4\xB8\xAD"}) {
    std::string text;
    while (text.size() < look + 16) text += filler;
    inputs.push_back(text);
    for (size_t at : {look - 3, look - 1, look, look + 2})
      for (const std::string what : {"\xE9", "\xE4\xB8\xAD", "\xF0\x9F"})
        inputs.push_back(std::string(text).replace(at, what.size(), what));
  }
  // Texts longer than the pieces a long text is decoded in: sequences of
  // every length across the pieces' edges, a byte that is not UTF-8 far past
  // the first look (with and without a mark), UTF-16 behind its mark.
  {
    const std::string mixed = "ab\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80 ";
    std::string big;
    while (big.size() < 700000) big += mixed.substr(random() % 4);
    inputs.push_back(big);
    inputs.push_back(std::string(big).replace(600001, 1, "\xE9"));
    inputs.push_back("\xEF\xBB\xBF" + std::string(big).replace(300000, 1, "\xFF"));
    inputs.push_back("\xEF\xBB\xBF" + big);
    std::string le = "\xFF\xFE";
    for (size_t k = 0; k < 300001; ++k) le += static_cast<char>(random());
    inputs.push_back(le);
  }
  for (Cardinal acp : {1252u, 932u}) {
    AnsiCodePage ansi(acp);
    for (const std::string& bytes : inputs) {
      const size_t n = bytes.size();
      const bool le = bytes.rfind("\xFF\xFE", 0) == 0;
      const size_t wantMark = le ? 2 : bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
      bool valid = false;
      String want = Utf8ToString(bytes.data() + wantMark, n - wantMark, &valid);
      TEncoding* wantEncoding = le                       ? TEncoding::Unicode()
                                : valid || wantMark == 3 ? TEncoding::UTF8()
                                                         : TEncoding::ANSI();
      if (le || wantEncoding == TEncoding::ANSI()) {
        const Cardinal cp = le ? CP_UTF16LE : acp;
        want.resize(static_cast<size_t>(
            MultiByteToWideChar(cp, 0, bytes.data() + wantMark, static_cast<Int32>(n - wantMark), nullptr, 0)));
        MultiByteToWideChar(cp, 0, bytes.data() + wantMark, static_cast<Int32>(n - wantMark), want.data(),
                            static_cast<Int32>(want.size()));
      }
      for (size_t told : {size_t{0}, size_t{5}, look, n / 2, SIZE_MAX}) {
        String text(told == look ? n * 2 : 0, u'x');  // room given back from an earlier text
        TEncoding* encoding = nullptr;
        Int32 mark = -1;
        EncodedStringFromBytesInto(text, reinterpret_cast<const Byte*>(bytes.data()), n, encoding, mark, told);
        EXPECT_TRUE(text == want && encoding == wantEncoding && mark == static_cast<Int32>(wantMark))
            << acp << " " << n << " " << told << " mark " << mark;
      }
    }
  }
}

TEST(Unicode_string_conversionDetect, EmptyAndMarkOnly) {
  TEncoding* enc = TEncoding::ASCII();
  Int32 bom = 9;
  EXPECT_EQ(EncodedStringFromBytes(TBytes(), enc, bom), u"");
  EXPECT_EQ(enc, nullptr);
  EXPECT_EQ(bom, 0);
  EXPECT_EQ(EncodedStringFromBytes(B({0xEF, 0xBB, 0xBF}), enc, bom), u"");
  EXPECT_EQ(enc, TEncoding::UTF8());
  EXPECT_EQ(bom, 3);
  EXPECT_EQ(EncodedStringFromBytes(B({0xFF, 0xFE}), enc, bom), u"");
  EXPECT_EQ(bom, 2);
}

TEST(Unicode_string_conversionDetect, MarkedUtf8WithBadBytesKeepsItsText) {
  // A UTF-8 file with one corrupt byte: the rest of the text must survive.
  TEncoding* enc = nullptr;
  Int32 bom = 0;
  const String s = EncodedStringFromBytes(B("\xEF\xBB\xBF" "caf\xC3\xA9 \xFF na\xC3\xAFve"), enc, bom);
  EXPECT_EQ(s, u"caf\u00E9 \uFFFD na\u00EFve");
  EXPECT_EQ(enc, TEncoding::UTF8());
  EXPECT_EQ(bom, 3);
}

TEST(Unicode_string_conversionDetect, OddUtf16KeepsTheCompleteUnits) {
  TEncoding* enc = nullptr;
  Int32 bom = 0;
  const String s = EncodedStringFromBytes(B({0xFF, 0xFE, 0x41, 0x00, 0x42}), enc, bom);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0], u'A');
  EXPECT_EQ(enc, TEncoding::Unicode());
}

TEST(Unicode_string_conversionDetect, OtherFormsOfTheInput) {
  AnsiCodePage ansi(1252);
  TEncoding* enc = nullptr;
  EXPECT_EQ(ConvertedStringToUnicode(B({0xFE, 0xFF, 0x00, 0x5A}), enc), u"Z");
  EXPECT_EQ(enc, TEncoding::BigEndianUnicode());
  EXPECT_EQ(ConvertedStringToUnicode(std::string("\xC3\xA9t\xC3\xA9"), enc), u"\u00E9t\u00E9");
  EXPECT_EQ(enc, TEncoding::UTF8());
  const char zeroTerminated[] = "na\xEFve\0ignored";
  EXPECT_EQ(ConvertedStringToUnicode(zeroTerminated, enc), u"na\u00EFve");
  EXPECT_EQ(enc, TEncoding::ANSI());
  EXPECT_EQ(ConvertedStringToUnicode(static_cast<const char*>(nullptr), enc), u"");
  EXPECT_EQ(enc, nullptr);
}

TEST(Unicode_string_conversionFurther, DecodesWithTheGivenEncoding) {
  AnsiCodePage ansi(1252);
  TEncoding* enc = TEncoding::Unicode();
  // No mark is looked for: FF FE is decoded as a character.
  EXPECT_EQ(FurtherEncodedStringFromBytes(B({0xFF, 0xFE, 0x41, 0x00}), enc), u"\uFEFFA");
  EXPECT_EQ(enc, TEncoding::Unicode());

  enc = TEncoding::GetEncodingShared(1251);
  ASSERT_NE(enc, nullptr);
  EXPECT_EQ(FurtherEncodedStringFromBytes(B({0xCF, 0xF0, 0xE8}), enc), u"\u041F\u0440\u0438");
  EXPECT_EQ(enc->CodePage(), 1251u);
  EXPECT_EQ(FurtherEncodedStringFromBytes(TBytes(), enc), u"");
}

TEST(Unicode_string_conversionFurther, UndecodableCodePageBytesFallBackToAnsi) {
  AnsiCodePage ansi(1252);
  TEncoding* enc = TEncoding::GetEncodingShared(932);
  ASSERT_NE(enc, nullptr);
  // 0x82 opens a double-byte character in Shift-JIS; 0x20 cannot end one.
  EXPECT_EQ(FurtherEncodedStringFromBytes(B({0x41, 0x82, 0x20}), enc), u"A\u201A ");
  EXPECT_EQ(enc, TEncoding::ANSI());
}

TEST(Unicode_string_conversionFurther, GivenUtf8IsKeptForBadBytes) {
  TEncoding* enc = TEncoding::UTF8();
  EXPECT_EQ(FurtherEncodedStringFromBytes(B("ok \xC3\xA9 \xC3 end"), enc), u"ok \u00E9 \uFFFD end");
  EXPECT_EQ(enc, TEncoding::UTF8());
  enc = nullptr;
  EXPECT_EQ(FurtherEncodedStringFromBytes(B("x"), enc), u"x");
  EXPECT_EQ(enc, TEncoding::UTF8());
}

TEST(Unicode_string_conversionXml, MarkIsDecodedAsACharacter) {
  EXPECT_EQ(ConvertedWordXML_UTF8StringToUnicode(B("\xEF\xBB\xBF<w:t>\xC3\xA9</w:t>")), u"\uFEFF<w:t>\u00E9</w:t>");
  EXPECT_EQ(ConvertedWordXML_UTF8StringToUnicode(TBytes()), u"");
  EXPECT_EQ(ConvertedWordXML_UTF8StringToUnicode(std::string("a\xE2\x80\x94" "b")), u"a\u2014b");
}

// Text in the code page and back: nothing is lost or cut off, whatever the
// number of bytes per character.
void ExpectRoundTrip(Cardinal cp, const String& text) {
  bool lossy = true;
  const RawByteString bytes = UnicodeToCodePage(cp, text, &lossy);
  ASSERT_FALSE(lossy) << "code page " << cp;
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(AnsiConvertedToString(cp, bytes.data(), static_cast<Int32>(bytes.size())), text) << "code page " << cp;
}

TEST(Unicode_string_conversionCodePages, RoundTrips) {
  ExpectRoundTrip(1252, u"Caf\u00E9 \u00E0 la cr\u00E8me \u20AC \u201Cquoted\u201D \u2014 \u0152uvre");
  ExpectRoundTrip(1251, u"\u041F\u0440\u0438\u0432\u0435\u0442, \u043C\u0438\u0440! \u0401\u0451 \u2116");
  ExpectRoundTrip(932, u"\u65E5\u672C\u8A9E\u306E\u30C6\u30AD\u30B9\u30C8 abc \uFF76\uFF85");
  ExpectRoundTrip(936, u"\u4E2D\u6587\u6587\u672C abc \u3002");
  ExpectRoundTrip(CP_UTF8, u"\u00E9\u4E2D\u20AC \U0001F600 \u0928\u092E\u0938\u094D\u0924\u0947");
}

TEST(Unicode_string_conversionCodePages, MultiByteTextIsNotCutOff) {
  // Every character takes two or more bytes: the result is shorter than the
  // byte count and must be complete.
  const String text(500, u'\u6587');
  for (Cardinal cp : {Cardinal(932), Cardinal(936), CP_UTF8}) {
    const RawByteString bytes = UnicodeToCodePage(cp, text);
    ASSERT_GE(bytes.size(), 1000u);
    EXPECT_EQ(AnsiConvertedToString(cp, bytes.data(), static_cast<Int32>(bytes.size())), text) << cp;
  }
}

TEST(Unicode_string_conversionCodePages, LengthsLocalesAndDefaults) {
  AnsiCodePage ansi(1252);
  const char bytes[] = "abc\xE9";
  EXPECT_EQ(AnsiConvertedToString(1252, bytes, 2), u"ab");
  EXPECT_EQ(AnsiConvertedToString(1252, bytes, 0), u"");
  EXPECT_EQ(AnsiConvertedToString(1252, bytes, -5), u"");
  EXPECT_EQ(AnsiConvertedToString(1252, nullptr, 4), u"");
  EXPECT_EQ(AnsiConvertedToString(bytes), u"abc\u00E9");
  const char cyrillic[] = "\xC4\xE0";
  EXPECT_EQ(AnsiConvertedToString(Cardinal(0x0419), cyrillic), u"\u0414\u0430");  // Russian locale
  EXPECT_EQ(AnsiConvertedToString(Cardinal(0x0419), nullptr), u"");
  EXPECT_EQ(AnsiConvertedToString(static_cast<const char*>(nullptr)), u"");
}

TEST(Unicode_string_conversionLists, ConvertsOnlyListsWithAnotherEncoding) {
  TStringList list;
  list.Add(u"\u00E9t\u00E9 \u4E2D");
  EXPECT_FALSE(ConvertedStringlistToUnicode(&list, 1252));  // never loaded: no encoding
  EXPECT_FALSE(ConvertedStringlistToUnicode(nullptr, 1252));

  list.SetEncoding(TEncoding::Unicode());
  EXPECT_FALSE(ConvertedStringlistToUnicode(&list, 1252));
  EXPECT_EQ(list[0], u"\u00E9t\u00E9 \u4E2D");

  list.SetEncoding(TEncoding::UTF8());
  EXPECT_TRUE(ConvertedStringlistToUnicode(&list, 1252));
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list[0], u"\u00E9t\u00E9 \u4E2D");

  // A code page that cannot hold a character replaces it.
  list.SetEncoding(TEncoding::GetEncodingShared(1252));
  EXPECT_TRUE(ConvertedStringlistToUnicode(&list, 0));
  EXPECT_EQ(list[0].substr(0, 4), u"\u00E9t\u00E9 ");
  EXPECT_NE(list[0], u"\u00E9t\u00E9 \u4E2D");
}

TEST(Unicode_string_conversionPrecomposed, FoldsAndNeverRaises) {
  EXPECT_EQ(EnsurePrecomposed(u""), u"");
  EXPECT_EQ(EnsurePrecomposed(u"e\u0301te\u0301"), u"\u00E9t\u00E9");
  EXPECT_EQ(EnsurePrecomposed(u"A\u030A"), u"\u00C5");
  EXPECT_EQ(EnsurePrecomposed(u"plain"), u"plain");
  // Content that no folding understands comes back, it does not raise.
  String odd = u"?x?";
  odd[0] = Char(0xD800);
  odd[2] = Char(0xDFFF);
  odd += Char(0);
  odd += u"\uFFFF\u0301";
  EXPECT_NO_THROW({
    const String r = EnsurePrecomposed(odd);
    EXPECT_FALSE(r.empty());
  });
  const String lone(1, u'\u0301');
  EXPECT_NO_THROW(EXPECT_EQ(EnsurePrecomposed(lone), lone));
}

// A long text converted to bytes gives the bytes of the whole text converted
// at once, in every encoding, with pairs, lone halves and characters the code
// page cannot hold across the pieces' edges.
TEST(Unicode_string_conversionCodePages, LongTextsGiveTheBytesOfTheWhole) {
  std::mt19937 random(12);
  const Char units[] = {u'a', u' ', 0xE9, 0x4E2D, 0xD83D, 0xDE00, 0x20AC, 0x0410, 0xFFFD};
  String text;
  for (size_t k = 0; k < 200000; ++k) text += units[random() % std::size(units)];
  for (size_t at = 16383; at < text.size(); at += 16384) text[at] = 0xD83D;  // a pair cut by the edge
  for (Cardinal cp : {CP_UTF8, CP_UTF16LE, CP_UTF16BE, 12000u, 1252u, 1251u, 932u, CP_UTF7}) {
    SCOPED_TRACE(cp);
    const std::unique_ptr<TEncoding> e = TEncoding::GetEncoding(cp);
    const RawByteString whole = UnicodeToCodePage(cp, text);
    EXPECT_TRUE(e->GetBytes(text) == TBytes(whole.begin(), whole.end()));
  }
}

// Long conversions yield to the host through the library's hook: to bytes,
// from bytes in each of the ways a text is decoded, and cutting a long text
// into sentences; with the old single calls none did.
TEST(Unicode_string_conversionCodePages, LongConversionsYield) {
  AnsiCodePage ansi(1252);
  const TSortCheckPointMaker saved = SetSortCheckPointMaker(&NewLibrarySortCheckPoint);
  const String text = LongWordText(1200000);
  const RawByteString utf8 = UnicodeToCodePage(CP_UTF8, text);
  const TBytes plain(utf8.begin(), utf8.end());
  const std::string withMark = "\xEF\xBB\xBF" + utf8;
  const TBytes marked(withMark.begin(), withMark.end());
  TBytes ansiBytes = plain;
  ansiBytes[plain.size() - 2] = 0xE9;  // not UTF-8, far past the first look
  const std::string le = "\xFF\xFE" + UnicodeToCodePage(CP_UTF16LE, text);
  const TBytes utf16(le.begin(), le.end());
  const struct {
    const char* name;
    std::function<void()> work;
  } cases[] = {
      {"UTF-8 GetBytes", [&] { TEncoding::UTF8()->GetBytes(text); }},
      {"ANSI GetBytes", [&] { TEncoding::ANSI()->GetBytes(text); }},
      {"UTF-8 without a mark", [&] { ConvertedStringToUnicode(plain, *std::make_unique<TEncoding*>()); }},
      {"UTF-8 behind its mark", [&] { ConvertedStringToUnicode(marked, *std::make_unique<TEncoding*>()); }},
      {"ANSI found late", [&] { ConvertedStringToUnicode(ansiBytes, *std::make_unique<TEncoding*>()); }},
      {"UTF-16 behind its mark", [&] { ConvertedStringToUnicode(utf16, *std::make_unique<TEncoding*>()); }},
      {"sentences by classes", [&] { SentencesFromParagraph(text, String(), 0, 100); }},
      {"sentences at a separator", [&] { SentencesFromParagraph(text, u",", 0, 100); }},
  };
  for (const auto& c : cases) {
    EveryCheckYields everyCheck;
    YieldCounter yields;
    c.work();
    EXPECT_GE(yields.calls, 2) << c.name;
  }
  SetSortCheckPointMaker(saved);
}

}  // namespace
}  // namespace sk
