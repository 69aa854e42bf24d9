#include "ui/Help_file_includes.h"

#include <exception>

#include "core/UnitCounter.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

// The number after the first "=" of a trimmed line and the blanks after it;
// false when there is no "=", no digit, or more digits than a 32-bit number
// holds.
bool NumberOfLine(const String& line, Int32& number) {
  const size_t eq = line.find(u'=');
  if (eq == String::npos) return false;
  size_t i = eq + 1;
  while (i < line.size() && line[i] == u' ') ++i;
  long long value = 0;
  size_t digits = 0;
  for (; i < line.size() && line[i] >= u'0' && line[i] <= u'9'; ++i, ++digits) {
    value = value * 10 + (line[i] - u'0');
    if (value > 0x7FFFFFFF) return false;
  }
  if (digits == 0) return false;
  number = static_cast<Int32>(value);
  return true;
}

}  // namespace

String NameFromNumber(Int32 number, const String& fileName) {
  // Read as the library reads text files: by its mark, else as UTF-8, else
  // in the ANSI code page.
  TUTF8Stringlist lines;
  try {
    lines.LoadFromFile(fileName);
  } catch (const std::exception&) {
    // A file that cannot be read names no topic.
    return String();
  }
  for (Int32 k = 0; k < lines.Count(); ++k) {
    const String line = Trim(lines.Strings(k));
    Int32 n = 0;
    if (!NumberOfLine(line, n) || n != number) continue;
    size_t end = 0;
    while (end < line.size() && line[end] > u' ') ++end;
    return line.substr(0, end);
  }
  return String();
}

SK_COUNTER_ONLY_UNIT(Help_file_includes)

}  // namespace sk
