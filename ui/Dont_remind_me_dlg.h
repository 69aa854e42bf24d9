// The one message dialog under every message of the suite: the platform's
// message dialog centred on the form that asks, with a silent mode, a "Never
// show this again" check box remembered in a marker file per message, a close
// by itself after a number of seconds, and a Help button whose click goes to
// a handler the caller passes.
#pragma once

#include <functional>
#include <optional>

#include "platform/runtime/RtlTypes.h"
#include "platform/visual/Forms.h"
#include "platform/visual/MessageDialogs.h"
#include "platform/visual/Timers.h"

namespace sk {

// How a dialog ended.
enum TQuitType : uint8_t {
  q_ordinary_close,  // closed with a button (or still open)
  q_already_saved,   // not shown: the message's marker file exists
  q_timed_out        // closed itself when its seconds ran out
};

// The milliseconds of one tick of a dialog's seconds count: 1,000, shorter
// only in tests.
inline constinit Cardinal DontRemind_TickMilliseconds = 1000;

// The companion of one dialog, alive from just before it is shown until the
// dialog routine returns.
class TWrapper : public TObject {
 public:
  // Fills the fields; with seconds above 0 starts a timer owned by the dialog
  // that ticks once a second; with the check box wanted and the message's
  // marker file present, quits at once as already saved.
  TWrapper(TForm* dialog, const String& text, Int32 seconds, bool withDontShow);

  // One tick: counts it, and quits as timed out once the seconds are reached.
  void HandleTimer(TObject* Sender);
  // Records the reason, frees the timer and closes the dialog (a modal
  // dialog so closed ends with the Cancel result, 2).
  void Quit(TQuitType reason);

  TQuitType QuitReason = q_ordinary_close;
  String current_instruction;
  TTimer* FTimer = nullptr;
  TForm* PaiForm = nullptr;
  Int32 TimeoutSeconds = 0;
  Int32 seconds = 0;
  bool WithDontShow = false;
};

// The marker file of a message not to be shown again: in the user's
// read-write folder, the first 50 characters of the text made into a file
// name, with the extension of ext_donttellmeagain; "" when the text or the
// folder is empty.
String DontRemindMarkerFilename(const String& text);
// Whether the marker file of the text exists.
bool DontRemindMarkerExists(const String& text);

// The dialog; the four overloads answer the modal result (0 in silent mode):
// full; with a caption and the default chosen (OK, else Yes, else Retry);
// without a caption and with a default; without either.
Int32 FormCentredMessageDlg(TForm* owner, bool& timedOut, const String& caption, const String& text, TMsgDlgType type,
                            TMsgDlgButtons buttons, Int32 helpCtx, const TNotifyEvent& onHelp, TMsgDlgBtn defaultButton,
                            Int32 seconds, bool withDontShow);
Int32 FormCentredMessageDlg(TForm* owner, bool& timedOut, const String& caption, const String& text, TMsgDlgType type,
                            TMsgDlgButtons buttons, Int32 helpCtx, const TNotifyEvent& onHelp, Int32 seconds,
                            bool withDontShow);
Int32 FormCentredMessageDlg(TForm* owner, bool& timedOut, const String& text, TMsgDlgType type, TMsgDlgButtons buttons,
                            Int32 helpCtx, const TNotifyEvent& onHelp, TMsgDlgBtn defaultButton, Int32 seconds,
                            bool withDontShow);
Int32 FormCentredMessageDlg(TForm* owner, bool& timedOut, const String& text, TMsgDlgType type, TMsgDlgButtons buttons,
                            Int32 helpCtx, const TNotifyEvent& onHelp, Int32 seconds, bool withDontShow);

// What the full overload was asked, as a hook at its entry sees it.
struct TFormCentredRequest {
  TForm* owner = nullptr;
  bool* timedOut = nullptr;
  String caption;
  String text;
  TMsgDlgType type = mtInformation;
  TMsgDlgButtons buttons;
  Int32 helpCtx = 0;
  bool withHelpHandler = false;
  TMsgDlgBtn defaultButton = mbOK;
  Int32 seconds = 0;
  bool withDontShow = false;
};
// Called at the entry of the full overload (for tests and scripted hosts):
// an answer it gives is the dialog's result and nothing else happens; none
// lets the dialog go on. Answers the previous hook.
using TFormCentredHook = std::function<std::optional<Int32>(const TFormCentredRequest& request)>;
TFormCentredHook SetFormCentredMessageDlgHook(TFormCentredHook hook);

// The name of the dialog's check box.
inline constexpr const Char* DontRemindCheckBoxName = u"NeverShowThisAgain";

void Dont_remind_me_dlg_initialization();
void Dont_remind_me_dlg_Finalization();

}  // namespace sk
