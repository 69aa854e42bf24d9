// Dates and times as TDateTime: days since 1899-12-30 with the time of day
// as the fraction.  Before that day the value is negative and the fraction
// still holds the time as a positive magnitude (-1.25 is 1899-12-29 06:00).
#pragma once

#include "platform/runtime/FormatSettings.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

constexpr TDateTime MinDateTime = -693593.0;           // 0001-01-01 00:00
constexpr TDateTime MaxDateTime = 2958465.99999999;    // 9999-12-31 end of day
constexpr Int32 DateDelta = 693594;                    // days from 0001-01-01 to 1899-12-31

constexpr Word HoursPerDay = 24;
constexpr Word MinsPerHour = 60;
constexpr Word SecsPerMin = 60;
constexpr Word MSecsPerSec = 1000;
constexpr Int32 MinsPerDay = 24 * 60;
constexpr Int32 SecsPerDay = 24 * 60 * 60;
constexpr Int32 MSecsPerDay = 24 * 60 * 60 * 1000;
constexpr Word DaysPerWeek = 7;
constexpr Word MonthsPerYear = 12;

// Civil date <-> days since 1970-01-01 in the proleptic Gregorian calendar,
// for any year (no range check): the arithmetic under the date routines and
// the file-time conversions.
constexpr Int64 DaysFromCivil(Int64 y, unsigned m, unsigned d) {
  y -= m <= 2;
  const Int64 era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<Int64>(doe) - 719468;
}

constexpr void CivilFromDays(Int64 z, Int64& y, unsigned& m, unsigned& d) {
  z += 719468;
  const Int64 era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<Int64>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
}

// Day of week constants for DayOfTheWeek (ISO numbering, Monday = 1).
constexpr Word DayMonday = 1;
constexpr Word DayTuesday = 2;
constexpr Word DayWednesday = 3;
constexpr Word DayThursday = 4;
constexpr Word DayFriday = 5;
constexpr Word DaySaturday = 6;
constexpr Word DaySunday = 7;

bool IsLeapYear(Word year);
Word DaysInAMonth(Word year, Word month);
Word DaysInAYear(Word year);
Word DaysInMonth(TDateTime v);
Word DaysInYear(TDateTime v);
bool IsValidDate(Word year, Word month, Word day);
bool IsValidTime(Word hour, Word min, Word sec, Word msec);
bool IsValidDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec, Word msec);

TDateTime EncodeDate(Word year, Word month, Word day);  // EConvertError "Invalid argument to date encode"
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& out);
void DecodeDate(TDateTime v, Word& year, Word& month, Word& day);
bool DecodeDateFully(TDateTime v, Word& year, Word& month, Word& day, Word& dow);
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec);  // EConvertError "Invalid argument to time encode"
bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& out);
void DecodeTime(TDateTime v, Word& hour, Word& min, Word& sec, Word& msec);
TDateTime EncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec, Word msec);
bool TryEncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec, Word msec,
                       TDateTime& out);
void DecodeDateTime(TDateTime v, Word& year, Word& month, Word& day, Word& hour, Word& min,
                    Word& sec, Word& msec);

TDateTime Now();
TDateTime Date();
TDateTime Time();
TDateTime Today();
TDateTime Yesterday();
TDateTime Tomorrow();

// Mask letters: d dd ddd dddd ddddd dddddd m mm mmm mmmm yy yyyy h hh n nn
// s ss z zzz t tt am/pm a/p ampm c / : and "quoted" / 'quoted' literals; an
// m right after h or hh means minutes.  An empty mask is "c".
String FormatDateTime(const String& fmt, TDateTime v);
String FormatDateTime(const String& fmt, TDateTime v, const TFormatSettings& settings);
String DateToStr(TDateTime v);
String DateToStr(TDateTime v, const TFormatSettings& settings);
String TimeToStr(TDateTime v);
String TimeToStr(TDateTime v, const TFormatSettings& settings);
String DateTimeToStr(TDateTime v);
String DateTimeToStr(TDateTime v, const TFormatSettings& settings);

// Parsing follows the order of y, m and d in ShortDateFormat and the settings'
// separators; a missing year is the current one, two-digit years use the
// century window.  Failures raise EConvertError "'%s' is not a valid date",
// "... time" or "... date and time".
TDateTime StrToDate(const String& s);
TDateTime StrToDate(const String& s, const TFormatSettings& settings);
TDateTime StrToDateDef(const String& s, TDateTime def);
TDateTime StrToDateDef(const String& s, TDateTime def, const TFormatSettings& settings);
bool TryStrToDate(const String& s, TDateTime& out);
bool TryStrToDate(const String& s, TDateTime& out, const TFormatSettings& settings);
TDateTime StrToTime(const String& s);
TDateTime StrToTime(const String& s, const TFormatSettings& settings);
bool TryStrToTime(const String& s, TDateTime& out);
bool TryStrToTime(const String& s, TDateTime& out, const TFormatSettings& settings);
TDateTime StrToDateTime(const String& s);
TDateTime StrToDateTime(const String& s, const TFormatSettings& settings);
TDateTime StrToDateTimeDef(const String& s, TDateTime def);
TDateTime StrToDateTimeDef(const String& s, TDateTime def, const TFormatSettings& settings);
bool TryStrToDateTime(const String& s, TDateTime& out);
bool TryStrToDateTime(const String& s, TDateTime& out, const TFormatSettings& settings);

// Adds months keeping the time of day; the day is clamped to the month's end.
TDateTime IncMonth(TDateTime v, Int32 n = 1);
TDateTime IncYear(TDateTime v, Int32 n = 1);
TDateTime IncWeek(TDateTime v, Int32 n = 1);
TDateTime IncDay(TDateTime v, Int32 n = 1);
TDateTime IncHour(TDateTime v, Int64 n = 1);
TDateTime IncMinute(TDateTime v, Int64 n = 1);
TDateTime IncSecond(TDateTime v, Int64 n = 1);
TDateTime IncMilliSecond(TDateTime v, Int64 n = 1);

// Whole units in the absolute span between two moments.
Int64 YearsBetween(TDateTime a, TDateTime b);
Int64 MonthsBetween(TDateTime a, TDateTime b);
Int64 WeeksBetween(TDateTime a, TDateTime b);
Int64 DaysBetween(TDateTime a, TDateTime b);
Int64 HoursBetween(TDateTime a, TDateTime b);
Int64 MinutesBetween(TDateTime a, TDateTime b);
Int64 SecondsBetween(TDateTime a, TDateTime b);
Int64 MilliSecondsBetween(TDateTime a, TDateTime b);
// Fractional units in the absolute span.
Double YearSpan(TDateTime a, TDateTime b);
Double MonthSpan(TDateTime a, TDateTime b);
Double WeekSpan(TDateTime a, TDateTime b);
Double DaySpan(TDateTime a, TDateTime b);
Double HourSpan(TDateTime a, TDateTime b);
Double MinuteSpan(TDateTime a, TDateTime b);
Double SecondSpan(TDateTime a, TDateTime b);
Double MilliSecondSpan(TDateTime a, TDateTime b);

TDateTime StartOfTheYear(TDateTime v);
TDateTime EndOfTheYear(TDateTime v);
TDateTime StartOfAYear(Word year);
TDateTime EndOfAYear(Word year);
TDateTime StartOfTheMonth(TDateTime v);
TDateTime EndOfTheMonth(TDateTime v);
TDateTime StartOfAMonth(Word year, Word month);
TDateTime EndOfAMonth(Word year, Word month);
TDateTime StartOfTheWeek(TDateTime v);  // Monday 00:00
TDateTime EndOfTheWeek(TDateTime v);    // Sunday 23:59:59.999
TDateTime StartOfTheDay(TDateTime v);
TDateTime EndOfTheDay(TDateTime v);
TDateTime StartOfADay(Word year, Word month, Word day);
TDateTime EndOfADay(Word year, Word month, Word day);

Word YearOf(TDateTime v);
Word MonthOf(TDateTime v);
Word WeekOf(TDateTime v);
Word DayOf(TDateTime v);
Word HourOf(TDateTime v);
Word MinuteOf(TDateTime v);
Word SecondOf(TDateTime v);
Word MilliSecondOf(TDateTime v);
Word DayOfWeek(TDateTime v);     // 1 = Sunday .. 7 = Saturday
Word DayOfTheWeek(TDateTime v);  // 1 = Monday .. 7 = Sunday
Word DayOfTheMonth(TDateTime v);
Word DayOfTheYear(TDateTime v);
Word MonthOfTheYear(TDateTime v);
// ISO 8601 week number (weeks start on Monday, week 1 holds the first Thursday).
Word WeekOfTheYear(TDateTime v);
Word WeekOfTheYear(TDateTime v, Word& year);
Word WeeksInAYear(Word year);

TDateTime RecodeYear(TDateTime v, Word year);
TDateTime RecodeMonth(TDateTime v, Word month);
TDateTime RecodeDay(TDateTime v, Word day);
TDateTime RecodeTime(TDateTime v, Word hour, Word min, Word sec, Word msec);

TDateTime DateOf(TDateTime v);
TDateTime TimeOf(TDateTime v);
bool SameDate(TDateTime a, TDateTime b);
bool SameTime(TDateTime a, TDateTime b);
bool SameDateTime(TDateTime a, TDateTime b);
bool IsSameDay(TDateTime v, TDateTime basis);
Int32 CompareDate(TDateTime a, TDateTime b);
Int32 CompareTime(TDateTime a, TDateTime b);
Int32 CompareDateTime(TDateTime a, TDateTime b);

// A moment split into whole days and milliseconds: Date counts days with
// 0001-01-01 as day 1, Time the milliseconds since midnight.  Unlike a
// TDateTime it is linear across 1899-12-30, so arithmetic on it is safe.
struct TTimeStamp {
  Int32 Time = 0;
  Int32 Date = 0;
};

// Raise EConvertError for NaN, infinities and values outside
// MinDateTime .. MaxDateTime (and for stamps out of range).
TTimeStamp DateTimeToTimeStamp(TDateTime v);
TDateTime TimeStampToDateTime(const TTimeStamp& ts);
// Date x MSecsPerDay + Time: linear milliseconds (0001-01-01 00:00 is one day).
Int64 TimeStampToMSecs(const TTimeStamp& ts);
TTimeStamp MSecsToTimeStamp(Int64 msecs);
Int64 DateTimeToMSecs(TDateTime v);
TDateTime MSecsToDateTime(Int64 msecs);

// Astronomical Julian day number (days since noon of 1 January 4713 BC,
// proleptic Julian calendar) of a date-time, and back.
Double DateTimeToJulianDate(TDateTime v);
TDateTime JulianDateToDateTime(Double jd);  // EConvertError when out of range
bool TryJulianDateToDateTime(Double jd, TDateTime& out);

}  // namespace sk
