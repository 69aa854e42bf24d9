// Conversions between the library's value types and Qt's, for the visual
// layer and for the layers that build controls on it.
#pragma once

#include <QtCore/QPoint>
#include <QtCore/QRect>
#include <QtCore/QString>
#include <QtGui/QColor>

#include "platform/runtime/Colors.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

inline QString ToQString(const String& s) {
  return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

// A QString that reads the text in place; valid while s lives unchanged.
inline QString QStringView16(const String& s) {
  return QString::fromRawData(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

// The tool tip of a hint (Controls.cpp): the hint itself, or, when it looks
// like markup ("<s> marks a sentence"), the hint escaped.
QString ToQToolTip(const String& hint);

inline String FromQString(const QString& s) {
  return String(reinterpret_cast<const Char*>(s.utf16()), static_cast<size_t>(s.size()));
}

// A colour's RGB value (system colours resolved through the system colour
// table) as an opaque QColor. clNone gives a fully transparent colour.
inline QColor ToQColor(TColor c) {
  if (c == clNone) return QColor(0, 0, 0, 0);
  const TColor rgb = ColorToRGB(c);
  return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

inline TColor FromQColor(const QColor& c) {
  return static_cast<TColor>(static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
                             (static_cast<uint32_t>(c.blue()) << 16));
}

// A rectangle whose Right and Bottom are exclusive, as a QRect (whose right()
// and bottom() are inclusive). An inverted rectangle gives an empty QRect.
inline QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }

inline TRect FromQRect(const QRect& r) { return TRect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }

inline QPoint ToQPoint(const TPoint& p) { return QPoint(p.X, p.Y); }
inline TPoint FromQPoint(const QPoint& p) { return TPoint{p.x(), p.y()}; }

}  // namespace sk
