// Forms, the application and the screen.
//
// A form is a top-level window. ShowModal runs a local event loop until the
// form's ModalResult becomes non-zero (a button with a modal result, Close,
// the window's close box, or code setting it) and answers that result. Once
// the loop runs, the modal hook is called with the form: tests and demo hosts
// use it to read the form, press its buttons or let it wait.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/visual/Controls.h"

class QEventLoop;

namespace sk {

using TModalResult = Int32;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrClose = 8;
inline constexpr TModalResult mrHelp = 9;
inline constexpr TModalResult mrTryAgain = 10;
inline constexpr TModalResult mrContinue = 11;
inline constexpr TModalResult mrAll = 12;
inline constexpr TModalResult mrNoToAll = 13;
inline constexpr TModalResult mrYesToAll = 14;

enum TFormBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition : uint8_t {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
enum TCloseAction : uint8_t { caNone, caHide, caFree, caMinimize };
enum TWindowState : uint8_t { wsNormal, wsMinimized, wsMaximized };

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TForm : public TCustomControl {
 public:
  // A hidden form of 320 x 240 pixels; the owner (a form, usually) frees it.
  explicit TForm(TComponent* owner);
  ~TForm() override;

  // Shows the form modally: the other windows take no input until the loop
  // ends. Raises EInvalidOperation for a form that is already visible.
  virtual TModalResult ShowModal();
  TModalResult ModalResult() const { return fModalResult; }
  // A non-zero result ends the modal loop (when the form's close query agrees).
  void SetModalResult(TModalResult r);
  bool Modal() const { return fModalLoop != nullptr; }

  // Show places the form by Position the first time; Close asks OnCloseQuery,
  // then (for a modal form) sets the Cancel result, else runs OnClose and does
  // what it answers (hide by default; caFree frees the form once the events
  // under way are handled).
  void Show();
  void Close();
  bool CloseQuery();
  // Frees the form once the events under way are handled.
  void Release();

  TFormBorderStyle BorderStyle() const { return fBorderStyle; }
  void SetBorderStyle(TFormBorderStyle s);
  TPosition Position() const { return fPosition; }
  void SetPosition(TPosition p) { fPosition = p; }
  TWindowState WindowState() const { return fWindowState; }
  void SetWindowState(TWindowState s);
  bool KeyPreview() const { return fKeyPreview; }
  void SetKeyPreview(bool k) { fKeyPreview = k; }
  TWinControl* ActiveControl() const { return fActiveControl; }
  void SetActiveControl(TWinControl* c);
  TIcon& Icon();
  // Moves the form to the place its Position asks for (centred on its owner
  // form for poOwnerFormCenter, on the main form, or on the screen).
  void PlaceByPosition();

  void SetText(const String& s) override;
  void SetVisible(bool v) override;

  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnPaint;

  // The dialog keys: Return presses the focused button or the default button,
  // Escape the cancel button. True when the key was used.
  virtual bool DialogKey(Word key, TShiftState shift);
  // The window's close box was pressed (for the widget): Close.
  void WindowCloseRequested();

 protected:
  void Paint() override;
  void ApplyGeometry() override;
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& action);
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TModalResult fModalResult = mrNone;
  QEventLoop* fModalLoop = nullptr;
  TFormBorderStyle fBorderStyle = bsSizeable;
  TPosition fPosition = poDesigned;
  TWindowState fWindowState = wsNormal;
  bool fKeyPreview = false;
  bool fPlaced = false;
  TWinControl* fActiveControl = nullptr;
  std::unique_ptr<TIcon> fIcon;
};

// The modal hook: called with each modal form once its loop runs (not for a
// form whose result was set before). It may read the form, press its buttons,
// tick its boxes, or return and let the form wait. Answers the previous hook.
using TModalHook = std::function<void(TForm& form)>;
TModalHook SetModalHook(TModalHook hook);

// Helpers for modal hooks: the component of that name on the form or on any
// control it holds (compared without regard to case); nullptr when none.
TComponent* FindNamedComponent(TComponent& root, const String& name);
// Clicks the button of that name; false when the form has none.
bool PressButton(TForm& form, const String& name);

// ---------------------------------------------------------------------------

// The application: a view of the host's QApplication.
class TApplication {
 public:
  // True when the host has created its QApplication.
  bool Exists() const { return ApplicationExists(); }
  // Handles the events that are waiting, then returns.
  void ProcessMessages();
  // The host's main window, if it has named one; cleared when that form goes.
  TForm* MainForm() const { return fMainForm; }
  void SetMainForm(TForm* form) { fMainForm = form; }
  // The application's icon (empty until the host sets one).
  TIcon& Icon();
  String Title() const;
  void SetTitle(const String& title);
  // The number of modal loops running.
  Int32 ModalLevel() const { return fModalLevel; }

 private:
  friend class TForm;
  TForm* fMainForm = nullptr;
  std::unique_ptr<TIcon> fIcon;
  String fTitle;
  Int32 fModalLevel = 0;
};

TApplication& Application();

// The screen: its size, its cursor and the forms on it.
class TScreen {
 public:
  // The cursor shown over every window while it is not crDefault.
  TCursor Cursor() const { return fCursor; }
  void SetCursor(TCursor c);
  Int32 PixelsPerInch() const;
  Int32 Width() const;
  Int32 Height() const;
  // The form whose window is active; nullptr when none of the library's forms is.
  TForm* ActiveForm() const;
  Int32 FormCount() const { return static_cast<Int32>(fForms.size()); }
  TForm* Forms(Int32 index) const;

 private:
  friend class TForm;
  TCursor fCursor = 0;
  std::vector<TForm*> fForms;
};

TScreen& Screen();

// The system's alert sound. The handler is replaceable (tests count beeps);
// the default rings the application's bell. True when a sound was asked for.
using TMessageBeepHandler = std::function<void(Cardinal type)>;
TMessageBeepHandler SetMessageBeepHandler(TMessageBeepHandler handler);
bool MessageBeep(Cardinal type);

}  // namespace sk
