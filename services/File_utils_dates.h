// File dates: setting a file's last-write time from a date-time, a calendar
// date and hour, or their texts; reading it; copying it from another file.
#pragma once

#include "core/Basic_types.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// Sets the file's last-write time (local time); false when that fails.
bool SetFileDate(const String& name, TDateTime dateTime);
// False unless day 1-31, month 1-12, year 1601-2106 and the date and the hour
// (0-23) make a valid time; then sets hour:00:00 of that day.
bool SetFileDate(const String& name, const TYearMonthDay& ymd, Int32 hour);
// The same at 12:00.
bool SetFileDate(const String& name, const TYearMonthDay& ymd);
bool SetFileDate(const String& name, Int32 hour, Int32 day, Int32 month, Int32 year);
bool SetFileDate(const String& name, Int32 day, Int32 month, Int32 year);
// False unless the three texts are integers; then as above at 12:00.
bool SetFileDate(const String& name, const String& dayText, const String& monthText, const String& yearText);
// Only a text of exactly 10 characters, "dd?mm?yyyy": day from characters 1-2,
// month from 4-5, year from the last 4; else false.
bool SetFileDate(const String& name, const String& text);
// The file's last-write time; 0 when it does not exist.
TDateTime GetFileAge(const String& name);
// Gives target the last-write time of source; false when either does not
// exist or the time cannot be set.
bool CopyDateOfFile(const String& source, const String& target);

}  // namespace sk
