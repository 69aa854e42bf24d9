// Screen, monitor and clipboard on Qt Gui, on the offscreen platform (their
// answers without an application are tested in the platform's program).
#include <gtest/gtest.h>

#include <QtGui/QGuiApplication>
#include <QtGui/QPalette>
#include <QtGui/QWindow>

#include "VisualTestSupport.h"
#include "platform/runtime/Colors.h"
#include "platform/visual/Clipboard.h"
#include "platform/visual/Screen.h"

namespace sk {
namespace {

QGuiApplication* App() { return TestGuiApplication(); }

TEST(VisualScreen, ScreenAndMonitorOfAWindow) {
  App();
  Int32 ppi = ScreenPixelsPerInch();
  EXPECT_GE(ppi, 1);
  QWindow window;
  Cardinal w = 0, h = 0;
  EXPECT_TRUE(MonitorPixelSize(&window, w, h));
  EXPECT_GT(w, 0u);
  EXPECT_GT(h, 0u);
  EXPECT_FALSE(MonitorPixelSize(nullptr, w, h));
}

TEST(VisualScreen, ClipboardTextAndData) {
  App();
  ASSERT_TRUE(ClipboardSetText(u"caf\u00E9 \U0001F600"));
  EXPECT_EQ(ClipboardText(), u"caf\u00E9 \U0001F600");
  const TBytes svg = {'<', 's', 'v', 'g', '/', '>'};
  ASSERT_TRUE(ClipboardSetData("image/svg+xml", svg));
  EXPECT_TRUE(ClipboardHasFormat("image/svg+xml"));
  EXPECT_EQ(ClipboardData("image/svg+xml"), svg);
  EXPECT_TRUE(ClipboardData("image/png").empty());
}

TEST(VisualScreen, SystemColoursComeFromThePalette) {
  App();
  SetSysColor(clWindow & 0xFF, 0x010203);
  RefreshSystemColors();
  const QColor base = QGuiApplication::palette().color(QPalette::Active, QPalette::Base);
  EXPECT_EQ(ColorToRGB(clWindow), base.red() | (base.green() << 8) | (base.blue() << 16));
  ResetSysColors();
}

}  // namespace
}  // namespace sk
