#include "platform/visual/IconImage.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <limits>

namespace sk {

namespace {

// An icon holds at most this many images (its count is a 16-bit field), and
// none is larger than 256 x 256 pixels.
constexpr int kMaxIconImages = 256;

}  // namespace

bool IsIconImage(const TBytes& b) {
  return b.size() >= 6 && b[0] == 0 && b[1] == 0 && b[2] == 1 && b[3] == 0 && (b[4] != 0 || b[5] != 0);
}

bool IconToPng(const TBytes& ico, TBytes& png) {
  png.clear();
  if (!IsIconImage(ico) || ico.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return false;
  QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(ico.data()), static_cast<qsizetype>(ico.size()));
  QBuffer buffer(&data);
  if (!buffer.open(QIODevice::ReadOnly)) return false;
  QImageReader reader(&buffer, "ico");
  const int count = std::min(reader.imageCount(), kMaxIconImages);
  QImage best;
  for (int i = 0; i < count; ++i) {
    if (!reader.jumpToImage(i)) break;
    QImage image = reader.read();
    if (image.isNull()) continue;
    const qint64 area = static_cast<qint64>(image.width()) * image.height();
    const qint64 bestArea = static_cast<qint64>(best.width()) * best.height();
    if (best.isNull() || area > bestArea || (area == bestArea && image.depth() > best.depth())) best = image;
  }
  if (best.isNull()) return false;
  QByteArray out;
  QBuffer outBuffer(&out);
  if (!outBuffer.open(QIODevice::WriteOnly) || !best.save(&outBuffer, "PNG")) return false;
  png.assign(reinterpret_cast<const Byte*>(out.constData()), reinterpret_cast<const Byte*>(out.constData()) + out.size());
  return true;
}

}  // namespace sk
