// File names for display, the suite's file kinds by extension, common roots
// of chosen folders, file filters, the program a file opens with, and stored
// names turned into or out of the "$userdir" form.
#pragma once

#include "core/Basic_types.h"
#include "core/My_file_extensionsu.h"
#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/StringList.h"

namespace sk {

// fnv_no_path: the delimiter and the last part; fnv_1_folder: the last two
// parts; fnv_2_folders: the last three, each part after a delimiter (the one
// the name uses); fnv_full_path, or too few parts: the name unchanged.
String FilenameFormattedForView(const String& name, TFilenameView view);
// The first file kind whose extension equals the name's, ignoring case;
// ext_unknown when none does.
TQM_Extensions QMExtensionOfFile(const String& name);
// The results-list kind of a saved results file, by its extension;
// lt_undefined for any other.
TQuillmarkList ListTypeOfFileExt(const String& name);
// The common parent folder of the list's first, middle and last lines;
// empty for an empty list.
TParsedSeveralPathStrings ParentFolderParsedPathOfChosenFolders(const TStrings* list);
// The common parent folder of three folders of one drive: up to the
// delimiter at or before their first difference (ignoring case); empty when
// there is no delimiter there.
TParsedSeveralPathStrings ParentFolderParsedPathOfChosenFolders(const String& a, const String& b, const String& c);
// True when the desktop's default program for the file exists and its full
// name contains program, ignoring case.
bool FileWouldOpenWith(const String& fileName, const String& program);
// Replaces each line by ConvertedAppFolderInFilename of it where that differs.
void CheckUserDirConstFolder(TStrings* list, bool toPlaceholder);
// The trimmed text between the first "(" and the first ")" after it, else
// the whole text trimmed; "*.*" when that is empty.
String FileFilterWithinFilterText(const String& s);
// The name in double quotes when the file exists, else unchanged.
String FormattedFNAsParameter(const String& name);

}  // namespace sk
