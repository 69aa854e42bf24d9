// The calls against the layer order: the suite definitions reach the search
// syntax's tag-wildcard converter, the zip glue's name test and the drawing
// helpers' colour check, and the text library drops typed-ahead keys through
// the visual layer's input flush, all through hooks that this unit sets when
// the library starts and clears at its last stop.
#pragma once

namespace sk {

void Layer_hooks_initialization();
void Layer_hooks_Finalization();

}  // namespace sk
