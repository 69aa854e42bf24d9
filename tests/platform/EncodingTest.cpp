#include "platform/runtime/Encoding.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/CodePages.h"
#include "platform/runtime/Locale.h"
#include "TestSupport.h"

namespace sk {
namespace {

// ---------------------------------------------------------------------------

// GetByteCount counts what GetBytes writes, including characters that a
// code page has only a best-fit form for.
TEST(Encoding, ByteCountAgreesWithGetBytes) {
  const String texts[] = {u"\uF900", u"\uFA0C\uF929x", u"\u00E9\u4E2D\U0001F600", u"\u2161\u00B7"};
  for (const Cardinal cp : {936u, 950u, 932u, 949u, 1252u, 437u, 54936u, 65001u, 50220u}) {
    const std::unique_ptr<TEncoding> enc = TEncoding::GetEncoding(cp);
    for (const String& text : texts)
      EXPECT_EQ(enc->GetByteCount(text), static_cast<Int32>(enc->GetBytes(text).size())) << cp;
  }
}

TEST(EncodingBufferDetection, ByteOrderMarks) {
  struct Case {
    TBytes bytes;
    TEncoding* expected;
    Int32 length;
  };
  const Case cases[] = {
      {{0xEF, 0xBB, 0xBF, 0x41}, TEncoding::UTF8(), 3},
      {{0xFF, 0xFE, 0x41, 0x00}, TEncoding::Unicode(), 2},
      {{0xFE, 0xFF, 0x00, 0x41}, TEncoding::BigEndianUnicode(), 2},
      {{0xEF, 0xBB, 0xBF}, TEncoding::UTF8(), 3},  // a mark and nothing else
  };
  for (const Case& c : cases) {
    TEncoding* e = nullptr;
    EXPECT_EQ(TEncoding::GetBufferEncoding(c.bytes, e, TEncoding::UTF8()), c.length);
    EXPECT_EQ(e, c.expected);
  }
}

TEST(EncodingBufferDetection, NoMarkGivesTheDefault) {
  TEncoding* e = nullptr;
  EXPECT_EQ(TEncoding::GetBufferEncoding(TBytes{0x41, 0x42}, e, TEncoding::UTF8()), 0);
  EXPECT_EQ(e, TEncoding::UTF8());
  e = nullptr;
  EXPECT_EQ(TEncoding::GetBufferEncoding(TBytes{0x41, 0x42}, e), 0);
  EXPECT_EQ(e, TEncoding::Default());
  // Incomplete marks are no marks.
  e = nullptr;
  EXPECT_EQ(TEncoding::GetBufferEncoding(TBytes{0xEF, 0xBB}, e, TEncoding::UTF8()), 0);
  EXPECT_EQ(e, TEncoding::UTF8());
  e = nullptr;
  EXPECT_EQ(TEncoding::GetBufferEncoding(TBytes{0xFF}, e, TEncoding::ASCII()), 0);
  EXPECT_EQ(e, TEncoding::ASCII());
  e = nullptr;
  EXPECT_EQ(TEncoding::GetBufferEncoding(TBytes{}, e, TEncoding::UTF8()), 0);
  EXPECT_EQ(e, TEncoding::UTF8());
  e = nullptr;
  EXPECT_EQ(TEncoding::GetBufferEncoding(nullptr, 5, e, TEncoding::UTF8()), 0);
}

TEST(EncodingBufferDetection, GivenEncodingIsOnlyChecked) {
  TEncoding* e = TEncoding::Unicode();
  EXPECT_EQ(TEncoding::GetBufferEncoding(TBytes{0xFF, 0xFE, 0x41, 0x00}, e), 2);
  EXPECT_EQ(e, TEncoding::Unicode());
  // A different mark is not taken: the given encoding stays and 0 comes back.
  EXPECT_EQ(TEncoding::GetBufferEncoding(TBytes{0xEF, 0xBB, 0xBF, 0x41}, e), 0);
  EXPECT_EQ(e, TEncoding::Unicode());
  // An encoding without a preamble never matches.
  e = TEncoding::ASCII();
  EXPECT_EQ(TEncoding::GetBufferEncoding(TBytes{0xEF, 0xBB, 0xBF}, e), 0);
  EXPECT_EQ(e, TEncoding::ASCII());
}

// ---------------------------------------------------------------------------

TEST(EncodingConversion, Preambles) {
  EXPECT_EQ(TEncoding::UTF8()->GetPreamble(), (TBytes{0xEF, 0xBB, 0xBF}));
  EXPECT_EQ(TEncoding::Unicode()->GetPreamble(), (TBytes{0xFF, 0xFE}));
  EXPECT_EQ(TEncoding::BigEndianUnicode()->GetPreamble(), (TBytes{0xFE, 0xFF}));
  EXPECT_TRUE(TEncoding::ASCII()->GetPreamble().empty());
  EXPECT_TRUE(TEncoding::UTF7()->GetPreamble().empty());
  EXPECT_TRUE(TEncoding::ANSI()->GetPreamble().empty());
  // The conversions never write a preamble.
  EXPECT_EQ(TEncoding::UTF8()->GetBytes(u"A"), (TBytes{0x41}));
  EXPECT_EQ(TEncoding::Unicode()->GetBytes(u"A"), (TBytes{0x41, 0x00}));
}

TEST(EncodingConversion, Utf16BothByteOrders) {
  const String s = u"A\u4E2D\U0001F600";
  TBytes be = TEncoding::BigEndianUnicode()->GetBytes(s);
  EXPECT_EQ(be, (TBytes{0x00, 0x41, 0x4E, 0x2D, 0xD8, 0x3D, 0xDE, 0x00}));
  EXPECT_EQ(TEncoding::BigEndianUnicode()->GetString(be), s);
  TBytes le = TEncoding::Unicode()->GetBytes(s);
  EXPECT_EQ(le, (TBytes{0x41, 0x00, 0x2D, 0x4E, 0x3D, 0xD8, 0x00, 0xDE}));
  EXPECT_EQ(TEncoding::Unicode()->GetString(le), s);
  // A lone surrogate passes through UTF-16 unchanged; an odd last byte is U+FFFD.
  String lone(1, Char(0xD800));
  EXPECT_EQ(TEncoding::Unicode()->GetString(TEncoding::Unicode()->GetBytes(lone)), lone);
  EXPECT_EQ(TEncoding::Unicode()->GetString(TBytes{0x41, 0x00, 0x42}), u"A\uFFFD");
}

TEST(EncodingConversion, InvalidUtf8KeepsTheRest) {
  TEncoding* u8 = TEncoding::UTF8();
  EXPECT_EQ(u8->GetString(TBytes{0x41, 0xE9, 0x42}), u"A\uFFFDB");
  EXPECT_EQ(u8->GetString(TBytes{0xC3, 0xA9, 0xFF, 0xC3, 0xA9}), u"\u00E9\uFFFD\u00E9");
  EXPECT_EQ(u8->GetString(TBytes{0x61, 0xE2, 0x82}), u"a\uFFFD");  // cut off at the end
  EXPECT_EQ(u8->GetString(TBytes{0xED, 0xA0, 0x80, 0x7A}).back(), u'z');
  EXPECT_EQ(u8->GetString(TBytes{0xEF, 0xBB, 0xBF, 0x41}), u"\uFEFFA");  // a mark is a character here
}

TEST(EncodingConversion, SystemNamesKeepEveryByte) {
  // A byte outside a valid sequence is U+DC00 + byte (python's
  // surrogateescape), and goes back to that byte.
  const std::pair<std::string, std::vector<int>> cases[] = {
      {"caf\xE9", {'c', 'a', 'f', 0xDCE9}},
      {"a\xE2\x82", {'a', 0xDCE2, 0xDC82}},                 // cut off at the end
      {"\xED\xA0\x80\xC0\xAF", {0xDCED, 0xDCA0, 0xDC80, 0xDCC0, 0xDCAF}},  // a surrogate, an overlong
      {"\xF0\x90\x82\x80\xE9", {0xD800, 0xDC80, 0xDCE9}},  // a pair whose second unit looks like an escape
  };
  for (const auto& [bytes, units] : cases) {
    const String name(units.begin(), units.end());
    EXPECT_EQ(SystemNameToString(bytes), name) << bytes;
    EXPECT_EQ(StringToSystemName(name), bytes) << bytes;
  }
}

TEST(EncodingConversion, AnsiFollowsTheProcessCodePage) {
  {
    ScopedACP acp(1251);
    EXPECT_EQ(TEncoding::ANSI()->CodePage(), 1251u);
    EXPECT_EQ(TEncoding::Default(), TEncoding::ANSI());
    EXPECT_EQ(TEncoding::ANSI()->GetString(TBytes{0xC0, 0xE1}), u"\u0410\u0431");
  }
  EXPECT_EQ(TEncoding::ANSI()->CodePage(), 1252u);
  EXPECT_EQ(TEncoding::ANSI()->GetString(TBytes{0x41, 0xE9, 0x42}), u"A\u00E9B");
  EXPECT_EQ(TEncoding::ANSI()->GetBytes(u"\u20AC\u4E2D"), (TBytes{0x80, 0x3F}));
  EXPECT_EQ(TEncoding::ASCII()->GetBytes(u"a\u00E9"), (TBytes{0x61, 0x3F}));
  EXPECT_EQ(TEncoding::ASCII()->GetString(TBytes{0x61, 0xE9}), u"a\uFFFD");
}

TEST(EncodingConversion, CountsAndRanges) {
  TEncoding* u8 = TEncoding::UTF8();
  EXPECT_EQ(u8->GetByteCount(u"\u65E5\u672C"), 6);
  EXPECT_EQ(TEncoding::Unicode()->GetByteCount(u"\u65E5\u672C"), 4);
  EXPECT_EQ(u8->GetByteCount(String()), 0);
  TBytes emoji = u8->GetBytes(u"\U0001F600");
  EXPECT_EQ(u8->GetCharCount(emoji), 2);
  EXPECT_EQ(TEncoding::Unicode()->GetCharCount(TBytes{1, 2, 3}), 2);
  const TBytes abc{0x61, 0x62, 0x63};
  EXPECT_EQ(u8->GetString(abc, 1, 5), u"bc");
  EXPECT_EQ(u8->GetString(abc, 3, 1), u"");
  EXPECT_EQ(u8->GetString(abc, 99, 1), u"");
  EXPECT_EQ(u8->GetString(nullptr, 3), u"");
  EXPECT_GE(u8->GetMaxByteCount(10), 30);
  EXPECT_EQ(u8->GetMaxByteCount(-1), 0);
}

TEST(EncodingConversion, ConvertBetweenEncodings) {
  TBytes u8 = TEncoding::UTF8()->GetBytes(u"\u00E9t\u00E9");
  TBytes u16 = TEncoding::Convert(TEncoding::UTF8(), TEncoding::Unicode(), u8);
  EXPECT_EQ(u16, (TBytes{0xE9, 0x00, 0x74, 0x00, 0xE9, 0x00}));
  EXPECT_EQ(TEncoding::Convert(TEncoding::Unicode(), TEncoding::ANSI(), u16), (TBytes{0xE9, 0x74, 0xE9}));
  EXPECT_TRUE(TEncoding::Convert(nullptr, TEncoding::Unicode(), u8).empty());
  EXPECT_TRUE(TEncoding::Convert(TEncoding::UTF8(), nullptr, u8).empty());
}

// ---------------------------------------------------------------------------

TEST(EncodingObjects, SharedAndOwned) {
  EXPECT_EQ(TEncoding::GetEncodingShared(CP_UTF8), TEncoding::UTF8());
  EXPECT_EQ(TEncoding::GetEncodingShared(CP_UTF16LE), TEncoding::Unicode());
  EXPECT_EQ(TEncoding::GetEncodingShared(CP_ACP), TEncoding::ANSI());
  EXPECT_EQ(TEncoding::GetEncodingShared(932), TEncoding::GetEncodingShared(932));
  EXPECT_EQ(TEncoding::GetEncodingShared(12345), nullptr);
  EXPECT_TRUE(TEncoding::IsStandardEncoding(TEncoding::UTF8()));
  EXPECT_TRUE(TEncoding::IsStandardEncoding(TEncoding::ANSI()));
  EXPECT_TRUE(TEncoding::IsStandardEncoding(TEncoding::GetEncodingShared(936)));
  EXPECT_FALSE(TEncoding::IsStandardEncoding(nullptr));

  std::unique_ptr<TEncoding> own = TEncoding::GetEncoding(1251);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->CodePage(), 1251u);
  EXPECT_FALSE(TEncoding::IsStandardEncoding(own.get()));
  EXPECT_NE(own.get(), TEncoding::GetEncodingShared(1251));
  EXPECT_THROW(TEncoding::GetEncoding(12345), EEncodingError);
  EXPECT_EQ(TEncoding::GetEncoding(CP_UTF8)->GetPreamble(), (TBytes{0xEF, 0xBB, 0xBF}));
}

TEST(EncodingObjects, Properties) {
  EXPECT_TRUE(TEncoding::ANSI()->IsSingleByte());
  EXPECT_TRUE(TEncoding::ASCII()->IsSingleByte());
  EXPECT_FALSE(TEncoding::UTF8()->IsSingleByte());
  EXPECT_FALSE(TEncoding::Unicode()->IsSingleByte());
  EXPECT_FALSE(TEncoding::GetEncodingShared(932)->IsSingleByte());
  EXPECT_EQ(TEncoding::UTF8()->CodePage(), 65001u);
  EXPECT_EQ(TEncoding::UTF7()->CodePage(), 65000u);
  EXPECT_EQ(TEncoding::BigEndianUnicode()->CodePage(), 1201u);
  EXPECT_EQ(TEncoding::ASCII()->CodePage(), 20127u);
  EXPECT_FALSE(TEncoding::GetEncodingShared(1250)->EncodingName().empty());
  EXPECT_NE(TEncoding::UTF8()->EncodingName(), TEncoding::Unicode()->EncodingName());
}

// ---------------------------------------------------------------------------

TEST(EncodingUtf8Validity, WellFormedAndMalformed) {
  EXPECT_TRUE(IsUTF8Valid(TBytes{}));
  EXPECT_TRUE(IsUTF8Valid(TBytes{0x41, 0x42}));
  EXPECT_TRUE(IsUTF8Valid(TBytes{0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80}));
  EXPECT_TRUE(IsUTF8Valid(TBytes{0xF4, 0x8F, 0xBF, 0xBF}));  // U+10FFFF
  EXPECT_TRUE(IsUTF8Valid(TBytes{0xEF, 0xBB, 0xBF}));
  EXPECT_FALSE(IsUTF8Valid(TBytes{0x41, 0xE9, 0x42}));
  EXPECT_FALSE(IsUTF8Valid(TBytes{0xC0, 0x80}));              // overlong NUL
  EXPECT_FALSE(IsUTF8Valid(TBytes{0xE0, 0x80, 0x80}));        // overlong
  EXPECT_FALSE(IsUTF8Valid(TBytes{0xF0, 0x80, 0x80, 0x80}));  // overlong
  EXPECT_FALSE(IsUTF8Valid(TBytes{0xED, 0xA0, 0x80}));        // surrogate
  EXPECT_FALSE(IsUTF8Valid(TBytes{0xF4, 0x90, 0x80, 0x80}));  // above U+10FFFF
  EXPECT_FALSE(IsUTF8Valid(TBytes{0xF5, 0x80, 0x80, 0x80}));
  EXPECT_FALSE(IsUTF8Valid(TBytes{0x80}));                    // lone continuation
  EXPECT_FALSE(IsUTF8Valid(TBytes{0x41, 0xE2, 0x82}));        // cut off
  EXPECT_FALSE(IsUTF8Valid(TBytes{0xE2, 0x41, 0x82}));
  EXPECT_FALSE(IsUTF8Valid(nullptr, 3));
  EXPECT_TRUE(IsUTF8Valid(nullptr, 0));
}

}  // namespace
}  // namespace sk
