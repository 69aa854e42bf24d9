#include "platform/visual/Screen.h"

#include <QtCore/QCoreApplication>
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
  set(clBtnShadow, QPalette::Active, QPalette::Mid);
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
}

}  // namespace sk
