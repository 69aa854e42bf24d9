// Three-way comparers, tagged-word matching and batch-date tests.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "core/Comparing_types.h"
#include "core/Global_vars.h"

namespace sk {
namespace {

TEST(Comparing_typesComparers, ExactlyMinusOneZeroOneAtTheExtremes) {
  // Extremes that a subtraction would overflow or wrap.
  EXPECT_EQ(CompareLongints(INT32_MIN, INT32_MAX), -1);
  EXPECT_EQ(CompareLongints(INT32_MAX, INT32_MIN), 1);
  EXPECT_EQ(CompareLongints(-5, -5), 0);
  EXPECT_EQ(CompareCardinals(0xFFFFFFFFu, 0u), 1);
  EXPECT_EQ(CompareCardinals(0u, 0xFFFFFFFFu), -1);
  EXPECT_EQ(CompareInt64s(INT64_MIN, INT64_MAX), -1);
  EXPECT_EQ(CompareInt64s(INT64_MAX, INT64_MIN), 1);
  EXPECT_EQ(Compare16BitWords(0xFFFF, 1), 1);
  EXPECT_EQ(Compare16Bit(1, 0xFFFF), -1);
  EXPECT_EQ(CompareBytes(255, 0), 1);
  EXPECT_EQ(CompareBytes(7, 7), 0);
  EXPECT_EQ(CompareDoubles(1e300, -1e300), 1);
  EXPECT_EQ(CompareSingles(-0.0f, 0.0f), 0);
}

TEST(Comparing_typesComparers, NaNComparesAsLess) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(CompareDoubles(nan, 1.0), -1);
  EXPECT_EQ(CompareDoubles(1.0, nan), -1);
  EXPECT_EQ(CompareDoubles(nan, nan), -1);
  EXPECT_EQ(CompareSingles(std::nanf(""), 0.0f), -1);
  EXPECT_EQ(CompareSingles(0.0f, std::nanf("")), -1);
}

TEST(Comparing_typesComparers, DifferentLengthsNeverEqual) {
  EXPECT_EQ(ComparedArraysDifferentLengths(3, 2), 1);
  EXPECT_EQ(ComparedArraysDifferentLengths(2, 3), -1);
  EXPECT_EQ(ComparedArraysDifferentLengths(4, 4), -1);
}

TStringTag Tag(const char16_t* w, const char16_t* t) {
  TStringTag r;
  r.wrd = w;
  r.tag = t;
  return r;
}

TEST(Comparing_typesStringTagMatches, CaseOfAsciiLettersOnly) {
  EXPECT_TRUE(StringTagMatches(Tag(u"the", u""), Tag(u"THE", u""), false));
  EXPECT_FALSE(StringTagMatches(Tag(u"the", u"<A>"), Tag(u"the", u"<B>"), true));
  EXPECT_FALSE(StringTagMatches(Tag(u"the", u"<a>"), Tag(u"the", u"<A>"), false));  // tags exact
  EXPECT_FALSE(StringTagMatches(Tag(u"\u00E9t\u00E9", u""), Tag(u"\u00C9T\u00C9", u""), false));
}

TEST(Comparing_typesStringTagMatches, LoneAsteriskOnlyWhenAllowed) {
  EXPECT_FALSE(StringTagMatches(Tag(u"*", u"<A>"), Tag(u"dog", u"<B>"), false));
  EXPECT_TRUE(StringTagMatches(Tag(u"*", u"<A>"), Tag(u"dog", u"<B>"), true));
  EXPECT_TRUE(StringTagMatches(Tag(u"dog", u"<A>"), Tag(u"*", u""), true));
  // No other wildcard form is understood here.
  EXPECT_FALSE(StringTagMatches(Tag(u"do*", u""), Tag(u"dog", u""), true));
  EXPECT_FALSE(StringTagMatches(Tag(u"**", u""), Tag(u"dog", u""), true));
}

TEST(Comparing_typesBatchDates, DependOnBatchMode) {
  const TBatchMode saved = Global_batch_mode;
  const TYearMonthDay a{2020, 5, 1}, b{2020, 5, 30}, c{2020, 6, 1}, d{2021, 5, 1};
  Global_batch_mode = bm_not_batch;
  EXPECT_FALSE(SameYMDDatesForBatchMode(a, a));
  Global_batch_mode = bm_year_batchfile;
  EXPECT_TRUE(SameYMDDatesForBatchMode(a, c));
  EXPECT_FALSE(SameYMDDatesForBatchMode(a, d));
  Global_batch_mode = bm_month_batchfile;
  EXPECT_TRUE(SameYMDDatesForBatchMode(a, b));
  EXPECT_FALSE(SameYMDDatesForBatchMode(a, c));
  EXPECT_FALSE(SameYMDDatesForBatchMode(a, d));
  Global_batch_mode = bm_folder_batchfiles_individual_data;
  EXPECT_FALSE(SameYMDDatesForBatchMode(a, b));
  Global_batch_mode = saved;
}

}  // namespace
}  // namespace sk
