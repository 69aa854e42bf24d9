#include "platform/visual/VisualLayer.h"

#include "platform/runtime/Dialogs.h"
#include "platform/visual/MessageDialogs.h"
#include "platform/visual/Screen.h"

namespace sk {

namespace {

Int32 gStarted = 0;

}  // namespace

void VisualLayer_initialization() {
  if (gStarted++ != 0) return;
  SetMessageBoxHandler(&VisualMessageBox);
  WatchSystemColors();
}

void VisualLayer_Finalization() {
  if (gStarted == 0 || --gStarted != 0) return;
  // Only the layer's own handler is removed; a host's or a test's stays.
  TMessageBoxHandler current = SetMessageBoxHandler(nullptr);
  auto* fn = current.target<Int32 (*)(const String&, const String&, Cardinal)>();
  if (fn == nullptr || *fn != &VisualMessageBox) SetMessageBoxHandler(std::move(current));
}

}  // namespace sk
