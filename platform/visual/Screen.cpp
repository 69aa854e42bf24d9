#include "platform/visual/Screen.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QEvent>
#include <QtCore/QPointer>
#include <QtCore/QSize>
#include <QtGui/QGuiApplication>
#include <QtGui/QPalette>
#include <QtGui/QScreen>
#include <QtGui/QWindow>
#include <cmath>

#include "platform/runtime/Colors.h"

namespace sk {

namespace {

TColor FromQColor(const QColor& c) {
  return static_cast<TColor>(static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
                             (static_cast<uint32_t>(c.blue()) << 16));
}

}  // namespace

bool HasGuiApplication() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

Int32 ScreenPixelsPerInch() {
  if (!HasGuiApplication()) return 96;
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return 96;
  const double dpi = screen->logicalDotsPerInch();
  if (!std::isfinite(dpi) || dpi < 1.0 || dpi > 10000.0) return 96;
  return static_cast<Int32>(std::lround(dpi));
}

bool MonitorPixelSize(QWindow* window, Cardinal& width, Cardinal& height) {
  width = 0;
  height = 0;
  if (window == nullptr || !HasGuiApplication()) return false;
  QScreen* screen = window->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return false;
  // The screen's geometry is in device-independent pixels; the display mode
  // counts device pixels.
  const QSize size = screen->geometry().size() * screen->devicePixelRatio();
  if (size.width() <= 0 || size.height() <= 0) return false;
  width = static_cast<Cardinal>(size.width());
  height = static_cast<Cardinal>(size.height());
  return true;
}

void RefreshSystemColors() {
  if (!HasGuiApplication()) return;
  const QPalette p = QGuiApplication::palette();
  auto set = [&](TColor sys, QPalette::ColorGroup group, QPalette::ColorRole role) {
    SetSysColor(sys & 0xFF, FromQColor(p.color(group, role)));
  };
  set(clWindow, QPalette::Active, QPalette::Base);
  set(clWindowText, QPalette::Active, QPalette::Text);
  set(clHighlight, QPalette::Active, QPalette::Highlight);
  set(clHighlightText, QPalette::Active, QPalette::HighlightedText);
  set(clBtnFace, QPalette::Active, QPalette::Button);
  set(clBtnText, QPalette::Active, QPalette::ButtonText);
  set(clBtnShadow, QPalette::Active, QPalette::Dark);
  set(clBtnHighlight, QPalette::Active, QPalette::Light);
  set(cl3DDkShadow, QPalette::Active, QPalette::Shadow);
  set(cl3DLight, QPalette::Active, QPalette::Midlight);
  set(clGrayText, QPalette::Disabled, QPalette::Text);
  set(clInfoBk, QPalette::Active, QPalette::ToolTipBase);
  set(clInfoText, QPalette::Active, QPalette::ToolTipText);
  set(clMenu, QPalette::Active, QPalette::Window);
  set(clMenuBar, QPalette::Active, QPalette::Window);
  set(clMenuText, QPalette::Active, QPalette::WindowText);
  set(clMenuHighlight, QPalette::Active, QPalette::Highlight);
  set(clHotLight, QPalette::Active, QPalette::Link);
  set(clAppWorkSpace, QPalette::Active, QPalette::Dark);
  set(clActiveCaption, QPalette::Active, QPalette::Highlight);
  set(clCaptionText, QPalette::Active, QPalette::HighlightedText);
  set(clInactiveCaption, QPalette::Inactive, QPalette::Window);
  set(clInactiveCaptionText, QPalette::Inactive, QPalette::WindowText);
  // Caption gradients have no palette role: the active one is halfway
  // between the highlight and the window colour, the inactive one the button
  // face.
  const QColor hi = p.color(QPalette::Active, QPalette::Highlight);
  const QColor base = p.color(QPalette::Active, QPalette::Base);
  const QColor mean((hi.red() + base.red()) / 2, (hi.green() + base.green()) / 2, (hi.blue() + base.blue()) / 2);
  SetSysColor(clGradientActiveCaption & 0xFF, FromQColor(mean));
  SetSysColor(clGradientInactiveCaption & 0xFF, FromQColor(p.color(QPalette::Active, QPalette::Button)));
}

namespace {

// Reads the system colours again whenever the application's palette changes.
class TPaletteWatcher : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched == QCoreApplication::instance() && e->type() == QEvent::ApplicationPaletteChange) RefreshSystemColors();
    return false;
  }
};

}  // namespace

void WatchSystemColors() {
  static QPointer<QCoreApplication> watched;
  QCoreApplication* app = QCoreApplication::instance();
  if (!HasGuiApplication() || watched == app) return;
  watched = app;
  auto* watcher = new TPaletteWatcher();
  watcher->setParent(app);
  app->installEventFilter(watcher);
  RefreshSystemColors();
}

bool TStyleServices::Enabled() const { return HasGuiApplication(); }

TColor TStyleServices::GetSystemColor(TColor color) const {
  WatchSystemColors();
  return ColorToRGB(color);
}

TStyleServices& StyleServices() {
  static TStyleServices services;
  return services;
}

}  // namespace sk
