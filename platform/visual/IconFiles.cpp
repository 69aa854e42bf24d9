#include "platform/visual/IconFiles.h"

#include <QtGui/QIcon>
#include <QtGui/QImage>
#include <QtCore/QBuffer>
#include <QtGui/QImageReader>
#include <QtGui/QPixmap>
#include <algorithm>

#include "platform/visual/QtConvert.h"
#include "platform/visual/Screen.h"
#include "platform/visual/QtFiles.h"

namespace sk {

namespace {

// The largest number of images looked at in one file.
constexpr int kMaxImages = 256;

// Which of two candidate images suits size better: an exact width first
// (more colours winning among those), then the smallest larger image, then
// the largest smaller one.
bool Better(const QImage& a, const QImage& b, int size) {
  if (b.isNull()) return true;
  const bool aExact = a.width() == size, bExact = b.width() == size;
  if (aExact != bExact) return aExact;
  if (aExact) return a.depth() > b.depth();
  const bool aLarger = a.width() > size, bLarger = b.width() > size;
  if (aLarger != bLarger) return aLarger;
  return aLarger ? a.width() < b.width() : a.width() > b.width();
}

}  // namespace

bool LoadIconFromFileAtSize(TIcon& icon, const String& fileName, Int32 size) {
  if (size < 1 || !HasGuiApplication()) return false;
  // Read through the library's files, which reach a name that is not UTF-8.
  QByteArray bytes;
  if (!ReadFileForQt(fileName, bytes, Int64(64) << 20)) return false;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "ico");
  if (!reader.canRead()) return false;
  QImage best;
  const int count = std::min(reader.imageCount(), kMaxImages);
  for (int i = 0; i < count; ++i) {
    if (i > 0 && !reader.jumpToImage(i)) break;
    const QImage img = reader.read();
    if (img.isNull() || img.width() <= 0 || img.height() <= 0) continue;
    if (Better(img, best, size)) best = img;
  }
  if (best.isNull()) return false;
  if (best.width() != size || best.height() != size)
    best = best.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  icon.SetQtIcon(QIcon(QPixmap::fromImage(best.convertToFormat(QImage::Format_ARGB32_Premultiplied))));
  return true;
}

}  // namespace sk
