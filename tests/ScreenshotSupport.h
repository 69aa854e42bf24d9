// Screenshots of controls painted offscreen: the pixels a test reads are also
// kept as a PNG under the build folder (screenshots/<name>.png beside the
// test programs), so that a failing pixel check can be looked at.
#pragma once

#include <QtCore/QDir>
#include <QtCore/QString>
#include <QtGui/QImage>
#include <string>

#include "VisualTestSupport.h"

namespace sk {

inline QImage Screenshot(TControl& control, const std::string& name) {
  const QImage img = Rendered(control);
  QDir().mkpath(QStringLiteral("screenshots"));
  img.save(QStringLiteral("screenshots/") + QString::fromStdString(name) + QStringLiteral(".png"));
  return img;
}

// Whether some pixel of the rectangle (right and bottom exclusive) has the
// colour.
inline bool AnyPixelIs(const QImage& img, const TRect& r, TColor colour) {
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (x >= 0 && y >= 0 && x < img.width() && y < img.height() && PixelOf(img, x, y) == colour) return true;
  return false;
}

}  // namespace sk
