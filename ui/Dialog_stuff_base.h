// File-dialog filters built from the suite's file kinds: "description|mask"
// per kind, the description being the kind's display name (with the word
// "files" put in for its "%s") and the mask its extension after "*".
#pragma once

#include <vector>

#include "core/My_file_extensionsu.h"
#include "platform/visual/FileDialogs.h"

namespace sk {

// The filter entry of one kind: "description|mask".
String FilterEntryOfKind(TQM_Extensions kind);

// The dialog's DefaultExt becomes the first kind's extension without its
// dot, its Filter the entries of all kinds in order, joined with "|".
void SetFiltersToSaveDialog(TSaveDialog& dialog, const std::vector<TQM_Extensions>& kinds);
void SetFiltersToOpenDialog(TOpenDialog& dialog, const std::vector<TQM_Extensions>& kinds);
// Adds one file type per kind (the same description and mask); the default
// extension becomes the first kind's extension without its dot.
void AddFiltersToCustomFileDialog(TCustomFileDialog& dialog, const std::vector<TQM_Extensions>& kinds);

// Unit start and stop (the unit has no work of its own).
void Dialog_stuff_base_initialization();
void Dialog_stuff_base_Finalization();

}  // namespace sk
