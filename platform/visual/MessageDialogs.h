// Message dialogs and the task dialog.
//
// CreateMessageDialog builds a form with an icon by dialog type (the image
// "Image"; none for mtCustom), the text in the label "Message" (lines break
// at CR, LF and CR LF and at blanks) and one push button per member of the
// button set, in the order Yes, No, OK, Cancel, Abort, Retry, Ignore, All,
// NoToAll, YesToAll, Help, Close, each named exactly so. Every control is
// placed by hand, so a caller may move them. A button's modal result is the
// one of MsgDlgButtonResult (Help has none: it calls its OnClick and leaves
// the dialog open); Escape and the window's close box give mrCancel.
#pragma once

#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/visual/Forms.h"

namespace sk {

enum TMsgDlgType : uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : uint8_t {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp,
  mbClose
};
inline constexpr Int32 MsgDlgBtnCount = 12;

// A set of buttons: bit k stands for the button of ordinal k.
struct TMsgDlgButtons {
  Word bits = 0;
  constexpr TMsgDlgButtons() = default;
  constexpr TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> list) {
    for (TMsgDlgBtn b : list) bits = static_cast<Word>(bits | (1u << b));
  }
  constexpr bool Contains(TMsgDlgBtn b) const { return (bits >> b) & 1u; }
  constexpr TMsgDlgButtons& Include(TMsgDlgBtn b) {
    bits = static_cast<Word>(bits | (1u << b));
    return *this;
  }
  constexpr TMsgDlgButtons& Exclude(TMsgDlgBtn b) {
    bits = static_cast<Word>(bits & ~(1u << b));
    return *this;
  }
  constexpr bool Empty() const { return (bits & 0x0FFF) == 0; }
  constexpr bool operator==(const TMsgDlgButtons&) const = default;
};

inline constexpr TMsgDlgButtons mbYesNo{mbYes, mbNo};
inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};
inline constexpr TMsgDlgButtons mbAbortIgnore{mbAbort, mbIgnore};

// The component name of a button ("Yes", ..., "NoToAll", "YesToAll", ...).
String MsgDlgButtonName(TMsgDlgBtn b);
// The modal result a button gives: Yes 6, No 7, OK 1, Cancel 2, Abort 3,
// Retry 4, Ignore 5, All 12, NoToAll 13, YesToAll 14, Help 0, Close 8.
TModalResult MsgDlgButtonResult(TMsgDlgBtn b);
// The default when a caller names none: OK when it is a member, else Yes,
// else Retry.
TMsgDlgBtn DefaultMsgDlgButton(TMsgDlgButtons buttons);
// The caption of a dialog type ("Warning", "Error", "Information", "Confirm";
// the application's title for mtCustom).
String MsgDlgCaption(TMsgDlgType type);

// A new message dialog, without an owner, centred on the screen; the default
// button (focused, pressed by Return) is defaultButton when it is one of the
// buttons, and there is none otherwise. Raises EInvalidOperation without an
// application.
std::unique_ptr<TForm> CreateMessageDialog(const String& msg, TMsgDlgType type, TMsgDlgButtons buttons);
std::unique_ptr<TForm> CreateMessageDialog(const String& msg, TMsgDlgType type, TMsgDlgButtons buttons,
                                           TMsgDlgBtn defaultButton);

// Shows a message dialog modally and answers its modal result. Without an
// application the question goes to MessageBoxW (and the answer comes back as
// the same modal-result numbers).
Int32 MessageDlg(const String& msg, TMsgDlgType type, TMsgDlgButtons buttons, Int32 helpCtx);
Int32 MessageDlg(const String& msg, TMsgDlgType type, TMsgDlgButtons buttons, Int32 helpCtx, TMsgDlgBtn defaultButton);

// The message-box handler of the visual layer: with an application, a message
// dialog built from the box's flags, shown modally; without one, the
// unattended answer of MessageBoxW.
Int32 VisualMessageBox(const String& text, const String& caption, Cardinal flags);

// ---------------------------------------------------------------------------
// The task dialog: a caption, a title, a text and custom buttons (each
// giving modal result 100 + its index), optionally common buttons.

enum TTaskDialogFlag : uint8_t {
  tfEnableHyperlinks,
  tfUseHiconMain,
  tfUseHiconFooter,
  tfAllowDialogCancellation,
  tfUseCommandLinks,
  tfUseCommandLinksNoIcon,
  tfExpandFooterArea,
  tfExpandedByDefault,
  tfVerificationFlagChecked,
  tfShowProgressBar,
  tfShowMarqueeProgressBar,
  tfCallbackTimer,
  tfPositionRelativeToWindow,
  tfRtlLayout,
  tfNoDefaultRadioButton,
  tfCanBeMinimized
};
// Set of flags, bit k for the flag of ordinal k ({tfUseHiconMain,
// tfAllowDialogCancellation} is 10).
using TTaskDialogFlags = Cardinal;
inline constexpr TTaskDialogFlags TaskDialogFlag(TTaskDialogFlag f) { return TTaskDialogFlags(1) << f; }

enum TTaskDialogCommonButton : uint8_t { tcbOk, tcbYes, tcbNo, tcbCancel, tcbRetry, tcbClose };
using TTaskDialogCommonButtons = Byte;
inline constexpr TTaskDialogCommonButtons TaskDialogCommonButton(TTaskDialogCommonButton b) {
  return static_cast<TTaskDialogCommonButtons>(1u << b);
}

struct TTaskDialogButtonItem {
  String Caption;
  TModalResult ModalResult = mrNone;
};

class TTaskDialog : public TComponent {
 public:
  // Flags {tfAllowDialogCancellation}, common buttons OK and Cancel.
  explicit TTaskDialog(TComponent* owner);
  ~TTaskDialog() override;

  String Caption;
  String Title;
  String Text;
  TTaskDialogFlags Flags;
  TTaskDialogCommonButtons CommonButtons;
  // The icon shown with tfUseHiconMain.
  TIcon& CustomMainIcon();

  // Appends a custom button (component name "Button1", "Button2", ...).
  TTaskDialogButtonItem& AddButton(const String& caption);
  Int32 ButtonCount() const { return static_cast<Int32>(fButtons.size()); }
  const TTaskDialogButtonItem& Buttons(Int32 index) const;

  // Shows the dialog modally, centred on its owner when that is a form; false
  // when it cannot be shown (no application).
  bool Execute();
  TModalResult ModalResult() const { return fModalResult; }
  // The custom button pressed (from 0); -1 when the dialog ended otherwise.
  Int32 PressedButton() const;

 private:
  std::vector<TTaskDialogButtonItem> fButtons;
  std::unique_ptr<TIcon> fIcon;
  TModalResult fModalResult = mrNone;
};

}  // namespace sk
