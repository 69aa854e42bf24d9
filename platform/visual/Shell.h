// Opening a file with the program the desktop uses for files of its kind.
#pragma once

#include <functional>

#include "platform/runtime/RtlTypes.h"

namespace sk {

// The handler is replaceable (tests record what would be opened). The default
// asks the desktop through the host's QApplication; without one nothing opens.
using TShellOpenHandler = std::function<bool(const String& fileName)>;
TShellOpenHandler SetShellOpenHandler(TShellOpenHandler handler);
// True when the desktop accepted the file.
bool ShellOpenFile(const String& fileName);

}  // namespace sk
