// Fuzz target: the extra-block reader. The first byte chooses which 32-bit
// fields of the record say "in the zip64 block" and whether the entry is of
// the zip form; the rest is the extra field, read as for a central record and
// written back through the directory writer.
#include <cstddef>
#include <cstdint>

#include "platform/runtime/Streams.h"
#include "zip/ZADirManager.h"
#include "zip/ZAExcept.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  sk::TDirItem item;
  sk::TZAZipCentralDir& cd = item.CentralDir;
  cd.signature = sk::ZipCentralDirSignature;
  cd.unCompSize = (mode & 1) ? 0xFFFFFFFFu : 5;
  cd.compSize = (mode & 2) ? 0xFFFFFFFFu : 5;
  cd.relOffsetLH = (mode & 4) ? 0xFFFFFFFFu : 0;
  cd.diskNumberStart = (mode & 8) ? 0xFFFF : 0;
  cd.extractVersion = (mode & 16) ? 0x4114 : 20;
  sk::String name = u"name";
  sk::ReadExtraBlocks(data + 1, size - 1, (mode & 16) == 0, item, name);
  item.Name = name;

  sk::TMemoryStream ms;
  sk::TZASingleVolumeArchiver link(&ms);
  sk::TZADirManager dm(&ms, false, &link);
  dm.CDir->SetCount(1);
  dm.CDir->SetItem(0, item);
  try {
    dm.SaveDir(true);
  } catch (const sk::EZAException&) {
    return 0;  // blocks that no longer fit 65,535 bytes with the zip64 block
  }
  sk::TZADirManager again(&ms, false, &link);
  link.FOpenCorruptedArchives = true;
  try {
    again.LoadDir();
  } catch (const sk::Exception&) {
  }
  return 0;
}
