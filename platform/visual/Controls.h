// Components and controls on Qt Widgets.
//
// TComponent: a named object that owns other components and frees them when
// it is freed; its Name is also its Qt object's name. TControl: a component
// with a Qt widget, a place on its parent (bounds, alignment, visibility), a
// font, colours, a cursor, a reading direction and mouse events.
// TWinControl: a control that holds other controls and takes the keyboard.
// TCustomControl and TGraphicControl: controls that paint themselves on a
// canvas in Paint.
//
// A control needs the host's QApplication: creating one without it raises
// EInvalidOperation. Controls and components are made with new and an owner
// (which frees them) or freed with delete; a parent frees the controls placed
// on it when it is freed. Everything runs on the user-interface thread.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/runtime/Colors.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/TextLayout.h"
#include "platform/visual/Graphics.h"

class QEvent;
class QObject;
class QWidget;

namespace sk {

class TComponent;
class TControl;
class TWinControl;
class TForm;

class EComponentError : public Exception {
  using Exception::Exception;
};
// Raised for an operation the object's state does not allow: a control made
// without an application, a visible form shown modally, a control placed in
// itself.
class EInvalidOperation : public Exception {
  using Exception::Exception;
};

// True when the host has created its QApplication.
bool ApplicationExists();
// Raises EInvalidOperation naming what needed the application when there is none.
void RequireApplication(const char* what);

// ---------------------------------------------------------------------------

enum TOperation : uint8_t { opInsert, opRemove };

enum TComponentStateFlag : uint8_t { csLoading, csReading, csWriting, csDestroying, csDesigning };
using TComponentState = Byte;

class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return fOwner; }
  const String& Name() const { return fName; }
  // A name is empty or an identifier (a letter or "_", then letters, digits
  // and "_"), unique without regard to case among the owner's components;
  // anything else raises EComponentError.
  virtual void SetName(const String& name);
  NativeInt Tag() const { return fTag; }
  void SetTag(NativeInt tag) { fTag = tag; }

  Int32 ComponentCount() const { return static_cast<Int32>(fComponents.size()); }
  // The owned component at index (0 first); raises EListError outside the range.
  TComponent* Components(Int32 index) const;
  // This component's index among its owner's components; -1 without an owner.
  Int32 ComponentIndex() const;
  // The owned component of that name (compared without regard to case); nullptr when none.
  TComponent* FindComponent(const String& name) const;
  // Takes the component over from its present owner (if any).
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  // Frees every owned component, the last first.
  void DestroyComponents();

  // The component is told (Notification with opRemove) when other is freed.
  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

  TComponentState ComponentState() const { return fState; }
  bool InState(TComponentStateFlag f) const { return (fState >> f) & 1u; }
  void SetDesigning(bool designing);

 protected:
  virtual void Notification(TComponent* component, TOperation operation);
  // Called after the component's properties have been read in one go.
  virtual void Loaded() {}
  // The Qt object that carries the component's name; nullptr when none.
  virtual QObject* NamedObject() const { return nullptr; }
  // Marks the component as being destroyed; derived destructors call it first.
  void Destroying();

 private:
  TComponent* fOwner = nullptr;
  String fName;
  NativeInt fTag = 0;
  TComponentState fState = 0;
  std::vector<TComponent*> fComponents;
  std::vector<TComponent*> fFreeNotifies;
};

// ---------------------------------------------------------------------------
// Values of controls.

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TTextLayout : uint8_t { tlTop, tlCenter, tlBottom };
enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

// Set of shift keys and mouse buttons, one bit per TShiftStateFlag.
enum TShiftStateFlag : uint8_t { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = Word;
inline constexpr TShiftState ShiftBit(TShiftStateFlag f) { return static_cast<TShiftState>(1u << f); }

using TCursor = SmallInt;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;

// Virtual key codes of the keyboard events.
inline constexpr Word VK_BACK = 0x08;
inline constexpr Word VK_TAB = 0x09;
inline constexpr Word VK_RETURN = 0x0D;
inline constexpr Word VK_SHIFT = 0x10;
inline constexpr Word VK_CONTROL = 0x11;
inline constexpr Word VK_MENU = 0x12;
inline constexpr Word VK_PAUSE = 0x13;
inline constexpr Word VK_CAPITAL = 0x14;
inline constexpr Word VK_ESCAPE = 0x1B;
inline constexpr Word VK_SPACE = 0x20;
inline constexpr Word VK_PRIOR = 0x21;
inline constexpr Word VK_NEXT = 0x22;
inline constexpr Word VK_END = 0x23;
inline constexpr Word VK_HOME = 0x24;
inline constexpr Word VK_LEFT = 0x25;
inline constexpr Word VK_UP = 0x26;
inline constexpr Word VK_RIGHT = 0x27;
inline constexpr Word VK_DOWN = 0x28;
inline constexpr Word VK_INSERT = 0x2D;
inline constexpr Word VK_DELETE = 0x2E;
inline constexpr Word VK_F1 = 0x70;
inline constexpr Word VK_F12 = 0x7B;
inline constexpr Word VK_APPS = 0x5D;
inline constexpr Word VK_ADD = 0x6B;
inline constexpr Word VK_SUBTRACT = 0x6D;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Int32 X, Int32 Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, Int32 X, Int32 Y)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, Char& Key)>;

// A window message: a number (WM_USER and above for the library's own), two
// parameters and the handler's result.
struct TMessage {
  Cardinal Msg = 0;
  UInt64 WParam = 0;
  Int64 LParam = 0;
  Int64 Result = 0;
};
inline constexpr Cardinal WM_USER = 0x0400;

// Makes a control's Qt widget; the visual layer's controls pass one to their
// base constructor (see QtBridge.h).
using TWidgetFactory = QWidget* (*)(TControl* control);

// ---------------------------------------------------------------------------

class TControl : public TComponent {
 public:
  ~TControl() override;

  TWinControl* Parent() const { return fParent; }
  // Places the control on parent (nullptr takes it off); it becomes one of
  // parent's controls and its widget a child of parent's widget.
  virtual void SetParent(TWinControl* parent);

  Int32 Left() const { return fLeft; }
  Int32 Top() const { return fTop; }
  Int32 Width() const { return fWidth; }
  Int32 Height() const { return fHeight; }
  void SetLeft(Int32 v) { SetBounds(v, fTop, fWidth, fHeight); }
  void SetTop(Int32 v) { SetBounds(fLeft, v, fWidth, fHeight); }
  void SetWidth(Int32 v) { SetBounds(fLeft, fTop, v, fHeight); }
  void SetHeight(Int32 v) { SetBounds(fLeft, fTop, fWidth, v); }
  // Position on the parent's client area (on the screen for a form) and size;
  // negative sizes become 0.
  virtual void SetBounds(Int32 left, Int32 top, Int32 width, Int32 height);
  TRect BoundsRect() const { return TRect{fLeft, fTop, fLeft + fWidth, fTop + fHeight}; }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }
  // The client area, from (0, 0).
  virtual TRect ClientRect() const;
  Int32 ClientWidth() const { return ClientRect().Right; }
  Int32 ClientHeight() const { return ClientRect().Bottom; }
  void SetClientWidth(Int32 w);
  void SetClientHeight(Int32 h);
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;
  TAlign Align() const { return fAlign; }
  void SetAlign(TAlign a);

  bool Visible() const { return fVisible; }
  virtual void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // True when the control and every parent are visible.
  bool Showing() const;
  bool Enabled() const { return fEnabled; }
  virtual void SetEnabled(bool e);
  // Caption and Text are the same property.
  String Caption() const { return GetText(); }
  void SetCaption(const String& s) { SetText(s); }
  virtual String GetText() const { return fText; }
  virtual void SetText(const String& s);

  // The font; changing it stops the control following its parent's font.
  TFont& Font() { return *fFont; }
  const TFont& Font() const { return *fFont; }
  bool ParentFont() const { return fParentFont; }
  void SetParentFont(bool p);
  TColor Color() const { return fColor; }
  void SetColor(TColor c);
  bool ParentColor() const { return fParentColor; }
  void SetParentColor(bool p);
  TCursor Cursor() const { return fCursor; }
  void SetCursor(TCursor c);
  const String& Hint() const { return fHint; }
  void SetHint(const String& h);
  bool ShowHint() const { return fShowHint; }
  void SetShowHint(bool s);
  TBiDiMode BiDiMode() const { return fBiDiMode; }
  void SetBiDiMode(TBiDiMode m);
  bool ParentBiDiMode() const { return fParentBiDiMode; }
  void SetParentBiDiMode(bool p);
  // Right-to-left alignment for bdRightToLeft; right-to-left reading for any
  // mode but bdLeftToRight.
  bool UseRightToLeftAlignment() const { return fBiDiMode == bdRightToLeft; }
  bool UseRightToLeftReading() const { return fBiDiMode != bdLeftToRight; }
  bool MouseCapture() const;
  void SetMouseCapture(bool capture);

  // Repaint requests: Invalidate marks the control for painting, Update paints
  // what is marked now, Repaint and Refresh do both.
  void Invalidate();
  void Update();
  void Repaint();
  void Refresh() { Repaint(); }

  // Sends a message to the control at once (WndProc) and answers its result.
  Int64 Perform(Cardinal msg, UInt64 wParam = 0, Int64 lParam = 0);
  // Handles the control's messages (those sent with Perform and SendMessage,
  // and those posted with PostMessage); the base class answers 0.
  virtual void WndProc(TMessage& message);

  // Sizes designed at 96 dots per inch are device-independent pixels here.
  Int32 CurrentPPI() const { return 96; }
  Int32 ScaleValue(Int32 value) const { return value; }

  // Events.
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  // The control's Qt widget (nullptr once Qt has destroyed it).
  QWidget* Widget() const;

  // Event entry points for the widget (QtBridge.h); not for other callers.
  bool RouteEventBefore(QEvent* e);
  void RouteEventAfter(QEvent* e);
  bool RoutePaint(QEvent* e);

 protected:
  // Makes the control with the widget that the factory makes for it; raises
  // EInvalidOperation when there is no application.
  TControl(TComponent* owner, TWidgetFactory factory);

  QObject* NamedObject() const override;
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton button, TShiftState shift, Int32 x, Int32 y);
  virtual void MouseMove(TShiftState shift, Int32 x, Int32 y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, Int32 x, Int32 y);
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void Resize();
  // Notifications after the property changed.
  virtual void EnabledChanged() {}
  virtual void VisibleChanged() {}
  virtual void BiDiModeChanged() {}
  virtual void FontChanged();
  virtual void ColorChanged();
  virtual void TextChanged() {}
  // Whether the control paints itself through Paint (custom and graphic
  // controls) and fills its background with Color before.
  virtual bool PaintsItself() const { return false; }
  virtual bool FillsBackground() const { return false; }
  virtual void PaintControl() {}
  // Whether a left press and release inside the control make a click (the
  // standard controls report their own clicks).
  virtual bool ClicksOnRelease() const { return true; }
  // Applies the bounds to the widget (forms place a window).
  virtual void ApplyGeometry();
  // The canvas a self-painting control draws on; nullptr otherwise.
  virtual TCanvas* PaintCanvas() { return nullptr; }
  // The widget becomes visible or hidden as Visible and the parent say.
  void UpdateWidgetVisibility();
  void ParentFontChanged();
  void ParentColorChanged();
  void ParentBiDiModeChanged();

 private:
  friend class TWinControl;
  class TWidgetHolder;

  std::unique_ptr<TWidgetHolder> fWidget;
  TWinControl* fParent = nullptr;
  Int32 fLeft = 0, fTop = 0, fWidth = 0, fHeight = 0;
  TAlign fAlign = alNone;
  bool fVisible = true;
  bool fEnabled = true;
  String fText;
  std::unique_ptr<TFont> fFont;
  bool fParentFont = true;
  bool fFollowingParentFont = false;
  TColor fColor = clBtnFace;
  bool fParentColor = false;
  TCursor fCursor = crDefault;
  String fHint;
  bool fShowHint = false;
  TBiDiMode fBiDiMode = bdLeftToRight;
  bool fParentBiDiMode = true;
  bool fPressedInside = false;
};

class TWinControl : public TControl {
 public:
  // A plain container with a widget of its own.
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  Int32 ControlCount() const { return static_cast<Int32>(fControls.size()); }
  // The control placed at index (in the order they were placed).
  TControl* Controls(Int32 index) const;
  bool ContainsControl(TControl* control) const;

  void SetFocus();
  bool Focused() const;
  virtual bool CanFocus() const;
  bool TabStop() const { return fTabStop; }
  void SetTabStop(bool t);
  // The window: the control's widget (nullptr once Qt has destroyed it).
  void* Handle() const;
  bool HandleAllocated() const { return fHandleCreated; }
  // Runs CreateWnd once, if it has not run yet.
  void HandleNeeded();
  bool DoubleBuffered() const { return fDoubleBuffered; }
  void SetDoubleBuffered(bool d) { fDoubleBuffered = d; }

  // Places the aligned controls again (top, bottom, left, right, then client).
  void Realign();
  void DisableAlign() { ++fAlignDisabled; }
  void EnableAlign();

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  // Keyboard entry points for the widget and for forms that preview keys.
  void DoKeyDown(Word& key, TShiftState shift);
  void DoKeyUp(Word& key, TShiftState shift);
  void DoKeyPress(Char& key);

 protected:
  TWinControl(TComponent* owner, TWidgetFactory factory);
  // Runs once, when the control is first shown or HandleNeeded is called.
  virtual void CreateWnd() {}
  virtual void KeyDown(Word& key, TShiftState shift);
  virtual void KeyUp(Word& key, TShiftState shift);
  virtual void KeyPress(Char& key);
  virtual void DoEnter();
  virtual void DoExit();
  // Places the aligned controls inside rect; rect shrinks by each one placed.
  virtual void AlignControls(TControl* control, TRect& rect);
  void Resize() override;
  void FontChanged() override;
  void ColorChanged() override;
  void BiDiModeChanged() override;

 private:
  friend class TControl;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);

  std::vector<TControl*> fControls;
  bool fTabStop = false;
  bool fHandleCreated = false;
  bool fDoubleBuffered = false;
  Int32 fAlignDisabled = 0;
  bool fAligning = false;
};

// A windowed control that paints itself on its canvas in Paint.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;
  // The canvas: drawable while Paint runs; outside Paint it measures text only.
  TCanvas& Canvas() { return *fCanvas; }

 protected:
  TCustomControl(TComponent* owner, TWidgetFactory factory);
  virtual void Paint() {}
  bool PaintsItself() const override { return true; }
  bool FillsBackground() const override { return true; }
  void PaintControl() override { Paint(); }
  TCanvas* PaintCanvas() override { return fCanvas.get(); }

 private:
  std::unique_ptr<TCanvas> fCanvas;
};

// A control without the keyboard that paints itself (labels, images, lines);
// its background is its parent's unless Paint fills it.
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  TCanvas& Canvas() { return *fCanvas; }

 protected:
  virtual void Paint() {}
  bool PaintsItself() const override { return true; }
  void PaintControl() override { Paint(); }
  TCanvas* PaintCanvas() override { return fCanvas.get(); }

 private:
  std::unique_ptr<TCanvas> fCanvas;
};

// The form the control sits on (the control itself when it is a form);
// nullptr when it sits on none.
TForm* GetParentForm(TControl* control);

// Messages between controls: SendMessage runs the target's WndProc at once;
// PostMessage queues the message and returns at once (false when the target
// has no widget). A posted message whose target is freed before it arrives is
// dropped.
Int64 SendMessage(TControl* target, Cardinal msg, UInt64 wParam, Int64 lParam);
bool PostMessage(TControl* target, Cardinal msg, UInt64 wParam, Int64 lParam);

// Drops the input events waiting for the window (a control's Handle; nullptr
// for every window) whose message numbers lie in [firstMessage, lastMessage]
// (keyboard 256 to 265, mouse 512 to 526). Other waiting events are delivered.
void FlushPendingInput(void* window, Cardinal firstMessage, Cardinal lastMessage);

}  // namespace sk
