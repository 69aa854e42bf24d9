// Archives for the archiver's fuzz targets: an archiver that answers its
// questions without a person (failures ignored, no password asked), and the
// seed archives our own writer makes in memory.
#pragma once

#include "platform/runtime/Streams.h"
#include "zip/ZAArchiver.h"

namespace sk::fuzz {

inline void QuietArchiver(TZipArchiver& zip) {
  zip.FSuppressPasswordEvent = true;
  zip.OnProcessFileFailure = [](TObject*, const String&, TZAProcessOperation, Int32, Int32, const String&,
                                TZAAction& action) { action = fxaIgnore; };
  zip.OnPassword = [](TObject*, const String&, AnsiString&, bool& skip) { skip = true; };
}

// The archive that fill's additions make, in the given ZIP64 mode (the
// archiver's own default unless given).
inline TBytes WrittenArchive(void (*fill)(TZipArchiver&), TZip64Mode mode = zmAuto) {
  TMemoryStream ms;
  TZipArchiver zip;
  QuietArchiver(zip);
  zip.SetZip64Mode(mode);
  zip.OpenArchive(&ms, true);
  zip.BeginUpdate();
  fill(zip);
  zip.EndUpdate();
  zip.CloseArchive();
  return ms.ToBytes();
}

}  // namespace sk::fuzz
