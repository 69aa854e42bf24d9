#include "zip/ZAArchiver_prompts.h"

#include "platform/runtime/Dialogs.h"

namespace sk {

namespace {

TZAMessageDialogHook& MessageHook() {
  static TZAMessageDialogHook hook;
  return hook;
}

TZAPasswordDialogHook& PasswordHook() {
  static TZAPasswordDialogHook hook;
  return hook;
}

bool Offers(TZADialogButtons buttons, Int32 answer) {
  switch (answer) {
    case zdrOK: return (buttons & zdbOK) != 0;
    case zdrCancel: return (buttons & zdbCancel) != 0;
    case zdrAbort: return (buttons & zdbAbort) != 0;
    case zdrRetry: return (buttons & zdbRetry) != 0;
    case zdrIgnore: return (buttons & zdbIgnore) != 0;
    case zdrYes: return (buttons & zdbYes) != 0;
    case zdrNo: return (buttons & zdbNo) != 0;
    case zdrNoToAll: return (buttons & zdbNoToAll) != 0;
    case zdrYesToAll: return (buttons & zdbYesToAll) != 0;
    default: return false;
  }
}

}  // namespace

TZAMessageDialogHook SetZAMessageDialogHook(TZAMessageDialogHook hook) {
  TZAMessageDialogHook previous = std::move(MessageHook());
  MessageHook() = std::move(hook);
  return previous;
}

TZAPasswordDialogHook SetZAPasswordDialogHook(TZAPasswordDialogHook hook) {
  TZAPasswordDialogHook previous = std::move(PasswordHook());
  PasswordHook() = std::move(hook);
  return previous;
}

Int32 ZAMessageDialog(const String& text, TZADialogButtons buttons) {
  const Int32 answer = MessageHook() ? MessageHook()(text, buttons) : ZADefaultMessageDialog(text, buttons);
  return Offers(buttons, answer) ? answer : zdrCancel;
}

bool ZAPasswordDialog(const String& fileName, String& password) {
  return PasswordHook() ? PasswordHook()(fileName, password) : ZADefaultPasswordDialog(fileName, password);
}

Int32 ZADefaultMessageDialog(const String& text, TZADialogButtons buttons) {
  // The message box offers fewer button sets than the dialogs: each dialog
  // goes to the box whose buttons mean the same, and the answer comes back
  // as the dialog's.
  Cardinal flags = MB_OKCANCEL;
  if ((buttons & (zdbYes | zdbNo)) != 0)
    flags = MB_YESNO;
  else if ((buttons & zdbAbort) != 0)
    flags = MB_ABORTRETRYIGNORE;
  const Int32 answer = MessageBoxW(nullptr, text, String(), flags | MB_ICONQUESTION);
  switch (answer) {
    case IDOK: return zdrOK;
    case IDYES: return zdrYes;
    case IDNO: return zdrNo;
    case IDABORT: return zdrAbort;
    case IDRETRY: return zdrRetry;
    case IDIGNORE: return zdrIgnore;
    default: return zdrCancel;
  }
}

bool ZADefaultPasswordDialog(const String&, String&) { return false; }

}  // namespace sk
