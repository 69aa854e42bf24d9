#include "platform/visual/ImgList.h"

#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <vector>

#include "platform/visual/QtConvert.h"

namespace sk {

struct TImageList::TImages {
  std::vector<QImage> list;
};

TImageList::TImageList(TComponent* owner) : TImageList(owner, 16, 16) {}

TImageList::TImageList(TComponent* owner, Int32 width, Int32 height)
    : TComponent(owner), fWidth(width > 0 ? width : 16), fHeight(height > 0 ? height : 16),
      fImages(std::make_unique<TImages>()) {}

TImageList::~TImageList() { Destroying(); }

void TImageList::Changed() {
  if (OnChange) OnChange(this);
}

void TImageList::SetSize(Int32 width, Int32 height) {
  if (width <= 0 || height <= 0 || (width == fWidth && height == fHeight)) return;
  fWidth = width;
  fHeight = height;
  Clear();
}

Int32 TImageList::Count() const { return static_cast<Int32>(fImages->list.size()); }

Int32 TImageList::AddImage(const TBitmap& image, const TBitmap* mask, bool byColour, TColor maskColor) {
  if (image.Empty()) return -1;
  const QImage& src = image.Image();
  QImage rgba = src.convertToFormat(QImage::Format_ARGB32);
  if (byColour) {
    const TColor key = maskColor == clDefault ? FromQColor(QColor::fromRgb(src.pixel(0, src.height() - 1))) : maskColor;
    const QRgb k = ToQColor(key).rgb() & 0xFFFFFF;
    for (int y = 0; y < rgba.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(rgba.scanLine(y));
      for (int x = 0; x < rgba.width(); ++x)
        if ((line[x] & 0xFFFFFF) == k) line[x] = 0;
    }
  } else if (mask != nullptr && !mask->Empty()) {
    const QImage& m = mask->Image();
    for (int y = 0; y < rgba.height() && y < m.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(rgba.scanLine(y));
      for (int x = 0; x < rgba.width() && x < m.width(); ++x)
        if (qGray(m.pixel(x, y)) >= 128) line[x] = 0;
    }
  }
  const Int32 pieces = std::max(1, rgba.width() / fWidth);
  const Int32 first = Count();
  for (Int32 i = 0; i < pieces; ++i) {
    QImage piece(fWidth, fHeight, QImage::Format_ARGB32_Premultiplied);
    piece.fill(Qt::transparent);
    QPainter p(&piece);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(0, 0), rgba, QRect(i * fWidth, 0, fWidth, fHeight));
    p.end();
    fImages->list.push_back(piece);
  }
  Changed();
  return first;
}

Int32 TImageList::Add(const TBitmap& image, const TBitmap* mask) { return AddImage(image, mask, false, 0); }

Int32 TImageList::AddMasked(const TBitmap& image, TColor maskColor) { return AddImage(image, nullptr, true, maskColor); }

Int32 TImageList::AddIcon(const TIcon& icon) {
  const QImage img = icon.ImageAt(std::max(fWidth, fHeight));
  if (img.isNull()) return -1;
  fImages->list.push_back(img.convertToFormat(QImage::Format_ARGB32_Premultiplied).scaled(fWidth, fHeight));
  Changed();
  return Count() - 1;
}

void TImageList::Delete(Int32 index) {
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
  fImages->list.erase(fImages->list.begin() + index);
  Changed();
}

void TImageList::Clear() {
  if (fImages->list.empty()) return;
  fImages->list.clear();
  Changed();
}

void TImageList::Draw(TCanvas& canvas, Int32 x, Int32 y, Int32 index, bool enabled) const {
  if (index < 0 || index >= Count()) return;
  QPainter* p = canvas.PreparedPainter(false, false);
  if (p == nullptr) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  const QImage& img = fImages->list[static_cast<size_t>(index)];
  if (enabled) {
    p->drawImage(QPoint(x, y), img);
    return;
  }
  QImage grey = img.convertToFormat(QImage::Format_ARGB32);
  for (int yy = 0; yy < grey.height(); ++yy) {
    auto* line = reinterpret_cast<QRgb*>(grey.scanLine(yy));
    for (int xx = 0; xx < grey.width(); ++xx) {
      const int g = 128 + qGray(line[xx]) / 2;
      line[xx] = qRgba(g, g, g, qAlpha(line[xx]));
    }
  }
  p->drawImage(QPoint(x, y), grey);
}

bool TImageList::GetBitmap(Int32 index, TBitmap& out) const {
  if (index < 0 || index >= Count()) return false;
  QImage img(fWidth, fHeight, QImage::Format_RGB32);
  img.fill(fBkColor == clNone ? QColor(0, 0, 0) : ToQColor(fBkColor));
  QPainter p(&img);
  p.drawImage(QPoint(0, 0), fImages->list[static_cast<size_t>(index)]);
  p.end();
  out.SetImage(img);
  return true;
}

}  // namespace sk
