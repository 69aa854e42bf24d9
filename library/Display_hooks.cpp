#include "library/Display_hooks.h"

#include <vector>

#include "core/UnitCounter.h"
#include "display/QM_Grid.h"
#include "platform/runtime/StringList.h"
#include "zip/Zip_utils.h"

namespace sk {

namespace {

constinit TUnitCounter Display_hooks_counter;

bool ZipGridImages(const std::vector<String>& files, const String& zipName, Int32 storePathMode, bool flag) {
  TStringList list;
  for (const String& f : files) list.Add(f);
  return ZipASeriesOfFilesTo(list, zipName, static_cast<TZAStorePathMode>(storePathMode), flag);
}

}  // namespace

void Display_hooks_initialization() {
  if (!Display_hooks_counter.Initialization()) return;
  ZipASeriesOfFilesToHook = &ZipGridImages;
}

void Display_hooks_Finalization() {
  if (!Display_hooks_counter.Finalization()) return;
  ZipASeriesOfFilesToHook = nullptr;
}

}  // namespace sk
