#include "platform/visual/QtFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <string>

#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/Strings.h"

namespace sk {

bool ReadFileForQt(const String& fileName, QByteArray& bytes, Int64 limit) {
  bytes.clear();
  if (fileName.empty()) return false;
  try {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
    const Int64 n = stream.Remaining();
    if (n < 0 || n > limit) return false;
    bytes.resize(static_cast<qsizetype>(n));
    if (n > 0) stream.ReadBuffer(bytes.data(), n);
    return true;
  } catch (const std::exception&) {
    bytes.clear();
    return false;
  }
}

bool SaveFileForQt(const String& fileName, const QByteArray& bytes) {
  if (fileName.empty()) return false;
  try {
    return TryReplaceFileWith(fileName, [&bytes](TStream& stream) {
      return stream.Write(bytes.constData(), static_cast<Int64>(bytes.size())) == static_cast<Int64>(bytes.size());
    });
  } catch (const std::exception&) {
    return false;
  }
}

QByteArray ImageFormatOfName(const String& fileName) {
  const String ext = ExtractFileExt(fileName);
  if (ext.size() < 2) return QByteArray();
  return QByteArray::fromStdString(StringToUtf8(LowerCase(ext.substr(1))));
}

QUrl LocalFileUrl(const String& fileName) {
  const std::string bytes = StringToSystemName(ExpandFileName(fileName));
  return QUrl::fromEncoded(QByteArray("file://") + QByteArray::fromStdString(bytes).toPercentEncoding("/"),
                           QUrl::StrictMode);
}

TFileOpenForQt::~TFileOpenForQt() { Close(); }

bool TFileOpenForQt::OpenForWriting(const String& fileName) {
  Close();
  if (fileName.empty()) {
    errno = ENOENT;
    return false;
  }
  fHandle = ::open(StringToSystemName(fileName).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  return fHandle >= 0;
}

void TFileOpenForQt::Close() {
  if (fHandle >= 0) ::close(fHandle);
  fHandle = -1;
}

QString TFileOpenForQt::QtName() const {
  return fHandle >= 0 ? QStringLiteral("/proc/self/fd/") + QString::number(fHandle) : QString();
}

}  // namespace sk
