#include "zip/Zip_utils.h"

#include "core/My_file_extensionsu.h"
#include "core/UnitCounter.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

String ZipExtension() { return String(QMExts[ext_zip]); }

}  // namespace

Int32 ZipFilePlusNumber(const String& filename) {
  const String ext = ExtractFileExt(filename);
  const size_t zipLength = ZipExtension().size();
  if (ext.size() <= zipLength) return -1;
  Int32 number = 0;
  if (!TryStrToInt(ext.substr(zipLength), number)) return -1;
  return number;
}

bool IsAZipFile(const String& filename) {
  const String zipExt = ZipExtension();
  const String ext = ExtractFileExt(filename);
  if (ext.size() < zipExt.size() || !SameText(ext.substr(0, zipExt.size()), zipExt)) return false;
  return ext.size() == zipExt.size() || ZipFilePlusNumber(filename) >= 0;
}

SK_COUNTER_ONLY_UNIT(Zip_utils)

}  // namespace sk
