#include "core/Juliandateroutines.h"

#include <sys/stat.h>

#include <climits>
#include <cmath>
#include <ctime>
#include <limits>
#include <memory>

#include "core/Generalruntime1const.h"
#include "core/Generalruntime2const.h"
#include "core/Global_vars.h"
#include "core/UnitCounter.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/RtlMath.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/Strings.h"

namespace sk {

SK_COUNTER_ONLY_UNIT(Juliandateroutines)

constinit const TResStringRec _QMUnknown_date_str{63707, u"<no date found>", "_QMUnknown_date_str"};

namespace {

// Julian day number of 1899-12-30 00:00, day 0 of the date-times.
constexpr Double kJulianOfDayZero = 2415018.5;
// Day number (days since 1899-12-30) of 1970-01-01.
constexpr Int64 kDayNumberOf1970 = 25569;
// Beyond this many days from day 0 a date-time cannot be split: the calendar
// routines count days in 32 bits.
constexpr Double kLargestSplittableDay = 2147483647.0 - 693594.0;
// Years accepted as a date by YearMonthDayToDate.
constexpr Int64 kLargestYear = 9999;

const char16_t* const kUnknownDateText = u"??";

// ---- proleptic Gregorian day counting, valid for any year ----

bool IsLeap(Int64 y) { return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0); }

Int32 DaysOfMonth(Int64 y, Int64 m) {
  static constexpr Int32 kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m < 1 || m > 12) return 31;
  return (m == 2 && IsLeap(y)) ? 29 : kDays[m - 1];
}

bool IsCalendarDate(Int64 y, Int64 m, Int64 d) {
  return m >= 1 && m <= 12 && d >= 1 && d <= DaysOfMonth(y, m);
}

// Days since 1899-12-30 of a calendar date (which the caller has checked).
Int64 DayNumber(Int64 y, Int64 m, Int64 d) {
  y -= m <= 2 ? 1 : 0;
  const Int64 era = (y >= 0 ? y : y - 399) / 400;
  const Int64 yoe = y - era * 400;
  const Int64 doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const Int64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + kDayNumberOf1970;
}

void CalendarDate(Int64 dayNumber, Int64& y, Int64& m, Int64& d) {
  const Int64 z = dayNumber - kDayNumberOf1970 + 719468;
  const Int64 era = (z >= 0 ? z : z - 146096) / 146097;
  const Int64 doe = z - era * 146097;
  const Int64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const Int64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const Int64 mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = yoe + era * 400 + (m <= 2 ? 1 : 0);
}

// A date-time is its day number with the time of day as a fraction whose
// magnitude is the time also before day 0 (-1.25 is 1899-12-29 06:00).
bool SplitDateTime(TDateTime dt, Int64& day, Double& time) {
  if (!std::isfinite(dt) || std::fabs(dt) > kLargestSplittableDay) return false;
  const Double whole = std::trunc(dt);
  day = static_cast<Int64>(whole);
  time = std::fabs(dt - whole);
  return true;
}

TDateTime JoinDateTime(Int64 day, Double time) {
  return day >= 0 ? static_cast<Double>(day) + time : static_cast<Double>(day) - time;
}

TDateTime JulianToDateTime(Double jd) {
  const Double linear = jd - kJulianOfDayZero;
  if (!std::isfinite(linear)) return linear;
  const Double day = std::floor(linear);
  return JoinDateTime(static_cast<Int64>(day), linear - day);
}

TYearMonthDay MakeYMD(Int64 y, Int64 m, Int64 d) {
  TYearMonthDay r;
  r.year = static_cast<Int32>(y);
  r.month = static_cast<Int32>(m);
  r.day = static_cast<Int32>(d);
  return r;
}

TYearMonthDay TodayYMD() {
  Int64 y = 0, m = 0, d = 0;
  CalendarDate(static_cast<Int64>(std::trunc(Date())), y, m, d);
  return MakeYMD(y, m, d);
}

// The Julian number of a true date moved `offset` years later; the shifted
// year must lie in 1..9999 (the range in which stored timeline dates live).
// 0.0 when it is not a date.  The two calendars differ in leap years (4,500 is
// not a multiple of 400): 29 February of a true leap year whose shifted year
// has no such day (1600, 2000, 2400 ...) is stored as 28 February rather than
// lost as "no date".
Double JulianOfShiftedDate(Int64 trueYear, Int32 month, Int32 day, Int64 offset) {
  month = EnsureRange(month, 1, 12);
  day = EnsureRange(day, 1, 31);
  const Int64 year = trueYear + offset;
  if (year < 1 || year > kLargestYear) return 0.0;
  if (!IsCalendarDate(year, month, day)) {
    if (offset == 0 || month != 2 || day != 29 || !IsCalendarDate(trueYear, 2, 29)) return 0.0;
    day = 28;
  }
  return static_cast<Double>(DayNumber(year, month, day)) + kJulianOfDayZero;
}

// a + b kept inside the 32-bit range, so that stepping a date at the edge of
// the range stops there instead of overflowing.
Int32 Stepped(Int32 a, Int64 b) {
  return static_cast<Int32>(EnsureRange<Int64>(static_cast<Int64>(a) + b, INT32_MIN, INT32_MAX));
}

// The next month, into the next year after December (the day is kept).
void StepToNextMonth(TYearMonthDay& r) {
  r.month = Stepped(r.month, 1);
  if (r.month > 12) {
    r.year = Stepped(r.year, 1);
    r.month = 1;
  }
}

// The last day of the previous month, into the previous year before January.
void StepToEndOfPreviousMonth(TYearMonthDay& r) {
  r.month = Stepped(r.month, -1);
  if (r.month < 1) {
    r.month = 12;
    r.year = Stepped(r.year, -1);
  }
  r.day = DaysOfMonth(r.year, r.month);
}

bool YearBasis(TTimeLineDisplayBasis basis) {
  return basis == tlpb_millennia || basis == tlpb_centuries || basis == tlpb_decades ||
         basis == tlpb_years;
}

// Order of whole dates: year, then month, then day.
Int32 CompareYMD(const TYearMonthDay& a, const TYearMonthDay& b) {
  if (a.year != b.year) return a.year < b.year ? -1 : 1;
  if (a.month != b.month) return a.month < b.month ? -1 : 1;
  if (a.day != b.day) return a.day < b.day ? -1 : 1;
  return 0;
}

bool IsClearedYear(const TYearMonthDay& ymd) { return ymd.year == -4001; }

String FormatTrueYMD(const TYearMonthDay& ymd, TTimeLineDisplayBasis basis, bool abbreviated) {
  if (IsClearedYear(ymd)) return kUnknownDateText;
  return abbreviated ? AbbreviatedYearMonthDayAsString(ymd, basis)
                     : YearMonthDayAsString(ymd, basis);
}

// The date a user typed: "yyyy", "yyyy?mm" or "yyyy?mm?dd".
TYMDAndBasis ParsedTypedDate(const String& s) {
  TYMDAndBasis result;
  result.ymd = AClearYearMonthDayRec();
  result.basis = tlpb_unknown;
  const String t = Trim(s);
  if (t.size() < 4 || t.find(u'<') != String::npos) return result;
  const String unknown = LoadResString(&_QMUnknown_date_str);
  if (!unknown.empty() && t.find(unknown) != String::npos) return result;
  Int32 y = 0, m = 0, d = 0;
  switch (t.size()) {
    case 4:
      if (TryStrToInt(t, y)) {
        result.ymd.year = y;
        result.basis = tlpb_years;
      }
      break;
    case 7:
      if (TryStrToInt(Copy(t, 1, 4), y) && TryStrToInt(Copy(t, 6, 2), m)) {
        result.ymd.year = y;
        result.ymd.month = m;
        result.basis = tlpb_months;
      }
      break;
    case 10:
      if (TryStrToInt(Copy(t, 1, 4), y) && TryStrToInt(Copy(t, 6, 2), m) &&
          TryStrToInt(Copy(t, 9, 2), d)) {
        result.ymd = MakeYMD(y, m, d);
        result.basis = tlpb_days;
      }
      break;
    default:
      break;
  }
  return result;
}

bool IsDateField(Char c) { return c == u'y' || c == u'm' || c == u'd' || c == u'h' || c == u'n'; }

size_t RunLength(const String& fmt, size_t i) {
  size_t j = i;
  while (j < fmt.size() && fmt[j] == fmt[i]) ++j;
  return j - i;
}

// The day of a file's last write in UTC as "yyyy mm dd"; empty when the file
// cannot be examined. The name goes to the system as the bytes it was listed
// under, so that a name that is not UTF-8 reaches its file.
String LastWriteDayUTC(const String& fileName) {
  struct stat st {};
  if (fileName.empty() || stat(StringToSystemName(fileName).c_str(), &st) != 0) return String();
  std::tm utc{};
  const time_t seconds = st.st_mtim.tv_sec;
  if (gmtime_r(&seconds, &utc) == nullptr) return String();
  return Format(u"%.4d %.2d %.2d", {utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday});
}

// The Julian number of a "yyyy mm dd" key; 0.0 when it is not a date.
Double JulianOfDayKey(const String& key) {
  Int32 y = 0, m = 0, d = 0;
  if (key.size() != 10 || !TryStrToInt(Copy(key, 1, 4), y) || !TryStrToInt(Copy(key, 6, 2), m) ||
      !TryStrToInt(Copy(key, 9, 2), d) || !IsCalendarDate(y, m, d))
    return 0.0;
  return YearMonthDayToJulianDateSemConvertir(MakeYMD(y, m, d));
}

const TStringList* FilesOfLine(const TStringList* list, Int32 i) {
  return dynamic_cast<const TStringList*>(list->GetObject(i));
}

}  // namespace

// ---------------------------------------------------------------------------

Int32 YearWithConstSubtracted(Int32 y) { return y - julian_years_offset_const; }

void ClearAYearMonthDayRec(TYearMonthDay& ymd) { ymd = MakeYMD(-4001, 1, 1); }

TYearMonthDay AClearYearMonthDayRec() { return MakeYMD(-4001, 1, 1); }

// ---- conversions ----

Double YearMonthDayToJulianAddingConst(const TYearMonthDay& ymd) {
  return JulianOfShiftedDate(ymd.year, ymd.month, ymd.day, julian_years_offset_const);
}

Double YearMonthDayToJulianDateSemConvertir(const TYearMonthDay& ymd) {
  return JulianOfShiftedDate(ymd.year, ymd.month, ymd.day, 0);
}

Double DateTimeToJulianAddingConst(TDateTime dt) {
  Int64 day = 0;
  Double time = 0;
  if (!SplitDateTime(dt, day, time)) return 0.0;
  Int64 y = 0, m = 0, d = 0;
  CalendarDate(day, y, m, d);
  return JulianOfShiftedDate(y, static_cast<Int32>(m), static_cast<Int32>(d), julian_years_offset_const);
}

TYearMonthDay JulianDateToYearMonthDay(Double jd, bool removeConst) {
  if (jd == 0.0) return TodayYMD();
  return DateToYearMonthDay(JulianToDateTime(jd), removeConst);
}

TYearMonthDay JulianDateToYearMonthDaySemConvertir(Double jd) {
  return JulianDateToYearMonthDay(jd, false);
}

TDateTime MyJulianDateToDateTime(Double jd, bool removeConst) {
  if (jd == 0.0) return 0.0;
  const TDateTime dt = JulianToDateTime(jd);
  if (!removeConst) return dt;
  Int64 day = 0;
  Double time = 0;
  if (!SplitDateTime(dt, day, time)) return dt;
  Int64 y = 0, m = 0, d = 0;
  CalendarDate(day, y, m, d);
  y -= julian_years_offset_const;
  // The two calendars differ in leap years (4,500 is not a multiple of 400):
  // a 29 February that the earlier year lacks becomes 28 February.
  d = Min<Int64>(d, DaysOfMonth(y, m));
  return JoinDateTime(DayNumber(y, m, d), time);
}

TYearMonthDay DateToYearMonthDay(TDateTime dt, bool removeConst) {
  if (dt > MaxDateTime) global_dates_Untrustworthy = true;
  Int64 day = 0;
  Double time = 0;
  if (!SplitDateTime(dt, day, time)) return TodayYMD();
  Int64 y = 0, m = 0, d = 0;
  CalendarDate(day, y, m, d);
  if (removeConst) y -= julian_years_offset_const;
  return MakeYMD(y, m, d);
}

TYearMonthDay DateToYearMonthDayRemovingConst(TDateTime dt) { return DateToYearMonthDay(dt, true); }

TDateTime YearMonthDayToDate(const TYearMonthDay& ymd) {
  if (std::abs(static_cast<Int64>(ymd.year)) > kLargestYear ||
      !IsCalendarDate(ymd.year, ymd.month, ymd.day))
    return Date();
  return static_cast<TDateTime>(DayNumber(ymd.year, ymd.month, ymd.day));
}

TDateTimeYMDrec TrueDateOfDate(Double jd) {
  TDateTimeYMDrec r;
  r.dt = MyJulianDateToDateTime(jd, true);
  r.ymd = DateToYearMonthDay(r.dt, false);
  return r;
}

Double MiddleOfTwoDates(Double a, Double b) { return (a + b) / 2; }

TYearMonthDay MiddleOfTwoYMDs(const TYearMonthDay& a, const TYearMonthDay& b) {
  return DateToYearMonthDay((YearMonthDayToDate(a) + YearMonthDayToDate(b)) / 2, false);
}

TYearMonthDay MiddleOfDateBandForBatchmode(const TYearMonthDay& ymd) {
  TYearMonthDay r = ymd;
  r.day = 15;
  if (Global_batch_mode == bm_year_batchfile) r.month = 7;
  return r;
}

void ExchangeTwoDateTimes(TDateTime& a, TDateTime& b) {
  const TDateTime t = a;
  a = b;
  b = t;
}

// ---- periods ----

Int32 PlotMultiplicand(TTimeLineDisplayBasis basis) {
  switch (basis) {
    case tlpb_millennia:
      return 1000;
    case tlpb_centuries:
      return 100;
    case tlpb_decades:
      return 10;
    default:
      return 1;
  }
}

TYearMonthDay IncrementedYMD(const TYearMonthDay& ymd, TTimeLineDisplayBasis basis) {
  TYearMonthDay r = ymd;
  switch (basis) {
    case tlpb_millennia:
    case tlpb_centuries:
    case tlpb_decades:
    case tlpb_years:
      r.year = Stepped(r.year, PlotMultiplicand(basis));
      break;
    case tlpb_months:
      StepToNextMonth(r);
      break;
    case tlpb_weeks:
      r = DateToYearMonthDay(YearMonthDayToDate(ymd) + DaysPerWeek, false);
      break;
    case tlpb_days:
      r.day = Stepped(r.day, 1);
      if (r.day > DaysOfMonth(r.year, r.month)) {
        StepToNextMonth(r);
        r.day = 1;
      }
      break;
    default:
      break;
  }
  return r;
}

TYearMonthDay RoundedDownYMD(const TYearMonthDay& ymd, TTimeLineDisplayBasis basis) {
  TYearMonthDay r = ymd;
  switch (basis) {
    case tlpb_millennia:
    case tlpb_centuries:
    case tlpb_decades:
    case tlpb_years:
      r = MakeYMD(Stepped(ymd.year, -1), 12, 31);
      break;
    case tlpb_months:
      StepToEndOfPreviousMonth(r);
      break;
    case tlpb_weeks:
    case tlpb_days:
      r.day = Stepped(r.day, -1);
      if (r.day < 1) StepToEndOfPreviousMonth(r);
      break;
    default:
      break;
  }
  return r;
}

TDateTime EdgeOfPeriod(TDateTime dt, TTimeLineDisplayBasis basis, TStartingOrFinishing which) {
  // A dt outside the calendar routines' range makes them raise (caught below).
  if (std::isnan(dt)) return dt;
  const bool start = which == t_starting;
  try {
    switch (basis) {
      case tlpb_millennia:
      case tlpb_centuries:
      case tlpb_decades:
      case tlpb_years: {
        const Int32 mult = PlotMultiplicand(basis);
        const Int32 y = (static_cast<Int32>(YearOf(dt)) / mult) * mult;
        if (y < 1 || y > kLargestYear) return dt;
        const Word year = static_cast<Word>(y);
        return start ? StartOfAYear(year) : EndOfAYear(year);
      }
      case tlpb_months:
        return start ? StartOfTheMonth(dt) : EndOfTheMonth(dt);
      case tlpb_weeks:
        return start ? StartOfTheWeek(dt) : EndOfTheWeek(dt);
      case tlpb_days:
        return start ? StartOfTheDay(dt) : EndOfTheDay(dt);
      default:
        return dt;
    }
  } catch (const Exception&) {
    // A dt outside the range of date-times has no period to give.
    return dt;
  }
}

std::vector<TYearMonthDay> ComputedAllPeriodsTrue(TTimeLineDisplayBasis basis, TDateTime start,
                                                  TDateTime finish) {
  std::vector<TYearMonthDay> result;
  TYearMonthDay current = DateToYearMonthDay(start, true);
  const bool steps = YearBasis(basis) || basis == tlpb_months || basis == tlpb_weeks ||
                     basis == tlpb_days;
  if (!steps) {
    result.push_back(current);
    return result;
  }
  const TYearMonthDay last = DateToYearMonthDay(finish, true);
  while (true) {
    result.push_back(current);
    const TYearMonthDay next = IncrementedYMD(current, basis);
    // A step that does not move forward would never reach the end.
    if (CompareYMD(next, current) <= 0) break;
    current = next;
    if (CompareYMD(current, last) > 0) break;
  }
  return result;
}

TDatePeriodDetails DatePeriodDetails(Int32 /*i1*/, Int32 /*i2*/, Double jd, Double /*d2*/,
                                     TTimeLineDisplayBasis basis) {
  TDatePeriodDetails r;
  r[0] = JulianDateToYearMonthDay(jd, true);
  r[2] = IncrementedYMD(r[0], basis);
  r[1] = MiddleOfTwoYMDs(r[0], r[2]);
  return r;
}

bool YearMonthDayWithin(const TYearMonthDay& ymd, const TYearMonthDay& low,
                        const TYearMonthDay& high) {
  return CompareYMD(low, ymd) <= 0 && CompareYMD(ymd, high) <= 0;
}

// ---- text ----

String TimeLineBasisFormatString(TTimeLineDisplayBasis basis) {
  switch (basis) {
    case tlpb_millennia:
    case tlpb_centuries:
    case tlpb_decades:
    case tlpb_years:
      return u"yyyy";
    case tlpb_months:
      return u"yyyy/mm";
    case tlpb_weeks:
    case tlpb_days:
      return u"yyyy/mm/dd";
    case tlpb_hours:
      return u"yyyy/mm/dd hh";
    default:
      return u"yyyy/mm/dd hh:nn";
  }
}

String YearMonthDayAsString(const TYearMonthDay& ymd, TTimeLineDisplayBasis basis) {
  // Month and day are formatted on a leap year, so that any day that some
  // year has is shown; the year is written separately to keep its sign.
  if (!IsCalendarDate(2000, ymd.month, ymd.day)) return kUnknownDateText;
  const TDateTime d = static_cast<TDateTime>(DayNumber(2000, ymd.month, ymd.day));
  const String rest =
      Copy(FormatDateTime(TimeLineBasisFormatString(basis), d, Global_StringToDateTimeFormat), 5);
  return Trim(Format(u"%5.4d", {ymd.year}) + rest);
}

String AbbreviatedYearMonthDayAsString(const TYearMonthDay& ymd, TTimeLineDisplayBasis basis) {
  if (ymd.year < 1 || ymd.year > kLargestYear || !IsCalendarDate(ymd.year, ymd.month, ymd.day))
    return kUnknownDateText;
  String mask;
  switch (basis) {
    case tlpb_millennia:
    case tlpb_centuries:
    case tlpb_decades:
      mask = u"yyyy";
      break;
    case tlpb_years:
      mask = u"yy";
      break;
    case tlpb_months:
      mask = u"mmm";
      break;
    case tlpb_weeks:
      // The date masks have no letter for the week: a mask "w" would label
      // every week with the same letter.  The week is shown by its number in
      // the year, numbered as the week starts of the timeline are.
      return IntToStr(WeekOfTheYear(static_cast<TDateTime>(DayNumber(ymd.year, ymd.month, ymd.day))));
    case tlpb_days:
      mask = u"d";
      break;
    case tlpb_hours:
      mask = u"h";
      break;
    default:
      mask = u"yy/mm/dd hh:nn";
      break;
  }
  const TDateTime d = static_cast<TDateTime>(DayNumber(ymd.year, ymd.month, ymd.day));
  return FormatDateTime(mask, d, Global_StringToDateTimeFormat);
}

String JulianToStringRemovingConst(Double jd, TTimeLineDisplayBasis basis, bool abbreviated) {
  if (jd == 0.0) return kUnknownDateText;  // no date
  return FormatTrueYMD(DateToYearMonthDay(JulianToDateTime(jd), true), basis, abbreviated);
}

String TimelineDataToJulianDateStr(Int32 i, const std::vector<TYearMonthDay>& dates,
                                   TTimeLineDisplayBasis basis, bool abbreviated) {
  if (i < 0 || static_cast<size_t>(i) >= dates.size()) return kUnknownDateText;
  const TYearMonthDay& first = dates[static_cast<size_t>(i)];
  const TYearMonthDay middle =
      MiddleOfTwoYMDs(first, RoundedDownYMD(IncrementedYMD(first, basis), basis));
  return FormatTrueYMD(middle, basis, abbreviated);
}

String TYrMmDyHrMnToString(const TYrMmDyHrMn& rec, const String& fmt) {
  String result;
  size_t i = 0;
  while (i < fmt.size()) {
    const Char c = fmt[i];
    if (!IsDateField(c)) {
      result += c;
      ++i;
      continue;
    }
    const size_t run = RunLength(fmt, i);
    i += run;
    if (c == u'y') {
      if (run == 2) result += Format(u"%.2d", {rec.year});
      else if (run == 4) result += Format(u"%.4d", {rec.year});
      continue;
    }
    Int32 value = 0;
    switch (c) {
      case u'm': value = rec.month; break;
      case u'd': value = rec.day; break;
      case u'h': value = rec.hour; break;
      default: value = rec.minute; break;
    }
    if (run == 1) result += Format(u"%d", {value});
    else if (run == 2) result += Format(u"%.2d", {value});
  }
  return result;
}

// ---- typed dates ----

TDateTime UserDateStrToDateTime(const String& s) {
  const TYearMonthDay ymd = ParsedTypedDate(s).ymd;
  if (ymd.year > 1600 && ymd.year <= kLargestYear && IsCalendarDate(ymd.year, ymd.month, ymd.day))
    return static_cast<TDateTime>(DayNumber(ymd.year, ymd.month, ymd.day));
  return Date();
}

TDoubleAndBasis UserStrDateAndTimeParsed(const String& s) {
  const TYMDAndBasis parsed = ParsedTypedDate(s);
  TDoubleAndBasis r;
  r.d = YearMonthDayToJulianAddingConst(parsed.ymd);
  r.basis = parsed.basis;
  return r;
}

TYrMmDyHrMn UsersStringToDate(const String& s, const String& fmt) {
  TYrMmDyHrMn r;
  if (s.size() != fmt.size()) return r;
  size_t i = 0;
  while (i < fmt.size()) {
    const Char c = fmt[i];
    if (!IsDateField(c)) {
      ++i;
      continue;
    }
    const size_t run = RunLength(fmt, i);
    const String field = s.substr(i, run);
    i += run;
    Int32 value = -1;
    const bool wantedLength = c == u'y' ? (run == 2 || run == 4) : (run == 1 || run == 2);
    if (!wantedLength || !TryStrToInt(field, value)) value = -1;
    else if (c == u'y' && run == 2) value += 2000;
    switch (c) {
      case u'y': r.year = value; break;
      case u'm': r.month = value; break;
      case u'd': r.day = value; break;
      case u'h': r.hour = value; break;
      default: r.minute = value; break;
    }
  }
  r.year = Max(r.year, 0);
  r.month = EnsureRange(r.month, 1, 12);
  r.day = EnsureRange(r.day, 1, 31);
  r.hour = EnsureRange(r.hour, 0, 23);
  r.minute = EnsureRange(r.minute, 0, 59);
  return r;
}

// ---- file dates ----

void AddAFileToDateAndTimeList(const String& fileName, TStringList* list) {
  if (list == nullptr) return;
  const String key = LastWriteDayUTC(fileName);
  if (key.empty()) return;
  const Int32 i = list->IndexOf(key);
  if (i < 0) {
    auto files = std::make_unique<TStringList>();
    files->Add(fileName);
    list->AddObject(key, files.get());
    files.release();  // the list owns its lines' lists
    return;
  }
  if (auto* files = dynamic_cast<TStringList*>(list->GetObject(i))) {
    files->Add(fileName);
  } else if (list->GetObject(i) == nullptr) {
    auto fresh = std::make_unique<TStringList>();
    fresh->Add(fileName);
    list->PutObject(i, fresh.release());
  }
}

bool SavedAlistOfFilesDatesAndGaps(const TStrings* folders, const TStringList* list,
                                   const String& fileName) {
  const String stars = StringOfChar(u'*', 50);
  TStringList report;
  TStringList gaps;
  report.Add(AnsiUpperCase(LoadResString(&_QMFolders)));
  if (folders != nullptr)
    for (Int32 i = 0; i < folders->Count(); ++i) report.Add(folders->Strings(i));
  report.Add(String());
  report.Add(AnsiUpperCase(LoadResString(&_QMFiles)));

  String previousKey;
  bool havePrevious = false;
  const Int32 lines = list != nullptr ? list->Count() : 0;
  for (Int32 i = 0; i < lines; ++i) {
    const String key = list->Strings(i);
    const TStringList* files = FilesOfLine(list, i);
    const Int32 n = files != nullptr ? files->Count() : 0;
    report.Add(Format(u"; %s (%d) %s", {key, n, stars}));
    for (Int32 j = 0; j < n; ++j) {
      report.Add(String(1, u'\t').append(files->Strings(j)));
      if (havePrevious) {
        const Double a = JulianOfDayKey(previousKey), b = JulianOfDayKey(key);
        if (a != 0.0 && b != 0.0) {
          const Int64 days = static_cast<Int64>(std::fabs(b - a));
          if (days > 4)
            gaps.Add(Format(u"; %d %s ", {days, LoadResString(&_QMDays)}) +
                     Format(LoadResString(&_QMBetweenXandY), {previousKey, key}));
        }
      }
      previousKey = key;
      havePrevious = true;
    }
  }
  report.Add(String());
  if (gaps.Count() > 0) {
    report.Add(String());
    report.Add(u"; " + AnsiUpperCase(LoadResString(&_QMGaps)) + u" " + stars);
    report.AddStrings(gaps);
    report.Add(String());
  }
  try {
    report.SaveToFile(fileName, TEncoding::Unicode());
  } catch (const Exception&) {
    return false;
  }
  return true;
}

}  // namespace sk
