#include "library/Layer_hooks.h"

#include "analysis/Search_parsing.h"
#include "core/Redodidu.h"
#include "core/UnitCounter.h"
#include "platform/visual/Controls.h"
#include "services/Wdef_hooks.h"
#include "ui/Graphics_utilities.h"
#include "zip/Zip_utils.h"

namespace sk {

namespace {

constinit TUnitCounter Layer_hooks_counter;

}  // namespace

void Layer_hooks_initialization() {
  if (!Layer_hooks_counter.Initialization()) return;
  Wdef_TagWildcardConverted = &TagWildcardConverted;
  Wdef_IsAZipFile = &IsAZipFile;
  Wdef_EnsureColoursOK = &EnsureColoursOK;
  SetInputFlushHandler(&FlushPendingInput);
}

void Layer_hooks_Finalization() {
  if (!Layer_hooks_counter.Finalization()) return;
  Wdef_TagWildcardConverted = nullptr;
  Wdef_IsAZipFile = nullptr;
  Wdef_EnsureColoursOK = nullptr;
  SetInputFlushHandler(nullptr);
}

}  // namespace sk
