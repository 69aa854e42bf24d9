#include "platform/visual/Screenshots.h"

#include <QtGui/QImage>
#include <QtGui/QPixmap>
#include <QtWidgets/QWidget>

#include "platform/visual/QtConvert.h"

namespace sk {

bool RenderControl(TControl& control, TBitmap& out) {
  QWidget* w = control.Widget();
  if (w == nullptr || w->width() <= 0 || w->height() <= 0) return false;
  w->ensurePolished();
  out.SetImage(w->grab().toImage().convertToFormat(QImage::Format_RGB32));
  return !out.Empty();
}

bool SaveControlImage(TControl& control, const String& fileName) {
  TBitmap picture;
  if (!RenderControl(control, picture)) return false;
  try {
    picture.SaveToFile(fileName);
    return true;
  } catch (const EInvalidGraphic&) {
    return false;
  }
}

}  // namespace sk
