#include "platform/visual/Metafiles.h"

#include <QtCore/QBuffer>
#include <QtCore/QByteArray>
#include <QtCore/QRectF>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtSvg/QSvgGenerator>
#include <QtSvg/QSvgRenderer>
#include <algorithm>
#include <exception>

#include "platform/runtime/FileReplace.h"
#include "platform/runtime/Streams.h"
#include "platform/visual/Clipboard.h"
#include "platform/visual/Controls.h"
#include "platform/visual/QtConvert.h"

namespace sk {

namespace {

constexpr char kSvgMimeType[] = "image/svg+xml";
// The largest SVG document read from a file or stream.
constexpr Int64 kMaxSvgBytes = Int64(64) << 20;

QByteArray ToQByteArray(const TBytes& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// The stream's remaining bytes, refused when there are none or too many.
TBytes ReadAll(TStream& stream) {
  const Int64 n = stream.Remaining();
  if (n <= 0 || n > kMaxSvgBytes) throw EInvalidGraphic(u"No metafile in the stream");
  TBytes bytes(static_cast<size_t>(n));
  stream.ReadBuffer(bytes.data(), n);
  return bytes;
}

}  // namespace

TMetafile::TMetafile() = default;

TMetafile::TMetafile(const TMetafile& other)
    : TGraphic(), fWidth(other.fWidth), fHeight(other.fHeight), fSvg(other.fSvg) {
  fTransparent = other.fTransparent;
}

TMetafile& TMetafile::operator=(const TMetafile& other) {
  if (this != &other) {
    fWidth = other.fWidth;
    fHeight = other.fHeight;
    fSvg = other.fSvg;
    fTransparent = other.fTransparent;
    Changed();
  }
  return *this;
}

TMetafile::~TMetafile() = default;

void TMetafile::SetSize(Int32 w, Int32 h) {
  if (w < 0) w = 0;
  if (h < 0) h = 0;
  if (w == fWidth && h == fHeight) return;
  fWidth = w;
  fHeight = h;
  Changed();
}

bool TMetafile::Empty() const { return fSvg.empty() || fWidth <= 0 || fHeight <= 0; }

void TMetafile::Clear() {
  fSvg.clear();
  fWidth = 0;
  fHeight = 0;
  Changed();
}

void TMetafile::SetRecording(TBytes svg) {
  fSvg = std::move(svg);
  Changed();
}

void TMetafile::Draw(TCanvas& canvas, const TRect& r) const {
  if (Empty() || r.Right <= r.Left || r.Bottom <= r.Top) return;
  QPainter* p = canvas.PreparedPainter(false, false);
  if (p == nullptr) return;
  QSvgRenderer renderer(ToQByteArray(fSvg));
  if (!renderer.isValid()) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  renderer.render(p, QRectF(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top));
}

void TMetafile::LoadFromBytes(TBytes bytes) {
  QSvgRenderer renderer(ToQByteArray(bytes));
  if (!renderer.isValid()) throw EInvalidGraphic(u"The data is not a readable SVG document");
  QRectF box = renderer.viewBoxF();
  QSizeF size = box.isEmpty() ? QSizeF(renderer.defaultSize()) : box.size();
  fWidth = std::max(0, static_cast<Int32>(size.width() + 0.5));
  fHeight = std::max(0, static_cast<Int32>(size.height() + 0.5));
  fSvg = std::move(bytes);
  Changed();
}

void TMetafile::LoadFromFile(const String& fileName) {
  TBytes bytes;
  try {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
    bytes = ReadAll(stream);
  } catch (const EInvalidGraphic&) {
    throw EInvalidGraphic(u"Cannot read the metafile " + fileName);
  } catch (const std::exception&) {
    throw EInvalidGraphic(u"Cannot read the metafile " + fileName);
  }
  LoadFromBytes(std::move(bytes));
}

void TMetafile::SaveToFile(const String& fileName) const {
  if (Empty()) throw EInvalidGraphic(u"Cannot write an empty metafile");
  try {
    // Replaced whole: a failed save leaves the old file as it was.
    ReplaceFileWith(fileName, [this](TStream& stream) { stream.WriteBuffer(fSvg); });
  } catch (const std::exception&) {
    throw EInvalidGraphic(u"Cannot write the metafile " + fileName);
  }
}

void TMetafile::LoadFromStream(TStream& stream) { LoadFromBytes(ReadAll(stream)); }

void TMetafile::SaveToStream(TStream& stream) const {
  if (Empty()) throw EInvalidGraphic(u"Cannot write an empty metafile");
  stream.WriteBuffer(fSvg);
}

std::unique_ptr<TGraphic> TMetafile::Clone() const { return std::make_unique<TMetafile>(*this); }

bool TMetafile::CopyToClipboard() const { return !Empty() && ClipboardSetData(kSvgMimeType, fSvg); }

TBytes TMetafile::RenderedPng() const {
  if (Empty() || !ApplicationExists()) return TBytes();
  QSvgRenderer renderer(QByteArray(reinterpret_cast<const char*>(fSvg.data()), static_cast<qsizetype>(fSvg.size())));
  if (!renderer.isValid()) return TBytes();
  QImage image(fWidth, fHeight, QImage::Format_ARGB32);
  image.fill(Qt::white);
  {
    QPainter p(&image);
    renderer.render(&p, QRectF(0, 0, fWidth, fHeight));
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return TBytes(reinterpret_cast<const Byte*>(bytes.constData()),
                reinterpret_cast<const Byte*>(bytes.constData()) + bytes.size());
}

// ---------------------------------------------------------------------------

// The surface of a metafile canvas: a painter on an SVG generator that writes
// into memory; the painter is begun when something is first drawn.
class TMetafileCanvas::TRecorder : public TCanvasSurface {
 public:
  TRecorder(Int32 w, Int32 h, const String& creator = String(), const String& description = String())
      : fSize{w, h} {
    if (!creator.empty()) fGenerator.setTitle(QString::fromStdU16String(creator));
    if (!description.empty()) fGenerator.setDescription(QString::fromStdU16String(description));
    fBuffer.setBuffer(&fBytes);
    fBuffer.open(QIODevice::WriteOnly);
    fGenerator.setOutputDevice(&fBuffer);
    fGenerator.setSize(QSize(w, h));
    fGenerator.setViewBox(QRect(0, 0, w, h));
    fGenerator.setResolution(96);
  }
  QPainter* Painter() override {
    if (fFinished || fSize.cx <= 0 || fSize.cy <= 0) return nullptr;
    if (!fPainter.isActive() && !fPainter.begin(&fGenerator)) return nullptr;
    return &fPainter;
  }
  TSize Extent() const override { return fSize; }
  // Ends the document and answers it (an empty picture of the size when
  // nothing was drawn).
  TBytes Finish() {
    if (!fFinished && fSize.cx > 0 && fSize.cy > 0) {
      if (!fPainter.isActive()) fPainter.begin(&fGenerator);
      if (fPainter.isActive()) fPainter.end();
    }
    fFinished = true;
    return TBytes(reinterpret_cast<const Byte*>(fBytes.constData()),
                  reinterpret_cast<const Byte*>(fBytes.constData()) + fBytes.size());
  }

 private:
  TSize fSize;
  QByteArray fBytes;
  QBuffer fBuffer;
  QSvgGenerator fGenerator;
  QPainter fPainter;
  bool fFinished = false;
};

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile)
    : fMetafile(metafile), fRecorder(std::make_unique<TRecorder>(metafile.Width(), metafile.Height())) {
  SetSurface(fRecorder.get());
}

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile, const String& creator, const String& description)
    : fMetafile(metafile),
      fRecorder(std::make_unique<TRecorder>(metafile.Width(), metafile.Height(), creator, description)) {
  SetSurface(fRecorder.get());
}

TMetafileCanvas::~TMetafileCanvas() {
  SetSurface(nullptr);
  TBytes svg = fRecorder->Finish();
  fRecorder.reset();
  if (fMetafile.Width() > 0 && fMetafile.Height() > 0) fMetafile.SetRecording(std::move(svg));
}

}  // namespace sk
