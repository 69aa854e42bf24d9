// Timeline dates: Julian numbers with the 4,500-year offset, period stepping,
// formatting and typed dates.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "core/Global_vars.h"
#include "core/Juliandateroutines.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/StringList.h"

namespace sk {
namespace {

TYearMonthDay YMD(Int32 y, Int32 m, Int32 d) { return TYearMonthDay{y, m, d}; }

void ExpectYMD(const TYearMonthDay& got, Int32 y, Int32 m, Int32 d) {
  EXPECT_EQ(got.year, y);
  EXPECT_EQ(got.month, m);
  EXPECT_EQ(got.day, d);
}

TYearMonthDay TodayYMD() {
  Word y = 0, m = 0, d = 0;
  DecodeDate(Date(), y, m, d);
  return YMD(y, m, d);
}

class JuliandateroutinesFormat : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = Global_StringToDateTimeFormat;
    Global_StringToDateTimeFormat = TFormatSettings::Invariant();
    Global_StringToDateTimeFormat.DateSeparator = u'/';
    Global_StringToDateTimeFormat.TimeSeparator = u':';
  }
  void TearDown() override { Global_StringToDateTimeFormat = saved_; }
  TFormatSettings saved_;
};

// ---- conversions ----

TEST(JuliandateroutinesConversions, OffsetOf4500Years) {
  EXPECT_DOUBLE_EQ(YearMonthDayToJulianAddingConst(YMD(2000, 1, 1)), 4095136.5);
  EXPECT_DOUBLE_EQ(DateTimeToJulianAddingConst(EncodeDate(2000, 1, 1) + 0.75), 4095136.5);
  EXPECT_DOUBLE_EQ(YearMonthDayToJulianDateSemConvertir(YMD(2000, 1, 1)), 2451544.5);
  // Month and day are clamped before encoding.
  EXPECT_DOUBLE_EQ(YearMonthDayToJulianAddingConst(YMD(-500, 13, 0)),
                   YearMonthDayToJulianDateSemConvertir(YMD(4000, 12, 1)));
  EXPECT_EQ(YearWithConstSubtracted(6524), 2024);
}

TEST(JuliandateroutinesConversions, NoDateGivesZero) {
  EXPECT_EQ(YearMonthDayToJulianAddingConst(YMD(2023, 2, 30)), 0.0);
  EXPECT_EQ(YearMonthDayToJulianAddingConst(YMD(5500, 1, 1)), 0.0);   // year 10000
  EXPECT_EQ(YearMonthDayToJulianAddingConst(YMD(-4500, 1, 1)), 0.0);  // year 0
  // Years that a 16-bit year would wrap onto a valid one.
  EXPECT_EQ(YearMonthDayToJulianAddingConst(YMD(61037, 1, 1)), 0.0);
  EXPECT_EQ(YearMonthDayToJulianDateSemConvertir(YMD(65537, 1, 1)), 0.0);
  EXPECT_EQ(YearMonthDayToJulianAddingConst(YMD(INT32_MAX, 1, 1)), 0.0);
  EXPECT_EQ(DateTimeToJulianAddingConst(EncodeDate(5500, 1, 1)), 0.0);
  EXPECT_EQ(DateTimeToJulianAddingConst(std::numeric_limits<double>::quiet_NaN()), 0.0);
}

TEST(JuliandateroutinesConversions, LeapDayOfATrueLeapYearIsKept) {
  // 2000 is a leap year, 6500 is not: 29 February 2000 must not become "no
  // date"; it is stored as the 28th.
  const Double feb28 = YearMonthDayToJulianAddingConst(YMD(2000, 2, 28));
  ASSERT_NE(feb28, 0.0);
  EXPECT_DOUBLE_EQ(YearMonthDayToJulianAddingConst(YMD(2000, 2, 29)), feb28);
  EXPECT_DOUBLE_EQ(DateTimeToJulianAddingConst(EncodeDate(2000, 2, 29)), feb28);
  EXPECT_DOUBLE_EQ(UserStrDateAndTimeParsed(u"2000/02/29").d, feb28);
  ExpectYMD(JulianDateToYearMonthDay(feb28, true), 2000, 2, 28);
  // A 29 February that the true year lacks is still no date.
  EXPECT_EQ(YearMonthDayToJulianAddingConst(YMD(2023, 2, 29)), 0.0);
  EXPECT_EQ(YearMonthDayToJulianAddingConst(YMD(2100, 2, 29)), 0.0);
  // Where both years are leap years the day stays the 29th.
  const Double jd = YearMonthDayToJulianAddingConst(YMD(2024, 2, 29));
  ASSERT_NE(jd, 0.0);
  ExpectYMD(JulianDateToYearMonthDay(jd, true), 2024, 2, 29);
  // Without the offset nothing is moved.
  EXPECT_EQ(YearMonthDayToJulianDateSemConvertir(YMD(2023, 2, 29)), 0.0);
  EXPECT_DOUBLE_EQ(YearMonthDayToJulianDateSemConvertir(YMD(2000, 2, 29)), 2451603.5);
}

TEST(JuliandateroutinesConversions, RoundTripsThroughJulianNumbers) {
  for (const TYearMonthDay& ymd : {YMD(2024, 3, 15), YMD(-500, 6, 30), YMD(1, 1, 1), YMD(-4499, 1, 1),
                                   YMD(5499, 12, 31)}) {
    const Double jd = YearMonthDayToJulianAddingConst(ymd);
    ASSERT_NE(jd, 0.0) << ymd.year;
    ExpectYMD(JulianDateToYearMonthDay(jd, true), ymd.year, ymd.month, ymd.day);
    const TDateTimeYMDrec t = TrueDateOfDate(jd);
    ExpectYMD(t.ymd, ymd.year, ymd.month, ymd.day);
  }
  const Double jd = YearMonthDayToJulianAddingConst(YMD(2024, 3, 15));
  ExpectYMD(JulianDateToYearMonthDay(jd, false), 6524, 3, 15);
  ExpectYMD(JulianDateToYearMonthDaySemConvertir(jd), 6524, 3, 15);
  EXPECT_DOUBLE_EQ(MyJulianDateToDateTime(jd, true), EncodeDate(2024, 3, 15));
  EXPECT_DOUBLE_EQ(MyJulianDateToDateTime(jd, false), EncodeDate(6524, 3, 15));
}

TEST(JuliandateroutinesConversions, ZeroMeansToday) {
  const TYearMonthDay today = TodayYMD();
  ExpectYMD(JulianDateToYearMonthDay(0.0, true), today.year, today.month, today.day);
  EXPECT_EQ(MyJulianDateToDateTime(0.0, true), 0.0);
  ExpectYMD(DateToYearMonthDay(std::numeric_limits<double>::quiet_NaN(), false), today.year,
            today.month, today.day);
  ExpectYMD(DateToYearMonthDay(-1e300, true), today.year, today.month, today.day);
  EXPECT_DOUBLE_EQ(YearMonthDayToDate(YMD(2023, 2, 29)), Date());
  EXPECT_DOUBLE_EQ(YearMonthDayToDate(YMD(2024, 2, 29)), EncodeDate(2024, 2, 29));
}

TEST(JuliandateroutinesConversions, DatesBeyondTheLargestAreFlagged) {
  global_dates_Untrustworthy = false;
  DateToYearMonthDay(EncodeDate(9999, 12, 31), false);
  EXPECT_FALSE(global_dates_Untrustworthy);
  const TYearMonthDay beyond = DateToYearMonthDay(MaxDateTime + 400, false);
  EXPECT_TRUE(global_dates_Untrustworthy);
  EXPECT_EQ(beyond.year, 10001);
  global_dates_Untrustworthy = false;
}

TEST(JuliandateroutinesConversions, ClearedRecordAndMiddles) {
  ExpectYMD(AClearYearMonthDayRec(), -4001, 1, 1);
  TYearMonthDay r = YMD(1, 2, 3);
  ClearAYearMonthDayRec(r);
  ExpectYMD(r, -4001, 1, 1);
  ExpectYMD(MiddleOfTwoYMDs(YMD(2020, 1, 1), YMD(2020, 1, 31)), 2020, 1, 16);
  // Before the common era the middle is still between the two.
  ExpectYMD(MiddleOfTwoYMDs(YMD(-500, 1, 1), YMD(-500, 1, 31)), -500, 1, 16);
  EXPECT_DOUBLE_EQ(MiddleOfTwoDates(10, 13), 11.5);

  const TBatchMode saved = Global_batch_mode;
  Global_batch_mode = bm_year_batchfile;
  ExpectYMD(MiddleOfDateBandForBatchmode(YMD(2020, 2, 3)), 2020, 7, 15);
  Global_batch_mode = bm_month_batchfile;
  ExpectYMD(MiddleOfDateBandForBatchmode(YMD(2020, 2, 3)), 2020, 2, 15);
  Global_batch_mode = saved;

  TDateTime a = 1, b = 2;
  ExchangeTwoDateTimes(a, b);
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 1);
}

// ---- periods ----

TEST(JuliandateroutinesPeriods, Incremented) {
  ExpectYMD(IncrementedYMD(YMD(2019, 12, 31), tlpb_days), 2020, 1, 1);
  ExpectYMD(IncrementedYMD(YMD(2020, 2, 28), tlpb_days), 2020, 2, 29);
  ExpectYMD(IncrementedYMD(YMD(2019, 2, 28), tlpb_days), 2019, 3, 1);
  ExpectYMD(IncrementedYMD(YMD(2019, 12, 31), tlpb_months), 2020, 1, 31);
  ExpectYMD(IncrementedYMD(YMD(1999, 5, 5), tlpb_centuries), 2099, 5, 5);
  ExpectYMD(IncrementedYMD(YMD(1999, 5, 5), tlpb_millennia), 2999, 5, 5);
  ExpectYMD(IncrementedYMD(YMD(2020, 12, 28), tlpb_weeks), 2021, 1, 4);
  ExpectYMD(IncrementedYMD(YMD(-500, 12, 28), tlpb_weeks), -499, 1, 4);
  ExpectYMD(IncrementedYMD(YMD(2020, 1, 1), tlpb_hours), 2020, 1, 1);
  // At the edge of the integer range the step stops instead of overflowing.
  ExpectYMD(IncrementedYMD(YMD(INT32_MAX, 12, 31), tlpb_days), INT32_MAX, 1, 1);
  ExpectYMD(IncrementedYMD(YMD(INT32_MAX - 5, 1, 1), tlpb_millennia), INT32_MAX, 1, 1);
  ExpectYMD(RoundedDownYMD(YMD(INT32_MIN, 1, 1), tlpb_days), INT32_MIN, 12, 31);
  EXPECT_EQ(PlotMultiplicand(tlpb_decades), 10);
  EXPECT_EQ(PlotMultiplicand(tlpb_days), 1);
}

TEST(JuliandateroutinesPeriods, RoundedDown) {
  ExpectYMD(RoundedDownYMD(YMD(2020, 3, 1), tlpb_days), 2020, 2, 29);
  ExpectYMD(RoundedDownYMD(YMD(2021, 1, 1), tlpb_weeks), 2020, 12, 31);
  ExpectYMD(RoundedDownYMD(YMD(2020, 1, 15), tlpb_months), 2019, 12, 31);
  ExpectYMD(RoundedDownYMD(YMD(2020, 3, 15), tlpb_months), 2020, 2, 29);
  ExpectYMD(RoundedDownYMD(YMD(2020, 6, 6), tlpb_decades), 2019, 12, 31);
  ExpectYMD(RoundedDownYMD(YMD(2020, 6, 6), tlpb_custom), 2020, 6, 6);
}

TEST(JuliandateroutinesPeriods, AllPeriodsBetweenTwoDates) {
  const TDateTime start = EncodeDate(6520, 11, 15), finish = EncodeDate(6521, 2, 10);
  const auto months = ComputedAllPeriodsTrue(tlpb_months, start, finish);
  ASSERT_EQ(months.size(), 3u);
  ExpectYMD(months[0], 2020, 11, 15);
  ExpectYMD(months[2], 2021, 1, 15);  // the last start on or before the finish

  const auto days = ComputedAllPeriodsTrue(tlpb_days, start, start);
  ASSERT_EQ(days.size(), 1u);
  EXPECT_EQ(ComputedAllPeriodsTrue(tlpb_months, finish, start).size(), 1u);
  EXPECT_EQ(ComputedAllPeriodsTrue(tlpb_hours, start, finish).size(), 1u);
  EXPECT_EQ(ComputedAllPeriodsTrue(tlpb_weeks, start, finish).size(), 13u);
  EXPECT_EQ(ComputedAllPeriodsTrue(tlpb_decades, EncodeDate(4000, 1, 1), EncodeDate(4100, 1, 1)).size(), 11u);
}

TEST(JuliandateroutinesPeriods, DetailsOfAPeriod) {
  const TDatePeriodDetails d =
      DatePeriodDetails(0, 0, YearMonthDayToJulianAddingConst(YMD(2020, 1, 1)), 0.0, tlpb_months);
  ExpectYMD(d[0], 2020, 1, 1);
  ExpectYMD(d[1], 2020, 1, 16);
  ExpectYMD(d[2], 2020, 2, 1);
}

TEST(JuliandateroutinesPeriods, WithinComparesWholeDates) {
  const TYearMonthDay low = YMD(2019, 11, 20), high = YMD(2020, 2, 10);
  EXPECT_TRUE(YearMonthDayWithin(YMD(2019, 12, 25), low, high));  // month 12 > 2, still inside
  EXPECT_TRUE(YearMonthDayWithin(YMD(2020, 1, 5), low, high));    // day 5 < 20, still inside
  EXPECT_TRUE(YearMonthDayWithin(low, low, high));
  EXPECT_TRUE(YearMonthDayWithin(high, low, high));
  EXPECT_FALSE(YearMonthDayWithin(YMD(2019, 11, 19), low, high));
  EXPECT_FALSE(YearMonthDayWithin(YMD(2020, 2, 11), low, high));
  EXPECT_FALSE(YearMonthDayWithin(YMD(2020, 1, 1), high, low));
}

TEST(JuliandateroutinesPeriods, EdgeOfPeriod) {
  const TDateTime dt = EncodeDateTime(6523, 5, 17, 10, 0, 0, 0);
  EXPECT_DOUBLE_EQ(EdgeOfPeriod(dt, tlpb_decades, t_starting), EncodeDate(6520, 1, 1));
  EXPECT_DOUBLE_EQ(EdgeOfPeriod(dt, tlpb_decades, t_finishing), EndOfAYear(6520));
  EXPECT_DOUBLE_EQ(EdgeOfPeriod(dt, tlpb_months, t_starting), EncodeDate(6523, 5, 1));
  EXPECT_DOUBLE_EQ(EdgeOfPeriod(dt, tlpb_days, t_finishing), EndOfTheDay(dt));
  EXPECT_DOUBLE_EQ(EdgeOfPeriod(dt, tlpb_hours, t_starting), dt);
  EXPECT_DOUBLE_EQ(EdgeOfPeriod(EncodeDate(5, 1, 1), tlpb_decades, t_starting), EncodeDate(5, 1, 1));
  // Weeks run from Monday to Sunday: 2024-05-15 is a Wednesday.
  const TDateTime wed = EncodeDateTime(2024, 5, 15, 10, 0, 0, 0);
  EXPECT_DOUBLE_EQ(EdgeOfPeriod(wed, tlpb_weeks, t_starting), EncodeDate(2024, 5, 13));
  EXPECT_DOUBLE_EQ(EdgeOfPeriod(wed, tlpb_weeks, t_finishing), EndOfTheDay(EncodeDate(2024, 5, 19)));
  // The first and last days of the calendar, times of day included.
  const TDateTime firstNoon = MinDateTime - 0.5;  // 0001-01-01 12:00
  EXPECT_DOUBLE_EQ(EdgeOfPeriod(firstNoon, tlpb_days, t_starting), MinDateTime);
  EXPECT_DOUBLE_EQ(EdgeOfPeriod(firstNoon, tlpb_weeks, t_starting), MinDateTime);
  EXPECT_DOUBLE_EQ(EdgeOfPeriod(EncodeDate(9999, 12, 31), tlpb_weeks, t_finishing),
                   EndOfTheDay(EncodeDate(9999, 12, 31)));
  // Outside the range of date-times nothing can be given: dt comes back.
  for (const TDateTime odd : {MaxDateTime + 10, MinDateTime - 10, 1e300,
                              std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(EdgeOfPeriod(odd, tlpb_months, t_starting), odd);
    EXPECT_EQ(EdgeOfPeriod(odd, tlpb_years, t_finishing), odd);
  }
  EXPECT_TRUE(std::isnan(EdgeOfPeriod(std::numeric_limits<double>::quiet_NaN(), tlpb_days, t_starting)));
}

// ---- text ----

TEST_F(JuliandateroutinesFormat, YearMonthDayAsString) {
  EXPECT_EQ(YearMonthDayAsString(YMD(2024, 3, 15), tlpb_days), u"2024/03/15");
  EXPECT_EQ(YearMonthDayAsString(YMD(2024, 3, 15), tlpb_years), u"2024");
  EXPECT_EQ(YearMonthDayAsString(YMD(2024, 3, 15), tlpb_months), u"2024/03");
  EXPECT_EQ(YearMonthDayAsString(YMD(2024, 3, 15), tlpb_hours), u"2024/03/15 00");
  EXPECT_EQ(YearMonthDayAsString(YMD(-500, 3, 15), tlpb_years), u"-0500");
  EXPECT_EQ(YearMonthDayAsString(YMD(33, 1, 2), tlpb_days), u"0033/01/02");
  EXPECT_EQ(YearMonthDayAsString(YMD(2024, 13, 1), tlpb_days), u"??");
  EXPECT_EQ(YearMonthDayAsString(YMD(2024, 2, 30), tlpb_days), u"??");
  EXPECT_EQ(TimeLineBasisFormatString(tlpb_custom), u"yyyy/mm/dd hh:nn");
}

TEST_F(JuliandateroutinesFormat, AbbreviatedAndJulianTexts) {
  EXPECT_EQ(AbbreviatedYearMonthDayAsString(YMD(2024, 3, 15), tlpb_years), u"24");
  EXPECT_EQ(AbbreviatedYearMonthDayAsString(YMD(2024, 3, 15), tlpb_days), u"15");
  EXPECT_EQ(AbbreviatedYearMonthDayAsString(YMD(2024, 2, 30), tlpb_days), u"??");
  EXPECT_EQ(AbbreviatedYearMonthDayAsString(YMD(-50, 1, 1), tlpb_years), u"??");
  EXPECT_EQ(AbbreviatedYearMonthDayAsString(YMD(2024, 3, 15), tlpb_months), u"Mar");
  EXPECT_EQ(AbbreviatedYearMonthDayAsString(YMD(2024, 3, 15), tlpb_centuries), u"2024");
  EXPECT_EQ(AbbreviatedYearMonthDayAsString(YMD(2024, 3, 15), tlpb_hours), u"0");
  EXPECT_EQ(AbbreviatedYearMonthDayAsString(YMD(2024, 3, 15), tlpb_custom), u"24/03/15 00:00");
  // Each week is labelled by its own number, not by one letter for all.
  EXPECT_EQ(AbbreviatedYearMonthDayAsString(YMD(2024, 3, 15), tlpb_weeks), u"11");
  EXPECT_EQ(AbbreviatedYearMonthDayAsString(YMD(2024, 3, 18), tlpb_weeks), u"12");
  EXPECT_EQ(AbbreviatedYearMonthDayAsString(YMD(2021, 1, 1), tlpb_weeks), u"53");
  EXPECT_EQ(AbbreviatedYearMonthDayAsString(YMD(2021, 2, 30), tlpb_weeks), u"??");

  const Double jd = YearMonthDayToJulianAddingConst(YMD(2024, 3, 15));
  EXPECT_EQ(JulianToStringRemovingConst(jd, tlpb_days, false), u"2024/03/15");
  EXPECT_EQ(JulianToStringRemovingConst(jd, tlpb_years, true), u"24");
  // The cleared record and 0.0 both mean no date.
  EXPECT_EQ(JulianToStringRemovingConst(YearMonthDayToJulianAddingConst(AClearYearMonthDayRec()),
                                        tlpb_days, false),
            u"??");
  EXPECT_EQ(JulianToStringRemovingConst(0.0, tlpb_years, false), u"??");
}

TEST_F(JuliandateroutinesFormat, TimelineDataLabels) {
  const std::vector<TYearMonthDay> dates = {YMD(2020, 1, 1), YMD(2021, 1, 1), YMD(-300, 1, 1),
                                            AClearYearMonthDayRec()};
  EXPECT_EQ(TimelineDataToJulianDateStr(0, dates, tlpb_years, false), u"2020");
  EXPECT_EQ(TimelineDataToJulianDateStr(0, dates, tlpb_months, false), u"2020/01");
  EXPECT_EQ(TimelineDataToJulianDateStr(2, dates, tlpb_years, false), u"-0300");
  EXPECT_EQ(TimelineDataToJulianDateStr(3, dates, tlpb_years, false), u"??");
  EXPECT_EQ(TimelineDataToJulianDateStr(4, dates, tlpb_years, false), u"??");
  EXPECT_EQ(TimelineDataToJulianDateStr(-1, dates, tlpb_years, false), u"??");
}

TEST(JuliandateroutinesText, RecordToStringByRuns) {
  const TYrMmDyHrMn rec{2024, 3, 5, 7, 9};
  EXPECT_EQ(TYrMmDyHrMnToString(rec, u"yyyy/mm/dd hh:nn"), u"2024/03/05 07:09");
  EXPECT_EQ(TYrMmDyHrMnToString(rec, u"yy-m-d h.n"), u"2024-3-5 7.9");  // yy keeps the whole year
  EXPECT_EQ(TYrMmDyHrMnToString(TYrMmDyHrMn{7, 1, 1, 0, 0}, u"yy|yyyy"), u"07|0007");
  EXPECT_EQ(TYrMmDyHrMnToString(rec, u"[yyy][mmm]"), u"[][]");
}

TEST(JuliandateroutinesText, UsersStringToDate) {
  const TYrMmDyHrMn r = UsersStringToDate(u"24/03/15", u"yy/mm/dd");
  EXPECT_EQ(r.year, 2024);
  EXPECT_EQ(r.month, 3);
  EXPECT_EQ(r.day, 15);
  EXPECT_EQ(r.hour, 0);
  EXPECT_EQ(r.minute, 0);

  const TYrMmDyHrMn zero = UsersStringToDate(u"24/03/15", u"yy/mm/d");
  EXPECT_EQ(zero.year, 0);
  EXPECT_EQ(zero.month, 0);
  EXPECT_EQ(zero.day, 0);

  const TYrMmDyHrMn clamped = UsersStringToDate(u"xx/13/40 25:61", u"yy/mm/dd hh:nn");
  EXPECT_EQ(clamped.year, 0);
  EXPECT_EQ(clamped.month, 12);
  EXPECT_EQ(clamped.day, 31);
  EXPECT_EQ(clamped.hour, 23);
  EXPECT_EQ(clamped.minute, 59);

  const TYrMmDyHrMn full = UsersStringToDate(u"1999-7-4 8", u"yyyy-m-d h");
  EXPECT_EQ(full.year, 1999);
  EXPECT_EQ(full.month, 7);
  EXPECT_EQ(full.day, 4);
  EXPECT_EQ(full.hour, 8);
}

TEST(JuliandateroutinesText, TypedDates) {
  TDoubleAndBasis r = UserStrDateAndTimeParsed(u"2024");
  EXPECT_EQ(r.basis, tlpb_years);
  EXPECT_DOUBLE_EQ(r.d, YearMonthDayToJulianAddingConst(YMD(2024, 1, 1)));
  r = UserStrDateAndTimeParsed(u"2024.03");
  EXPECT_EQ(r.basis, tlpb_months);
  EXPECT_DOUBLE_EQ(r.d, YearMonthDayToJulianAddingConst(YMD(2024, 3, 1)));
  r = UserStrDateAndTimeParsed(u" \t2024-03-15\r\n");
  EXPECT_EQ(r.basis, tlpb_days);
  EXPECT_DOUBLE_EQ(r.d, YearMonthDayToJulianAddingConst(YMD(2024, 3, 15)));

  const Double noDate = YearMonthDayToJulianAddingConst(AClearYearMonthDayRec());
  for (const char16_t* bad : {u"20x4", u"abc", u"2024/3", u"<2024>", u"2024/03/1x", u"<no date found>"}) {
    r = UserStrDateAndTimeParsed(bad);
    EXPECT_EQ(r.basis, tlpb_unknown) << StringToUtf8(bad);
    EXPECT_DOUBLE_EQ(r.d, noDate) << StringToUtf8(bad);
  }

  EXPECT_DOUBLE_EQ(UserDateStrToDateTime(u"2024/02/29"), EncodeDate(2024, 2, 29));
  EXPECT_DOUBLE_EQ(UserDateStrToDateTime(u"1999"), EncodeDate(1999, 1, 1));
  EXPECT_DOUBLE_EQ(UserDateStrToDateTime(u"2023/02/29"), Date());
  EXPECT_DOUBLE_EQ(UserDateStrToDateTime(u"1500/01/01"), Date());
  EXPECT_DOUBLE_EQ(UserDateStrToDateTime(u""), Date());
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

// ---- file dates ----

class JuliandateroutinesFileDates : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/sk_juliandates_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    for (const std::string& f : made_) std::remove(f.c_str());
    rmdir(dir_.c_str());
  }
  // A file whose last write is at noon UTC of the given day.
  String MakeFile(const char* name, int y, int m, int d) {
    const std::string path = dir_ + "/" + name;
    FILE* f = std::fopen(path.c_str(), "w");
    std::fputs("x", f);
    std::fclose(f);
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = m - 1;
    t.tm_mday = d;
    t.tm_hour = 12;
    const timespec times[2] = {{timegm(&t), 0}, {timegm(&t), 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
    made_.push_back(path);
    return Utf8ToString(path);
  }
  std::string dir_;
  std::vector<std::string> made_;
};

TEST_F(JuliandateroutinesFileDates, GroupsByDayAndReportsGaps) {
  TStringList list(true);
  AddAFileToDateAndTimeList(MakeFile("a.txt", 2024, 1, 1), &list);
  AddAFileToDateAndTimeList(MakeFile("b.txt", 2024, 1, 1), &list);
  AddAFileToDateAndTimeList(MakeFile("c.txt", 2024, 1, 3), &list);
  AddAFileToDateAndTimeList(MakeFile("d.txt", 2024, 1, 12), &list);
  AddAFileToDateAndTimeList(Utf8ToString(dir_ + "/missing.txt"), &list);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list[0], u"2024 01 01");
  EXPECT_EQ(list[2], u"2024 01 12");
  ASSERT_NE(dynamic_cast<TStringList*>(list.Objects(0)), nullptr);
  EXPECT_EQ(static_cast<TStringList*>(list.Objects(0))->Count(), 2);

  TStringList folders;
  folders.Add(u"/corpus/one");
  const std::string out = dir_ + "/report.txt";
  made_.push_back(out);
  ASSERT_TRUE(SavedAlistOfFilesDatesAndGaps(&folders, &list, Utf8ToString(out)));

  TStringList back;
  back.LoadFromFile(Utf8ToString(out));
  EXPECT_EQ(back.Encoding(), TEncoding::Unicode());
  const String text = back.Text();
  EXPECT_NE(text.find(u"FOLDERS\r\n/corpus/one\r\n\r\nFILES\r\n; 2024 01 01 (2) *****"), String::npos);
  EXPECT_NE(text.find(u"\r\n\t" + Utf8ToString(dir_) + u"/b.txt\r\n"), String::npos);
  // Only the 9-day gap is more than four days.
  EXPECT_NE(text.find(u"; GAPS *****"), String::npos);
  EXPECT_NE(text.find(u"; 9 days between 2024 01 03 and 2024 01 12"), String::npos);
  EXPECT_EQ(text.find(u"between 2024 01 01"), String::npos);
}

// Names that are not UTF-8 (Latin-1, Shift-JIS, bytes of no code page) are
// grouped under the day of their own file, as python's os.stat and
// time.gmtime give it; a day at either edge of midnight UTC included.
TEST_F(JuliandateroutinesFileDates, NamesThatAreNotUtf8AreGroupedByTheirDay) {
  const std::pair<std::string, time_t> files[] = {
      {"caf\xE9.txt", 1704153599}, {"caf\xE8.txt", 1704153600},      {"\x93\xFA\x96\x7B.txt", 946684800},
      {"\x83\x65\x83\x4C", 1},     {"bad\xFF\xFE\xC0", 4102444799}, {"plain.txt", 1704153600},
      {"\xCE\xB1\xCE\xB2.txt", 946684800}};
  for (const auto& [name, seconds] : files) {
    made_.push_back(dir_ + "/" + name);
    std::fclose(std::fopen(made_.back().c_str(), "w"));
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, made_.back().c_str(), times, 0), 0);
  }
  // Each name's bytes in hexadecimal and its day, from python.
  FILE* p = popen(("/usr/bin/python3 -c \"import os,sys,time\nd=os.fsencode(sys.argv[1])\nfor n in os.listdir(d): "
                   "print(n.hex(), time.strftime('%Y %m %d', time.gmtime(os.stat(os.path.join(d,n)).st_mtime)))\" " + dir_).c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::map<std::string, std::string> expected, grouped;
  char hex[256], day[16];
  while (std::fscanf(p, "%255s %15[0-9 ]\n", hex, day) == 2) expected[hex] = day;
  ASSERT_EQ(pclose(p), 0);
  ASSERT_EQ(expected.size(), std::size(files));
  TStringList list(true);
  TSearchRec rec;
  for (Int32 r = FindFirst(Utf8ToString(dir_) + u"/*", faAnyFile, rec); r == 0; r = FindNext(rec))
    if (rec.Name != u"." && rec.Name != u"..") AddAFileToDateAndTimeList(Utf8ToString(dir_) + u"/" + rec.Name, &list);
  FindClose(rec);
  for (Int32 i = 0; i < list.Count(); ++i)
    for (Int32 k = 0; k < dynamic_cast<const TStringList&>(*list.Objects(i)).Count(); ++k) {
      const String name = static_cast<const TStringList*>(list.Objects(i))->Strings(k);
      std::string raw = StringToSystemName(name).substr(dir_.size() + 1), h;
      for (unsigned char ch : raw) h += "0123456789abcdef"[ch >> 4], h += "0123456789abcdef"[ch & 15];
      grouped[h] = StringToUtf8(list[i]);
    }
  EXPECT_EQ(grouped, expected);
}

TEST_F(JuliandateroutinesFileDates, ReportsAFileThatCannotBeWritten) {
  TStringList list(true);
  EXPECT_FALSE(SavedAlistOfFilesDatesAndGaps(nullptr, &list, Utf8ToString(dir_ + "/no/such/folder/r.txt")));
  const std::string out = dir_ + "/empty.txt";
  made_.push_back(out);
  EXPECT_TRUE(SavedAlistOfFilesDatesAndGaps(nullptr, &list, Utf8ToString(out)));
}

}  // namespace
}  // namespace sk
