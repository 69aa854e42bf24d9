#include "platform/visual/Resources.h"

#include <QtCore/QFile>
#include <QtGui/QImage>

#include "platform/visual/Graphics.h"
#include "platform/visual/QtConvert.h"

namespace sk {

namespace {

QString ResourcePath(const String& name) { return QStringLiteral(":/sharedkit/") + ToQString(name); }

}  // namespace

bool ResourceExists(const String& name) { return !name.empty() && QFile::exists(ResourcePath(name)); }

void LoadBitmapFromResourceName(TBitmap& bitmap, const String& name) {
  QImage image;
  if (!ResourceExists(name) || !image.load(ResourcePath(name)))
    throw EResNotFound(u"Resource " + name + u" not found");
  bitmap.SetImage(image.convertToFormat(QImage::Format_ARGB32));
}

}  // namespace sk
