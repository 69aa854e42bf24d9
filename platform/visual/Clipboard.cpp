#include "platform/visual/Clipboard.h"

#include <QtCore/QByteArray>
#include <QtCore/QMimeData>
#include <QtCore/QString>
#include <QtGui/QClipboard>
#include <QtGui/QGuiApplication>

#include "platform/visual/Screen.h"

namespace sk {

namespace {

QString ToQString(const String& s) {
  return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

String FromQString(const QString& s) {
  return String(reinterpret_cast<const Char*>(s.utf16()), static_cast<size_t>(s.size()));
}

QClipboard* Board() {
  if (!HasGuiApplication()) return nullptr;
  return QGuiApplication::clipboard();
}

}  // namespace

bool ClipboardSetText(const String& text) {
  QClipboard* cb = Board();
  if (cb == nullptr) return false;
  const QString q = ToQString(text);
  cb->setText(q);
  return cb->text() == q;
}

String ClipboardText() {
  QClipboard* cb = Board();
  return cb == nullptr ? String() : FromQString(cb->text());
}

bool ClipboardSetData(const std::string& mimeType, const TBytes& bytes) {
  QClipboard* cb = Board();
  if (cb == nullptr) return false;
  auto* data = new QMimeData();  // the clipboard takes it over
  data->setData(QString::fromStdString(mimeType),
                QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
  cb->setMimeData(data);
  return ClipboardHasFormat(mimeType);
}

bool ClipboardSetFormats(const std::vector<std::pair<std::string, TBytes>>& formats) {
  QClipboard* cb = Board();
  if (cb == nullptr) return false;
  auto* data = new QMimeData();  // the clipboard takes it over
  for (const auto& [type, bytes] : formats) {
    const QByteArray b(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    if (type == "text/plain")
      data->setText(QString::fromUtf8(b));
    else
      data->setData(QString::fromStdString(type), b);
  }
  cb->setMimeData(data);
  for (const auto& f : formats)
    if (!ClipboardHasFormat(f.first)) return false;
  return true;
}

bool ClipboardHasFormat(const std::string& mimeType) {
  QClipboard* cb = Board();
  if (cb == nullptr) return false;
  const QMimeData* data = cb->mimeData();
  return data != nullptr && data->hasFormat(QString::fromStdString(mimeType));
}

TBytes ClipboardData(const std::string& mimeType) {
  QClipboard* cb = Board();
  if (cb == nullptr) return TBytes();
  const QMimeData* data = cb->mimeData();
  if (data == nullptr) return TBytes();
  const QByteArray a = data->data(QString::fromStdString(mimeType));
  return TBytes(reinterpret_cast<const Byte*>(a.constData()), reinterpret_cast<const Byte*>(a.constData()) + a.size());
}

}  // namespace sk
