// Zero-terminated text copies, raw ordinal comparison, locale comparers of
// tagged words and the position test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Pointer_utils.h"
#include "platform/runtime/Locale.h"

namespace sk {
namespace {

TPcharTag PT(const char16_t* w, const char16_t* tag, Int32 n) {
  TPcharTag t;
  if (w != nullptr) t.wrd = TOwnedPWideChar(String(w));
  if (tag != nullptr) t.tag = TOwnedPWideChar(String(tag));
  t.tagnum_2B = n;
  return t;
}

TStringTag ST(const char16_t* w, Int32 n) { return TStringTag{w, u"", n}; }

class Pointer_utilsLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = GetUserDefaultLocaleName();
    SetUserDefaultLocale("en_US");
    lcid_ = IcuLocaleToLCID("en_US");
  }
  void TearDown() override { SetUserDefaultLocale(saved_); }
  std::string saved_;
  Cardinal lcid_ = 0;
};

TEST(Pointer_utilsCopies, NewCopiesAreNeverNilAndNeverReadPastTheSource) {
  TOwnedPWideChar a = MyNewPChar(nullptr);
  ASSERT_FALSE(a.IsNil());
  EXPECT_EQ(a.ToString(), u"");
  TOwnedPWideChar b = MyNewPChar(u"word");
  EXPECT_EQ(b.ToString(), u"word");
  DeletePChar(b);
  EXPECT_TRUE(b.IsNil());

  EXPECT_EQ(CheckedNewLenPchar(u"abcdef", 3).ToString(), u"abc");
  EXPECT_EQ(CheckedNewLenPchar(u"abc", 0).ToString(), u"");
  EXPECT_FALSE(CheckedNewLenPchar(nullptr, 5).IsNil());
  EXPECT_EQ(CheckedNewLenPchar(nullptr, 5).ToString(), u"");
  // A negative length must not allocate a negative size.
  EXPECT_EQ(CheckedNewLenPchar(u"abc", -4).ToString(), u"");
  // A length beyond the source stops at its terminator (ASan checks the read).
  const Char shortText[] = u"ab";
  EXPECT_EQ(CheckedNewLenPchar(shortText, 50).ToString(), u"ab");
}

TEST(Pointer_utilsCopies, SymbolSearchLooksAtWordsOnly) {
  std::vector<TPcharTag> arr;
  EXPECT_FALSE(PCharTagArrayContainsSymbol(arr, u'x'));
  arr.push_back(PT(nullptr, u"<x>", 1));  // nil word, symbol only in the tag
  arr.push_back(PT(u"abc", u"<q>", 2));
  EXPECT_FALSE(PCharTagArrayContainsSymbol(arr, u'x'));
  EXPECT_FALSE(PCharTagArrayContainsSymbol(arr, u'q'));
  EXPECT_TRUE(PCharTagArrayContainsSymbol(arr, u'c'));
}

TEST(Pointer_utilsOrdinal, RawDifferenceOfFirstDifferingUnits) {
  EXPECT_EQ(ComparePchar(u"abc", u"abc"), 0);
  EXPECT_EQ(ComparePchar(u"a", u"c"), -2);
  EXPECT_EQ(ComparePchar(u"ab", u"a"), static_cast<Int32>(u'b'));
  EXPECT_EQ(ComparePchar(nullptr, u""), 0);
  EXPECT_LT(ComparePchar(nullptr, u"a"), 0);
  // Code units above 0x7FFF must not turn negative.
  EXPECT_GT(ComparePchar(u"\uFFFF", u"a"), 0);
}

TEST_F(Pointer_utilsLocale, CollationNotCodeUnits) {
  // Ordinally "B" comes before "a"; by collation it comes after.
  EXPECT_EQ(CompareLCID_Pchar(lcid_, u"a", u"B"), -1);
  EXPECT_EQ(CompareLCID_Pchar(lcid_, u"B", u"a"), 1);
  EXPECT_EQ(CompareLCID_Pchar(lcid_, u"same", u"same"), 0);
  EXPECT_EQ(CompareLCID_Pchar(lcid_, nullptr, u""), 0);
  EXPECT_EQ(CompareLCID_PcharWithLength(lcid_, u"abcX", u"abcY", 3, 3), 0);
  EXPECT_EQ(CompareLCID_PcharWithLength(lcid_, u"abcX", u"abcY", 4, 4), -1);
  // A length below -1 makes the comparison itself fail.
  EXPECT_EQ(CompareLCID_PcharWithLength(lcid_, u"a", u"b", -7, 1), -2);
}

TEST_F(Pointer_utilsLocale, TaggedWordsWordThenNumberOrNumberThenWord) {
  // Equal words and tag numbers: different tag texts do not count.
  EXPECT_EQ(CompareLCID_PcharTag(lcid_, PT(u"dog", u"<N>", 3), PT(u"dog", u"<V>", 3)), 0);
  EXPECT_EQ(CompareLCID_PcharTag(lcid_, PT(u"dog", u"", 4), PT(u"dog", u"", 3)), 1);
  EXPECT_EQ(CompareLCID_PcharTag(lcid_, PT(u"cat", u"", 9), PT(u"dog", u"", 1)), -1);
  EXPECT_EQ(CompareLCID_TagPchar(lcid_, PT(u"cat", u"", 9), PT(u"dog", u"", 1)), 1);
  EXPECT_EQ(CompareLCID_TagPchar(lcid_, PT(u"cat", u"", 1), PT(u"dog", u"", 1)), -1);
  EXPECT_EQ(CompareLCID_StringTag(lcid_, ST(u"cat", 9), ST(u"Dog", 1)), -1);
  EXPECT_EQ(CompareLCID_TagString(lcid_, ST(u"cat", 9), ST(u"Dog", 1)), 1);
  EXPECT_EQ(CompareLCID_TagString(lcid_, ST(u"x", 2), ST(u"x", 2)), 0);
}

TEST_F(Pointer_utilsLocale, ArraysCommonPartFirstThenLength) {
  std::vector<TPcharTag> x, xy;
  x.push_back(PT(u"x", u"", 1));
  xy.push_back(PT(u"x", u"", 1));
  xy.push_back(PT(u"y", u"", 1));
  EXPECT_EQ(CompareLCID_TagPcharArray(lcid_, x, xy), -1);
  EXPECT_EQ(CompareLCID_TagPcharArray(lcid_, xy, x), 1);
  EXPECT_EQ(CompareLCID_PcharTagArray(lcid_, xy, xy), 0);
  EXPECT_EQ(CompareLCID_PcharTagArray(lcid_, {}, {}), 0);

  // The first differing element decides, even when the other array is longer.
  std::vector<TPcharTag> z;
  z.push_back(PT(u"z", u"", 0));
  EXPECT_EQ(CompareLCID_PcharTagArray(lcid_, z, xy), 1);

  // Word-only ignores tag numbers; tag-only ignores words.
  std::vector<TPcharTag> a{}, b{};
  a.push_back(PT(u"apple", u"", 7));
  b.push_back(PT(u"apple", u"", 2));
  EXPECT_EQ(CompareLCID_PcharTagArrayWordOnly(lcid_, a, b), 0);
  EXPECT_EQ(CompareLCID_PcharTagArrayTagOnly(lcid_, a, b), 1);
  std::vector<TPcharTag> c{};
  c.push_back(PT(u"zebra", u"", 7));
  EXPECT_EQ(CompareLCID_PcharTagArrayTagOnly(0, a, c), 0);

  std::vector<TStringTag> s1{ST(u"a", 1)}, s2{ST(u"a", 1), ST(u"b", 0)};
  EXPECT_EQ(CompareLCID_StringTagArray(lcid_, s1, s2), -1);
  EXPECT_EQ(CompareLCID_TagStringArray(lcid_, s2, s1), 1);
}

TEST(Pointer_utilsPosition, DigitPrefixSuffixAndContainment) {
  EXPECT_EQ(CompareLCID_PosPchar(0, u"abc1", u"zzz", false, false, true), 0);
  EXPECT_EQ(CompareLCID_PosPchar(0, u"abc", u"1", false, false, true), 1);
  EXPECT_EQ(CompareLCID_PosPchar(0, u"", u"", false, false, true), 1);

  EXPECT_EQ(CompareLCID_PosPchar(0, u"prefixed", u"pre", true, false, false), 0);
  EXPECT_NE(CompareLCID_PosPchar(0, u"Prefixed", u"pre", true, false, false), 0);
  EXPECT_NE(CompareLCID_PosPchar(0, u"pr", u"pre", true, false, false), 0);

  EXPECT_EQ(CompareLCID_PosPchar(0, u"walking", u"ing", false, true, false), 0);
  EXPECT_EQ(CompareLCID_PosPchar(0, u"ng", u"ing", false, true, false), 1);
  EXPECT_NE(CompareLCID_PosPchar(0, u"walkinG", u"ing", false, true, false), 0);

  EXPECT_EQ(CompareLCID_PosPchar(0, u"unhappily", u"happ", false, false, false), 0);
  EXPECT_EQ(CompareLCID_PosPchar(0, u"unhappily", u"Happ", false, false, false), 1);

  EXPECT_EQ(CompareLCID_PosPchar(0, nullptr, u"a", false, false, true), 1);
  EXPECT_EQ(CompareLCID_PosPchar(0, u"a", nullptr, true, false, false), 1);
}

}  // namespace
}  // namespace sk
