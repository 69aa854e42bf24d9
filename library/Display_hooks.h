// The calls of the results display against the layer order: the results
// grid zips its exported timeline images through the zip glue, by a hook that
// this unit sets when the library starts (after the grid and the glue) and
// clears at its last stop.
#pragma once

namespace sk {

void Display_hooks_initialization();
void Display_hooks_Finalization();

}  // namespace sk
