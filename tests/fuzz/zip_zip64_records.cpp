// Fuzz target: the zip64 end record and locator reader. The input is the tail
// of an archive (zip64 end record, locator and end record, or anything else)
// placed after a small directory of three stored entries, and the whole is
// loaded strictly and with corrupted archives allowed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/runtime/Streams.h"
#include "zip/ZADirManager.h"
#include "zip/ZAExcept.h"

namespace {

// Three stored entries ("a", "b/", "c") and their central records, written by
// our own writer; the end records are left to the input.
const std::string& Front() {
  static const std::string front = [] {
    sk::TMemoryStream ms;
    sk::TZASingleVolumeArchiver link(&ms);
    sk::TZADirManager dm(&ms, false, &link);
    const char* names[] = {"a", "b/", "c"};
    const char* contents[] = {"1", "", "333"};
    dm.CDir->SetCount(3);
    for (int i = 0; i < 3; ++i) {
      sk::TDirItem item;
      item.Name = sk::S(names[i]);
      item.CentralDir.versionMadeBy = item.CentralDir.extractVersion = 20;
      item.CentralDir.compSize = item.CentralDir.unCompSize = static_cast<sk::Cardinal>(std::string(contents[i]).size());
      item.CentralDir.relOffsetLH = static_cast<sk::Cardinal>(ms.Position());
      sk::TZAZipFileHeader lh;
      lh.signature = sk::ZipLocalFileHeaderSignature;
      lh.extractVersion = 20;
      lh.compSize = lh.unCompSize = item.CentralDir.compSize;
      lh.nameLength = static_cast<sk::Word>(std::string(names[i]).size());
      ms.WriteBuffer(lh.ToBytes());
      ms.WriteBuffer(names[i], lh.nameLength);
      ms.WriteBuffer(contents[i], lh.compSize);
      dm.CDir->SetItem(i, item);
    }
    dm.SaveDir(true);
    std::string all(reinterpret_cast<const char*>(ms.Bytes()), static_cast<size_t>(ms.Size()));
    return all.substr(0, all.size() - sk::TZAZipCentralDirEnd::Size);
  }();
  return front;
}

void Load(const std::string& bytes, bool openCorrupted) {
  sk::TMemoryStream ms;
  ms.WriteBuffer(bytes.data(), static_cast<sk::Int64>(bytes.size()));
  sk::TZASingleVolumeArchiver link(&ms);
  link.FOpenCorruptedArchives = openCorrupted;
  sk::TZADirManager dm(&ms, false, &link);
  try {
    dm.LoadDir();
  } catch (const sk::Exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes = Front() + std::string(reinterpret_cast<const char*>(data), size);
  Load(bytes, false);
  Load(bytes, true);
  return 0;
}
