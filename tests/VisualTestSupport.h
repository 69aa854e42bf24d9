// The Qt application of a visual test program and the guard against dialogs
// that no test expected.
//
// The application is made on first use, on the offscreen platform, with
// DejaVu Sans 9 as its font, so that text measures the same on every machine.
// The program's main (VisualTestMain) installs a modal hook that fails the
// running test and closes any modal form it did not ask for; a test that
// expects a form holds a ScopedModalHook while it runs.
#pragma once

#include <gtest/gtest.h>

#include <QtCore/QByteArray>
#include <QtCore/QCoreApplication>
#include <QtCore/QEventLoop>
#include <QtCore/QTimer>
#include <QtGui/QFont>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <vector>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>

#include "platform/runtime/RtlTypes.h"
#include "platform/visual/Forms.h"
#include "platform/visual/QtConvert.h"
#include "platform/visual/Screenshots.h"

namespace sk {

// Qt's offscreen platform; one already asked for with options (a screen of
// another size from a configuration file, for a child run) is kept.
inline void SetOffscreenPlatform() {
  const char* asked = std::getenv("QT_QPA_PLATFORM");
  if (asked == nullptr || std::string(asked).rfind("offscreen:", 0) != 0) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

inline QApplication* TestApplication() {
  static QApplication* app = [] {
    SetOffscreenPlatform();
    static int argc = 1;
    static char name[] = "sk_tests";
    static char* argv[] = {name, nullptr};
    auto* a = new QApplication(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    return a;
  }();
  return app;
}

// Kept for the tests written against the GUI application alone.
inline QGuiApplication* TestGuiApplication() { return TestApplication(); }

// The caption and message of a form, for failure messages.
inline std::string DescribeForm(TForm& form) {
  std::string text = "\"" + StringToUtf8(form.Caption()) + "\"";
  if (TComponent* message = FindNamedComponent(form, u"Message"))
    if (auto* label = dynamic_cast<TControl*>(message)) text += ": " + StringToUtf8(label->Caption());
  return text;
}

// The guard: a modal form that no test expected fails the test and is closed
// at once, so that a test program never waits for a user.
inline void UnexpectedModalForm(TForm& form) {
  ADD_FAILURE() << "a modal form appeared that no test expected: " << DescribeForm(form);
  form.SetModalResult(mrCancel);
}

inline void InstallUnexpectedDialogGuard() { SetModalHook(&UnexpectedModalForm); }

// Runs hook for the modal forms shown while the scope lasts; the guard comes
// back at its end.
class ScopedModalHook {
 public:
  explicit ScopedModalHook(TModalHook hook) { fPrevious = SetModalHook(std::move(hook)); }
  ~ScopedModalHook() { SetModalHook(std::move(fPrevious)); }
  ScopedModalHook(const ScopedModalHook&) = delete;
  ScopedModalHook& operator=(const ScopedModalHook&) = delete;

 private:
  TModalHook fPrevious;
};

// A hook that presses the named button of every modal form and counts the
// forms it saw.
class PressingHook {
 public:
  explicit PressingHook(String button) : fButton(std::move(button)) {}
  TModalHook Hook() {
    return [this](TForm& form) {
      ++fShown;
      fLast = DescribeForm(form);
      if (!PressButton(form, fButton)) {
        ADD_FAILURE() << "no button " << StringToUtf8(fButton) << " on " << fLast;
        form.SetModalResult(mrCancel);
      }
    };
  }
  int Shown() const { return fShown; }
  const std::string& Last() const { return fLast; }

 private:
  String fButton;
  int fShown = 0;
  std::string fLast;
};

// A hook that lets the form wait (for its own timer) but closes it, failing
// the test, if it is still open after limitMs.
inline TModalHook WaitingHook(int limitMs, int* shown = nullptr) {
  return [limitMs, shown](TForm& form) {
    if (shown != nullptr) ++*shown;
    QWidget* w = form.Widget();
    QTimer::singleShot(limitMs, w, [&form] {
      if (form.Modal()) {
        ADD_FAILURE() << "the form did not close by itself: " << DescribeForm(form);
        form.SetModalResult(mrCancel);
      }
    });
  };
}

// Handles events for about ms milliseconds.
inline void ProcessEventsFor(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// The pixels of a control as drawn now.
inline QImage Rendered(TControl& control) {
  QWidget* w = control.Widget();
  return w != nullptr ? w->grab().toImage().convertToFormat(QImage::Format_RGB32) : QImage();
}

inline TColor PixelOf(const QImage& img, int x, int y) { return FromQColor(QColor::fromRgb(img.pixel(x, y))); }

// The main of a visual test program.
inline int VisualTestMain(int argc, char** argv) {
  SetOffscreenPlatform();
  ::testing::InitGoogleTest(&argc, argv);
  TestApplication();  // offscreen, DejaVu Sans 9
  InstallUnexpectedDialogGuard();
  return RUN_ALL_TESTS();
}

}  // namespace sk

namespace sk {

// A named place of a screenshot and what must hold there.
struct TNamedPoint {
  std::string name;
  TRect area;
  std::function<bool(const QImage&, const TRect&)> holds;
};

// Every pixel of the area has the colour.
inline std::function<bool(const QImage&, const TRect&)> AllOf(TColor colour) {
  return [colour](const QImage& img, const TRect& r) {
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x)
        if (!img.valid(x, y) || FromQColor(QColor::fromRgb(img.pixel(x, y))) != ColorToRGB(colour)) return false;
    return true;
  };
}

// At least count pixels of the area stand out from the colour (text, lines,
// an icon): their brightness differs by more than a third of the range.
inline std::function<bool(const QImage&, const TRect&)> InkOn(TColor colour, int count) {
  return [colour, count](const QImage& img, const TRect& r) {
    const QColor base = ToQColor(colour);
    int ink = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x)
        if (img.valid(x, y) && std::abs(qGray(img.pixel(x, y)) - qGray(base.rgb())) > 85) ++ink;
    return ink >= count;
  };
}

// Saves the control's picture under the build folder, in "screenshots/<name>.png"
// beside the test program, and checks the named points;
// answers the names of the points that do not hold.
inline std::vector<std::string> ScreenshotChecked(TControl& control, const std::string& name,
                                                  const std::vector<TNamedPoint>& points) {
  // Beside the test program, which lives in the build folder.
  const std::string dir = QCoreApplication::applicationDirPath().toStdString() + "/screenshots";
  std::filesystem::create_directories(dir);
  const String file = Utf8ToString(dir + "/" + name + ".png");
  if (!SaveControlImage(control, file)) return {"(the picture could not be saved)"};
  QImage img;
  if (!img.load(ToQString(file))) return {"(the picture could not be read back)"};
  img = img.convertToFormat(QImage::Format_RGB32);
  std::vector<std::string> failed;
  for (const TNamedPoint& p : points)
    if (!p.holds(img, p.area)) failed.push_back(p.name);
  return failed;
}

}  // namespace sk
