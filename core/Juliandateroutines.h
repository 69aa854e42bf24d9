// Timeline dates.
//
// A stored timeline date is a Double holding the Julian day number of the date
// moved 4,500 years later, so that years from -4,499 on fall inside the range
// of the calendar routines; 0.0 means "no date".  Year-month-day records hold
// true years once the offset has been removed; the cleared record (year -4001,
// month 1, day 1, the offset-free form of year 499) also means "no date" and
// formats as "??".
//
// Date-times are days since 1899-12-30.  Inside this unit they are counted on
// the proleptic Gregorian calendar in both directions, so that dates before
// year 1 (after the offset is removed) still convert, compare and step.
#pragma once

#include <array>
#include <vector>

#include "core/Basic_types.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/StringList.h"

namespace sk {

// The text that stands for a date that could not be found; a typed date that
// contains it is not read as a date.
extern const TResStringRec _QMUnknown_date_str;  // 63707 "<no date found>"

// The offset between a true year and the year of its stored Julian date.
inline constexpr Int32 julian_years_offset_const = 4500;

// y - 4,500.
Int32 YearWithConstSubtracted(Int32 y);
// The cleared record: year -4001, month 1, day 1.
void ClearAYearMonthDayRec(TYearMonthDay& ymd);
TYearMonthDay AClearYearMonthDayRec();

// ---- conversions ----

// The Julian number of ymd moved 4,500 years later; month clamped to 1..12,
// day to 1..31.  0.0 when the shifted date does not exist (30 February, a
// shifted year outside 1..9999).  29 February of a leap year whose shifted
// year has none (2000 becomes 6500) is stored as 28 February.
Double YearMonthDayToJulianAddingConst(const TYearMonthDay& ymd);
// The same without the offset.
Double YearMonthDayToJulianDateSemConvertir(const TYearMonthDay& ymd);
// The Julian number of dt's date moved 4,500 years later (29 February as
// above); 0.0 when that date does not exist.
Double DateTimeToJulianAddingConst(TDateTime dt);
// Today's date for jd = 0.0 (no offset removed); otherwise the date of jd,
// with 4,500 taken from the year when removeConst.
TYearMonthDay JulianDateToYearMonthDay(Double jd, bool removeConst);
TYearMonthDay JulianDateToYearMonthDaySemConvertir(Double jd);
// 0.0 for jd = 0.0; otherwise the date-time of jd, moved 4,500 years back
// when removeConst.
TDateTime MyJulianDateToDateTime(Double jd, bool removeConst);
// dt split into year, month and day (year - 4,500 when removeConst).  A dt
// beyond the largest date-time of the calendar routines sets
// global_dates_Untrustworthy; a dt that cannot be split at all (not a number,
// out of all reason) gives today's date.
TYearMonthDay DateToYearMonthDay(TDateTime dt, bool removeConst);
TYearMonthDay DateToYearMonthDayRemovingConst(TDateTime dt);
// The date of ymd (no offset); today when ymd is not a date.
TDateTime YearMonthDayToDate(const TYearMonthDay& ymd);
// dt = MyJulianDateToDateTime(jd, true), ymd = its year, month and day.
TDateTimeYMDrec TrueDateOfDate(Double jd);
Double MiddleOfTwoDates(Double a, Double b);
TYearMonthDay MiddleOfTwoYMDs(const TYearMonthDay& a, const TYearMonthDay& b);
// ymd with day 15, and month 7 as well in year batch mode.
TYearMonthDay MiddleOfDateBandForBatchmode(const TYearMonthDay& ymd);
void ExchangeTwoDateTimes(TDateTime& a, TDateTime& b);

// ---- periods ----

// 1,000 for millennia, 100 for centuries, 10 for decades, 1 otherwise.
Int32 PlotMultiplicand(TTimeLineDisplayBasis basis);
// The start of the next period.
TYearMonthDay IncrementedYMD(const TYearMonthDay& ymd, TTimeLineDisplayBasis basis);
// The last day before ymd: for the year bases 31 December of the year before,
// for months the last day of the month before, for weeks and days the day
// before.
TYearMonthDay RoundedDownYMD(const TYearMonthDay& ymd, TTimeLineDisplayBasis basis);
// The start or end of the period that holds dt (for decades, centuries and
// millennia: of the first year of the span).  dt unchanged for the other
// bases and where no such date-time exists.
TDateTime EdgeOfPeriod(TDateTime dt, TTimeLineDisplayBasis basis, TStartingOrFinishing which);
// The period starts from start to finish (date-times of shifted dates; the
// results carry true years).  One element for a basis that does not step, or
// when start is after finish.
std::vector<TYearMonthDay> ComputedAllPeriodsTrue(TTimeLineDisplayBasis basis, TDateTime start,
                                                  TDateTime finish);
// Start, middle and next start of the period that begins at jd.  The two
// integers and d2 are not used.
using TDatePeriodDetails = std::array<TYearMonthDay, 3>;
TDatePeriodDetails DatePeriodDetails(Int32 i1, Int32 i2, Double jd, Double d2,
                                     TTimeLineDisplayBasis basis);
// Whether low <= ymd <= high as whole dates (year, then month, then day).
bool YearMonthDayWithin(const TYearMonthDay& ymd, const TYearMonthDay& low,
                        const TYearMonthDay& high);

// ---- text (with Global_StringToDateTimeFormat) ----

String TimeLineBasisFormatString(TTimeLineDisplayBasis basis);
// The year with at least four digits and its sign, then month, day and hour
// as the basis shows them: 2024/03/15 for days, 2024 for years, -0500 for
// the year 500 before the common era.  "??" when month or day cannot be a date.
String YearMonthDayAsString(const TYearMonthDay& ymd, TTimeLineDisplayBasis basis);
// A short form for narrow labels: "yyyy" for millennia, centuries and
// decades, "yy" for years, the short month name, the week's number in the year
// (ISO numbering, as the week starts), the day, the hour, else "yy/mm/dd hh:nn";
// "??" when ymd is not a date of years 1..9999.
String AbbreviatedYearMonthDayAsString(const TYearMonthDay& ymd, TTimeLineDisplayBasis basis);
// A stored timeline date as text, the offset removed; "??" for no date.
String JulianToStringRemovingConst(Double jd, TTimeLineDisplayBasis basis, bool abbreviated);
// The middle of period i of dates as text; "??" for an index outside dates.
String TimelineDataToJulianDateStr(Int32 i, const std::vector<TYearMonthDay>& dates,
                                   TTimeLineDisplayBasis basis, bool abbreviated);
// Fills runs of y, m, d, h, n in fmt from rec: yy and yyyy give the whole year
// with at least 2 or 4 digits; a single letter of the others the plain number,
// two letters at least two digits; runs of other lengths give nothing.
String TYrMmDyHrMnToString(const TYrMmDyHrMn& rec, const String& fmt);

// ---- typed dates ----

// "yyyy", "yyyy?mm" or "yyyy?mm?dd" (any separators) as a date; today unless
// the year is above 1600 and the date exists.
TDateTime UserDateStrToDateTime(const String& s);
// The same text as a stored timeline date with the basis it gives (years,
// months or days); the cleared date with tlpb_unknown when it cannot be read.
TDoubleAndBasis UserStrDateAndTimeParsed(const String& s);
// Reads s by the positions of the runs of y, m, d, h, n in fmt; all zero when
// the two differ in length.  Unreadable fields count as -1 before every field
// is clamped to its range.
TYrMmDyHrMn UsersStringToDate(const String& s, const String& fmt);

// ---- file dates ----

// Files grouped by the day of their last write.  list is a string list whose
// lines are days ("yyyy mm dd", in UTC) and whose line objects are string
// lists of file names, owned by the list (a TStringListWithStringLists, or a
// TStringList that owns its objects).  The file joins the list of its day,
// which is added when it is new.  A file that cannot be examined is not added.
void AddAFileToDateAndTimeList(const String& fileName, TStringList* list);
// Writes the report of the folders, the files of each day and the gaps of
// more than four days between consecutive days to fileName, in UTF-16 little
// endian with a byte-order mark.  True when the file was written.
bool SavedAlistOfFilesDatesAndGaps(const TStrings* folders, const TStringList* list,
                                   const String& fileName);

// Unit start and stop (the unit has no work of its own).
void Juliandateroutines_initialization();
void Juliandateroutines_Finalization();

}  // namespace sk
