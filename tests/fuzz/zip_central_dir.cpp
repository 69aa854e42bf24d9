// Fuzz target: the central directory reader. The input is a whole archive;
// it is loaded strictly and with corrupted archives allowed (which rebuilds a
// damaged directory), and what was loaded is written back in place and
// loaded again.
#include <cstddef>
#include <cstdint>

#include "platform/runtime/Streams.h"
#include "zip/ZADirManager.h"
#include "zip/ZAExcept.h"

namespace {

void LoadAndRewrite(const uint8_t* data, size_t size, bool openCorrupted) {
  sk::TMemoryStream ms;
  ms.WriteBuffer(data, static_cast<sk::Int64>(size));
  sk::TZASingleVolumeArchiver link(&ms);
  link.FOpenCorruptedArchives = openCorrupted;
  sk::TZADirManager dm(&ms, false, &link);
  try {
    dm.LoadDir();
  } catch (const sk::Exception&) {
    return;  // an engine error or the stream's short read: a result, not a fault
  }
  sk::Int32 index = -1;
  for (sk::Int32 i = 0; i < dm.CDir->Count(); ++i) dm.CDir->FileExists(dm.CDir->FItems[static_cast<size_t>(i)].Name, index);
  try {
    dm.SaveDir(false);
  } catch (const sk::EZAException&) {
    return;  // a name or block that cannot be stored leaves the archive alone
  }
  sk::TZADirManager again(&ms, false, &link);
  try {
    again.LoadDir();
  } catch (const sk::Exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LoadAndRewrite(data, size, false);
  LoadAndRewrite(data, size, true);
  return 0;
}
