// The operating system's errors as the runtime raises them: EOSError carries
// the error number and the system's own text for it.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

class EOSError : public Exception {
 public:
  EOSError(Int32 errorCode, String msg) : Exception(std::move(msg)), ErrorCode(errorCode) {}
  Int32 ErrorCode = 0;
};

// The system's text for an error number ("No such file or directory").
String SysErrorMessage(Int32 errorCode);
// The error number of the last failed system call of this thread.
Int32 GetLastError();
// Raises EOSError for the error number (the last one when none is given);
// its message is the system's text for that error.
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(Int32 errorCode);

}  // namespace sk
