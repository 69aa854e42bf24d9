// String, tagged-word, record, date and encoding comparers, the file-search
// sort callbacks and the small helpers.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/Global_vars.h"
#include "core/Useful_classes_base.h"
#include "platform/runtime/Locale.h"

namespace sk {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool IsTrit(Int32 v) { return v == -1 || v == 0 || v == 1; }

class Useful_classes_base_compareLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = GetUserDefaultLocaleName();
    SetUserDefaultLocale("en_US");
  }
  void TearDown() override { SetUserDefaultLocale(saved_); }
  std::string saved_;
};

TEST(Useful_classes_base_compareStrings, OrdinalByCodeUnitExactlyTrit) {
  EXPECT_EQ(Compare2Strings(u"a", u"B"), 1);  // 'a' is the greater code unit
  EXPECT_EQ(Compare2Strings(u"B", u"a"), -1);
  EXPECT_EQ(Compare2Strings(u"", u""), 0);
  EXPECT_EQ(Compare2Strings(u"", u"a"), -1);
  EXPECT_EQ(Compare2Strings(u"ab", u"a"), 1);
  // Far-apart code units still answer exactly 1 / -1.
  EXPECT_EQ(Compare2Strings(u"\uFFFF", u"\u0001"), 1);
  EXPECT_EQ(Compare2Strings(u"\u0001", u"\uFFFF"), -1);
  // Embedded zeros take part in the comparison.
  EXPECT_EQ(Compare2Strings(String(u"a\0b", 3), String(u"a\0c", 3)), -1);
}

TEST_F(Useful_classes_base_compareLocale, CaseInsensitiveAsciiAndBeyond) {
  EXPECT_EQ(Compare2StringsCaseInsensitively(u"a", u"B"), -1);
  EXPECT_EQ(Compare2StringsCaseInsensitively(u"B", u"a"), 1);
  EXPECT_EQ(Compare2StringsCaseInsensitively(u"abc", u"ABC"), 0);
  // Non-ASCII case variants are equal in both orders, so they stay together
  // in a sort instead of answering -1 both ways.
  EXPECT_EQ(Compare2StringsCaseInsensitively(u"\u00E9t\u00E9", u"\u00C9T\u00C9"), 0);
  EXPECT_EQ(Compare2StringsCaseInsensitively(u"\u00C9T\u00C9", u"\u00E9t\u00E9"), 0);
  EXPECT_EQ(Compare2StringsCaseInsensitively(u"\u0436", u"\u0416"), 0);  // Cyrillic zhe
  // Otherwise the upper-case forms compare ordinally.
  EXPECT_EQ(Compare2StringsCaseInsensitively(u"\u00E9", u"f"), 1);
  EXPECT_EQ(Compare2StringsCaseInsensitively(u"f", u"\u00E9"), -1);
}

TEST_F(Useful_classes_base_compareLocale, TurkishDotlessIUpperCasesByLocale) {
  SetUserDefaultLocale("tr_TR");
  // In Turkish, i upper-cases to dotted capital I, not to I.
  EXPECT_EQ(Compare2StringsCaseInsensitively(u"i", u"\u0130"), 0);
  EXPECT_EQ(Compare2StringsCaseInsensitively(u"\u0131", u"I"), 0);
}

TEST(Useful_classes_base_compareStrings, CrudeAndLocaleForms) {
  // The crude form stops at an embedded zero.
  EXPECT_EQ(CrudeStringComparison(String(u"ab\0x", 4), String(u"ab\0y", 4)), 0);
  EXPECT_EQ(CrudeStringComparison(u"a", u"c"), -2);
  const Cardinal lcid = IcuLocaleToLCID("en_US");
  EXPECT_EQ(LCIDStringComparison(u"a", u"B", lcid), -1);
}

TEST(Useful_classes_base_compareStrings, TaggedWordsTiesBrokenByTagNumber) {
  const TStringTag a1{u"word", u"<A>", 1}, a2{u"word", u"<B>", 2}, b1{u"Word", u"", 1};
  EXPECT_EQ(Compare2StringAndTags(a1, a2), -1);
  EXPECT_EQ(Compare2StringAndTags(a2, a1), 1);
  EXPECT_EQ(Compare2StringAndTags(a1, TStringTag{u"word", u"<other>", 1}), 0);
  EXPECT_EQ(Compare2StringAndTags(a1, b1), 1);  // 'w' > 'W'
  EXPECT_EQ(Compare2StringAndTagsInsensitive(a1, b1), 0);
  EXPECT_EQ(Compare2StringAndTagsInsensitive(a2, b1), 1);
  // Tag number first, words second.
  EXPECT_EQ(Compare2TagsAndStrings(TStringTag{u"z", u"", 1}, TStringTag{u"a", u"", 2}), -1);
  EXPECT_EQ(Compare2TagsAndStrings(TStringTag{u"z", u"", 2}, TStringTag{u"a", u"", 2}), 1);

  std::vector<TStringTag> x{a1}, xy{a1, a2};
  EXPECT_EQ(Compare2StringAndTagsArray(x, xy), -1);
  EXPECT_EQ(Compare2StringAndTagsArray(xy, x), 1);
  EXPECT_EQ(Compare2StringAndTagsArray(xy, xy), 0);
}

TEST(Useful_classes_base_compareStrings, PcharTagsReduceTheWordDifference) {
  TPcharTag a, c;
  a.wrd = TOwnedPWideChar(String(u"a"));
  c.wrd = TOwnedPWideChar(String(u"c"));
  EXPECT_EQ(Compare2PcharAndTags(a, c), -1);  // not the raw -2
  EXPECT_EQ(Compare2PcharAndTags(c, a), 1);
  TPcharTag a2;
  a2.wrd = TOwnedPWideChar(String(u"a"));
  a2.tagnum_2B = 5;
  EXPECT_EQ(Compare2PcharAndTags(a, a2), -1);
  std::vector<TPcharTag> v1, v2;
  v1.push_back(a);
  v2.push_back(a);
  v2.push_back(c);
  EXPECT_EQ(Compare2PcharAndTagsArray(v1, v2), -1);
  EXPECT_EQ(CompareChars(u'b', u'a'), 1);
  EXPECT_EQ(CompareChars(u'\uFFFF', u'\uFFFF'), 0);
}

TEST(Useful_classes_base_compareRecords, FieldChoiceAndSignedness) {
  const T2_longint_rec r1{1, 9}, r2{2, 3};
  EXPECT_EQ(Compare2LongintRecs(r1, r2, t2_long0), -1);
  EXPECT_EQ(Compare2LongintRecs(r1, r2, t2_long1), 1);

  const Tdouble_cardinal_rec c1{0xFFFFFFFFu, 0}, c2{0, 1};
  EXPECT_EQ(Compare2CardinalsCard1(c1, c2), 1);
  EXPECT_EQ(Compare2CardinalsCard2(c1, c2), -1);

  TIntegerAnd3CardinalsRec m{-1, {1, 2, 3}}, p{1, {1, 5, 0}};
  EXPECT_EQ(CompareIntAnd3CardinalsFreq(m, p), 1);  // -1 read as 0xFFFFFFFF
  EXPECT_EQ(CompareIntAnd3CardinalsCard1(m, p), 0);
  EXPECT_EQ(CompareIntAnd3CardinalsCard2(m, p), -1);
  EXPECT_EQ(CompareIntAnd3CardinalsCard3(m, p), 1);

  TIntegerAnd2CardinalsRec m2{-1, {7, 0}}, p2{1, {7, 0xFFFFFFFFu}};
  EXPECT_EQ(CompareIntAnd2CardinalsFreq(m2, p2), -1);  // signed here
  EXPECT_EQ(CompareIntAnd2CardinalsCard1(m2, p2), 0);
  EXPECT_EQ(CompareIntAnd2CardinalsCard2(m2, p2), -1);
}

TEST(Useful_classes_base_compareRecords, DatesNaNAndExtremes) {
  EXPECT_EQ(CompareDates(1.0, 2.0), -1);
  EXPECT_EQ(CompareDates(2.0, 1.0), 1);
  EXPECT_EQ(CompareDates(3.5, 3.5), 0);
  EXPECT_EQ(CompareDates(kNaN, 1.0), -1);
  EXPECT_EQ(CompareDates(1.0, kNaN), -1);
  EXPECT_EQ(CompareDates(kNaN, kNaN), -1);
  EXPECT_EQ(CompareJulianDates(kNaN, 0.0), -1);
  EXPECT_EQ(CompareJulianDates(0.0, kNaN), -1);
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(CompareJulianDates(inf, 1e308), 1);
  EXPECT_EQ(CompareJulianDates(-inf, -1e308), -1);
  EXPECT_EQ(CompareJulianDates(-0.0, 0.0), 0);
}

TEST(Useful_classes_base_compareRecords, EncodingsByIdentity) {
  EXPECT_EQ(ValueOfEncoding(nullptr), -1);
  EXPECT_EQ(ValueOfEncoding(TEncoding::ASCII()), 0);
  EXPECT_EQ(ValueOfEncoding(TEncoding::UTF7()), 1);
  EXPECT_EQ(ValueOfEncoding(TEncoding::ANSI()), 2);
  EXPECT_EQ(ValueOfEncoding(TEncoding::UTF8()), 3);
  EXPECT_EQ(ValueOfEncoding(TEncoding::Unicode()), 4);
  EXPECT_EQ(ValueOfEncoding(TEncoding::BigEndianUnicode()), 5);

  std::unique_ptr<TEncoding> own8 = TEncoding::GetEncoding(65001);
  std::unique_ptr<TEncoding> other = TEncoding::GetEncoding(1251);
  EXPECT_EQ(ValueOfEncoding(own8.get()), 6);  // a UTF-8 object, but not the standard one

  EXPECT_EQ(CompareEncodings(nullptr, nullptr), 0);
  EXPECT_EQ(CompareEncodings(TEncoding::UTF8(), TEncoding::UTF8()), 0);
  EXPECT_EQ(CompareEncodings(TEncoding::UTF8(), TEncoding::ASCII()), 1);
  EXPECT_EQ(CompareEncodings(nullptr, TEncoding::ASCII()), -1);
  // Two distinct objects of one value answer -1 in both orders.
  EXPECT_EQ(CompareEncodings(own8.get(), other.get()), -1);
  EXPECT_EQ(CompareEncodings(other.get(), own8.get()), -1);
}

TEST(Useful_classes_base_compareRecords, ReversalHasNoOverflow) {
  EXPECT_EQ(ReversedComparisonInteger(1), -1);
  EXPECT_EQ(ReversedComparisonInteger(0), 0);
  EXPECT_EQ(ReversedComparisonInteger(-98), 98);
  EXPECT_GT(ReversedComparisonInteger(INT32_MIN), 0);
}

// ---- file-search callbacks --------------------------------------------------------

struct TestSearchRecHolder : TObject {
  explicit TestSearchRecHolder(TMySearchRec r) : data(std::move(r)) {}
  TMySearchRec data;
};

class Useful_classes_base_compareSearchRecs : public ::testing::Test {
 protected:
  ScopedHandOverVariables handOver_;
};

TEST_F(Useful_classes_base_compareSearchRecs, KeysAndReversal) {
  TestSearchRecHolder a(TMySearchRec{2.0, 100, 0, 0, u"alpha.TXT"});
  TestSearchRecHolder b(TMySearchRec{1.0, 50, 0, 0, u"BETA.doc"});
  global_reversed_sort = false;
  EXPECT_LT(MySearchRecNameSort<TestSearchRecHolder>(&a, &b), 0);  // case of A-Z ignored
  EXPECT_GT(MySearchRecExtensionSort<TestSearchRecHolder>(&a, &b), 0);  // ".TXT" > ".doc"
  EXPECT_EQ(MySearchRecDateSort<TestSearchRecHolder>(&a, &b), 1);
  EXPECT_EQ(MySearchRecSizeSort<TestSearchRecHolder>(&a, &b), 1);
  global_reversed_sort = true;
  EXPECT_GT(MySearchRecNameSort<TestSearchRecHolder>(&a, &b), 0);
  EXPECT_LT(MySearchRecExtensionSort<TestSearchRecHolder>(&a, &b), 0);
  EXPECT_EQ(MySearchRecDateSort<TestSearchRecHolder>(&a, &b), -1);
  EXPECT_EQ(MySearchRecSizeSort<TestSearchRecHolder>(&a, &b), -1);
}

TEST_F(Useful_classes_base_compareSearchRecs, NameIsRawAndMissingItemsReadCleared) {
  global_reversed_sort = false;
  TestSearchRecHolder a(TMySearchRec{0, 0, 0, 0, u"a"});
  TestSearchRecHolder c(TMySearchRec{0, 0, 0, 0, u"C"});
  EXPECT_EQ(MySearchRecNameSort<TestSearchRecHolder>(&a, &c), -2);  // raw difference
  EXPECT_EQ(MySearchRecNameSort<TestSearchRecHolder>(&a, nullptr), 1);
  TestSearchRecHolder n(TMySearchRec{kNaN, 0, 0, 0, u""});
  EXPECT_EQ(MySearchRecDateSort<TestSearchRecHolder>(&n, &a), -1);
  EXPECT_EQ(MySearchRecDateSort<TestSearchRecHolder>(&a, &n), -1);
}

// ---- helpers ------------------------------------------------------------------------

TEST(Useful_classes_base_compareHelpers, CopyIsBoundedAndTerminated) {
  Char buf[8];
  for (Char& c : buf) c = u'#';
  DoAStrCopy(u"abcdefgh", buf, 10);  // room for 4 characters and the zero
  EXPECT_EQ(String(buf), u"abcd");
  EXPECT_EQ(buf[4], 0);
  EXPECT_EQ(buf[5], u'#');  // nothing written beyond the given size

  for (Char& c : buf) c = u'#';
  DoAStrCopy(u"abc", buf, 2);  // room for the terminator only
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(buf[1], u'#');

  for (Char& c : buf) c = u'#';
  DoAStrCopy(u"", buf, 16);
  for (Char c : buf) EXPECT_EQ(c, 0);

  DoAStrCopy(u"abc", nullptr, 16);  // nothing to write into
  for (Char& c : buf) c = u'#';
  DoAStrCopy(u"abc", buf, -3);
  EXPECT_EQ(buf[0], u'#');
}

TEST(Useful_classes_base_compareHelpers, ExchangesAndSpans) {
  Int64 a = 1, b = INT64_MIN;
  ExchangeTwoInt64s(a, b);
  EXPECT_EQ(a, INT64_MIN);
  EXPECT_EQ(b, 1);
  String s1 = u"one", s2 = u"two";
  ExchangeTwoStrings(s1, s2);
  EXPECT_EQ(s1, u"two");
  int x = 0, y = 0;
  Pointer p1 = &x, p2 = &y;
  ExchangeTwoPointers(p1, p2);
  EXPECT_EQ(p1, &y);

  EXPECT_EQ(IntegerToConcSpan(-1), span_Centre);
  EXPECT_EQ(IntegerToConcSpan(102), span_Centre);
  EXPECT_EQ(IntegerToConcSpan(INT32_MIN), span_Centre);
  EXPECT_EQ(IntegerToConcSpan(0), span_L50);
  EXPECT_EQ(IntegerToConcSpan(101), span_R51);
  EXPECT_EQ(ConcSpanToInteger(span_R51), 101);
  for (Int32 n = 0; n < 102; ++n) EXPECT_EQ(ConcSpanToInteger(IntegerToConcSpan(n)), n);
}

TEST(Useful_classes_base_compareStrings, EveryThreeWayComparerAnswersATrit) {
  const String samples[] = {u"", u"a", u"B", u"\u00E9", u"\u00C9", u"zz", String(u"\0", 1), u"\uFFFF"};
  for (const String& x : samples)
    for (const String& y : samples) {
      EXPECT_TRUE(IsTrit(Compare2Strings(x, y)));
      EXPECT_TRUE(IsTrit(Compare2StringsCaseInsensitively(x, y)));
      EXPECT_TRUE(IsTrit(Compare2StringAndTags(TStringTag{x, u"", 0}, TStringTag{y, u"", 0})));
    }
}

}  // namespace
}  // namespace sk
