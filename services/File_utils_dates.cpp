#include "services/File_utils_dates.h"

#include "platform/runtime/DateUtils.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Strings.h"

namespace sk {

bool SetFileDate(const String& name, TDateTime dateTime) {
  try {
    return FileSetDate(name, dateTime) == 0;
  } catch (const std::exception&) {
    return false;
  }
}

bool SetFileDate(const String& name, const TYearMonthDay& ymd, Int32 hour) {
  return SetFileDate(name, hour, ymd.day, ymd.month, ymd.year);
}

bool SetFileDate(const String& name, const TYearMonthDay& ymd) { return SetFileDate(name, ymd, 12); }

bool SetFileDate(const String& name, Int32 hour, Int32 day, Int32 month, Int32 year) {
  if (day < 1 || day > 31 || month < 1 || month > 12 || year < 1601 || year > 2106) return false;
  if (hour < 0 || hour > 23) return false;
  TDateTime date, time;
  if (!TryEncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day), date)) return false;
  if (!TryEncodeTime(static_cast<Word>(hour), 0, 0, 0, time)) return false;
  // Before 1899-12-30 a date-time is negative and its time counts away from
  // zero: the time is taken off, or the day would move one on.
  return SetFileDate(name, date < 0 ? date - time : date + time);
}

bool SetFileDate(const String& name, Int32 day, Int32 month, Int32 year) {
  return SetFileDate(name, 12, day, month, year);
}

bool SetFileDate(const String& name, const String& dayText, const String& monthText, const String& yearText) {
  Int32 d, m, y;
  if (!TryStrToInt(dayText, d) || !TryStrToInt(monthText, m) || !TryStrToInt(yearText, y)) return false;
  return SetFileDate(name, d, m, y);
}

bool SetFileDate(const String& name, const String& text) {
  if (text.size() != 10) return false;
  return SetFileDate(name, text.substr(0, 2), text.substr(3, 2), text.substr(6, 4));
}

TDateTime GetFileAge(const String& name) {
  TDateTime t = 0;
  if (!FileAge(name, t)) return 0;
  return t;
}

bool CopyDateOfFile(const String& source, const String& target) {
  TDateTime t;
  if (!FileExists(source) || !FileExists(target)) return false;
  if (!FileAge(source, t)) return false;
  return SetFileDate(target, t);
}

}  // namespace sk
