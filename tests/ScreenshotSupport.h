// More of what screenshot tests check at their named points, and a picture
// kept for tests that compare whole pictures. Pictures go where
// ScreenshotChecked puts them: screenshots/<name>.png beside the test
// program, under the build folder.
#pragma once

#include <QtCore/QCoreApplication>
#include <QtGui/QImage>
#include <string>

#include "VisualTestSupport.h"

namespace sk {

// The one pixel at (x, y).
inline TRect Dot(Int32 x, Int32 y) { return TRect{x, y, x + 1, y + 1}; }

// No pixel of the area has the colour.
inline std::function<bool(const QImage&, const TRect&)> NoneOf(TColor colour) {
  return [colour](const QImage& img, const TRect& r) {
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x)
        if (img.valid(x, y) && FromQColor(QColor::fromRgb(img.pixel(x, y))) == ColorToRGB(colour)) return false;
    return true;
  };
}

// Some pixel of the area has the colour.
inline std::function<bool(const QImage&, const TRect&)> SomeOf(TColor colour) {
  const auto none = NoneOf(colour);
  return [none](const QImage& img, const TRect& r) { return !none(img, r); };
}

// Some pixel of the area differs from the colour at all.
inline std::function<bool(const QImage&, const TRect&)> NotAllOf(TColor colour) {
  const auto all = AllOf(colour);
  return [all](const QImage& img, const TRect& r) { return !all(img, r); };
}

// The control's picture, saved as ScreenshotChecked saves it, for tests that
// compare whole pictures.
inline QImage Screenshot(TControl& control, const std::string& name) {
  EXPECT_TRUE(ScreenshotChecked(control, name, {}).empty()) << name;
  QImage img(QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots/") + QString::fromStdString(name) +
             QStringLiteral(".png"));
  return img.convertToFormat(QImage::Format_RGB32);
}

// Saves a picture made by hand beside the control pictures.
inline void SaveScreenshot(const QImage& img, const std::string& name) {
  img.save(QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots/") + QString::fromStdString(name) +
           QStringLiteral(".png"));
}

}  // namespace sk
