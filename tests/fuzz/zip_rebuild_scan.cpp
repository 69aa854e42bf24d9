// Fuzz target: the rebuild of a directory from the local headers, over the
// whole input, in both archive forms.
#include <cstddef>
#include <cstdint>

#include "platform/runtime/Streams.h"
#include "zip/ZADirManager.h"
#include "zip/ZAExcept.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (bool zipForm : {true, false}) {
    sk::TMemoryStream ms;
    ms.WriteBuffer(data, static_cast<sk::Int64>(size));
    sk::TZASingleVolumeArchiver link(&ms);
    link.isZIPFormat = zipForm;
    sk::TZADirManager dm(&ms, false, &link);
    try {
      dm.RebuildCentralDir();
    } catch (const sk::Exception&) {
      continue;
    }
    sk::Int32 index = -1;
    for (sk::Int32 i = 0; i < dm.CDir->Count(); ++i)
      dm.CDir->FileExists(dm.CDir->FItems[static_cast<size_t>(i)].Name, index);
  }
  return 0;
}
