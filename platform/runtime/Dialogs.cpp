#include "platform/runtime/Dialogs.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace sk {

namespace {

std::mutex& HandlerMutex() {
  static std::mutex m;
  return m;
}

TMessageBoxHandler& Handler() {
  static TMessageBoxHandler h;
  return h;
}

// With nobody to ask, the answer is the button that changes nothing: a
// confirmation is declined (Cancel, No) rather than taken.
Int32 UnattendedAnswer(Cardinal flags) {
  switch (flags & MB_TYPEMASK) {
    case MB_OK: return IDOK;
    case MB_OKCANCEL: return IDCANCEL;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNOCANCEL: return IDCANCEL;
    case MB_YESNO: return IDNO;
    case MB_RETRYCANCEL: return IDCANCEL;
    default: return IDCANCEL;
  }
}

}  // namespace

TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler) {
  std::lock_guard<std::mutex> lock(HandlerMutex());
  TMessageBoxHandler previous = std::move(Handler());
  Handler() = std::move(handler);
  return previous;
}

TMessageBoxHandler GetMessageBoxHandler() {
  std::lock_guard<std::mutex> lock(HandlerMutex());
  return Handler();
}

Int32 MessageBoxW(void* /*ownerWindow*/, const String& text, const String& caption, Cardinal flags) {
  TMessageBoxHandler h = GetMessageBoxHandler();
  if (h) return h(text, caption, flags);
  return UnattendedMessageBox(text, caption, flags);
}

Int32 UnattendedMessageBox(const String& text, const String& caption, Cardinal flags) {
  std::string line = StringToUtf8(caption) + ": " + StringToUtf8(text) + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  return UnattendedAnswer(flags);
}

}  // namespace sk
