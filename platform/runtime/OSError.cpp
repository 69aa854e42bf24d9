#include "platform/runtime/OSError.h"

#include <cerrno>
#include <cstring>

namespace sk {

String SysErrorMessage(Int32 errorCode) {
  char buf[256];
  // The GNU strerror_r answers a pointer that need not be buf.
  const char* text = ::strerror_r(errorCode, buf, sizeof buf);
  return Utf8ToString(std::string(text != nullptr ? text : ""));
}

Int32 GetLastError() { return errno; }

void RaiseLastOSError() { RaiseLastOSError(errno); }

void RaiseLastOSError(Int32 errorCode) { throw EOSError(errorCode, SysErrorMessage(errorCode)); }

}  // namespace sk
