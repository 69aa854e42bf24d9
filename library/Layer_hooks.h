// The calls against the layer order: the suite definitions reach the search
// syntax's tag-wildcard converter, the zip glue's name test and the drawing
// helpers' colour check through hooks that this unit sets when the library
// starts and clears at its last stop.
#pragma once

namespace sk {

void Layer_hooks_initialization();
void Layer_hooks_Finalization();

}  // namespace sk
