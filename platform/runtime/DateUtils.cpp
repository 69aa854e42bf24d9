#include "platform/runtime/DateUtils.h"

#include <time.h>

#include <cmath>
#include <limits>

namespace sk {

namespace {

constexpr Int64 kMSecsPerDay = MSecsPerDay;
// Day numbers (TDateTime integer parts) of the first and last valid days.
constexpr Int64 kMinDay = -693593;   // 0001-01-01
constexpr Int64 kMaxDay = 2958465;   // 9999-12-31
// Days from 1970-01-01 to 1899-12-30.
constexpr Int64 kUnixDelta = -25569;

[[noreturn]] void RaiseDateEncode() { throw EConvertError(u"Invalid argument to date encode"); }
[[noreturn]] void RaiseTimeEncode() { throw EConvertError(u"Invalid argument to time encode"); }
[[noreturn]] void RaiseDecode() { throw EConvertError(u"Invalid argument to date decode"); }

// A moment as a day number (TDateTime integer part) and milliseconds.
struct TDayMs {
  Int64 day = 0;
  Int64 ms = 0;
};

bool TrySplit(TDateTime v, TDayMs& out) {
  if (!std::isfinite(v) || v <= static_cast<Double>(kMinDay - 1) ||
      v >= static_cast<Double>(kMaxDay + 1))
    return false;
  const Double t = std::trunc(v);
  Int64 day = static_cast<Int64>(t);
  Int64 ms = std::llround(std::fabs(v - t) * kMSecsPerDay);
  if (ms >= kMSecsPerDay) {
    // Rounding reached midnight: the moment belongs to the next day in the
    // direction of time. Before 1899-12-30 the fraction is still the time of
    // day (-1.75 is 1899-12-29 18:00), so the next day is day + 1 on both
    // sides of the epoch.
    const Int64 next = day + 1;
    if (next > kMaxDay) {
      ms = kMSecsPerDay - 1;
    } else {
      day = next;
      ms = 0;
    }
  }
  out.day = day;
  out.ms = ms;
  return true;
}

TDayMs Split(TDateTime v) {
  TDayMs r;
  if (!TrySplit(v, r)) RaiseDecode();
  return r;
}

// Day number and milliseconds back to a TDateTime (time as the magnitude of
// the fraction for days before 1899-12-30).
TDateTime Join(Int64 day, Int64 ms) {
  const Double t = static_cast<Double>(ms) / kMSecsPerDay;
  return day >= 0 ? static_cast<Double>(day) + t : static_cast<Double>(day) - t;
}

Int64 LinearMs(const TDayMs& x) { return (x.day - kMinDay) * kMSecsPerDay + x.ms; }

TDateTime FromLinearMs(Int64 ms) {
  if (ms < 0 || ms >= (kMaxDay - kMinDay + 1) * kMSecsPerDay) RaiseDecode();
  return Join(ms / kMSecsPerDay + kMinDay, ms % kMSecsPerDay);
}

// Continuous day count (no sign trick): 1899-12-29 06:00 is -0.75.
Double Linear(TDateTime v) {
  const Double t = std::trunc(v);
  return t + std::fabs(v - t);
}

struct TYmd {
  Word y, m, d;
};

TYmd DayToYmd(Int64 day) {
  Int64 y;
  unsigned m, d;
  CivilFromDays(day + kUnixDelta, y, m, d);
  return {static_cast<Word>(y), static_cast<Word>(m), static_cast<Word>(d)};
}

Int64 YmdToDay(Int64 y, unsigned m, unsigned d) { return DaysFromCivil(y, m, d) - kUnixDelta; }

// 1 = Monday .. 7 = Sunday; day 0 (1899-12-30) was a Saturday.
Word IsoDow(Int64 day) {
  Int64 r = (day + 5) % 7;
  if (r < 0) r += 7;
  return static_cast<Word>(r + 1);
}

const TFormatSettings& InvariantSettings() {
  static const TFormatSettings inv = TFormatSettings::Invariant();
  return inv;
}

const String& Or(const String& value, const String& fallback) {
  return value.empty() ? fallback : value;
}

TDateTime AddMonths(TDateTime v, Int64 months) {
  const TDayMs x = Split(v);
  const TYmd ymd = DayToYmd(x.day);
  const Int64 total = static_cast<Int64>(ymd.y) * 12 + (ymd.m - 1) + months;
  const Int64 y = total >= 0 ? total / 12 : (total - 11) / 12;
  const auto m = static_cast<Word>(total - y * 12 + 1);
  if (y < 1 || y > 9999) RaiseDateEncode();
  Word d = ymd.d;
  const Word dim = DaysInAMonth(static_cast<Word>(y), m);
  if (d > dim) d = dim;
  return Join(YmdToDay(y, m, d), x.ms);
}

TDateTime AddMs(TDateTime v, Int64 n, Int64 unit) {
  const Int64 limit = (kMaxDay - kMinDay + 1) * kMSecsPerDay / unit + 1;
  if (n > limit || n < -limit) RaiseDecode();
  return FromLinearMs(LinearMs(Split(v)) + n * unit);
}

Int64 AbsMsBetween(TDateTime a, TDateTime b) {
  const Int64 d = LinearMs(Split(a)) - LinearMs(Split(b));
  return d < 0 ? -d : d;
}

}  // namespace

// ---------------------------------------------------------------------------
// Calendar facts
// ---------------------------------------------------------------------------
bool IsLeapYear(Word year) { return (year % 4 == 0) && (year % 100 != 0 || year % 400 == 0); }

Word DaysInAMonth(Word year, Word month) {
  static constexpr Word kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return (month == 2 && IsLeapYear(year)) ? 29 : kDays[month - 1];
}

Word DaysInAYear(Word year) { return IsLeapYear(year) ? 366 : 365; }
Word DaysInMonth(TDateTime v) {
  const TYmd d = DayToYmd(Split(v).day);
  return DaysInAMonth(d.y, d.m);
}
Word DaysInYear(TDateTime v) { return DaysInAYear(DayToYmd(Split(v).day).y); }

bool IsValidDate(Word year, Word month, Word day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInAMonth(year, month);
}

bool IsValidTime(Word hour, Word min, Word sec, Word msec) {
  return hour < 24 && min < 60 && sec < 60 && msec < 1000;
}

bool IsValidDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec, Word msec) {
  return IsValidDate(year, month, day) && IsValidTime(hour, min, sec, msec);
}

// ---------------------------------------------------------------------------
// Encoding and decoding
// ---------------------------------------------------------------------------
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& out) {
  if (!IsValidDate(year, month, day)) return false;
  out = static_cast<Double>(YmdToDay(year, month, day));
  return true;
}

TDateTime EncodeDate(Word year, Word month, Word day) {
  TDateTime r;
  if (!TryEncodeDate(year, month, day, r)) RaiseDateEncode();
  return r;
}

void DecodeDate(TDateTime v, Word& year, Word& month, Word& day) {
  const TYmd d = DayToYmd(Split(v).day);
  year = d.y;
  month = d.m;
  day = d.d;
}

bool DecodeDateFully(TDateTime v, Word& year, Word& month, Word& day, Word& dow) {
  const Int64 dayNo = Split(v).day;
  const TYmd d = DayToYmd(dayNo);
  year = d.y;
  month = d.m;
  day = d.d;
  dow = static_cast<Word>(IsoDow(dayNo) % 7 + 1);
  return IsLeapYear(year);
}

bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& out) {
  if (!IsValidTime(hour, min, sec, msec)) return false;
  out = static_cast<Double>(hour * 3600000 + min * 60000 + sec * 1000 + msec) / kMSecsPerDay;
  return true;
}

TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec) {
  TDateTime r;
  if (!TryEncodeTime(hour, min, sec, msec, r)) RaiseTimeEncode();
  return r;
}

void DecodeTime(TDateTime v, Word& hour, Word& min, Word& sec, Word& msec) {
  Int64 ms = Split(v).ms;
  hour = static_cast<Word>(ms / 3600000);
  ms %= 3600000;
  min = static_cast<Word>(ms / 60000);
  ms %= 60000;
  sec = static_cast<Word>(ms / 1000);
  msec = static_cast<Word>(ms % 1000);
}

bool TryEncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec, Word msec,
                       TDateTime& out) {
  if (!IsValidDate(year, month, day) || !IsValidTime(hour, min, sec, msec)) return false;
  out = Join(YmdToDay(year, month, day), hour * 3600000 + min * 60000 + sec * 1000 + msec);
  return true;
}

TDateTime EncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec, Word msec) {
  TDateTime r;
  if (!IsValidDate(year, month, day)) RaiseDateEncode();
  if (!TryEncodeDateTime(year, month, day, hour, min, sec, msec, r)) RaiseTimeEncode();
  return r;
}

void DecodeDateTime(TDateTime v, Word& year, Word& month, Word& day, Word& hour, Word& min,
                    Word& sec, Word& msec) {
  DecodeDate(v, year, month, day);
  DecodeTime(v, hour, min, sec, msec);
}

// ---------------------------------------------------------------------------
// The present
// ---------------------------------------------------------------------------
TDateTime Now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm lt{};
  const time_t secs = ts.tv_sec;
  localtime_r(&secs, &lt);
  return Join(YmdToDay(lt.tm_year + 1900, static_cast<unsigned>(lt.tm_mon + 1),
                       static_cast<unsigned>(lt.tm_mday)),
              static_cast<Int64>(lt.tm_hour) * 3600000 + lt.tm_min * 60000 +
                  (lt.tm_sec > 59 ? 59 : lt.tm_sec) * 1000 + ts.tv_nsec / 1000000);
}

TDateTime Date() { return std::trunc(Now()); }
TDateTime Time() {
  const TDateTime now = Now();
  return now - std::trunc(now);
}
TDateTime Today() { return Date(); }
TDateTime Yesterday() { return Date() - 1; }
TDateTime Tomorrow() { return Date() + 1; }

// ---------------------------------------------------------------------------
// Time stamps and Julian days
// ---------------------------------------------------------------------------
TTimeStamp DateTimeToTimeStamp(TDateTime v) {
  const TDayMs x = Split(v);
  TTimeStamp ts;
  ts.Date = static_cast<Int32>(x.day + DateDelta);
  ts.Time = static_cast<Int32>(x.ms);
  return ts;
}

TDateTime TimeStampToDateTime(const TTimeStamp& ts) {
  const Int64 day = static_cast<Int64>(ts.Date) - DateDelta;
  if (day < kMinDay || day > kMaxDay || ts.Time < 0 || ts.Time >= kMSecsPerDay) RaiseDecode();
  return Join(day, ts.Time);
}

Int64 TimeStampToMSecs(const TTimeStamp& ts) {
  return static_cast<Int64>(ts.Date) * kMSecsPerDay + ts.Time;
}

TTimeStamp MSecsToTimeStamp(Int64 msecs) {
  if (msecs < 0 || msecs / kMSecsPerDay > std::numeric_limits<Int32>::max()) RaiseDecode();
  TTimeStamp ts;
  ts.Date = static_cast<Int32>(msecs / kMSecsPerDay);
  ts.Time = static_cast<Int32>(msecs % kMSecsPerDay);
  return ts;
}

Int64 DateTimeToMSecs(TDateTime v) { return TimeStampToMSecs(DateTimeToTimeStamp(v)); }
TDateTime MSecsToDateTime(Int64 msecs) { return TimeStampToDateTime(MSecsToTimeStamp(msecs)); }

namespace {
constexpr Double kJulianOf18991230 = 2415018.5;
}

Double DateTimeToJulianDate(TDateTime v) { return Linear(v) + kJulianOf18991230; }

bool TryJulianDateToDateTime(Double jd, TDateTime& out) {
  if (!std::isfinite(jd)) return false;
  const Double c = jd - kJulianOf18991230;
  if (c < static_cast<Double>(kMinDay) || c >= static_cast<Double>(kMaxDay + 1)) return false;
  const Double day = std::floor(c);
  const Double t = c - day;
  out = day >= 0 ? day + t : day - t;
  return true;
}

TDateTime JulianDateToDateTime(Double jd) {
  TDateTime r;
  if (!TryJulianDateToDateTime(jd, r)) throw EConvertError(u"Invalid Julian date");
  return r;
}

// ---------------------------------------------------------------------------
// Stepping
// ---------------------------------------------------------------------------
TDateTime IncMonth(TDateTime v, Int32 n) { return AddMonths(v, n); }
TDateTime IncYear(TDateTime v, Int32 n) { return AddMonths(v, static_cast<Int64>(n) * 12); }
TDateTime IncWeek(TDateTime v, Int32 n) { return AddMs(v, static_cast<Int64>(n) * 7, kMSecsPerDay); }
TDateTime IncDay(TDateTime v, Int32 n) { return AddMs(v, n, kMSecsPerDay); }
TDateTime IncHour(TDateTime v, Int64 n) { return AddMs(v, n, 3600000); }
TDateTime IncMinute(TDateTime v, Int64 n) { return AddMs(v, n, 60000); }
TDateTime IncSecond(TDateTime v, Int64 n) { return AddMs(v, n, 1000); }
TDateTime IncMilliSecond(TDateTime v, Int64 n) { return AddMs(v, n, 1); }

// ---------------------------------------------------------------------------
// Spans
// ---------------------------------------------------------------------------
Int64 MonthsBetween(TDateTime a, TDateTime b) {
  TDayMs lo = Split(a);
  TDayMs hi = Split(b);
  if (LinearMs(lo) > LinearMs(hi)) std::swap(lo, hi);
  const TYmd l = DayToYmd(lo.day);
  const TYmd h = DayToYmd(hi.day);
  Int64 k = (static_cast<Int64>(h.y) - l.y) * 12 + (static_cast<Int64>(h.m) - l.m);
  // Whole months: stepping the earlier moment k months (day clamped to the
  // month's end) must not pass the later one.
  const Word dim = DaysInAMonth(h.y, h.m);
  const TDayMs stepped{YmdToDay(h.y, h.m, l.d > dim ? dim : l.d), lo.ms};
  if (k > 0 && LinearMs(stepped) > LinearMs(hi)) --k;
  return k;
}

Int64 YearsBetween(TDateTime a, TDateTime b) { return MonthsBetween(a, b) / 12; }
Int64 WeeksBetween(TDateTime a, TDateTime b) { return AbsMsBetween(a, b) / (7 * kMSecsPerDay); }
Int64 DaysBetween(TDateTime a, TDateTime b) { return AbsMsBetween(a, b) / kMSecsPerDay; }
Int64 HoursBetween(TDateTime a, TDateTime b) { return AbsMsBetween(a, b) / 3600000; }
Int64 MinutesBetween(TDateTime a, TDateTime b) { return AbsMsBetween(a, b) / 60000; }
Int64 SecondsBetween(TDateTime a, TDateTime b) { return AbsMsBetween(a, b) / 1000; }
Int64 MilliSecondsBetween(TDateTime a, TDateTime b) { return AbsMsBetween(a, b); }

Double DaySpan(TDateTime a, TDateTime b) {
  return static_cast<Double>(AbsMsBetween(a, b)) / kMSecsPerDay;
}
Double YearSpan(TDateTime a, TDateTime b) { return DaySpan(a, b) / 365.25; }
Double MonthSpan(TDateTime a, TDateTime b) { return DaySpan(a, b) / 30.4375; }
Double WeekSpan(TDateTime a, TDateTime b) { return DaySpan(a, b) / 7; }
Double HourSpan(TDateTime a, TDateTime b) { return static_cast<Double>(AbsMsBetween(a, b)) / 3600000; }
Double MinuteSpan(TDateTime a, TDateTime b) { return static_cast<Double>(AbsMsBetween(a, b)) / 60000; }
Double SecondSpan(TDateTime a, TDateTime b) { return static_cast<Double>(AbsMsBetween(a, b)) / 1000; }
Double MilliSecondSpan(TDateTime a, TDateTime b) { return static_cast<Double>(AbsMsBetween(a, b)); }

// ---------------------------------------------------------------------------
// Starts and ends of periods
// ---------------------------------------------------------------------------
namespace {
constexpr Int64 kLastMs = kMSecsPerDay - 1;
TDateTime DayStart(Int64 day) { return Join(day, 0); }
TDateTime DayEnd(Int64 day) { return Join(day, kLastMs); }
}  // namespace

TDateTime StartOfAYear(Word year) { return DayStart(static_cast<Int64>(EncodeDate(year, 1, 1))); }
TDateTime EndOfAYear(Word year) { return DayEnd(static_cast<Int64>(EncodeDate(year, 12, 31))); }
TDateTime StartOfTheYear(TDateTime v) { return StartOfAYear(YearOf(v)); }
TDateTime EndOfTheYear(TDateTime v) { return EndOfAYear(YearOf(v)); }

TDateTime StartOfAMonth(Word year, Word month) {
  return DayStart(static_cast<Int64>(EncodeDate(year, month, 1)));
}
TDateTime EndOfAMonth(Word year, Word month) {
  if (month < 1 || month > 12) RaiseDateEncode();
  return DayEnd(static_cast<Int64>(EncodeDate(year, month, DaysInAMonth(year, month))));
}
TDateTime StartOfTheMonth(TDateTime v) {
  const TYmd d = DayToYmd(Split(v).day);
  return StartOfAMonth(d.y, d.m);
}
TDateTime EndOfTheMonth(TDateTime v) {
  const TYmd d = DayToYmd(Split(v).day);
  return EndOfAMonth(d.y, d.m);
}

TDateTime StartOfTheWeek(TDateTime v) {
  const Int64 day = Split(v).day;
  Int64 start = day - (IsoDow(day) - 1);
  if (start < kMinDay) start = kMinDay;
  return DayStart(start);
}

TDateTime EndOfTheWeek(TDateTime v) {
  const Int64 day = Split(v).day;
  Int64 end = day + (7 - IsoDow(day));
  if (end > kMaxDay) end = kMaxDay;
  return DayEnd(end);
}

TDateTime StartOfTheDay(TDateTime v) { return DayStart(Split(v).day); }
TDateTime EndOfTheDay(TDateTime v) { return DayEnd(Split(v).day); }
TDateTime StartOfADay(Word year, Word month, Word day) {
  return DayStart(static_cast<Int64>(EncodeDate(year, month, day)));
}
TDateTime EndOfADay(Word year, Word month, Word day) {
  return DayEnd(static_cast<Int64>(EncodeDate(year, month, day)));
}

// ---------------------------------------------------------------------------
// Parts of a moment
// ---------------------------------------------------------------------------
Word YearOf(TDateTime v) { return DayToYmd(Split(v).day).y; }
Word MonthOf(TDateTime v) { return DayToYmd(Split(v).day).m; }
Word DayOf(TDateTime v) { return DayToYmd(Split(v).day).d; }
Word HourOf(TDateTime v) { return static_cast<Word>(Split(v).ms / 3600000); }
Word MinuteOf(TDateTime v) { return static_cast<Word>(Split(v).ms / 60000 % 60); }
Word SecondOf(TDateTime v) { return static_cast<Word>(Split(v).ms / 1000 % 60); }
Word MilliSecondOf(TDateTime v) { return static_cast<Word>(Split(v).ms % 1000); }
Word DayOfWeek(TDateTime v) { return static_cast<Word>(IsoDow(Split(v).day) % 7 + 1); }
Word DayOfTheWeek(TDateTime v) { return IsoDow(Split(v).day); }
Word DayOfTheMonth(TDateTime v) { return DayOf(v); }
Word MonthOfTheYear(TDateTime v) { return MonthOf(v); }

Word DayOfTheYear(TDateTime v) {
  const Int64 day = Split(v).day;
  const TYmd d = DayToYmd(day);
  return static_cast<Word>(day - YmdToDay(d.y, 1, 1) + 1);
}

Word WeekOfTheYear(TDateTime v, Word& year) {
  const Int64 day = Split(v).day;
  // The ISO week belongs to the year of its Thursday.
  const Int64 thursday = day - (IsoDow(day) - 1) + 3;
  Int64 y;
  unsigned m, d;
  CivilFromDays(thursday + kUnixDelta, y, m, d);
  year = static_cast<Word>(y);
  return static_cast<Word>((thursday - YmdToDay(y, 1, 1)) / 7 + 1);
}

Word WeekOfTheYear(TDateTime v) {
  Word y;
  return WeekOfTheYear(v, y);
}

Word WeekOf(TDateTime v) { return WeekOfTheYear(v); }

Word WeeksInAYear(Word year) {
  const Word jan1 = IsoDow(YmdToDay(year, 1, 1));
  return (jan1 == DayThursday || (jan1 == DayWednesday && IsLeapYear(year))) ? 53 : 52;
}

// ---------------------------------------------------------------------------
// Recoding and comparing
// ---------------------------------------------------------------------------
namespace {
TDateTime Recode(TDateTime v, int which, Word value) {
  const TDayMs x = Split(v);
  const TYmd d = DayToYmd(x.day);
  Word y = d.y, m = d.m, dd = d.d;
  if (which == 0) y = value;
  else if (which == 1) m = value;
  else dd = value;
  if (!IsValidDate(y, m, dd)) throw EConvertError(u"Invalid date recode");
  return Join(YmdToDay(y, m, dd), x.ms);
}
}  // namespace

TDateTime RecodeYear(TDateTime v, Word year) { return Recode(v, 0, year); }
TDateTime RecodeMonth(TDateTime v, Word month) { return Recode(v, 1, month); }
TDateTime RecodeDay(TDateTime v, Word day) { return Recode(v, 2, day); }

TDateTime RecodeTime(TDateTime v, Word hour, Word min, Word sec, Word msec) {
  if (!IsValidTime(hour, min, sec, msec)) throw EConvertError(u"Invalid time recode");
  return Join(Split(v).day, hour * 3600000 + min * 60000 + sec * 1000 + msec);
}

TDateTime DateOf(TDateTime v) { return std::trunc(v); }
TDateTime TimeOf(TDateTime v) { return std::fabs(v - std::trunc(v)); }

namespace {
constexpr Double kHalfMs = 0.5 / kMSecsPerDay;
Int32 CompareWithin(Double a, Double b, Double tolerance) {
  if (std::fabs(a - b) < tolerance) return 0;
  return a < b ? -1 : 1;
}
}  // namespace

Int32 CompareDateTime(TDateTime a, TDateTime b) { return CompareWithin(Linear(a), Linear(b), kHalfMs); }
Int32 CompareDate(TDateTime a, TDateTime b) {
  const Double x = std::trunc(a);
  const Double y = std::trunc(b);
  return x == y ? 0 : (x < y ? -1 : 1);
}
Int32 CompareTime(TDateTime a, TDateTime b) { return CompareWithin(TimeOf(a), TimeOf(b), kHalfMs); }
bool SameDateTime(TDateTime a, TDateTime b) { return CompareDateTime(a, b) == 0; }
bool SameDate(TDateTime a, TDateTime b) { return CompareDate(a, b) == 0; }
bool SameTime(TDateTime a, TDateTime b) { return CompareTime(a, b) == 0; }
bool IsSameDay(TDateTime v, TDateTime basis) { return SameDate(v, basis); }

// ---------------------------------------------------------------------------
// FormatDateTime
// ---------------------------------------------------------------------------
namespace {

struct TFields {
  Word y, m, d, h, n, s, z;
  Word dow;  // 1 = Sunday
  bool hasTime;
};

void AppendNumber(String& out, unsigned v, int minDigits) {
  char buf[12];
  int n = 0;
  do {
    buf[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  for (int i = n; i < minDigits; ++i) out.push_back(u'0');
  while (n > 0) out.push_back(static_cast<Char>(buf[--n]));
}

inline Char Up(Char c) { return (c >= u'a' && c <= u'z') ? static_cast<Char>(c - 32) : c; }

bool MatchesText(const Char* p, const Char* end, const char* text) {
  for (; *text != 0; ++text, ++p) {
    if (p >= end || Up(*p) != static_cast<Char>(*text)) return false;
  }
  return true;
}

// Whether an am/pm marker follows before the next hour field.
bool TwelveHourClock(const Char* p, const Char* end) {
  Char quote = 0;
  for (; p < end; ++p) {
    const Char c = *p;
    if (quote != 0) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == u'"' || c == u'\'') quote = c;
    else if (c == u'h' || c == u'H') return false;
    else if ((c == u'a' || c == u'A') &&
             (MatchesText(p, end, "AM/PM") || MatchesText(p, end, "A/P") || MatchesText(p, end, "AMPM")))
      return true;
  }
  return false;
}

void AppendDateTime(String& out, const String& fmt, const TFields& f, const TFormatSettings& fs,
                    int depth) {
  const TFormatSettings& inv = InvariantSettings();
  const Char* p = fmt.data();
  const Char* const end = p + fmt.size();
  Char lastToken = 0;
  bool use12 = false;
  auto nested = [&](const String& mask, const String& fallback) {
    if (depth < 2) AppendDateTime(out, Or(mask, fallback), f, fs, depth + 1);
  };
  while (p < end) {
    const Char c = *p;
    Char token = Up(c);
    if (token >= u'A' && token <= u'Z') {
      if (token == u'M' && lastToken == u'H') token = u'N';
      lastToken = token;
    }
    // Length of the run of the same letter (either case).
    int count = 1;
    if (token >= u'A' && token <= u'Z') {
      while (p + count < end && Up(p[count]) == Up(c)) ++count;
    }
    switch (token) {
      case u'Y':
        if (count <= 2) AppendNumber(out, f.y % 100, 2);
        else AppendNumber(out, f.y, 4);
        p += count;
        break;
      case u'M':
        if (count <= 2) AppendNumber(out, f.m, count);
        else if (count == 3) out += Or(fs.ShortMonthNames[f.m - 1], inv.ShortMonthNames[f.m - 1]);
        else out += Or(fs.LongMonthNames[f.m - 1], inv.LongMonthNames[f.m - 1]);
        p += count;
        break;
      case u'D':
        if (count <= 2) AppendNumber(out, f.d, count);
        else if (count == 3) out += Or(fs.ShortDayNames[f.dow - 1], inv.ShortDayNames[f.dow - 1]);
        else if (count == 4) out += Or(fs.LongDayNames[f.dow - 1], inv.LongDayNames[f.dow - 1]);
        else if (count == 5) nested(fs.ShortDateFormat, inv.ShortDateFormat);
        else nested(fs.LongDateFormat, inv.LongDateFormat);
        p += count;
        break;
      case u'H': {
        use12 = TwelveHourClock(p + count, end);
        unsigned h = f.h;
        if (use12) {
          h %= 12;
          if (h == 0) h = 12;
        }
        AppendNumber(out, h, count >= 2 ? 2 : 1);
        p += count;
        break;
      }
      case u'N':
        AppendNumber(out, f.n, count >= 2 ? 2 : 1);
        p += count;
        break;
      case u'S':
        AppendNumber(out, f.s, count >= 2 ? 2 : 1);
        p += count;
        break;
      case u'Z':
        AppendNumber(out, f.z, count >= 3 ? 3 : 1);
        p += count;
        break;
      case u'T':
        if (count == 1) nested(fs.ShortTimeFormat, inv.ShortTimeFormat);
        else nested(fs.LongTimeFormat, inv.LongTimeFormat);
        p += count;
        break;
      case u'C':
        nested(fs.ShortDateFormat, inv.ShortDateFormat);
        if (f.hasTime) {
          out.push_back(u' ');
          nested(fs.LongTimeFormat, inv.LongTimeFormat);
        }
        p += count;
        break;
      case u'A':
        if (MatchesText(p, end, "AM/PM")) {
          // The mask's own letters, in their case.
          if (f.h >= 12) out.append(p + 3, p + 5);
          else out.append(p, p + 2);
          p += 5;
        } else if (MatchesText(p, end, "A/P")) {
          out.push_back(f.h >= 12 ? p[2] : p[0]);
          p += 3;
        } else if (MatchesText(p, end, "AMPM")) {
          out += f.h >= 12 ? Or(fs.TimePMString, inv.TimePMString) : Or(fs.TimeAMString, inv.TimeAMString);
          p += 4;
        } else {
          out.push_back(c);
          ++p;
        }
        break;
      default:
        if (c == u'/') {
          if (fs.DateSeparator != 0) out.push_back(fs.DateSeparator);
          ++p;
        } else if (c == u':') {
          if (fs.TimeSeparator != 0) out.push_back(fs.TimeSeparator);
          ++p;
        } else if (c == u'"' || c == u'\'') {
          const Char* q = p + 1;
          while (q < end && *q != c) ++q;
          out.append(p + 1, q);
          p = q < end ? q + 1 : end;
        } else {
          // Other letters and characters stand for themselves.
          out.append(p, p + count);
          p += count;
        }
        break;
    }
  }
}

TFields FieldsOf(TDateTime v) {
  const TDayMs x = Split(v);
  const TYmd d = DayToYmd(x.day);
  TFields f{};
  f.y = d.y;
  f.m = d.m;
  f.d = d.d;
  Int64 ms = x.ms;
  f.h = static_cast<Word>(ms / 3600000);
  f.n = static_cast<Word>(ms / 60000 % 60);
  f.s = static_cast<Word>(ms / 1000 % 60);
  f.z = static_cast<Word>(ms % 1000);
  f.dow = static_cast<Word>(IsoDow(x.day) % 7 + 1);
  f.hasTime = ms != 0;
  return f;
}

}  // namespace

String FormatDateTime(const String& fmt, TDateTime v, const TFormatSettings& settings) {
  const TFields f = FieldsOf(v);
  String out;
  out.reserve(fmt.size() + 16);
  AppendDateTime(out, fmt.empty() ? String(u"c") : fmt, f, settings, 0);
  return out;
}

String FormatDateTime(const String& fmt, TDateTime v) { return FormatDateTime(fmt, v, FormatSettings); }

String DateToStr(TDateTime v, const TFormatSettings& s) { return FormatDateTime(u"ddddd", v, s); }
String DateToStr(TDateTime v) { return DateToStr(v, FormatSettings); }
String TimeToStr(TDateTime v, const TFormatSettings& s) { return FormatDateTime(u"tt", v, s); }
String TimeToStr(TDateTime v) { return TimeToStr(v, FormatSettings); }
String DateTimeToStr(TDateTime v, const TFormatSettings& s) { return FormatDateTime(u"c", v, s); }
String DateTimeToStr(TDateTime v) { return DateTimeToStr(v, FormatSettings); }

// ---------------------------------------------------------------------------
// Parsing
// ---------------------------------------------------------------------------
namespace {

struct TScanner {
  const String& s;
  size_t i = 0;

  // Blanks, no-break spaces and direction marks (which locales put around
  // separators) between the parts.
  static bool IsBlank(Char c) {
    return c <= u' ' || c == 0x00A0 || c == 0x202F || c == 0x200E || c == 0x200F || c == 0x061C;
  }
  void SkipBlanks() {
    while (i < s.size() && IsBlank(s[i])) ++i;
  }
  bool AtEnd() {
    SkipBlanks();
    return i >= s.size();
  }
  // Up to nine digits; `digits` receives their count.
  bool Number(Int32& v, int& digits) {
    SkipBlanks();
    digits = 0;
    v = 0;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
      if (digits == 9) return false;
      v = v * 10 + (s[i] - u'0');
      ++digits;
      ++i;
    }
    return digits > 0;
  }
  bool Char1(Char c) {
    SkipBlanks();
    if (c != 0 && i < s.size() && s[i] == c) {
      ++i;
      return true;
    }
    return false;
  }
  bool Text(const String& t) {
    SkipBlanks();
    if (t.empty() || s.size() - i < t.size()) return false;
    for (size_t k = 0; k < t.size(); ++k) {
      if (Up(s[i + k]) != Up(t[k])) return false;
    }
    i += t.size();
    return true;
  }
};

enum TDateOrder { doMDY, doDMY, doYMD };

TDateOrder DateOrderOf(const String& fmt) {
  Char quote = 0;
  for (Char c : fmt) {
    if (quote != 0) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == u'"' || c == u'\'') {
      quote = c;
      continue;
    }
    switch (Up(c)) {
      case u'Y': return doYMD;
      case u'M': return doMDY;
      case u'D': return doDMY;
      default: break;
    }
  }
  return doMDY;
}

bool ScanDate(TScanner& sc, TDateTime& out, const TFormatSettings& fs) {
  const size_t start = sc.i;
  TDateOrder order = DateOrderOf(Or(fs.ShortDateFormat, InvariantSettings().ShortDateFormat));
  Int32 n1, n2, n3 = 0;
  int d1, d2, d3 = 0;
  if (!sc.Number(n1, d1) || !sc.Char1(fs.DateSeparator) || !sc.Number(n2, d2)) {
    sc.i = start;
    return false;
  }
  const bool three = sc.Char1(fs.DateSeparator) && sc.Number(n3, d3);
  if (!three && sc.i > 0 && sc.s[sc.i - 1] == fs.DateSeparator) {
    sc.i = start;
    return false;
  }
  Word curY, curM, curD;
  DecodeDate(Now(), curY, curM, curD);
  Int32 y, m, d;
  int yDigits;
  if (!three) {
    y = curY;
    yDigits = 4;
    if (order == doDMY) {
      d = n1;
      m = n2;
    } else {
      m = n1;
      d = n2;
    }
  } else {
    // A first number of three or more digits can only be a year.
    if (order != doYMD && d1 >= 3) order = doYMD;
    switch (order) {
      case doYMD: y = n1; yDigits = d1; m = n2; d = n3; break;
      case doDMY: d = n1; m = n2; y = n3; yDigits = d3; break;
      default: m = n1; d = n2; y = n3; yDigits = d3; break;
    }
  }
  if (yDigits <= 2 && y <= 99) {
    // Two-digit years fall into the century window around the present.
    const Int32 window = fs.TwoDigitYearCenturyWindow;
    const Int32 base = curY - window;
    y += base / 100 * 100;
    if (window > 0 && y < base) y += 100;
  }
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > 31 ||
      !TryEncodeDate(static_cast<Word>(y), static_cast<Word>(m), static_cast<Word>(d), out)) {
    sc.i = start;
    return false;
  }
  return true;
}

bool ScanTime(TScanner& sc, TDateTime& out, const TFormatSettings& fs) {
  const size_t start = sc.i;
  const TFormatSettings& inv = InvariantSettings();
  Int32 h, n = 0, s = 0, z = 0;
  int digits;
  auto fail = [&]() {
    sc.i = start;
    return false;
  };
  if (!sc.Number(h, digits)) return fail();
  bool minutes = false;
  if (sc.Char1(fs.TimeSeparator)) {
    if (!sc.Number(n, digits)) return fail();
    minutes = true;
    if (sc.Char1(fs.TimeSeparator)) {
      if (!sc.Number(s, digits)) return fail();
      if (sc.Char1(fs.DecimalSeparator) || sc.Char1(u'.')) {
        // Fraction of a second: ".5" is 500 ms.
        Int32 frac;
        int fd;
        const size_t at = sc.i;
        if (!sc.Number(frac, fd) || sc.i - at != static_cast<size_t>(fd)) return fail();
        for (; fd < 3; ++fd) frac *= 10;
        for (; fd > 3; --fd) frac /= 10;
        z = frac;
      }
    }
  }
  int ampm = 0;  // 1 am, 2 pm
  const String am = Or(fs.TimeAMString, inv.TimeAMString);
  const String pm = Or(fs.TimePMString, inv.TimePMString);
  if (sc.Text(am) || sc.Text(u"AM")) ampm = 1;
  else if (sc.Text(pm) || sc.Text(u"PM")) ampm = 2;
  if (!minutes && ampm == 0) return fail();
  if (ampm != 0) {
    if (h < 1 || h > 12) return fail();
    if (ampm == 1 && h == 12) h = 0;
    if (ampm == 2 && h != 12) h += 12;
  }
  if (h > 23 || n > 59 || s > 59 || z > 999) return fail();
  out = static_cast<Double>(h * 3600000 + n * 60000 + s * 1000 + z) / kMSecsPerDay;
  return true;
}

}  // namespace

bool TryStrToDate(const String& s, TDateTime& out, const TFormatSettings& fs) {
  TScanner sc{s};
  TDateTime d;
  if (!ScanDate(sc, d, fs) || !sc.AtEnd()) return false;
  out = d;
  return true;
}

bool TryStrToTime(const String& s, TDateTime& out, const TFormatSettings& fs) {
  TScanner sc{s};
  TDateTime t;
  if (!ScanTime(sc, t, fs) || !sc.AtEnd()) return false;
  out = t;
  return true;
}

bool TryStrToDateTime(const String& s, TDateTime& out, const TFormatSettings& fs) {
  TScanner sc{s};
  TDateTime d = 0;
  TDateTime t = 0;
  if (ScanDate(sc, d, fs)) {
    if (sc.AtEnd()) {
      out = d;
      return true;
    }
    if (!ScanTime(sc, t, fs) || !sc.AtEnd()) return false;
    out = d >= 0 ? d + t : d - t;
    return true;
  }
  if (!ScanTime(sc, t, fs) || !sc.AtEnd()) return false;
  out = t;
  return true;
}

bool TryStrToDate(const String& s, TDateTime& out) { return TryStrToDate(s, out, FormatSettings); }
bool TryStrToTime(const String& s, TDateTime& out) { return TryStrToTime(s, out, FormatSettings); }
bool TryStrToDateTime(const String& s, TDateTime& out) { return TryStrToDateTime(s, out, FormatSettings); }

TDateTime StrToDate(const String& s, const TFormatSettings& fs) {
  TDateTime r;
  if (!TryStrToDate(s, r, fs)) throw EConvertError(u"'" + s + u"' is not a valid date");
  return r;
}
TDateTime StrToDate(const String& s) { return StrToDate(s, FormatSettings); }

TDateTime StrToTime(const String& s, const TFormatSettings& fs) {
  TDateTime r;
  if (!TryStrToTime(s, r, fs)) throw EConvertError(u"'" + s + u"' is not a valid time");
  return r;
}
TDateTime StrToTime(const String& s) { return StrToTime(s, FormatSettings); }

TDateTime StrToDateTime(const String& s, const TFormatSettings& fs) {
  TDateTime r;
  if (!TryStrToDateTime(s, r, fs)) throw EConvertError(u"'" + s + u"' is not a valid date and time");
  return r;
}
TDateTime StrToDateTime(const String& s) { return StrToDateTime(s, FormatSettings); }

TDateTime StrToDateDef(const String& s, TDateTime def, const TFormatSettings& fs) {
  TDateTime r;
  return TryStrToDate(s, r, fs) ? r : def;
}
TDateTime StrToDateDef(const String& s, TDateTime def) { return StrToDateDef(s, def, FormatSettings); }

TDateTime StrToDateTimeDef(const String& s, TDateTime def, const TFormatSettings& fs) {
  TDateTime r;
  return TryStrToDateTime(s, r, fs) ? r : def;
}
TDateTime StrToDateTimeDef(const String& s, TDateTime def) {
  return StrToDateTimeDef(s, def, FormatSettings);
}

}  // namespace sk
