// The zip engine's errors: every engine error is an EZAException that carries
// the engine's native code and the index of its message in the engine's own
// message table.
#pragma once

#include <array>
#include <initializer_list>

#include "platform/runtime/Format.h"
#include "platform/runtime/RtlTypes.h"
#include "zip/ZATypes.h"

namespace sk {

// One pair of the native-code table: a native code and its message index.
struct TZANativeToErrorCodeRec {
  Int32 NativeCode;
  Int32 ErrorCode;
};

inline constexpr Int32 ZANativeErrorCount = 82;  // native codes 0 to 81
inline constexpr Int32 ZAErrorMessageCount = 55;  // message indexes 0 to 54

// The native codes 0 to 80 in ascending order with their message indexes.
extern const std::array<TZANativeToErrorCodeRec, ZANativeErrorCount> ZANativeToErrorCode;
// The engine's message texts, by message index.
extern const std::array<const char16_t*, ZAErrorMessageCount> ZAErrorMessages;

// An engine error. Its text is "<component name>: " when the component has a
// name, the message of the code (formatted with the arguments when given),
// then " - Native error: " and the native code in five digits ("00007").
// A code that is not in the table gives "Unknown error".
class EZAException : public Exception {
 public:
  explicit EZAException(Int32 nativeError, const TZAComponent* component = nullptr);
  EZAException(Int32 nativeError, std::initializer_list<TVarRec> args, const TZAComponent* component = nullptr);

  Int32 ErrorCode = 0;    // index of the message in ZAErrorMessages
  Int32 NativeError = 0;  // the engine code given to the constructor
};

// The message index of a native code (0, "Unknown error", when it has none).
Int32 ZANativeToMessageIndex(Int32 nativeError);

// Unit start and stop (the unit has no work of its own).
void ZAExcept_initialization();
void ZAExcept_Finalization();

}  // namespace sk
