// The system message box, as non-visual code asks for it.  The visual layer
// installs a handler when it starts; tests install their own.  Without a
// handler the caption and text go to standard error and the answer is the
// button that changes nothing, so that no confirmation is taken when nobody
// can see it: IDOK for MB_OK, IDNO for MB_YESNO, IDABORT for
// MB_ABORTRETRYIGNORE and IDCANCEL for every box that has a Cancel button.
#pragma once

#include <functional>

#include "platform/runtime/RtlTypes.h"

namespace sk {

inline constexpr Cardinal MB_OK = 0x00000000;
inline constexpr Cardinal MB_OKCANCEL = 0x00000001;
inline constexpr Cardinal MB_ABORTRETRYIGNORE = 0x00000002;
inline constexpr Cardinal MB_YESNOCANCEL = 0x00000003;
inline constexpr Cardinal MB_YESNO = 0x00000004;
inline constexpr Cardinal MB_RETRYCANCEL = 0x00000005;
inline constexpr Cardinal MB_TYPEMASK = 0x0000000F;
inline constexpr Cardinal MB_ICONERROR = 0x00000010;
inline constexpr Cardinal MB_ICONHAND = MB_ICONERROR;
inline constexpr Cardinal MB_ICONSTOP = MB_ICONERROR;
inline constexpr Cardinal MB_ICONQUESTION = 0x00000020;
inline constexpr Cardinal MB_ICONWARNING = 0x00000030;
inline constexpr Cardinal MB_ICONEXCLAMATION = MB_ICONWARNING;
inline constexpr Cardinal MB_ICONINFORMATION = 0x00000040;
inline constexpr Cardinal MB_ICONASTERISK = MB_ICONINFORMATION;
inline constexpr Cardinal MB_ICONMASK = 0x000000F0;
inline constexpr Cardinal MB_DEFBUTTON1 = 0x00000000;
inline constexpr Cardinal MB_DEFBUTTON2 = 0x00000100;
inline constexpr Cardinal MB_DEFBUTTON3 = 0x00000200;
inline constexpr Cardinal MB_APPLMODAL = 0x00000000;
inline constexpr Cardinal MB_SYSTEMMODAL = 0x00001000;
inline constexpr Cardinal MB_TASKMODAL = 0x00002000;

inline constexpr Int32 IDOK = 1;
inline constexpr Int32 IDCANCEL = 2;
inline constexpr Int32 IDABORT = 3;
inline constexpr Int32 IDRETRY = 4;
inline constexpr Int32 IDIGNORE = 5;
inline constexpr Int32 IDYES = 6;
inline constexpr Int32 IDNO = 7;

using TMessageBoxHandler = std::function<Int32(const String& text, const String& caption, Cardinal flags)>;

// Installs the handler (an empty one removes it) and answers the previous one.
TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler);
TMessageBoxHandler GetMessageBoxHandler();

// What MessageBoxW does without a handler: the caption and text go to
// standard error and the answer is the button that changes nothing.
Int32 UnattendedMessageBox(const String& text, const String& caption, Cardinal flags);

// Shows the box through the handler; ownerWindow is passed on by the visual
// layer's handler through its own means and is not used here.
Int32 MessageBoxW(void* ownerWindow, const String& text, const String& caption, Cardinal flags);

}  // namespace sk
