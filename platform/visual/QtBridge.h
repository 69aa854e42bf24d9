// The Qt side of a control: a widget of any Qt widget class whose events go
// to the control that owns it before (and after) the Qt class handles them.
// Controls pass MakeBridged<QtClass> to their base constructor.
#pragma once

#include <QtCore/QEvent>
#include <QtGui/QPaintEvent>
#include <QtWidgets/QWidget>

#include "platform/visual/Controls.h"

namespace sk {

// What every bridged widget holds: the control it reports to, cleared when
// the control lets go of the widget, and how deep its event handling runs.
class TWidgetBridge {
 public:
  explicit TWidgetBridge(TControl* control) : fControl(control) {}
  virtual ~TWidgetBridge() = default;
  TControl* Control() const { return fControl; }
  void Detach() { fControl = nullptr; }
  bool InEvent() const { return fDepth > 0; }

  // The bridge of a widget; nullptr for a widget that is not bridged.
  static TWidgetBridge* Of(QWidget* widget) { return dynamic_cast<TWidgetBridge*>(widget); }

 protected:
  struct Depth {
    explicit Depth(TWidgetBridge& b) : bridge(b) { ++bridge.fDepth; }
    ~Depth() { --bridge.fDepth; }
    TWidgetBridge& bridge;
  };

 private:
  TControl* fControl;
  int fDepth = 0;
};

template <class QtBase>
class TBridgedWidget : public QtBase, public TWidgetBridge {
 public:
  explicit TBridgedWidget(TControl* control) : QtBase(nullptr), TWidgetBridge(control) {
    QtBase::setMouseTracking(true);
  }

 protected:
  bool event(QEvent* e) override {
    TControl* c = Control();
    if (c == nullptr) return QtBase::event(e);
    Depth depth(*this);
    if (c->RouteEventBefore(e)) return true;
    const bool handled = QtBase::event(e);
    if ((c = Control()) != nullptr) c->RouteEventAfter(e);
    return handled;
  }

  void paintEvent(QPaintEvent* e) override {
    TControl* c = Control();
    if (c != nullptr) {
      Depth depth(*this);
      if (c->RoutePaint(e)) return;
    }
    QtBase::paintEvent(e);
  }
};

// The Qt cursor shape of a cursor.
Qt::CursorShape CursorShapeOf(TCursor c);

template <class QtBase>
QWidget* MakeBridged(TControl* control) {
  return new TBridgedWidget<QtBase>(control);
}

}  // namespace sk
