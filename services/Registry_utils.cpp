#include "services/Registry_utils.h"

#include <pwd.h>
#include <unistd.h>
#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include <cstdlib>
#include <vector>

#include "core/UnitCounter.h"
#include "platform/runtime/Strings.h"

namespace sk {

String Registry_Current_User() {
  struct passwd pw;
  struct passwd* res = nullptr;
  std::vector<char> buf(16384);
  if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &res) == 0 && res != nullptr && res->pw_name != nullptr &&
      res->pw_name[0] != '\0')
    return Utf8ToString(std::string(res->pw_name));
  const char* user = std::getenv("USER");
  if (user != nullptr && user[0] != '\0') return Utf8ToString(std::string(user));
  return IntToStr(static_cast<Int64>(::getuid()));
}

String InitialsOfName(const String& name) {
  String r;
  int letters = 0;
  const Int32 n = static_cast<Int32>(name.size());
  for (Int32 i = 0; i < n && letters < 2;) {
    const Int32 start = i;
    UChar32 c;
    U16_NEXT(name.data(), i, n, c);
    if (u_isupper(c)) {
      r.append(name, static_cast<size_t>(start), static_cast<size_t>(i - start));
      ++letters;
    }
  }
  return r;
}

String Registry_Current_User_Initials() { return InitialsOfName(Registry_Current_User()); }

SK_COUNTER_ONLY_UNIT(Registry_utils)

}  // namespace sk
