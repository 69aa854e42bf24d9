#include "platform/visual/Shell.h"

#include <QtCore/QUrl>
#include <QtGui/QDesktopServices>

#include "platform/visual/Controls.h"
#include "platform/visual/QtConvert.h"
#include "platform/visual/QtFiles.h"

namespace sk {

namespace {

TShellOpenHandler& OpenHandler() {
  static TShellOpenHandler handler;
  return handler;
}

}  // namespace

TShellOpenHandler SetShellOpenHandler(TShellOpenHandler handler) {
  TShellOpenHandler previous = std::move(OpenHandler());
  OpenHandler() = std::move(handler);
  return previous;
}

bool ShellOpenFile(const String& fileName) {
  if (OpenHandler()) return OpenHandler()(fileName);
  if (fileName.empty() || !ApplicationExists()) return false;
  return QDesktopServices::openUrl(LocalFileUrl(fileName));
}

}  // namespace sk
