#include "platform/runtime/CodePages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <tuple>
#include <vector>

#include "platform/runtime/Locale.h"
#include "TestSupport.h"

namespace sk {
namespace {

RawByteString Bytes(std::initializer_list<int> b) {
  RawByteString r;
  for (int x : b) r.push_back(static_cast<char>(x));
  return r;
}

// Converts with a size query first and then into a buffer of exactly that
// size, checking that both calls agree and that nothing is written past it.
String Decode(Cardinal cp, const RawByteString& bytes, Cardinal flags = 0) {
  Int32 need = MultiByteToWideChar(cp, flags, bytes.data(), static_cast<Int32>(bytes.size()), nullptr, 0);
  if (need <= 0) return u"<fail>";
  std::vector<Char> buf(static_cast<size_t>(need) + 1, Char(0xBEEF));
  Int32 got = MultiByteToWideChar(cp, flags, bytes.data(), static_cast<Int32>(bytes.size()), buf.data(), need);
  EXPECT_EQ(got, need);
  EXPECT_EQ(buf[static_cast<size_t>(need)], Char(0xBEEF));
  return String(buf.data(), static_cast<size_t>(got));
}

RawByteString Encode(Cardinal cp, const String& s, bool* used = nullptr, const char* defaultChar = nullptr,
                     Cardinal flags = 0) {
  Int32 need = WideCharToMultiByte(cp, flags, s.data(), static_cast<Int32>(s.size()), nullptr, 0, defaultChar, used);
  if (need <= 0) return "<fail>";
  std::vector<char> buf(static_cast<size_t>(need) + 1, '\x5A');
  Int32 got = WideCharToMultiByte(cp, flags, s.data(), static_cast<Int32>(s.size()), buf.data(), need, defaultChar, used);
  EXPECT_EQ(got, need);
  EXPECT_EQ(buf[static_cast<size_t>(need)], '\x5A');
  return RawByteString(buf.data(), static_cast<size_t>(got));
}

// ---------------------------------------------------------------------------

TEST(CodePagesRoundTrip, Windows1252) {
  EXPECT_EQ(Decode(1252, Bytes({0x80, 0x41, 0xE9})), u"\u20ACA\u00E9");
  EXPECT_EQ(Encode(1252, u"\u20ACA\u00E9"), Bytes({0x80, 0x41, 0xE9}));
  // The five bytes the code page leaves unassigned come back as the C1
  // controls of the same value, and go back to the same bytes.
  EXPECT_EQ(Decode(1252, Bytes({0x81, 0x8D, 0x8F, 0x90, 0x9D})), u"\u0081\u008D\u008F\u0090\u009D");
  EXPECT_EQ(Encode(1252, u"\u0081\u008D"), Bytes({0x81, 0x8D}));
  // Every byte survives a round trip.
  RawByteString all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(UnicodeToCodePage(1252, CodePageToUnicode(1252, all)), all);
}

TEST(CodePagesRoundTrip, CyrillicAndOem) {
  const String ru = u"\u041F\u0440\u0438\u0432\u0435\u0442";  // Привет
  RawByteString b = UnicodeToCodePage(1251, ru);
  EXPECT_EQ(b, Bytes({0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2}));
  EXPECT_EQ(CodePageToUnicode(1251, b), ru);
  // 437: box drawing and the German umlauts.
  EXPECT_EQ(CodePageToUnicode(CP_OEMCP, Bytes({0xC4, 0x8E, 0x81})), u"\u2500\u00C4\u00FC");
  EXPECT_EQ(OemToCharA(Bytes({0x8E, 0x81})), Bytes({0xC4, 0xFC}));
  EXPECT_EQ(CharToOemA(Bytes({0xC4, 0xFC})), Bytes({0x8E, 0x81}));
}

TEST(CodePagesRoundTrip, MultiByteCodePages) {
  const String ja = u"\u65E5\u672C\u8A9E\u30C6\u30AD\u30B9\u30C8 abc";  // 日本語テキスト abc
  RawByteString sjis = Encode(932, ja);
  EXPECT_EQ(sjis.size(), 7u * 2 + 4);
  EXPECT_EQ(sjis.substr(0, 2), Bytes({0x93, 0xFA}));  // 日
  EXPECT_EQ(Decode(932, sjis), ja);

  const String zh = u"\u4E2D\u6587";  // 中文
  RawByteString gbk = Encode(936, zh);
  EXPECT_EQ(gbk, Bytes({0xD6, 0xD0, 0xCE, 0xC4}));
  EXPECT_EQ(Decode(936, gbk), zh);

  EXPECT_EQ(Decode(949, Encode(949, u"\uD55C\uAD6D\uC5B4")), u"\uD55C\uAD6D\uC5B4");
  EXPECT_EQ(Decode(950, Encode(950, u"\u7E41\u9AD4")), u"\u7E41\u9AD4");
}

TEST(CodePagesRoundTrip, UnicodeCodePages) {
  const String s = u"A\u00E9\u20AC\U0001F600";
  RawByteString u8 = Encode(CP_UTF8, s);
  EXPECT_EQ(u8, Bytes({0x41, 0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80}));
  EXPECT_EQ(Decode(CP_UTF8, u8), s);
  // The RFC example for UTF-7.
  EXPECT_EQ(UnicodeToCodePage(CP_UTF7, u"Hi Mom -\u263A-!"), "Hi Mom -+Jjo--!");
  EXPECT_EQ(CodePageToUnicode(CP_UTF7, RawByteString("Hi Mom -+Jjo--!")), u"Hi Mom -\u263A-!");
  EXPECT_EQ(CodePageToUnicode(CP_UTF16BE, Bytes({0x00, 0x41, 0x4E, 0x2D})), u"A\u4E2D");
  EXPECT_EQ(UnicodeToCodePage(CP_UTF16LE, u"A\u4E2D"), Bytes({0x41, 0x00, 0x2D, 0x4E}));
}

TEST(CodePagesRoundTrip, LongTextsAreNotTruncated) {
  // Longer than the internal chunk used for size queries.
  String s;
  for (int i = 0; i < 3000; ++i) s += u"\u65E5x";
  RawByteString b = Encode(932, s);
  EXPECT_EQ(b.size(), 3000u * 3);
  EXPECT_EQ(Decode(932, b), s);
  RawByteString u8 = UnicodeToCodePage(CP_UTF8, s);
  EXPECT_EQ(u8.size(), 3000u * 4);
  EXPECT_EQ(CodePageToUnicode(CP_UTF8, u8), s);
}

// ---------------------------------------------------------------------------

TEST(CodePagesMultiByteToWideChar, TerminatorAndSizes) {
  const char* text = "abc";
  EXPECT_EQ(MultiByteToWideChar(1252, 0, text, -1, nullptr, 0), 4);
  Char buf[8];
  std::fill(std::begin(buf), std::end(buf), Char(u'#'));
  EXPECT_EQ(MultiByteToWideChar(1252, 0, text, -1, buf, 4), 4);
  EXPECT_EQ(String(buf, 4), String(u"abc\0", 4));
  // Too small: 0, and nothing written past the given length.
  std::fill(std::begin(buf), std::end(buf), Char(u'#'));
  EXPECT_EQ(MultiByteToWideChar(1252, 0, text, -1, buf, 3), 0);
  EXPECT_EQ(buf[3], Char(u'#'));
  RawByteString sjis = UnicodeToCodePage(932, u"\u65E5\u672C\u8A9E");
  std::fill(std::begin(buf), std::end(buf), Char(u'#'));
  EXPECT_EQ(MultiByteToWideChar(932, 0, sjis.data(), static_cast<Int32>(sjis.size()), buf, 2), 0);
  EXPECT_EQ(buf[2], Char(u'#'));
}

TEST(CodePagesMultiByteToWideChar, BadArguments) {
  Char buf[4];
  EXPECT_EQ(MultiByteToWideChar(1252, 0, nullptr, 3, buf, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 0, buf, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", -2, buf, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 3, nullptr, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 3, buf, -1), 0);
  EXPECT_EQ(MultiByteToWideChar(12345, 0, "abc", 3, buf, 4), 0);
}

TEST(CodePagesMultiByteToWideChar, InvalidBytes) {
  const RawByteString bad = Bytes({0x41, 0xE9, 0x42, 0xC3});
  EXPECT_EQ(Decode(CP_UTF8, bad), u"A\uFFFDB\uFFFD");
  Char buf[8];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bad.data(), 4, buf, 8), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bad.data(), 4, nullptr, 0), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "ok", 2, buf, 8), 2);
  // A lead byte of Shift-JIS at the very end.
  EXPECT_EQ(Decode(932, Bytes({0x41, 0x93})), u"A\uFFFD");
}

TEST(CodePagesMultiByteToWideChar, PseudoCodePagesAndComposite) {
  {
    ScopedACP acp(1251);
    EXPECT_EQ(Decode(CP_ACP, Bytes({0xC0})), u"\u0410");
    EXPECT_EQ(Decode(CP_THREAD_ACP, Bytes({0xC0})), u"\u0410");
  }
  EXPECT_EQ(Decode(CP_ACP, Bytes({0xC0})), u"\u00C0");
  EXPECT_EQ(Decode(CP_OEMCP, Bytes({0x82})), u"\u00E9");
  EXPECT_EQ(Decode(1252, Bytes({0xE9}), MB_COMPOSITE), u"e\u0301");
}

// ---------------------------------------------------------------------------

TEST(CodePagesWideCharToMultiByte, DefaultCharacters) {
  bool used = true;
  EXPECT_EQ(Encode(1252, u"abc", &used), "abc");
  EXPECT_FALSE(used);
  EXPECT_EQ(Encode(1252, u"a\u4E2Db", &used), "a?b");
  EXPECT_TRUE(used);
  EXPECT_EQ(Encode(1252, u"a\u4E2Db", &used, "*"), "a*b");
  // A supplementary character takes one substitute per UTF-16 unit, so single-
  // byte output keeps one byte per unit.
  EXPECT_EQ(Encode(1252, u"x\U0001F600y", &used), "x??y");
  EXPECT_EQ(Encode(1251, u"\u20AC\u00E9", &used), Bytes({0x88, 0x3F}));
  EXPECT_TRUE(used);
  // 932 keeps its double-byte characters and substitutes the rest.
  EXPECT_EQ(Encode(932, u"\u65E5\u0E01", &used), Bytes({0x93, 0xFA, 0x3F}));
}

// The default character is one character of the code page: a single byte is
// read alone (even from a buffer of one byte), two bytes only when the first
// is a lead byte of a double-byte code page.
TEST(CodePages, DefaultCharacterIsReadOnlyAsFarAsOneCharacter) {
  bool used = false;
  const std::unique_ptr<char[]> single(new char[1]{'*'});
  EXPECT_EQ(Encode(1252, u"A\u4E2D", &used, single.get()), "A*");
  EXPECT_TRUE(used);
  EXPECT_EQ(Encode(437, u"\u4E2D", &used, single.get()), "*");
  const char notALead[] = {'*', 'X', '\0'};
  EXPECT_EQ(Encode(936, u"a\uAC00b", &used, notALead), "a*b");
  const char lead[] = {'\xA1', '\xA1', '\0'};
  EXPECT_EQ(Encode(936, u"a\uAC00b", &used, lead), Bytes({'a', 0xA1, 0xA1, 'b'}));
}

// Input that ends in a shift or the end of an encoded run produces nothing
// there: the size counted is still enough to convert into.
TEST(CodePages, TheCountedSizeIsEnoughWhenTheInputEndsInAShift) {
  struct Case {
    Cardinal cp;
    RawByteString bytes;
    String text;
  } const cases[] = {
      {65000, "+AGE-", u"a"},
      {65000, "x+AGEAYg-", u"xab"},
      {50220, "\x1B$B$\"\x1B(B", u"\u3042"},
      {50221, "\x1B$B$\"\x1B(B", u"\u3042"},
      {50222, "\x1B$B$\"\x1B(B", u"\u3042"},
  };
  for (const Case& c : cases) EXPECT_EQ(Decode(c.cp, c.bytes), c.text) << c.cp;
  // A stateful EBCDIC page whose last byte only shifts.
  const String shifted = Decode(1214, Bytes({0x41, 0xFF}));
  EXPECT_EQ(shifted.size(), 1u);
}

// A character of two units takes two substitutes; both are kept where they
// meet the end of a buffer, so the size counted is the size written.
TEST(CodePages, SubstitutesAcrossABufferEndAreNotLost) {
  const char lead[] = {'\xA1', '\xA1', '\0'};
  for (const String& prefix : {String(), String(u"x"), String(u"xy"), String(u"xyz")}) {
    String text = prefix;
    for (int k = 0; k < 700; ++k) text += u"\U0001F600";
    bool used = false;
    RawByteString expected = StringToUtf8(prefix);
    for (int k = 0; k < 1400; ++k) expected += "\xA1\xA1";
    EXPECT_EQ(Encode(936, text, &used, lead), expected) << prefix.size();
  }
}

TEST(CodePagesWideCharToMultiByte, SizesAndBuffers) {
  const String s = u"\u65E5\u672C";
  EXPECT_EQ(WideCharToMultiByte(932, 0, s.data(), 2, nullptr, 0, nullptr, nullptr), 4);
  char buf[8];
  std::memset(buf, '#', sizeof buf);
  // One byte short: fails without writing past the buffer.
  EXPECT_EQ(WideCharToMultiByte(932, 0, s.data(), 2, buf, 3, nullptr, nullptr), 0);
  EXPECT_EQ(buf[3], '#');
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, s.data(), 2, buf, 5, nullptr, nullptr), 0);
  EXPECT_EQ(buf[5], '#');
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, s.data(), 2, buf, 6, nullptr, nullptr), 6);
  EXPECT_EQ(buf[6], '#');
  // -1 converts the terminator too.
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"ab", -1, buf, 8, nullptr, nullptr), 3);
  EXPECT_EQ(std::string(buf, 3), std::string("ab\0", 3));
}

TEST(CodePagesWideCharToMultiByte, UnicodeTargetsAndFlags) {
  bool used = false;
  char buf[16];
  // The UTF code pages take no default character.
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, buf, 16, "?", nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, buf, 16, nullptr, &used), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF7, 0, u"a", 1, buf, 16, nullptr, &used), 0);
  // A lone surrogate becomes U+FFFD, or fails with WC_ERR_INVALID_CHARS.
  String lone = u"a";
  lone.push_back(Char(0xD800));
  lone += u"b";
  EXPECT_EQ(Encode(CP_UTF8, lone), Bytes({0x61, 0xEF, 0xBF, 0xBD, 0x62}));
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone.data(), 3, buf, 16, nullptr, nullptr), 0);
  // Composite check turns base letter + accent into the precomposed byte.
  EXPECT_EQ(Encode(1252, u"e\u0301", nullptr, nullptr, WC_COMPOSITECHECK), Bytes({0xE9}));
  EXPECT_EQ(Encode(1252, u"e\u0301", &used), Bytes({0x65, 0x3F}));
  EXPECT_TRUE(used);
}

// ---------------------------------------------------------------------------

TEST(CodePagesStrings, LossyConversions) {
  bool lossy = true;
  EXPECT_EQ(UnicodeToCodePage(1252, u"caf\u00E9", &lossy), Bytes({0x63, 0x61, 0x66, 0xE9}));
  EXPECT_FALSE(lossy);
  EXPECT_EQ(UnicodeToCodePage(1252, u"\u0100", &lossy), "?");
  EXPECT_TRUE(lossy);
  EXPECT_EQ(UnicodeToCodePage(CP_UTF8, u"\u0100", &lossy), Bytes({0xC4, 0x80}));
  EXPECT_FALSE(lossy);
  String lone(1, Char(0xDC00));
  UnicodeToCodePage(CP_UTF8, lone, &lossy);
  EXPECT_TRUE(lossy);
  EXPECT_EQ(UnicodeToCodePage(12345, u"abc", &lossy), "");
  EXPECT_TRUE(lossy);
  EXPECT_EQ(UnicodeToCodePage(1252, String(), &lossy), "");
  EXPECT_FALSE(lossy);
  EXPECT_EQ(CodePageToUnicode(12345, RawByteString("abc")), u"");
  EXPECT_EQ(CodePageToUnicode(1252, nullptr, 4), u"");
}

// Whole strings are what the two-call conversion gives (Decode), for random
// bytes of lengths around the pieces worked in, into fresh room and into room
// given back from an earlier text; a text takes room of about its own size.
TEST(CodePagesStrings, WholeStringsAreTheTwoCallConversionInRoomOfTheirSize) {
  std::mt19937 random(1208);
  std::vector<RawByteString> inputs = {Bytes({0x00, 0xD8}), Bytes({0x1B, 0x24, 0x42, 0x30, 0x21}), Bytes({0x2B})};
  for (size_t length : {4095u, 4096u, 4097u, 8193u, 20001u}) {
    RawByteString bytes(length, '\0');
    for (char& b : bytes) b = static_cast<char>(random() % 4 == 0 ? random() : 0x20 + random() % 90);
    inputs.push_back(bytes);
  }
  for (Cardinal cp : {1252u, 437u, 932u, 936u, 54936u, 50220u, CP_UTF7, CP_UTF8, CP_UTF16LE, CP_UTF16BE, CP_UTF32LE}) {
    for (const RawByteString& bytes : inputs) {
      const String twoCalls = Decode(cp, bytes);
      const String want = twoCalls == u"<fail>" ? String() : twoCalls;
      const String got = CodePageToUnicode(cp, bytes);
      String reused(bytes.size() * 2, u'x');
      CodePageToUnicodeInto(reused, cp, bytes.data(), bytes.size());
      EXPECT_TRUE(got == want && reused == want && got.capacity() <= got.size() + got.size() / 4 + 16)
          << cp << " " << bytes.size() << " room " << got.capacity();
    }
  }
  // Decoded piece by piece as a file is read, cut anywhere, the bytes give
  // the same text, in code pages that carry state or characters across a cut.
  for (Cardinal cp : {1252u, 932u, 54936u, 50220u, CP_UTF7, CP_UTF8, CP_UTF16LE, CP_UTF16BE, CP_UTF32LE}) {
    for (const RawByteString& bytes : inputs) {
      String text;
      TCodePageDecoder decoder(text, cp, bytes.size());
      for (size_t at = 0, piece = 0; at < bytes.size(); at += piece) {
        piece = std::min<size_t>(bytes.size() - at, random() % 5 == 0 ? 0 : random() % 3000);
        decoder.Add(bytes.data() + at, piece);
      }
      EXPECT_TRUE(decoder.Finish()) << cp;
      EXPECT_TRUE(text == CodePageToUnicode(cp, bytes)) << cp << " " << bytes.size();
    }
  }
  // UTF-16 in room of exactly its units, a double-byte code page in room of
  // its characters rather than its bytes.
  const String wide(size_t{1} << 20, u'\u65E5');
  for (const auto& [cp, bytes, units] :
       {std::tuple{932u, UnicodeToCodePage(932, wide), wide.size()},
        std::tuple{CP_UTF16LE, UnicodeToCodePage(CP_UTF16LE, wide) + "A", wide.size() + 1}}) {
    const String got = CodePageToUnicode(cp, bytes);
    EXPECT_EQ(got.size(), units) << cp;
    EXPECT_LE(got.capacity(), units + units / 64) << cp;
  }
}

TEST(CodePagesStrings, Validity) {
  for (Cardinal cp : {CP_ACP, CP_OEMCP, CP_MACCP, 437u, 850u, 874u, 932u, 936u, 949u, 950u, 1250u, 1251u, 1252u, 1253u,
                      1254u, 1255u, 1256u, 1257u, 1258u, CP_UTF7, CP_UTF8, CP_UTF16LE, CP_UTF16BE, CP_ASCII, 28591u,
                      28605u, 20866u, 54936u})
    EXPECT_TRUE(IsValidCodePage(cp)) << cp;
  for (Cardinal cp : {42u, 12345u, 28602u, 99999u}) EXPECT_FALSE(IsValidCodePage(cp)) << cp;
  EXPECT_EQ(CodePageMaxCharSize(1252), 1);
  EXPECT_EQ(CodePageMaxCharSize(932), 2);
  EXPECT_EQ(CodePageMaxCharSize(12345), 0);
  EXPECT_EQ(CodePageName(CP_UTF8), u"UTF-8");
  EXPECT_EQ(CodePageName(1252), u"windows-1252");
  EXPECT_EQ(CodePageName(12345), u"");
}

}  // namespace
}  // namespace sk
