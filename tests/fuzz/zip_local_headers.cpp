// Fuzz target: the local-header reader. Every local header found in the input
// is read with its name and extra blocks, and the data descriptor after it is
// looked for, as the rebuild and the entry reader do.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/runtime/Streams.h"
#include "zip/ZADirManager.h"
#include "zip/ZAExcept.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sk::TMemoryStream ms;
  ms.WriteBuffer(data, static_cast<sk::Int64>(size));
  sk::TZASingleVolumeArchiver link(&ms);
  sk::TZADirManager dm(&ms, false, &link);
  const sk::Int64 total = static_cast<sk::Int64>(size);
  sk::Int64 p = dm.FindLocalFileHeader(0);
  int headers = 0;
  while (p >= 0 && headers++ < 1000) {
    sk::TZAZipFileHeader lh;
    lh.ReadFrom(data + p);  // 30 bytes follow every header found
    sk::TDirItem item;
    item.CentralDir.compSize = lh.compSize;
    item.CentralDir.unCompSize = lh.unCompSize;
    const sk::Int64 nameAt = p + sk::TZAZipFileHeader::Size;
    const sk::Int64 nameLen = std::min<sk::Int64>(lh.nameLength, total - nameAt);
    sk::String name = sk::DecodeEntryName(data + nameAt, static_cast<size_t>(nameLen), lh.genPurposeFlag,
                                          lh.extractVersion, true);
    const sk::Int64 extraAt = nameAt + nameLen;
    const sk::Int64 extraLen = std::min<sk::Int64>(lh.extraLength, total - extraAt);
    sk::ReadExtraBlocks(data + extraAt, static_cast<size_t>(extraLen), lh.extractVersion < sk::ZA2MinExtractVersion,
                        item, name);
    sk::TZAZipDataDescriptor dd;
    dm.FindDataDescriptor(p, dd);
    p = dm.FindLocalFileHeader(p + 1);
  }
  return 0;
}
