// Fuzz target: finding a stub before an archive. The input is loaded as an
// archive (which measures the stub and corrects the offsets), then the stub is
// measured again from the end of the input and the offsets moved once more.
#include <cstddef>
#include <cstdint>

#include "platform/runtime/Streams.h"
#include "zip/ZADirManager.h"
#include "zip/ZAExcept.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sk::TMemoryStream ms;
  ms.WriteBuffer(data, static_cast<sk::Int64>(size));
  sk::TZASingleVolumeArchiver link(&ms);
  link.FOpenCorruptedArchives = true;
  sk::TZADirManager dm(&ms, false, &link);
  try {
    dm.LoadDir();
  } catch (const sk::Exception&) {
    return 0;
  }
  dm.CalculateStubSize(static_cast<sk::Int64>(size));
  dm.ApplyStubOffset();
  return 0;
}
