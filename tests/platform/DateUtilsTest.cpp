#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "platform/runtime/DateUtils.h"
#include "platform/runtime/Stopwatch.h"

namespace sk {

namespace {

String Fmt(const char16_t* mask, TDateTime v) {
  return FormatDateTime(mask, v, TFormatSettings::Invariant());
}

String Stamp(TDateTime v) { return Fmt(u"yyyy-mm-dd hh:nn:ss.zzz", v); }

TFormatSettings GermanLike() {
  TFormatSettings fs = TFormatSettings::Invariant();
  fs.DateSeparator = u'.';
  fs.ShortDateFormat = u"dd/mm/yyyy";
  return fs;
}

}  // namespace

// ---------------------------------------------------------------------------
// Encoding and decoding
// ---------------------------------------------------------------------------
TEST(DateUtilsEncode, KnownDayNumbers) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1899, 12, 29), -1.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
  EXPECT_EQ(EncodeDate(1, 1, 1), MinDateTime);
  EXPECT_EQ(EncodeDate(9999, 12, 31), std::trunc(MaxDateTime));
  EXPECT_EQ(EncodeDate(2024, 2, 29) + 1, EncodeDate(2024, 3, 1));
  EXPECT_EQ(EncodeDate(1600, 2, 29) + 1, EncodeDate(1600, 3, 1));
}

TEST(DateUtilsEncode, InvalidDatesAndTimes) {
  TDateTime d = 12345;
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29, d));
  EXPECT_FALSE(TryEncodeDate(1900, 2, 29, d));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, d));
  EXPECT_FALSE(TryEncodeDate(10000, 1, 1, d));
  EXPECT_FALSE(TryEncodeDate(2024, 13, 1, d));
  EXPECT_FALSE(TryEncodeDate(2024, 4, 31, d));
  EXPECT_FALSE(TryEncodeDate(2024, 1, 0, d));
  EXPECT_EQ(d, 12345);
  EXPECT_TRUE(TryEncodeDate(2000, 2, 29, d));
  try {
    EncodeDate(2023, 2, 29);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Invalid argument to date encode");
  }
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, d));
  EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, d));
  EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, d));
  EXPECT_THROW(EncodeTime(0, 0, 60, 0), EConvertError);
  EXPECT_THROW(EncodeDateTime(2024, 2, 30, 0, 0, 0, 0), EConvertError);
}

TEST(DateUtilsEncode, EveryDayRoundTripsFromYearOneToNineThousand) {
  Word y, m, d;
  Int32 checked = 0;
  for (Int64 day = -693593; day <= 2958465; day += 13) {
    DecodeDate(static_cast<Double>(day), y, m, d);
    ASSERT_EQ(EncodeDate(y, m, d), static_cast<Double>(day)) << day;
    ++checked;
  }
  EXPECT_GT(checked, 280000);
  DecodeDate(MinDateTime, y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 10101);
  DecodeDate(MaxDateTime, y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 99991231);
}

TEST(DateUtilsEncode, NegativeValuesKeepTheTimeAsMagnitude) {
  // -1.25 is 1899-12-29 06:00: the date part truncates, the fraction is the time.
  EXPECT_EQ(Stamp(-1.25), u"1899-12-29 06:00:00.000");
  EXPECT_EQ(Stamp(-0.75), u"1899-12-30 18:00:00.000");
  EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
  EXPECT_EQ(EncodeDateTime(1899, 12, 30, 6, 0, 0, 0), 0.25);
  EXPECT_EQ(EncodeDateTime(1800, 1, 1, 12, 0, 0, 0), EncodeDate(1800, 1, 1) - 0.5);
  Word h, n, s, ms;
  DecodeTime(EncodeDateTime(1066, 10, 14, 9, 30, 15, 250), h, n, s, ms);
  EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + ms, 93015250);
}

TEST(DateUtilsEncode, TimeRoundingCarriesIntoTheNextDay) {
  Word h, n, s, ms;
  DecodeTime(EncodeTime(23, 59, 59, 999), h, n, s, ms);
  EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + ms, 235959999);
  // Less than half a millisecond before midnight is midnight of the next day,
  // never "24:00".
  EXPECT_EQ(Stamp(1.0 - 1e-12), u"1899-12-31 00:00:00.000");
  EXPECT_EQ(Stamp(MaxDateTime), u"9999-12-31 23:59:59.999");
}

// Before 1899-12-30 the fraction is still the time of day, so a moment that
// rounds to midnight belongs to the day after it in time, and every routine
// that reads the moment agrees.
TEST(DateUtilsEncode, RoundingToMidnightBeforeTheEpochCarriesForwardInTime) {
  struct {
    TDateTime value;
    const char16_t* stamp;
  } const cases[] = {
      {-1.0 - (1.0 - 1e-12), u"1899-12-30 00:00:00.000"},
      {-1.9999999999, u"1899-12-30 00:00:00.000"},
      {-2.9999999999, u"1899-12-29 00:00:00.000"},
      {-0.9999999999, u"1899-12-31 00:00:00.000"},
      {EncodeDate(1800, 1, 1) - (1.0 - 1e-9), u"1800-01-02 00:00:00.000"},
      {-693593.9999999999, u"0001-01-02 00:00:00.000"},
  };
  for (const auto& c : cases) EXPECT_EQ(Stamp(c.value), c.stamp) << c.value;
  Word y, m, d, h, n, s, ms;
  DecodeDateTime(-1.9999999999, y, m, d, h, n, s, ms);
  EXPECT_EQ(y * 10000 + m * 100 + d, 18991230);
  EXPECT_EQ(h + n + s + ms, 0);
  EXPECT_EQ(Stamp(JulianDateToDateTime(2415018.5 - 1e-9)), u"1899-12-30 00:00:00.000");
  EXPECT_EQ(DaysBetween(-1.9999999999, 0), 0);
  EXPECT_EQ(CompareDateTime(-1.9999999999, 0), 0);
  EXPECT_EQ(MilliSecondsBetween(-1.9999999999, 0), 0);
}

TEST(DateUtilsEncode, OutOfRangeValuesRaiseInsteadOfDecodingGarbage) {
  Word y, m, d;
  EXPECT_THROW(DecodeDate(std::numeric_limits<double>::quiet_NaN(), y, m, d), EConvertError);
  EXPECT_THROW(DecodeDate(1e10, y, m, d), EConvertError);
  EXPECT_THROW(DecodeDate(-693594.0, y, m, d), EConvertError);
  EXPECT_THROW(DecodeDate(2958466.0, y, m, d), EConvertError);
  EXPECT_THROW(YearOf(std::numeric_limits<double>::infinity()), EConvertError);
  EXPECT_THROW(Fmt(u"yyyy", 1e300), EConvertError);
  DecodeDate(-693593.5, y, m, d);
  EXPECT_EQ(y, 1);
}

// ---------------------------------------------------------------------------
// Stepping
// ---------------------------------------------------------------------------
TEST(DateUtilsIncMonth, ClampsToMonthEndsAndLeapYears) {
  EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31)), EncodeDate(2024, 2, 29));
  EXPECT_EQ(IncMonth(EncodeDate(2023, 1, 31)), EncodeDate(2023, 2, 28));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 3, 31), -1), EncodeDate(2024, 2, 29));
  EXPECT_EQ(IncMonth(EncodeDate(2023, 12, 15)), EncodeDate(2024, 1, 15));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 15), -1), EncodeDate(2023, 12, 15));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 5, 31), -12), EncodeDate(2023, 5, 31));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 5, 31), -25), EncodeDate(2022, 4, 30));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 5, 31), 0), EncodeDate(2024, 5, 31));
  EXPECT_EQ(IncYear(EncodeDate(2024, 2, 29)), EncodeDate(2025, 2, 28));
  EXPECT_EQ(IncYear(EncodeDate(2024, 2, 29), 4), EncodeDate(2028, 2, 29));
  EXPECT_EQ(Stamp(IncMonth(EncodeDateTime(2024, 1, 31, 13, 45, 0, 0))), u"2024-02-29 13:45:00.000");
  // Across 1899-12-30 the time of day stays the time of day.
  EXPECT_EQ(IncMonth(EncodeDateTime(1899, 11, 30, 6, 0, 0, 0)), 0.25);
  EXPECT_EQ(Stamp(IncMonth(0.25, -1)), u"1899-11-30 06:00:00.000");
  EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1)), EConvertError);
  EXPECT_THROW(IncMonth(EncodeDate(1, 1, 1), -1), EConvertError);
  EXPECT_THROW(IncYear(0, 2000000000), EConvertError);
}

TEST(DateUtilsInc, DaysHoursAndSmallerUnitsAcrossTheEpoch) {
  // 1899-12-29 06:00 plus two days is 1899-12-31 06:00 (a plain +2 would give 0.75).
  EXPECT_EQ(IncDay(-1.25, 2), 1.25);
  EXPECT_EQ(IncDay(1.25, -2), -1.25);
  EXPECT_EQ(Stamp(IncHour(-1.25, 20)), u"1899-12-30 02:00:00.000");
  EXPECT_EQ(Stamp(IncMinute(EncodeDate(2024, 12, 31), -1)), u"2024-12-30 23:59:00.000");
  EXPECT_EQ(Stamp(IncSecond(EncodeDateTime(2024, 12, 31, 23, 59, 59, 0))), u"2025-01-01 00:00:00.000");
  EXPECT_EQ(Stamp(IncMilliSecond(0, -1)), u"1899-12-29 23:59:59.999");
  EXPECT_EQ(IncWeek(EncodeDate(2024, 2, 26)), EncodeDate(2024, 3, 4));
  EXPECT_THROW(IncDay(MaxDateTime), EConvertError);
  EXPECT_THROW(IncHour(0, INT64_MAX), EConvertError);
}

// ---------------------------------------------------------------------------
// Spans
// ---------------------------------------------------------------------------
TEST(DateUtilsBetween, WholeUnitsOfTheAbsoluteSpan) {
  const TDateTime a = EncodeDateTime(2024, 1, 1, 10, 0, 0, 0);
  EXPECT_EQ(DaysBetween(a, IncHour(a, 24)), 1);
  EXPECT_EQ(DaysBetween(IncHour(a, 24), a), 1);
  EXPECT_EQ(DaysBetween(a, IncHour(a, 23)), 0);
  EXPECT_EQ(DaysBetween(EncodeDate(2024, 1, 1), EncodeDate(2024, 3, 1)), 60);
  // Fractions that are not exact in binary still give whole units.
  EXPECT_EQ(HoursBetween(a, a + 1.0 / 24), 1);
  EXPECT_EQ(MinutesBetween(0.1, 0.1 + 1.0 / 1440), 1);
  EXPECT_EQ(SecondsBetween(0.3, 0.3 + 1.0 / 86400), 1);
  EXPECT_EQ(MilliSecondsBetween(0, 1.0 / 86400000), 1);
  EXPECT_EQ(WeeksBetween(EncodeDate(2024, 1, 1), EncodeDate(2024, 1, 15)), 2);
  EXPECT_EQ(WeeksBetween(EncodeDate(2024, 1, 1), EncodeDate(2024, 1, 14)), 1);
  // Before 1899-12-30 the spans are measured on the real time line.
  EXPECT_EQ(HoursBetween(-1.25, 0.25), 24);
  EXPECT_EQ(DaysBetween(-1.25, 0.25), 1);
  EXPECT_DOUBLE_EQ(DaySpan(-1.25, 0.25), 1.0);
  EXPECT_DOUBLE_EQ(HourSpan(a, IncMinute(a, 90)), 1.5);
}

TEST(DateUtilsBetween, CalendarMonthsAndYears) {
  EXPECT_EQ(MonthsBetween(EncodeDate(2024, 1, 31), EncodeDate(2024, 2, 29)), 1);
  EXPECT_EQ(MonthsBetween(EncodeDate(2024, 1, 15), EncodeDate(2024, 2, 14)), 0);
  EXPECT_EQ(MonthsBetween(EncodeDate(2024, 2, 14), EncodeDate(2024, 1, 15)), 0);
  EXPECT_EQ(MonthsBetween(EncodeDate(2023, 12, 15), EncodeDate(2024, 2, 15)), 2);
  EXPECT_EQ(YearsBetween(EncodeDate(2021, 1, 1), EncodeDate(2022, 1, 1)), 1);
  EXPECT_EQ(YearsBetween(EncodeDate(2020, 2, 29), EncodeDate(2021, 2, 28)), 1);
  EXPECT_EQ(YearsBetween(EncodeDateTime(2020, 6, 1, 12, 0, 0, 0), EncodeDateTime(2021, 6, 1, 11, 59, 0, 0)), 0);
  EXPECT_EQ(YearsBetween(EncodeDate(1850, 3, 1), EncodeDate(2024, 3, 1)), 174);
  EXPECT_EQ(MonthsBetween(5.0, 5.0), 0);
}

// ---------------------------------------------------------------------------
// Starts and ends
// ---------------------------------------------------------------------------
TEST(DateUtilsStartEnd, PeriodsEndOnTheirLastMillisecond) {
  const TDateTime v = EncodeDateTime(2024, 2, 10, 15, 30, 0, 0);
  EXPECT_EQ(Stamp(StartOfTheMonth(v)), u"2024-02-01 00:00:00.000");
  EXPECT_EQ(Stamp(EndOfTheMonth(v)), u"2024-02-29 23:59:59.999");
  EXPECT_EQ(Stamp(StartOfTheYear(v)), u"2024-01-01 00:00:00.000");
  EXPECT_EQ(Stamp(EndOfTheYear(v)), u"2024-12-31 23:59:59.999");
  EXPECT_EQ(Stamp(EndOfAYear(2023)), u"2023-12-31 23:59:59.999");
  EXPECT_EQ(Stamp(EndOfAMonth(2023, 2)), u"2023-02-28 23:59:59.999");
  EXPECT_EQ(StartOfAMonth(2024, 3), EncodeDate(2024, 3, 1));
  EXPECT_EQ(Stamp(StartOfTheDay(v)), u"2024-02-10 00:00:00.000");
  EXPECT_EQ(Stamp(EndOfTheDay(v)), u"2024-02-10 23:59:59.999");
  EXPECT_LT(EndOfTheDay(v), EncodeDate(2024, 2, 11));
  EXPECT_THROW(EndOfAMonth(2024, 13), EConvertError);
}

TEST(DateUtilsStartEnd, WeeksRunMondayToSunday) {
  // 2024-03-17 is a Sunday, 2024-03-11 a Monday.
  EXPECT_EQ(StartOfTheWeek(EncodeDate(2024, 3, 17)), EncodeDate(2024, 3, 11));
  EXPECT_EQ(StartOfTheWeek(EncodeDate(2024, 3, 11)), EncodeDate(2024, 3, 11));
  EXPECT_EQ(Stamp(EndOfTheWeek(EncodeDate(2024, 3, 11))), u"2024-03-17 23:59:59.999");
  EXPECT_EQ(Stamp(StartOfTheWeek(EncodeDate(2025, 1, 1))), u"2024-12-30 00:00:00.000");
  // The last week of the calendar ends with the calendar.
  EXPECT_EQ(Stamp(EndOfTheWeek(EncodeDate(9999, 12, 30))), u"9999-12-31 23:59:59.999");
}

TEST(DateUtilsStartEnd, NegativeDates) {
  EXPECT_EQ(StartOfTheDay(-1.25), -1.0);
  EXPECT_EQ(Stamp(EndOfTheDay(-1.25)), u"1899-12-29 23:59:59.999");
  EXPECT_LT(EndOfTheDay(-1.25), -1.9);
  EXPECT_EQ(Stamp(EndOfTheMonth(-40.5)), u"1899-11-30 23:59:59.999");
}

// ---------------------------------------------------------------------------
// Parts of a moment
// ---------------------------------------------------------------------------
TEST(DateUtilsParts, WeekdaysDayOfYearAndIsoWeeks) {
  const TDateTime fri = EncodeDate(2024, 3, 15);
  EXPECT_EQ(DayOfWeek(fri), 6);     // Sunday = 1
  EXPECT_EQ(DayOfTheWeek(fri), 5);  // Monday = 1
  EXPECT_EQ(DayOfWeek(0), 7);       // 1899-12-30 was a Saturday
  EXPECT_EQ(DayOfTheWeek(0), 6);
  EXPECT_EQ(DayOfTheWeek(-1.5), 5);
  EXPECT_EQ(DayOfTheWeek(MinDateTime), 1);  // 0001-01-01 was a Monday
  EXPECT_EQ(DayOfTheYear(EncodeDate(2024, 12, 31)), 366);
  EXPECT_EQ(DayOfTheYear(EncodeDate(2023, 12, 31)), 365);
  Word isoYear = 0;
  EXPECT_EQ(WeekOfTheYear(EncodeDate(2021, 1, 3), isoYear), 53);
  EXPECT_EQ(isoYear, 2020);
  EXPECT_EQ(WeekOfTheYear(EncodeDate(2024, 12, 30), isoYear), 1);
  EXPECT_EQ(isoYear, 2025);
  EXPECT_EQ(WeekOfTheYear(EncodeDate(2026, 1, 1)), 1);
  EXPECT_EQ(WeekOfTheYear(EncodeDate(2024, 3, 15)), 11);
  EXPECT_EQ(WeeksInAYear(2020), 53);
  EXPECT_EQ(WeeksInAYear(2021), 52);
  EXPECT_EQ(WeeksInAYear(2015), 53);
  EXPECT_EQ(DaysInAMonth(2024, 2), 29);
  EXPECT_EQ(DaysInAMonth(1900, 2), 28);
  EXPECT_EQ(DaysInAMonth(2024, 0), 0);
  EXPECT_EQ(DaysInAYear(2000), 366);
  const TDateTime t = EncodeDateTime(2024, 3, 15, 14, 7, 9, 45);
  EXPECT_EQ(HourOf(t), 14);
  EXPECT_EQ(MinuteOf(t), 7);
  EXPECT_EQ(SecondOf(t), 9);
  EXPECT_EQ(MilliSecondOf(t), 45);
}

TEST(DateUtilsParts, RecodeAndCompare) {
  const TDateTime t = EncodeDateTime(2024, 2, 29, 8, 0, 0, 0);
  EXPECT_EQ(Stamp(RecodeMonth(t, 3)), u"2024-03-29 08:00:00.000");
  EXPECT_THROW(RecodeYear(t, 2023), EConvertError);
  EXPECT_EQ(Stamp(RecodeTime(t, 23, 0, 0, 0)), u"2024-02-29 23:00:00.000");
  EXPECT_EQ(DateOf(t), EncodeDate(2024, 2, 29));
  EXPECT_DOUBLE_EQ(TimeOf(-1.25), 0.25);
  EXPECT_TRUE(SameDate(t, EncodeDate(2024, 2, 29)));
  EXPECT_TRUE(SameDateTime(0.1 + 0.2, 0.3));
  EXPECT_EQ(CompareDateTime(-1.25, -1.0), 1);  // 06:00 comes after midnight
  EXPECT_EQ(CompareDateTime(-1.25, 0.0), -1);
  EXPECT_EQ(CompareDate(-1.25, -1.0), 0);
  EXPECT_EQ(CompareDateTime(1.0, 1.0 + 1e-10), 0);
}

TEST(DateUtilsJulian, ConversionsBothWays) {
  EXPECT_EQ(DateTimeToJulianDate(EncodeDate(2000, 1, 1)), 2451544.5);
  EXPECT_EQ(DateTimeToJulianDate(0), 2415018.5);
  EXPECT_EQ(Stamp(JulianDateToDateTime(2451545.0)), u"2000-01-01 12:00:00.000");
  // Year -500 moved 4,500 years later is year 4000.
  const TDateTime shifted = EncodeDate(4000, 12, 1);
  EXPECT_EQ(JulianDateToDateTime(DateTimeToJulianDate(shifted)), shifted);
  const TDateTime old = EncodeDateTime(1800, 5, 5, 6, 0, 0, 0);
  EXPECT_EQ(DateTimeToJulianDate(old), DateTimeToJulianDate(EncodeDate(1800, 5, 5)) + 0.25);
  EXPECT_EQ(JulianDateToDateTime(DateTimeToJulianDate(old)), old);
  TDateTime r = 7;
  EXPECT_FALSE(TryJulianDateToDateTime(0.0, r));
  EXPECT_FALSE(TryJulianDateToDateTime(std::nan(""), r));
  EXPECT_FALSE(TryJulianDateToDateTime(1e12, r));
  EXPECT_EQ(r, 7);
  EXPECT_THROW(JulianDateToDateTime(-5), EConvertError);
}

TEST(DateUtilsTimeStamp, LinearMillisecondsAcrossTheEpoch) {
  EXPECT_EQ(DateTimeToMSecs(0.25) - DateTimeToMSecs(-1.25), 86400000);
  EXPECT_EQ(MSecsToDateTime(DateTimeToMSecs(-1.25)), -1.25);
  const TTimeStamp ts = DateTimeToTimeStamp(MinDateTime);
  EXPECT_EQ(ts.Date, 1);
  EXPECT_EQ(ts.Time, 0);
  EXPECT_THROW(TimeStampToDateTime(TTimeStamp{-1, 5}), EConvertError);
  EXPECT_THROW(MSecsToDateTime(-1), EConvertError);
}

// ---------------------------------------------------------------------------
// FormatDateTime
// ---------------------------------------------------------------------------
TEST(DateUtilsFormat, MaskLetters) {
  const TDateTime v = EncodeDateTime(2024, 3, 5, 14, 7, 9, 45);
  EXPECT_EQ(Fmt(u"yyyy/mm/dd hh:nn:ss.zzz", v), u"2024/03/05 14:07:09.045");
  EXPECT_EQ(Fmt(u"d/m/yy", v), u"5/3/24");
  EXPECT_EQ(Fmt(u"y", v), u"24");
  EXPECT_EQ(Fmt(u"yyy", v), u"2024");
  EXPECT_EQ(Fmt(u"ddd dddd mmm mmmm", v), u"Tue Tuesday Mar March");
  EXPECT_EQ(Fmt(u"MMMMM", v), u"March");
  EXPECT_EQ(Fmt(u"h:n:s z", v), u"14:7:9 45");
  EXPECT_EQ(Fmt(u"yyyymmddhhnn", v), u"202403051407");
  EXPECT_EQ(Fmt(u"yyyy_mm_dd_hh_nn", v), u"2024_03_05_14_07");
  EXPECT_EQ(Fmt(u"yyyy mm dd", v), u"2024 03 05");
  EXPECT_EQ(Fmt(u"dd-mmm-yyyy", v), u"05-Mar-2024");
  EXPECT_EQ(Fmt(u"w", v), u"w");
  EXPECT_EQ(Fmt(u"yyyy", EncodeDate(5, 1, 1)), u"0005");
  EXPECT_EQ(Fmt(u"yy", EncodeDate(5, 1, 1)), u"05");
  EXPECT_EQ(Fmt(u"yyyy-mm-dd hh:nn", -1.25), u"1899-12-29 06:00");
}

TEST(DateUtilsFormat, MinutesAfterHoursAndTwelveHourClock) {
  const TDateTime v = EncodeDateTime(2024, 3, 5, 14, 7, 9, 0);
  EXPECT_EQ(Fmt(u"hh:mm", v), u"14:07");
  EXPECT_EQ(Fmt(u"hh:mm:ss", v), u"14:07:09");
  EXPECT_EQ(Fmt(u"mm/dd hh:mm", v), u"03/05 14:07");
  EXPECT_EQ(Fmt(u"h:mm AM/PM", v), u"2:07 PM");
  EXPECT_EQ(Fmt(u"h:mm am/pm", v), u"2:07 pm");
  EXPECT_EQ(Fmt(u"h a/p", v), u"2 p");
  EXPECT_EQ(Fmt(u"hh ampm", v), u"02 PM");
  EXPECT_EQ(Fmt(u"h am/pm", EncodeTime(0, 30, 0, 0)), u"12 am");
  EXPECT_EQ(Fmt(u"h am/pm", EncodeTime(12, 0, 0, 0)), u"12 pm");
  // Without an am/pm marker after it, the hour is on the 24-hour clock.
  EXPECT_EQ(Fmt(u"hh \"h\" h:nn AM/PM", v), u"14 h 2:07 PM");
}

TEST(DateUtilsFormat, LiteralsSeparatorsAndNestedFormats) {
  const TDateTime v = EncodeDateTime(2024, 3, 5, 14, 7, 9, 0);
  EXPECT_EQ(Fmt(u"\"yyyy\" yyyy 'mm' mm", v), u"yyyy 2024 mm 03");
  EXPECT_EQ(Fmt(u"\"unclosed", v), u"unclosed");
  TFormatSettings fs = TFormatSettings::Invariant();
  fs.DateSeparator = u'-';
  fs.TimeSeparator = u'.';
  EXPECT_EQ(FormatDateTime(u"yyyy/mm/dd hh:nn", v, fs), u"2024-03-05 14.07");
  EXPECT_EQ(Fmt(u"c", v), u"03/05/2024 14:07:09");
  EXPECT_EQ(Fmt(u"c", EncodeDate(2024, 3, 5)), u"03/05/2024");
  EXPECT_EQ(Fmt(u"", EncodeDate(2024, 3, 5)), u"03/05/2024");
  EXPECT_EQ(Fmt(u"ddddd", v), u"03/05/2024");
  EXPECT_EQ(Fmt(u"dddddd", v), u"Tuesday, 05 March 2024");
  EXPECT_EQ(Fmt(u"t", v), u"14:07");
  EXPECT_EQ(Fmt(u"tt", v), u"14:07:09");
  EXPECT_EQ(DateTimeToStr(v, TFormatSettings::Invariant()), u"03/05/2024 14:07:09");
  // A settings mask that refers to itself does not recurse without end.
  fs.ShortDateFormat = u"c ddddd";
  EXPECT_NO_THROW(FormatDateTime(u"c", v, fs));
}

TEST(DateUtilsFormat, EmptySettingsFallBackToInvariantNames) {
  const TDateTime v = EncodeDate(2024, 3, 5);
  const TFormatSettings empty{};
  EXPECT_EQ(FormatDateTime(u"mmmm dddd", v, empty), u"March Tuesday");
  EXPECT_EQ(FormatDateTime(u"ddddd", v, empty), u"03/05/2024");
}

TEST(DateUtilsFormat, LocaleNames) {
  const auto de = TFormatSettings::Create("de_DE");
  const TDateTime v = EncodeDate(2024, 3, 15);
  EXPECT_EQ(FormatDateTime(u"dddd, d. mmmm yyyy", v, de), u"Freitag, 15. M\u00E4rz 2024");
  EXPECT_EQ(DateToStr(v, de), u"15.03.2024");
  TDateTime back = 0;
  EXPECT_TRUE(TryStrToDate(DateToStr(v, de), back, de));
  EXPECT_EQ(back, v);
  const auto us = TFormatSettings::Create("en_US");
  EXPECT_TRUE(TryStrToDate(DateToStr(v, us), back, us));
  EXPECT_EQ(back, v);
  // Punctuation of long dates is text, not the date separator.
  TFormatSettings deSlash = de;
  deSlash.DateSeparator = u'/';
  EXPECT_EQ(FormatDateTime(u"dddddd", v, deSlash), u"Freitag, 15. M\u00E4rz 2024");
}

TEST(DateUtilsFormat, LocaleTextsReadBack) {
  // Locale data may put no-break spaces before am/pm and direction marks
  // around separators; what a locale writes must read back.
  const TDateTime v = EncodeDateTime(2024, 3, 5, 14, 7, 9, 0);
  for (const char* locale : {"en_US", "en_GB", "de_DE", "fr_FR", "ja_JP", "ar_EG", "tr_TR", "zh_CN"}) {
    const auto fs = TFormatSettings::Create(locale);
    TDateTime back = 0;
    EXPECT_TRUE(TryStrToDateTime(DateTimeToStr(v, fs), back, fs)) << locale;
    EXPECT_EQ(back, v) << locale;
  }
}

// ---------------------------------------------------------------------------
// Parsing
// ---------------------------------------------------------------------------
TEST(DateUtilsParse, DatesFollowTheShortDateOrder) {
  const auto inv = TFormatSettings::Invariant();
  const auto de = GermanLike();
  TDateTime d = 0;
  EXPECT_TRUE(TryStrToDate(u"03/05/2024", d, inv));
  EXPECT_EQ(d, EncodeDate(2024, 3, 5));
  EXPECT_TRUE(TryStrToDate(u"15.03.2024", d, de));
  EXPECT_EQ(d, EncodeDate(2024, 3, 15));
  EXPECT_TRUE(TryStrToDate(u" 15.3.2024 ", d, de));
  EXPECT_EQ(d, EncodeDate(2024, 3, 15));
  EXPECT_TRUE(TryStrToDate(u"2024.03.15", d, de));  // a four-digit first number is the year
  EXPECT_EQ(d, EncodeDate(2024, 3, 15));
  EXPECT_TRUE(TryStrToDate(u"15.03", d, de));
  EXPECT_EQ(d, EncodeDate(YearOf(Date()), 3, 15));
  TFormatSettings ymd = inv;
  ymd.ShortDateFormat = u"yyyy/mm/dd";
  EXPECT_TRUE(TryStrToDate(u"2024/3/15", d, ymd));
  EXPECT_EQ(d, EncodeDate(2024, 3, 15));
  EXPECT_TRUE(TryStrToDate(u"0099/1/2", d, ymd));  // written with four digits: year 99
  EXPECT_EQ(d, EncodeDate(99, 1, 2));
}

TEST(DateUtilsParse, TwoDigitYearsUseTheCenturyWindow) {
  TFormatSettings de = GermanLike();
  const Word now = YearOf(Date());
  TDateTime d = 0;
  ASSERT_TRUE(TryStrToDate(u"1.1.00", d, de));
  const Word y00 = YearOf(d);
  EXPECT_TRUE(y00 % 100 == 0 && y00 + 50 > now && y00 <= now + 50) << y00;
  de.TwoDigitYearCenturyWindow = 0;
  ASSERT_TRUE(TryStrToDate(u"1.1.00", d, de));
  EXPECT_EQ(YearOf(d), now / 100 * 100);
}

TEST(DateUtilsParse, RejectsInvalidDates) {
  const auto de = GermanLike();
  for (const char16_t* bad : {u"", u"15", u"31.02.2024", u"15/03/2024", u"15.03.2024x", u"15.13.2024",
                              u"0.1.2024", u"15..2024", u"15.03.", u"a.b.c", u"15.03.2024 25:00",
                              u"1234567890.1.1", u"15.03.10000"}) {
    TDateTime d = 42;
    EXPECT_FALSE(TryStrToDateTime(bad, d, de)) << StringToUtf8(bad);
    EXPECT_EQ(d, 42);
  }
  try {
    StrToDate(u"x", de);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'x' is not a valid date");
  }
  EXPECT_EQ(StrToDateDef(u"x", 3.0, de), 3.0);
}

TEST(DateUtilsParse, TimesWithSecondsFractionsAndAmPm) {
  const auto inv = TFormatSettings::Invariant();
  TDateTime t = 0;
  EXPECT_TRUE(TryStrToTime(u"14:07", t, inv));
  EXPECT_EQ(t, EncodeTime(14, 7, 0, 0));
  EXPECT_TRUE(TryStrToTime(u"14:07:09.5", t, inv));
  EXPECT_EQ(t, EncodeTime(14, 7, 9, 500));
  EXPECT_TRUE(TryStrToTime(u"2:07 PM", t, inv));
  EXPECT_EQ(t, EncodeTime(14, 7, 0, 0));
  EXPECT_TRUE(TryStrToTime(u"12:00 am", t, inv));
  EXPECT_EQ(t, 0.0);
  EXPECT_TRUE(TryStrToTime(u"12:30 PM", t, inv));
  EXPECT_EQ(t, EncodeTime(12, 30, 0, 0));
  EXPECT_TRUE(TryStrToTime(u"7 pm", t, inv));
  EXPECT_EQ(t, EncodeTime(19, 0, 0, 0));
  for (const char16_t* bad : {u"14", u"24:00", u"13:00 PM", u"0:00 AM", u"12:60", u"12:", u"12:00:",
                              u"12:00:00.", u"12:00 XM", u""}) {
    TDateTime x = 42;
    EXPECT_FALSE(TryStrToTime(bad, x, inv)) << StringToUtf8(bad);
    EXPECT_EQ(x, 42);
  }
}

TEST(DateUtilsParse, DateAndTimeTogether) {
  const auto inv = TFormatSettings::Invariant();
  TDateTime v = 0;
  EXPECT_TRUE(TryStrToDateTime(u"03/05/2024 14:07:09", v, inv));
  EXPECT_EQ(Stamp(v), u"2024-03-05 14:07:09.000");
  EXPECT_TRUE(TryStrToDateTime(u"03/05/2024", v, inv));
  EXPECT_EQ(v, EncodeDate(2024, 3, 5));
  EXPECT_TRUE(TryStrToDateTime(u"14:07", v, inv));
  EXPECT_EQ(v, EncodeTime(14, 7, 0, 0));
  EXPECT_TRUE(TryStrToDateTime(u"12/29/1899 06:00", v, inv));
  EXPECT_EQ(v, -1.25);
  // What DateTimeToStr writes reads back.
  const TDateTime w = EncodeDateTime(1999, 12, 31, 23, 59, 58, 0);
  EXPECT_EQ(StrToDateTime(DateTimeToStr(w, inv), inv), w);
}

TEST(DateUtilsNow, TodayHoldsTheCurrentMoment) {
  const TDateTime today = Date();
  const TDateTime now = Now();
  EXPECT_EQ(today, std::trunc(today));
  EXPECT_GE(now, today);
  EXPECT_LT(now, today + 1.0 + 1.0 / 86400);
  EXPECT_GT(YearOf(now), 2020);
  EXPECT_GE(Time(), 0.0);
  EXPECT_LT(Time(), 1.0);
}

// ---------------------------------------------------------------------------
// Stopwatch
// ---------------------------------------------------------------------------
TEST(StopwatchState, ZeroFilledWatchIsStoppedAtZero) {
  TStopwatch watches[3];
  std::memset(static_cast<void*>(watches), 0, sizeof watches);
  for (const auto& w : watches) {
    EXPECT_FALSE(w.IsRunning());
    EXPECT_EQ(w.ElapsedTicks(), 0);
    EXPECT_EQ(w.ElapsedMilliseconds(), 0);
  }
  watches[1].Start();
  EXPECT_TRUE(watches[1].IsRunning());
  const TStopwatch created = TStopwatch::Create();
  EXPECT_FALSE(created.IsRunning());
  EXPECT_EQ(created.ElapsedTicks(), 0);
}

TEST(StopwatchState, StopFreezesStartResumesResetClears) {
  TStopwatch w = TStopwatch::StartNew();
  EXPECT_TRUE(w.IsRunning());
  std::this_thread::sleep_for(std::chrono::milliseconds(15));
  w.Stop();
  const Int64 frozen = w.ElapsedTicks();
  EXPECT_GE(w.ElapsedMilliseconds(), 15);
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(w.ElapsedTicks(), frozen);
  w.Stop();  // stopping twice changes nothing
  EXPECT_EQ(w.ElapsedTicks(), frozen);
  w.Start();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_GE(w.ElapsedTicks(), frozen + 5 * TStopwatch::Frequency / 1000);
  w.Start();  // starting a running watch does not restart it
  EXPECT_GE(w.ElapsedTicks(), frozen);
  w.Reset();
  EXPECT_FALSE(w.IsRunning());
  EXPECT_EQ(w.ElapsedTicks(), 0);
  w.Restart();
  EXPECT_TRUE(w.IsRunning());
  EXPECT_LT(w.ElapsedTicks(), frozen);
  EXPECT_NEAR(w.ElapsedSeconds(), 0.0, 1.0);
}

TEST(StopwatchState, ReadingsNeverGoBackwards) {
  TStopwatch w = TStopwatch::StartNew();
  Int64 last = 0;
  Int64 stamp = TStopwatch::GetTimeStamp();
  for (int i = 0; i < 10000; ++i) {
    const Int64 e = w.ElapsedTicks();
    ASSERT_GE(e, last);
    last = e;
    const Int64 s = TStopwatch::GetTimeStamp();
    ASSERT_GE(s, stamp);
    stamp = s;
  }
}

}  // namespace sk
