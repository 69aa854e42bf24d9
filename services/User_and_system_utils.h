// Where the suite keeps its per-user files and its settings pointer file, and
// whether the program runs from a removable drive.
//
// Folders follow the XDG base-directory rules: documents are $XDG_DOCUMENTS_DIR
// (else the user-dirs setting, else ~/Documents), roaming application data
// $XDG_CONFIG_HOME (else ~/.config), program data the first absolute entry of
// $XDG_DATA_DIRS (else /usr/local/share); relative values are ignored.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

// "Quillmark_64_9": the last element of the suite's own folders.
String ProductFolderName();
String GetMyDocumentsFolder();
// The documents folder, a delimiter and the product folder name.
String GetMyDocumentsQMarkFolder();
String GetLocalAppDataRoamingFolder();
String GetLocalAppRoamingQMarkFolder();
// No product folder is added.
String GetProgramDataFolder();
// The program lies on a local removable drive (never on a network mount).
bool RunningFromUSBStick();
// "settings_folder.txt" beside the program when it runs from a removable
// drive, else in the product folder under the documents folder.
String FilenameForSettingsFolderInfo();
// The "folder" key of section "Settings" of the settings pointer file; ""
// when the file or the key is missing; "self" (exactly) gives the program's
// own folder with a trailing delimiter.
String Get_Ini_Folder();

void User_and_system_utils_initialization();
void User_and_system_utils_Finalization();

}  // namespace sk
