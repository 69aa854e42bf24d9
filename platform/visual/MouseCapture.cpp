#include "platform/visual/MouseCapture.h"

#include <QtCore/QObject>
#include <QtCore/QPointer>
#include <QtGui/QCursor>
#include <QtGui/QMouseEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>

#include "platform/visual/QtBridge.h"

namespace sk {

namespace {

// The screen cursor as last set, and whether it is on Qt's override stack.
TCursor gScreenCursor = crDefault;
bool gOverriding = false;

TShiftState ShiftOf(const QMouseEvent* e) {
  TShiftState s = 0;
  const Qt::KeyboardModifiers mods = e->modifiers();
  const Qt::MouseButtons buttons = e->buttons();
  if (mods & Qt::ShiftModifier) s |= ShiftBit(ssShift);
  if (mods & Qt::ControlModifier) s |= ShiftBit(ssCtrl);
  if (mods & Qt::AltModifier) s |= ShiftBit(ssAlt);
  if (buttons & Qt::LeftButton) s |= ShiftBit(ssLeft);
  if (buttons & Qt::RightButton) s |= ShiftBit(ssRight);
  if (buttons & Qt::MiddleButton) s |= ShiftBit(ssMiddle);
  if (e->type() == QEvent::MouseButtonDblClick) s |= ShiftBit(ssDouble);
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

}  // namespace

void SetCapture(TControl* control) {
  QWidget* w = control != nullptr ? control->Widget() : nullptr;
  if (w == nullptr || !w->isVisible()) return;
  w->grabMouse();
}

void ReleaseCapture() {
  if (!ApplicationExists()) return;
  if (QWidget* w = QWidget::mouseGrabber()) w->releaseMouse();
}

TControl* GetCapture() {
  if (!ApplicationExists()) return nullptr;
  QWidget* w = QWidget::mouseGrabber();
  TWidgetBridge* bridge = w != nullptr ? TWidgetBridge::Of(w) : nullptr;
  return bridge != nullptr ? bridge->Control() : nullptr;
}

TCursor ScreenCursor() { return gScreenCursor; }

void SetScreenCursor(TCursor cursor) {
  gScreenCursor = cursor;
  if (!ApplicationExists()) {
    gOverriding = false;
    return;
  }
  if (cursor == crDefault) {
    if (gOverriding) QApplication::restoreOverrideCursor();
    gOverriding = false;
    return;
  }
  const QCursor shape(CursorShapeOf(cursor));
  if (gOverriding) {
    QApplication::changeOverrideCursor(shape);
  } else {
    QApplication::setOverrideCursor(shape);
    gOverriding = true;
  }
}

// ---------------------------------------------------------------------------

class TMouseEventTap::TFilter : public QObject {
 public:
  TFilter(TControl* control, TMouseEvent onDown, TMouseMoveEvent onMove, TMouseEvent onUp)
      : fWidget(control != nullptr ? control->Widget() : nullptr),
        fControl(control),
        fOnDown(std::move(onDown)),
        fOnMove(std::move(onMove)),
        fOnUp(std::move(onUp)) {
    if (fWidget) fWidget->installEventFilter(this);
  }
  ~TFilter() override {
    if (fWidget) fWidget->removeEventFilter(this);
  }

  // The control while its widget still reports to it.
  TControl* Control() const {
    QWidget* w = fWidget.data();
    TWidgetBridge* bridge = w != nullptr ? TWidgetBridge::Of(w) : nullptr;
    return bridge != nullptr && bridge->Control() == fControl ? fControl : nullptr;
  }

  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched != fWidget.data()) return false;
    const QEvent::Type t = e->type();
    if (t != QEvent::MouseButtonPress && t != QEvent::MouseButtonDblClick && t != QEvent::MouseButtonRelease &&
        t != QEvent::MouseMove)
      return false;
    TControl* control = Control();
    if (control == nullptr) return false;
    auto* me = static_cast<QMouseEvent*>(e);
    const QPoint at = me->position().toPoint();
    if (t == QEvent::MouseMove) {
      // Copies: a handler may free this tap.
      if (TMouseMoveEvent h = fOnMove) h(control, ShiftOf(me), at.x(), at.y());
      return true;
    }
    TMouseButton b;
    if (!ButtonOf(me->button(), b)) return true;
    if (TMouseEvent h = t == QEvent::MouseButtonRelease ? fOnUp : fOnDown) h(control, b, ShiftOf(me), at.x(), at.y());
    return true;
  }

 private:
  QPointer<QWidget> fWidget;
  TControl* fControl;
  TMouseEvent fOnDown;
  TMouseMoveEvent fOnMove;
  TMouseEvent fOnUp;
};

TMouseEventTap::TMouseEventTap(TControl* control, TMouseEvent onDown, TMouseMoveEvent onMove, TMouseEvent onUp)
    : fFilter(std::make_unique<TFilter>(control, std::move(onDown), std::move(onMove), std::move(onUp))) {}

TMouseEventTap::~TMouseEventTap() = default;

TControl* TMouseEventTap::Control() const { return fFilter->Control(); }

}  // namespace sk
