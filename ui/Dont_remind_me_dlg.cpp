#include "ui/Dont_remind_me_dlg.h"

#include <algorithm>
#include <memory>

#include "core/Generalruntime2const.h"
#include "core/Global_vars.h"
#include "core/My_file_extensionsu.h"
#include "core/UnitCounter.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/StringList.h"
#include "platform/visual/StandardControls.h"
#include "services/File_utils.h"
#include "services/Filename_functions.h"

namespace sk {

namespace {

TFormCentredHook& EntryHook() {
  static TFormCentredHook hook;
  return hook;
}

// The modal result that stands for a message not shown because its marker
// exists: the result the default button would have given, the "to all"
// buttons counting as Yes and No.
Int32 ResultOfDefault(TMsgDlgBtn b) {
  switch (b) {
    case mbYes: return 6;
    case mbNo: return 7;
    case mbOK: return 1;
    case mbCancel: return 2;
    case mbAbort: return 3;
    case mbRetry: return 4;
    case mbIgnore: return 5;
    case mbAll: return 6;
    case mbNoToAll: return 7;
    case mbYesToAll: return 6;
    case mbHelp: return 9;
    case mbClose: return 8;
    default: return 2;
  }
}

// Learns whether a component is freed while the watcher lives (the dialog,
// should its owner go during the modal loop).
class TFreeWatcher : public TComponent {
 public:
  explicit TFreeWatcher(TComponent* watched) : TComponent(nullptr), fWatched(watched) { FreeNotification(watched); }
  ~TFreeWatcher() override {
    Destroying();
    if (fWatched != nullptr) RemoveFreeNotification(fWatched);
  }
  bool Gone() const { return fWatched == nullptr; }

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == opRemove && c == fWatched) fWatched = nullptr;
  }

 private:
  TComponent* fWatched;
};

// The marker of a message ticked "Never show this again": one line, today's
// date. Only when the user's read-write folder exists; a folder that refuses
// the file only loses the memory.
void WriteMarker(const String& text) {
  const String name = DontRemindMarkerFilename(text);
  if (name.empty() || !DirectoryExists(Global_user_ReadWrite_folder)) return;
  try {
    TStringList lines;
    lines.Add(DateToStr(Date()));
    lines.SaveToFile(name);
  } catch (const std::exception&) {
  }
}

}  // namespace

String DontRemindMarkerFilename(const String& text) {
  if (text.empty() || Global_user_ReadWrite_folder.empty()) return String();
  return IncludeTrailingPathDelimiter(Global_user_ReadWrite_folder) + CleanedUpFilename(text.substr(0, 50)) +
         QMExts[ext_donttellmeagain];
}

bool DontRemindMarkerExists(const String& text) {
  const String name = DontRemindMarkerFilename(text);
  return !name.empty() && DriveAndFileExist(name);
}

// ---------------------------------------------------------------------------

TWrapper::TWrapper(TForm* dialog, const String& text, Int32 secs, bool withDontShow)
    : current_instruction(text), PaiForm(dialog), TimeoutSeconds(secs), WithDontShow(withDontShow) {
  if (secs > 0) {
    FTimer = new TTimer(dialog);
    FTimer->SetInterval(DontRemind_TickMilliseconds);
    FTimer->SetEnabled(true);
    FTimer->SetOnTimer([this](TObject* sender) { HandleTimer(sender); });
  }
  if (withDontShow && DontRemindMarkerExists(text)) Quit(q_already_saved);
}

void TWrapper::HandleTimer(TObject* Sender) {
  (void)Sender;
  ++seconds;
  if (seconds >= TimeoutSeconds) Quit(q_timed_out);
}

void TWrapper::Quit(TQuitType reason) {
  QuitReason = reason;
  seconds = 0;
  if (FTimer != nullptr) {
    delete FTimer;
    FTimer = nullptr;
  }
  if (PaiForm != nullptr) PaiForm->Close();
}

// ---------------------------------------------------------------------------

TFormCentredHook SetFormCentredMessageDlgHook(TFormCentredHook hook) {
  TFormCentredHook previous = std::move(EntryHook());
  EntryHook() = std::move(hook);
  return previous;
}

Int32 FormCentredMessageDlg(TForm* owner, bool& timedOut, const String& caption, const String& text, TMsgDlgType type,
                            TMsgDlgButtons buttons, Int32 helpCtx, const TNotifyEvent& onHelp, TMsgDlgBtn defaultButton,
                            Int32 seconds, bool withDontShow) {
  if (EntryHook()) {
    const TFormCentredRequest request{owner,   &timedOut, caption,       text,    type,        buttons,
                                      helpCtx, static_cast<bool>(onHelp), defaultButton, seconds, withDontShow};
    const TFormCentredHook hook = EntryHook();
    if (const std::optional<Int32> answer = hook(request)) return *answer;
  }
  // 1. Silent mode: nothing is shown, the flag stays as it was.
  if (Global_run_without_error_messages) return 0;
  // 2. No form asks: the plain dialog, without caption, seconds or box.
  if (owner == nullptr) return MessageDlg(text, type, buttons, helpCtx, defaultButton);
  // 3 to 6. The dialog, its help context, the Help button's handler, the caption.
  std::unique_ptr<TForm> dlg = CreateMessageDialog(text, type, buttons, defaultButton);
  Global_MessageHelpCtx = helpCtx;
  for (Int32 i = 0; i < dlg->ComponentCount(); ++i)
    if (auto* b = dynamic_cast<TButton*>(dlg->Components(i)); b != nullptr && b->Name() == u"Help") b->OnClick = onHelp;
  if (!caption.empty()) dlg->SetCaption(caption);
  // 7. The check box, left of the buttons, which move right to make room.
  TCheckBox* box = nullptr;
  if (withDontShow) {
    box = new TCheckBox(dlg.get());
    box->SetName(DontRemindCheckBoxName);
    box->SetWidth(150);
    box->SetCaption(LoadResString(&_QMNeverShowThisAgain));
    dlg->SetWidth(std::max(2 * box->Width(), dlg->Width()));
    Int32 boxTop = -1;
    for (Int32 i = 0; i < dlg->ComponentCount(); ++i) {
      auto* b = dynamic_cast<TButton*>(dlg->Components(i));
      if (b == nullptr) continue;
      b->SetLeft(b->Left() + box->Width() + 16);
      dlg->SetClientWidth(std::max(dlg->ClientWidth(), b->Left() + b->Width() + 16));
      boxTop = b->Top() + b->Height() - box->Height();
    }
    if (boxTop < 0) boxTop = dlg->ClientHeight() - box->Height() - 16;
    box->SetParent(dlg.get());
    box->SetBounds(8, boxTop, box->Width(), box->Height());
  }
  // 8. The companion: the timer and the marker test.
  auto wrapper = std::make_unique<TWrapper>(dlg.get(), text, seconds, withDontShow);
  Int32 result;
  if (wrapper->QuitReason == q_already_saved) {
    // 9. Not shown: the default button's answer.
    result = ResultOfDefault(defaultButton);
    timedOut = false;
  } else {
    // 10. Owned by the asking form, centred on it, shown modally.
    owner->InsertComponent(dlg.get());
    dlg->SetPosition(poOwnerFormCenter);
    TFreeWatcher watcher(dlg.get());
    result = dlg->ShowModal();
    if (watcher.Gone()) {
      // The asking form went during the loop and took the dialog with it.
      (void)dlg.release();
      wrapper->PaiForm = nullptr;
      timedOut = wrapper->QuitReason == q_timed_out;
      return result;
    }
    if (box != nullptr) {
      if (box->Checked()) WriteMarker(text);
      delete box;
    }
    timedOut = wrapper->QuitReason == q_timed_out;
  }
  // 11. The wrapper, then the dialog.
  wrapper.reset();
  dlg.reset();
  return result;
}

Int32 FormCentredMessageDlg(TForm* owner, bool& timedOut, const String& caption, const String& text, TMsgDlgType type,
                            TMsgDlgButtons buttons, Int32 helpCtx, const TNotifyEvent& onHelp, Int32 seconds,
                            bool withDontShow) {
  return FormCentredMessageDlg(owner, timedOut, caption, text, type, buttons, helpCtx, onHelp,
                               DefaultMsgDlgButton(buttons), seconds, withDontShow);
}

Int32 FormCentredMessageDlg(TForm* owner, bool& timedOut, const String& text, TMsgDlgType type, TMsgDlgButtons buttons,
                            Int32 helpCtx, const TNotifyEvent& onHelp, TMsgDlgBtn defaultButton, Int32 seconds,
                            bool withDontShow) {
  return FormCentredMessageDlg(owner, timedOut, String(), text, type, buttons, helpCtx, onHelp, defaultButton, seconds,
                               withDontShow);
}

Int32 FormCentredMessageDlg(TForm* owner, bool& timedOut, const String& text, TMsgDlgType type, TMsgDlgButtons buttons,
                            Int32 helpCtx, const TNotifyEvent& onHelp, Int32 seconds, bool withDontShow) {
  return FormCentredMessageDlg(owner, timedOut, String(), text, type, buttons, helpCtx, onHelp, seconds, withDontShow);
}

SK_COUNTER_ONLY_UNIT(Dont_remind_me_dlg)

}  // namespace sk
