#include "services/Clipboard_utils.h"

#include <chrono>
#include <thread>

#include "core/UnitCounter.h"
#include "platform/runtime/FileReplace.h"
#include "platform/visual/Clipboard.h"

namespace sk {

namespace {
constexpr char kSvgMimeType[] = "image/svg+xml";
}

bool CopyToClipboard(const String& text) {
  for (int failures = 0;;) {
    if (ClipboardSetText(text)) return true;
    ++failures;
    if (failures >= 3) throw Exception(u"Cannot set clipboard");
    std::this_thread::sleep_for(std::chrono::milliseconds(100 * failures));
  }
}

bool CopyClipBoardMetafileToFile(const String& fileName) {
  if (fileName.empty() || !ClipboardHasFormat(kSvgMimeType)) return false;
  const TBytes picture = ClipboardData(kSvgMimeType);
  if (picture.empty()) return false;
  return ReplaceFileContent(fileName, picture);
}

SK_COUNTER_ONLY_UNIT(Clipboard_utils)

}  // namespace sk
