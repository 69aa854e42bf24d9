// The archiver's dialogs: the modal message dialog of its questions (overwrite,
// volume requests, a full disk, a failed file) and the password dialog. Each
// goes through a replaceable hook, so that a host or a test can answer in its
// place; the default hook asks the user.
#pragma once

#include <functional>

#include "platform/runtime/RtlTypes.h"

namespace sk {

// The buttons a dialog offers, as a set of bits.
using TZADialogButtons = Word;
inline constexpr TZADialogButtons zdbYes = 0x0001;
inline constexpr TZADialogButtons zdbNo = 0x0002;
inline constexpr TZADialogButtons zdbOK = 0x0004;
inline constexpr TZADialogButtons zdbCancel = 0x0008;
inline constexpr TZADialogButtons zdbAbort = 0x0010;
inline constexpr TZADialogButtons zdbRetry = 0x0020;
inline constexpr TZADialogButtons zdbIgnore = 0x0040;
inline constexpr TZADialogButtons zdbNoToAll = 0x0080;
inline constexpr TZADialogButtons zdbYesToAll = 0x0100;

// The answers: the modal results of the platform's dialogs.
inline constexpr Int32 zdrNone = 0;
inline constexpr Int32 zdrOK = 1;
inline constexpr Int32 zdrCancel = 2;
inline constexpr Int32 zdrAbort = 3;
inline constexpr Int32 zdrRetry = 4;
inline constexpr Int32 zdrIgnore = 5;
inline constexpr Int32 zdrYes = 6;
inline constexpr Int32 zdrNo = 7;
inline constexpr Int32 zdrNoToAll = 13;
inline constexpr Int32 zdrYesToAll = 14;

// Shows text in a modal confirmation dialog with the buttons; answers the
// button chosen (zdr...).
using TZAMessageDialogHook = std::function<Int32(const String& text, TZADialogButtons buttons)>;
// Asks for the password of the entry named fileName; true with the text
// typed when the user chose OK, false when the user cancelled.
using TZAPasswordDialogHook = std::function<bool(const String& fileName, String& password)>;

// Install a hook (an empty one restores the default) and answer the previous.
TZAMessageDialogHook SetZAMessageDialogHook(TZAMessageDialogHook hook);
TZAPasswordDialogHook SetZAPasswordDialogHook(TZAPasswordDialogHook hook);

// Ask through the hook in place. An answer that is not one of the buttons
// offered counts as the dialog closed without a choice (zdrCancel).
Int32 ZAMessageDialog(const String& text, TZADialogButtons buttons);
bool ZAPasswordDialog(const String& fileName, String& password);

// The defaults. The message dialog is the platform's modal message dialog
// with the confirmation icon (without an application it answers as the
// platform's message box does: the button that changes nothing). The
// password dialog is a modal form: the prompt, a password edit of at most 255
// characters shown as "*", and the buttons "OK" and "Cancel"; without an
// application it answers as cancelled (the entry is skipped).
Int32 ZADefaultMessageDialog(const String& text, TZADialogButtons buttons);
bool ZADefaultPasswordDialog(const String& fileName, String& password);

}  // namespace sk
