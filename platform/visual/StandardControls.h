// The standard controls that dialogs are made of: push buttons, check boxes,
// edit boxes, labels and images.
#pragma once

#include "platform/visual/Controls.h"
#include "platform/visual/Forms.h"

namespace sk {

// Messages of buttons: the click command the window sends its control
// (notification code BN_CLICKED in the high word of WParam), and the check
// state of a push-like button.
inline constexpr Cardinal CN_COMMAND = 0xBD11;
inline constexpr Word BN_CLICKED = 0;
inline constexpr Cardinal BM_GETCHECK = 240;
inline constexpr Cardinal BM_SETCHECK = 241;
inline constexpr UInt64 BST_UNCHECKED = 0;
inline constexpr UInt64 BST_CHECKED = 1;

// A push button (75 x 25). The user's click comes as the command message
// CN_COMMAND with BN_CLICKED, which calls Click. A click sets the form's
// modal result to the button's ModalResult (when not mrNone), then raises
// OnClick. "&" in the caption marks the access key; "&&" is one ampersand.
class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner);
  ~TButton() override;

  TModalResult ModalResult() const { return fModalResult; }
  void SetModalResult(TModalResult r) { fModalResult = r; }
  // Return presses the default button, Escape the cancel button.
  bool Default() const { return fDefault; }
  void SetDefault(bool d);
  bool Cancel() const { return fCancel; }
  void SetCancel(bool c) { fCancel = c; }

  void Click() override;
  void SetText(const String& s) override;
  void WndProc(TMessage& message) override;

  // A push-like button stays down while it is checked (BM_SETCHECK), and the
  // user's click also turns it down or up.
  bool PushLike() const { return fPushLike; }
  void SetPushLike(bool p);
  bool Down() const;

  // For the visual layer's widget: lets the button draw over what Qt drew.
  void PaintOver(QPainter* painter, TSize extent);

 protected:
  bool ClicksOnRelease() const override { return false; }
  // Draws over the button after Qt has drawn it; nothing here.
  virtual void PaintOverlay(TCanvas& canvas) { (void)canvas; }

 private:
  std::unique_ptr<TCanvas> fOverlayCanvas;
  bool fPushLike = false;
  TModalResult fModalResult = mrNone;
  bool fDefault = false;
  bool fCancel = false;
};

enum TCheckBoxState : uint8_t { cbUnchecked, cbChecked, cbGrayed };

// A check box (97 x 17). Every change of its state, by the user or by code,
// raises OnClick. The user's click (or Space) calls Toggle.
class TCheckBox : public TWinControl {
 public:
  explicit TCheckBox(TComponent* owner);
  ~TCheckBox() override;

  bool Checked() const { return fState == cbChecked; }
  void SetChecked(bool c) { SetState(c ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return fState; }
  void SetState(TCheckBoxState s);
  bool AllowGrayed() const { return fAllowGrayed; }
  void SetAllowGrayed(bool a);
  // Whether the caption may break into lines; kept for the caller, since
  // Qt's check box draws its caption on one line.
  bool WordWrap() const { return fWordWrap; }
  void SetWordWrap(bool w) { fWordWrap = w; }

  void SetText(const String& s) override;

  // The next state of the user's click: unchecked goes to grayed (with
  // AllowGrayed) or checked, checked to unchecked, grayed to checked.
  virtual void Toggle();

 protected:
  bool ClicksOnRelease() const override { return false; }

 private:
  void StateFromWidget(int qtState);
  bool fWordWrap = false;
  TCheckBoxState fState = cbUnchecked;
  bool fAllowGrayed = false;
  bool fSettingState = false;
};

// A label: its caption drawn with DrawText's rules (lines broken at CR and
// LF, and at blanks with WordWrap). With AutoSize it takes the size of its
// text (keeping its width when it wraps). Its colour is its parent's unless
// set; a transparent label leaves its background as it is.
class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* owner);
  ~TLabel() override;

  bool AutoSize() const { return fAutoSize; }
  void SetAutoSize(bool a);
  bool WordWrap() const { return fWordWrap; }
  void SetWordWrap(bool w);
  // With WordWrap: lines break also inside words where the script allows
  // and in a run too long for a line (DT_BREAKWITHINWORDS), so that the text
  // keeps to the label's width whatever it holds.
  bool BreakWithinWords() const { return fBreakWithinWords; }
  void SetBreakWithinWords(bool b);
  TAlignment Alignment() const { return fAlignment; }
  void SetAlignment(TAlignment a);
  TTextLayout Layout() const { return fLayout; }
  void SetLayout(TTextLayout l);
  bool Transparent() const { return fTransparent; }
  void SetTransparent(bool t);
  // Whether "&" marks an access key (and "&&" is one ampersand); otherwise
  // the caption is drawn as it is.
  bool ShowAccelChar() const { return fShowAccelChar; }
  void SetShowAccelChar(bool s);
  TWinControl* FocusControl() const { return fFocusControl; }
  void SetFocusControl(TWinControl* c);

  // The DrawText flags the label draws with.
  Cardinal DrawTextFlags() const;
  // With AutoSize: takes the text's size.
  void AdjustBounds();

 protected:
  void Paint() override;
  void TextChanged() override;
  void FontChanged() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  bool fAutoSize = true;
  bool fWordWrap = false;
  bool fBreakWithinWords = false;
  TAlignment fAlignment = taLeftJustify;
  TTextLayout fLayout = tlTop;
  bool fTransparent = false;
  bool fShowAccelChar = true;
  TWinControl* fFocusControl = nullptr;
};

// A picture on a form: drawn at its own size from the top-left corner,
// centred, or stretched over the control.
class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;

  TPicture& Picture() { return fPicture; }
  bool Stretch() const { return fStretch; }
  void SetStretch(bool s);
  bool Center() const { return fCenter; }
  void SetCenter(bool c);
  bool Proportional() const { return fProportional; }
  void SetProportional(bool p);

 protected:
  void Paint() override;

 private:
  TPicture fPicture;
  bool fStretch = false;
  bool fCenter = false;
  bool fProportional = false;
};

}  // namespace sk
