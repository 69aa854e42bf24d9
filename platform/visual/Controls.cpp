#include "platform/visual/Controls.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QPointer>
#include <QtGui/QCursor>
#include <QtGui/QKeyEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QFontMetricsF>
#include <QtGui/QGuiApplication>
#include <QtGui/QPainter>
#include <QtGui/QScreen>
#include <QtGui/QTextDocument>
#include <QtWidgets/QApplication>
#include <QtWidgets/QToolTip>
#include <QtWidgets/QWidget>
#include <algorithm>

#include "platform/visual/Forms.h"
#include "platform/visual/QtBridge.h"
#include "platform/visual/QtConvert.h"
#include "platform/visual/Screen.h"

namespace sk {

// A tip reads a hint that looks like markup as rich text, so such a hint goes
// to it escaped, in a paragraph that keeps its blanks and its line ends.
// A plain hint's tip shows each of its lines on one line unless one is wider
// than the screen, when the tip wraps the hint within the screen; the
// paragraph does the same.
QString ToQToolTip(const String& hint) {
  const QString q = ToQString(hint);
  if (!Qt::mightBeRichText(q)) return q;
  const QFontMetricsF metrics(QToolTip::font());
  qreal widest = 0;
  for (const QString& line : q.split(QLatin1Char('\n'))) widest = std::max(widest, metrics.horizontalAdvance(line));
  const QScreen* screen = QGuiApplication::primaryScreen();
  const bool wraps = screen != nullptr && widest > screen->geometry().width();
  return (wraps ? QStringLiteral("<p style=\"white-space:pre-wrap\">") : QStringLiteral("<p style=\"white-space:pre\">")) +
         q.toHtmlEscaped() + QStringLiteral("</p>");
}

namespace {

bool SameNameIgnoringCase(const String& a, const String& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    Char x = a[i], y = b[i];
    if (x >= u'a' && x <= u'z') x = static_cast<Char>(x - 32);
    if (y >= u'a' && y <= u'z') y = static_cast<Char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

bool IsIdentifier(const String& s) {
  if (s.empty()) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    const Char c = s[i];
    const bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
    const bool digit = c >= u'0' && c <= u'9';
    if (!(letter || (i > 0 && digit))) return false;
  }
  return true;
}

// A window message travelling through Qt's event queue.
class TMessageEvent : public QEvent {
 public:
  static QEvent::Type Kind() {
    static const QEvent::Type kind = static_cast<QEvent::Type>(QEvent::registerEventType());
    return kind;
  }
  TMessageEvent(Cardinal msg, UInt64 w, Int64 l) : QEvent(Kind()), message{msg, w, l, 0} {}
  TMessage message;
};

// The surface of a control while it paints: the paint event's painter.
class TControlSurface : public TCanvasSurface {
 public:
  TControlSurface(QPainter* painter, TSize extent) : fPainter(painter), fExtent(extent) {}
  QPainter* Painter() override { return fPainter; }
  TSize Extent() const override { return fExtent; }

 private:
  QPainter* fPainter;
  TSize fExtent;
};

TShiftState ShiftOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
  TShiftState s = 0;
  if (mods & Qt::ShiftModifier) s |= ShiftBit(ssShift);
  if (mods & Qt::ControlModifier) s |= ShiftBit(ssCtrl);
  if (mods & Qt::AltModifier) s |= ShiftBit(ssAlt);
  if (buttons & Qt::LeftButton) s |= ShiftBit(ssLeft);
  if (buttons & Qt::RightButton) s |= ShiftBit(ssRight);
  if (buttons & Qt::MiddleButton) s |= ShiftBit(ssMiddle);
  return s;
}

bool ButtonOf(Qt::MouseButton b, TMouseButton& out) {
  switch (b) {
    case Qt::LeftButton: out = mbLeft; return true;
    case Qt::RightButton: out = mbRight; return true;
    case Qt::MiddleButton: out = mbMiddle; return true;
    default: return false;
  }
}

Word VirtualKeyOf(const QKeyEvent* e) {
  const int k = e->key();
  const bool keypad = (e->modifiers() & Qt::KeypadModifier) != 0;
  if (k >= Qt::Key_A && k <= Qt::Key_Z) return static_cast<Word>('A' + (k - Qt::Key_A));
  if (k >= Qt::Key_0 && k <= Qt::Key_9) return static_cast<Word>(keypad ? 0x60 + (k - Qt::Key_0) : '0' + (k - Qt::Key_0));
  if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return static_cast<Word>(VK_F1 + (k - Qt::Key_F1));
  switch (k) {
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_Menu: return VK_APPS;
    case Qt::Key_Plus: return keypad ? VK_ADD : 0xBB;
    case Qt::Key_Minus: return keypad ? VK_SUBTRACT : 0xBD;
    case Qt::Key_Comma: return 0xBC;
    case Qt::Key_Period: return 0xBE;
    default: return 0;
  }
}

bool IsInputEventIn(QEvent::Type t, Cardinal first, Cardinal last) {
  const bool keys = first <= 265 && last >= 256;
  const bool mouse = first <= 526 && last >= 512;
  switch (t) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride: return keys;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel: return mouse;
    default: return false;
  }
}

// Swallows the input events of one window (or of all) while installed.
class TInputSwallower : public QObject {
 public:
  TInputSwallower(QWidget* window, Cardinal first, Cardinal last) : fWindow(window), fFirst(first), fLast(last) {}
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (!IsInputEventIn(e->type(), fFirst, fLast)) return false;
    if (fWindow == nullptr) return true;
    auto* w = qobject_cast<QWidget*>(watched);
    return w != nullptr && (w == fWindow || fWindow->isAncestorOf(w));
  }

 private:
  QWidget* fWindow;
  Cardinal fFirst, fLast;
};

}  // namespace

Qt::CursorShape CursorShapeOf(TCursor c) {
  switch (c) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: return Qt::WaitCursor;
    case crSQLWait: return Qt::WaitCursor;
    case crDrag: return Qt::DragMoveCursor;
    case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
  }
}

bool ApplicationExists() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

void RequireApplication(const char* what) {
  if (!ApplicationExists())
    throw EInvalidOperation(S(what) + u" needs the host's QApplication, and none has been created");
  WatchSystemColors();
}

// ---------------------------------------------------------------------------

TComponent::TComponent(TComponent* owner) {
  if (owner != nullptr) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  const std::vector<TComponent*> notifies = std::move(fFreeNotifies);
  fFreeNotifies.clear();
  for (TComponent* c : notifies) {
    auto& theirs = c->fFreeNotifies;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
    c->Notification(this, opRemove);
  }
  DestroyComponents();
  if (fOwner != nullptr) fOwner->RemoveComponent(this);
}

void TComponent::Destroying() { fState = static_cast<TComponentState>(fState | (1u << csDestroying)); }

void TComponent::SetDesigning(bool designing) {
  if (designing)
    fState = static_cast<TComponentState>(fState | (1u << csDesigning));
  else
    fState = static_cast<TComponentState>(fState & ~(1u << csDesigning));
}

void TComponent::SetName(const String& name) {
  if (name == fName) return;
  if (!name.empty() && !IsIdentifier(name)) throw EComponentError(u"\"" + name + u"\" is not a valid component name");
  if (!name.empty() && fOwner != nullptr) {
    const TComponent* other = fOwner->FindComponent(name);
    if (other != nullptr && other != this) throw EComponentError(u"A component named " + name + u" already exists");
  }
  fName = name;
  if (QObject* o = NamedObject()) o->setObjectName(ToQString(name));
}

TComponent* TComponent::Components(Int32 index) const {
  if (index < 0 || index >= ComponentCount()) RaiseListIndexError(index);
  return fComponents[static_cast<size_t>(index)];
}

Int32 TComponent::ComponentIndex() const {
  if (fOwner == nullptr) return -1;
  const auto& list = fOwner->fComponents;
  const auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<Int32>(it - list.begin());
}

TComponent* TComponent::FindComponent(const String& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : fComponents)
    if (SameNameIgnoringCase(c->fName, name)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
  if (component == nullptr || component->fOwner == this) return;
  if (!component->fName.empty()) {
    const TComponent* other = FindComponent(component->fName);
    if (other != nullptr) throw EComponentError(u"A component named " + component->fName + u" already exists");
  }
  if (component->fOwner != nullptr) component->fOwner->RemoveComponent(component);
  fComponents.push_back(component);
  component->fOwner = this;
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (component == nullptr || component->fOwner != this) return;
  Notification(component, opRemove);
  fComponents.erase(std::remove(fComponents.begin(), fComponents.end(), component), fComponents.end());
  component->fOwner = nullptr;
}

void TComponent::DestroyComponents() {
  while (!fComponents.empty()) {
    TComponent* c = fComponents.back();
    fComponents.pop_back();
    c->fOwner = nullptr;
    delete c;
  }
}

void TComponent::FreeNotification(TComponent* other) {
  if (other == nullptr || other == this) return;
  if (std::find(fFreeNotifies.begin(), fFreeNotifies.end(), other) == fFreeNotifies.end()) fFreeNotifies.push_back(other);
  auto& theirs = other->fFreeNotifies;
  if (std::find(theirs.begin(), theirs.end(), this) == theirs.end()) theirs.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
  if (other == nullptr) return;
  fFreeNotifies.erase(std::remove(fFreeNotifies.begin(), fFreeNotifies.end(), other), fFreeNotifies.end());
  auto& theirs = other->fFreeNotifies;
  theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove)
    fFreeNotifies.erase(std::remove(fFreeNotifies.begin(), fFreeNotifies.end(), component), fFreeNotifies.end());
}

// ---------------------------------------------------------------------------

// Holds the control's widget: when the control goes, the widget is detached
// from it and freed (later, when it is handling one of its own events).
class TControl::TWidgetHolder {
 public:
  explicit TWidgetHolder(QWidget* w) : fWidget(w) {}
  ~TWidgetHolder() {
    QWidget* w = fWidget.data();
    if (w == nullptr) return;
    TWidgetBridge* bridge = TWidgetBridge::Of(w);
    if (bridge != nullptr) bridge->Detach();
    if (w->mouseGrabber() == w) w->releaseMouse();
    if (bridge != nullptr && bridge->InEvent()) {
      // Still handling one of its own events: it goes once that is over, and
      // no longer with its parent, which may be freed before then.
      w->hide();
      w->setParent(nullptr);
      w->deleteLater();
    } else {
      delete w;
    }
  }
  QWidget* Widget() const { return fWidget.data(); }

 private:
  QPointer<QWidget> fWidget;
};

TControl::TControl(TComponent* owner, TWidgetFactory factory) : TComponent(owner), fFont(std::make_unique<TFont>()) {
  RequireApplication("A control");
  fWidget = std::make_unique<TWidgetHolder>(factory(this));
  QWidget* w = Widget();
  w->setAttribute(Qt::WA_DeleteOnClose, false);
  w->setFont(fFont->QtFont());
  w->setGeometry(0, 0, 0, 0);
  w->hide();
  fFont->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
  Destroying();
  if (fParent != nullptr) {
    TWinControl* parent = fParent;
    fParent = nullptr;
    parent->RemoveControl(this);
  }
  fWidget.reset();
}

QWidget* TControl::Widget() const { return fWidget ? fWidget->Widget() : nullptr; }

QObject* TControl::NamedObject() const { return Widget(); }

void TControl::SetParent(TWinControl* parent) {
  if (parent == fParent) return;
  for (TControl* p = parent; p != nullptr; p = p->fParent)
    if (p == this) throw EInvalidOperation(u"A control cannot be placed on itself or on a control it holds");
  if (fParent != nullptr) {
    TWinControl* old = fParent;
    fParent = nullptr;
    old->RemoveControl(this);
  }
  fParent = parent;
  if (QWidget* w = Widget()) {
    const Qt::WindowFlags flags = w->windowFlags();
    if (parent != nullptr)
      w->setParent(parent->Widget(), flags & ~Qt::Window);
    else if (!(flags & Qt::Window))
      w->setParent(nullptr);
    ApplyGeometry();
  }
  if (parent != nullptr) {
    parent->InsertControl(this);
    ParentFontChanged();
    ParentColorChanged();
    ParentBiDiModeChanged();
  }
  UpdateWidgetVisibility();
  if (parent != nullptr && fAlign != alNone) parent->Realign();
}

void TControl::UpdateWidgetVisibility() {
  QWidget* w = Widget();
  if (w == nullptr) return;
  if (w->isWindow()) {
    w->setVisible(fVisible);
    return;
  }
  w->setVisible(fVisible && fParent != nullptr);
}

void TControl::ApplyGeometry() {
  if (QWidget* w = Widget()) w->setGeometry(fLeft, fTop, fWidth, fHeight);
}

void TControl::SetBounds(Int32 left, Int32 top, Int32 width, Int32 height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  const bool sized = width != fWidth || height != fHeight;
  const bool moved = left != fLeft || top != fTop;
  if (!sized && !moved) return;
  fLeft = left;
  fTop = top;
  fWidth = width;
  fHeight = height;
  ApplyGeometry();
  if (fParent != nullptr && fAlign != alNone) fParent->Realign();
  if (sized) Resize();
}

TRect TControl::ClientRect() const { return TRect{0, 0, fWidth, fHeight}; }

void TControl::SetClientWidth(Int32 w) { SetWidth(w + (fWidth - ClientWidth())); }

void TControl::SetClientHeight(Int32 h) { SetHeight(h + (fHeight - ClientHeight())); }

TPoint TControl::ClientToScreen(TPoint p) const {
  QWidget* w = Widget();
  return w ? FromQPoint(w->mapToGlobal(ToQPoint(p))) : p;
}

TPoint TControl::ScreenToClient(TPoint p) const {
  QWidget* w = Widget();
  return w ? FromQPoint(w->mapFromGlobal(ToQPoint(p))) : p;
}

void TControl::SetAlign(TAlign a) {
  if (a == fAlign) return;
  fAlign = a;
  if (fParent != nullptr) fParent->Realign();
}

void TControl::SetVisible(bool v) {
  if (v == fVisible) return;
  fVisible = v;
  UpdateWidgetVisibility();
  VisibleChanged();
  if (fParent != nullptr && fAlign != alNone) fParent->Realign();
}

bool TControl::Showing() const {
  if (!fVisible) return false;
  if (fParent != nullptr) return fParent->Showing();
  QWidget* w = Widget();
  return w != nullptr && w->isWindow() && w->isVisible();
}

void TControl::SetEnabled(bool e) {
  if (e == fEnabled) return;
  fEnabled = e;
  if (QWidget* w = Widget()) w->setEnabled(e);
  EnabledChanged();
}

void TControl::SetText(const String& s) {
  if (s == fText) return;
  fText = s;
  TextChanged();
  Invalidate();
}

void TControl::SetParentFont(bool p) {
  if (p == fParentFont) return;
  fParentFont = p;
  if (p) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!fParentFont || fParent == nullptr) return;
  fFollowingParentFont = true;
  fFont->Assign(fParent->Font());
  fFollowingParentFont = false;
}

void TControl::FontChanged() {
  if (!fFollowingParentFont) fParentFont = false;
  if (QWidget* w = Widget()) w->setFont(fFont->QtFont());
  Invalidate();
}

void TControl::SetColor(TColor c) {
  fParentColor = false;
  if (c == fColor) return;
  fColor = c;
  ColorChanged();
}

void TControl::SetParentColor(bool p) {
  if (p == fParentColor) return;
  fParentColor = p;
  if (p) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!fParentColor || fParent == nullptr || fParent->fColor == fColor) return;
  fColor = fParent->fColor;
  ColorChanged();
}

void TControl::ColorChanged() { Invalidate(); }

void TControl::SetCursor(TCursor c) {
  if (c == fCursor) return;
  fCursor = c;
  if (QWidget* w = Widget()) {
    if (c == crDefault)
      w->unsetCursor();
    else
      w->setCursor(QCursor(CursorShapeOf(c)));
  }
}

void TControl::SetHint(const String& h) {
  fHint = h;
  if (QWidget* w = Widget()) w->setToolTip(fShowHint ? ToQToolTip(h) : QString());
}

void TControl::SetShowHint(bool s) {
  fShowHint = s;
  SetHint(fHint);
}

void TControl::SetBiDiMode(TBiDiMode m) {
  fParentBiDiMode = false;
  if (m == fBiDiMode) return;
  fBiDiMode = m;
  if (QWidget* w = Widget()) w->setLayoutDirection(UseRightToLeftAlignment() ? Qt::RightToLeft : Qt::LeftToRight);
  BiDiModeChanged();
  Invalidate();
}

void TControl::SetParentBiDiMode(bool p) {
  if (p == fParentBiDiMode) return;
  fParentBiDiMode = p;
  if (p) ParentBiDiModeChanged();
}

void TControl::ParentBiDiModeChanged() {
  if (!fParentBiDiMode || fParent == nullptr || fParent->fBiDiMode == fBiDiMode) return;
  SetBiDiMode(fParent->fBiDiMode);
  fParentBiDiMode = true;
}

bool TControl::MouseCapture() const {
  QWidget* w = Widget();
  return w != nullptr && QWidget::mouseGrabber() == w;
}

void TControl::SetMouseCapture(bool capture) {
  QWidget* w = Widget();
  if (w == nullptr) return;
  if (capture)
    w->grabMouse();
  else if (QWidget::mouseGrabber() == w)
    w->releaseMouse();
}

void TControl::Invalidate() {
  if (QWidget* w = Widget()) w->update();
}

void TControl::Update() {
  if (QWidget* w = Widget(); w != nullptr && w->isVisible()) w->repaint();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

Int64 TControl::Perform(Cardinal msg, UInt64 wParam, Int64 lParam) {
  TMessage m{msg, wParam, lParam, 0};
  WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& message) { (void)message; }

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, Int32 x, Int32 y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, Int32 x, Int32 y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, Int32 x, Int32 y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}

void TControl::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave(this);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

bool TControl::RouteEventBefore(QEvent* e) {
  QWidget* w = Widget();
  if (w == nullptr) return false;
  // A handler may free this control; the widget's bridge lets go of it then.
  TWidgetBridge* bridge = TWidgetBridge::Of(w);
  auto alive = [bridge, this] { return bridge != nullptr && bridge->Control() == this; };
  switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      auto* me = static_cast<QMouseEvent*>(e);
      TMouseButton b;
      if (!ButtonOf(me->button(), b)) return false;
      TShiftState shift = ShiftOf(me->modifiers(), me->buttons());
      const QPoint at = me->position().toPoint();
      if (e->type() == QEvent::MouseButtonDblClick) {
        shift |= ShiftBit(ssDouble);
        DblClick();
        if (!alive()) return true;
      }
      fPressedInside = b == mbLeft;
      MouseDown(b, shift, at.x(), at.y());
      return !alive();
    }
    case QEvent::MouseButtonRelease: {
      auto* me = static_cast<QMouseEvent*>(e);
      TMouseButton b;
      if (!ButtonOf(me->button(), b)) return false;
      const QPoint at = me->position().toPoint();
      const bool click = b == mbLeft && fPressedInside && w->rect().contains(at);
      if (b == mbLeft) fPressedInside = false;
      MouseUp(b, ShiftOf(me->modifiers(), me->buttons()), at.x(), at.y());
      if (!alive()) return true;
      if (click && ClicksOnRelease()) Click();
      return !alive();
    }
    case QEvent::MouseMove: {
      auto* me = static_cast<QMouseEvent*>(e);
      const QPoint at = me->position().toPoint();
      MouseMove(ShiftOf(me->modifiers(), me->buttons()), at.x(), at.y());
      return !alive();
    }
    case QEvent::Close:
      if (auto* form = dynamic_cast<TForm*>(this)) {
        // The window's close box: the form decides, as for Close.
        e->ignore();
        form->WindowCloseRequested();
        return true;
      }
      return false;
    case QEvent::Enter:
      MouseEnter();
      return !alive();
    case QEvent::Leave:
      MouseLeave();
      return !alive();
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      auto* wc = dynamic_cast<TWinControl*>(this);
      if (wc == nullptr) return false;
      auto* ke = static_cast<QKeyEvent*>(e);
      Word key = VirtualKeyOf(ke);
      const TShiftState shift = ShiftOf(ke->modifiers(), Qt::NoButton);
      TForm* form = GetParentForm(this);
      const bool isForm = static_cast<TControl*>(form) == this;
      if (e->type() == QEvent::KeyRelease) {
        if (key != 0) wc->DoKeyUp(key, shift);
        return !alive() || key == 0;
      }
      const bool preview = form != nullptr && !isForm && form->KeyPreview();
      if (preview && key != 0) {
        form->DoKeyDown(key, shift);
        if (!alive() || key == 0) return true;
      }
      if (key != 0) {
        wc->DoKeyDown(key, shift);
        if (!alive() || key == 0) return true;
      }
      const QString text = ke->text();
      if (!text.isEmpty()) {
        Char ch = static_cast<Char>(text.at(0).unicode());
        if (preview) {
          form->DoKeyPress(ch);
          if (!alive() || ch == 0) return true;
        }
        wc->DoKeyPress(ch);
        if (!alive() || ch == 0) return true;
      }
      return !alive();
    }
    default:
      if (e->type() == TMessageEvent::Kind()) {
        WndProc(static_cast<TMessageEvent*>(e)->message);
        return true;
      }
      return false;
  }
}

void TControl::RouteEventAfter(QEvent* e) {
  QWidget* w = Widget();
  if (w == nullptr) return;
  switch (e->type()) {
    case QEvent::Resize:
      // A size that the window system gave (the user dragging a window's
      // edge); sizes set through SetBounds are already known.
      if (w->width() != fWidth || w->height() != fHeight) {
        fWidth = w->width();
        fHeight = w->height();
        Resize();
      }
      break;
    case QEvent::Move:
      // A window's place is its client area's, as SetBounds gave it.
      if (w->isWindow()) {
        fLeft = w->geometry().x();
        fTop = w->geometry().y();
      }
      break;
    case QEvent::Show:
      if (auto* wc = dynamic_cast<TWinControl*>(this)) wc->HandleNeeded();
      break;
    case QEvent::KeyPress:
      // A key the control left unused is a dialog key of its form (Return,
      // Escape); it goes no further up than that.
      if (!e->isAccepted()) {
        e->accept();
        auto* ke = static_cast<QKeyEvent*>(e);
        const Word key = VirtualKeyOf(ke);
        if (TForm* form = GetParentForm(this); form != nullptr && key != 0)
          form->DialogKey(key, ShiftOf(ke->modifiers(), Qt::NoButton));
      }
      break;
    case QEvent::FocusIn:
      if (auto* wc = dynamic_cast<TWinControl*>(this)) wc->DoEnter();
      break;
    case QEvent::FocusOut:
      if (auto* wc = dynamic_cast<TWinControl*>(this)) wc->DoExit();
      break;
    default: break;
  }
}

bool TControl::RoutePaint(QEvent* e) {
  (void)e;
  if (!PaintsItself()) return false;
  QWidget* w = Widget();
  TCanvas* canvas = PaintCanvas();
  if (w == nullptr || canvas == nullptr) return false;
  QPainter painter(w);
  TControlSurface surface(&painter, TSize{w->width(), w->height()});
  canvas->SetSurface(&surface);
  // The surface lives on this frame: the canvas lets go of it on every way
  // out, an exception from Paint included, unless Paint freed the control
  // (and its canvas with it), which its bridge tells.
  struct ReleaseSurface {
    TControl* self;
    TCanvas* canvas;
    TWidgetBridge* bridge;
    ~ReleaseSurface() {
      if (bridge != nullptr && bridge->Control() == self) canvas->SetSurface(nullptr);
    }
  } release{this, canvas, TWidgetBridge::Of(w)};
  canvas->Font().Assign(*fFont);
  canvas->Brush().SetColor(fColor);
  canvas->Brush().SetStyle(bsSolid);
  canvas->RemoveClipRegion();
  if (FillsBackground()) painter.fillRect(w->rect(), ToQColor(fColor));
  PaintControl();
  return true;
}

// ---------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* owner) : TWinControl(owner, &MakeBridged<QWidget>) {}

TWinControl::TWinControl(TComponent* owner, TWidgetFactory factory) : TControl(owner, factory) {
  // A windowed control takes the keyboard when clicked or given the focus.
  if (QWidget* w = Widget(); w != nullptr && w->focusPolicy() == Qt::NoFocus) w->setFocusPolicy(Qt::ClickFocus);
}

TWinControl::~TWinControl() {
  Destroying();
  while (!fControls.empty()) delete fControls.back();
}

TControl* TWinControl::Controls(Int32 index) const {
  if (index < 0 || index >= ControlCount()) RaiseListIndexError(index);
  return fControls[static_cast<size_t>(index)];
}

bool TWinControl::ContainsControl(TControl* control) const {
  for (TControl* c = control; c != nullptr; c = c->Parent())
    if (c == this) return true;
  return false;
}

void TWinControl::InsertControl(TControl* control) { fControls.push_back(control); }

void TWinControl::RemoveControl(TControl* control) {
  fControls.erase(std::remove(fControls.begin(), fControls.end(), control), fControls.end());
  if (control->Align() != alNone && !InState(csDestroying)) Realign();
}

void TWinControl::SetFocus() {
  if (QWidget* w = Widget()) w->setFocus(Qt::OtherFocusReason);
}

bool TWinControl::Focused() const {
  QWidget* w = Widget();
  return w != nullptr && w->hasFocus();
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c != nullptr; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

void TWinControl::SetTabStop(bool t) {
  fTabStop = t;
  if (QWidget* w = Widget()) w->setFocusPolicy(t ? Qt::StrongFocus : Qt::ClickFocus);
}

void* TWinControl::Handle() const { return Widget(); }

void TWinControl::HandleNeeded() {
  if (fHandleCreated) return;
  fHandleCreated = true;
  CreateWnd();
}

void TWinControl::EnableAlign() {
  if (fAlignDisabled > 0 && --fAlignDisabled == 0) Realign();
}

void TWinControl::Realign() {
  if (fAlignDisabled > 0 || fAligning || InState(csDestroying)) return;
  fAligning = true;
  TRect r = ClientRect();
  AlignControls(nullptr, r);
  fAligning = false;
}

void TWinControl::AlignControls(TControl* control, TRect& rect) {
  (void)control;
  const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
  for (TAlign a : order) {
    std::vector<TControl*> list;
    for (TControl* c : fControls)
      if (c->Align() == a && c->Visible()) list.push_back(c);
    std::stable_sort(list.begin(), list.end(), [a](const TControl* x, const TControl* y) {
      switch (a) {
        case alTop: return x->Top() < y->Top();
        case alBottom: return x->Top() + x->Height() > y->Top() + y->Height();
        case alLeft: return x->Left() < y->Left();
        case alRight: return x->Left() + x->Width() > y->Left() + y->Width();
        default: return false;
      }
    });
    for (TControl* c : list) {
      const Int32 w = std::max(0, rect.Right - rect.Left), h = std::max(0, rect.Bottom - rect.Top);
      switch (a) {
        case alTop:
          c->SetBounds(rect.Left, rect.Top, w, c->Height());
          rect.Top += c->Height();
          break;
        case alBottom:
          c->SetBounds(rect.Left, rect.Bottom - c->Height(), w, c->Height());
          rect.Bottom -= c->Height();
          break;
        case alLeft:
          c->SetBounds(rect.Left, rect.Top, c->Width(), h);
          rect.Left += c->Width();
          break;
        case alRight:
          c->SetBounds(rect.Right - c->Width(), rect.Top, c->Width(), h);
          rect.Right -= c->Width();
          break;
        default: c->SetBounds(rect.Left, rect.Top, w, h); break;
      }
    }
  }
}

void TWinControl::Resize() {
  TControl::Resize();
  Realign();
}

void TWinControl::FontChanged() {
  TControl::FontChanged();
  for (TControl* c : fControls) c->ParentFontChanged();
}

void TWinControl::ColorChanged() {
  TControl::ColorChanged();
  for (TControl* c : fControls) c->ParentColorChanged();
}

void TWinControl::BiDiModeChanged() {
  TControl::BiDiModeChanged();
  for (TControl* c : fControls) c->ParentBiDiModeChanged();
}

void TWinControl::DoKeyDown(Word& key, TShiftState shift) { KeyDown(key, shift); }

void TWinControl::DoKeyUp(Word& key, TShiftState shift) { KeyUp(key, shift); }

void TWinControl::DoKeyPress(Char& key) { KeyPress(key); }

void TWinControl::KeyDown(Word& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(Word& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(Char& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

// ---------------------------------------------------------------------------

TCustomControl::TCustomControl(TComponent* owner) : TCustomControl(owner, &MakeBridged<QWidget>) {}

TCustomControl::TCustomControl(TComponent* owner, TWidgetFactory factory)
    : TWinControl(owner, factory), fCanvas(std::make_unique<TCanvas>()) {
  if (QWidget* w = Widget()) w->setAttribute(Qt::WA_OpaquePaintEvent, true);
}

TCustomControl::~TCustomControl() { Destroying(); }

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner, &MakeBridged<QWidget>), fCanvas(std::make_unique<TCanvas>()) {
  if (QWidget* w = Widget()) w->setFocusPolicy(Qt::NoFocus);
}

TGraphicControl::~TGraphicControl() { Destroying(); }

// ---------------------------------------------------------------------------

TForm* GetParentForm(TControl* control) {
  if (control == nullptr) return nullptr;
  TControl* c = control;
  while (c->Parent() != nullptr) c = c->Parent();
  return dynamic_cast<TForm*>(c);
}

Int64 SendMessage(TControl* target, Cardinal msg, UInt64 wParam, Int64 lParam) {
  return target == nullptr ? 0 : target->Perform(msg, wParam, lParam);
}

bool PostMessage(TControl* target, Cardinal msg, UInt64 wParam, Int64 lParam) {
  QWidget* w = target ? target->Widget() : nullptr;
  if (w == nullptr) return false;
  QCoreApplication::postEvent(w, new TMessageEvent(msg, wParam, lParam));
  return true;
}

void FlushPendingInput(void* window, Cardinal firstMessage, Cardinal lastMessage) {
  if (!ApplicationExists()) return;
  auto* w = static_cast<QWidget*>(window);
  // Input posted to the queue is removed; input still with the window system
  // is delivered now to a filter that drops it.
  static const QEvent::Type kinds[] = {QEvent::KeyPress,          QEvent::KeyRelease,         QEvent::ShortcutOverride,
                                       QEvent::MouseButtonPress,  QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                                       QEvent::MouseMove,         QEvent::Wheel};
  TInputSwallower swallower(w, firstMessage, lastMessage);
  QCoreApplication::instance()->installEventFilter(&swallower);
  for (QEvent::Type t : kinds)
    if (IsInputEventIn(t, firstMessage, lastMessage)) {
      if (w != nullptr) {
        QCoreApplication::removePostedEvents(w, t);
        for (QObject* child : w->findChildren<QObject*>()) QCoreApplication::removePostedEvents(child, t);
      } else {
        QCoreApplication::removePostedEvents(nullptr, t);
      }
    }
  QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
  QCoreApplication::instance()->removeEventFilter(&swallower);
}

}  // namespace sk
