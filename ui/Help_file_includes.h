// Help topics by number: a text file pairs a topic name with a number after
// an equals sign on each line ("Topic_name = 1300").
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

// The name of the first line whose number is the given one: the line's first
// word (its characters up to the first blank or control character). Lines
// without "=" never match; the number is the run of digits after "=" and the
// blanks that follow it. "" when no line matches, and for a file that is
// missing or cannot be read.
String NameFromNumber(Int32 number, const String& fileName);

void Help_file_includes_initialization();
void Help_file_includes_Finalization();

}  // namespace sk
