// File names taken apart and put together: sections of a path, parent
// folders, common roots, names suggested for a choice of texts, cleaned-up
// names, long names of existing files, and the placeholders "$userdir" and
// "$user_drive" that keep stored names valid when the suite moves to another
// folder or drive.
//
// Names may come from this system or be stored by the suite on Windows: every
// routine here accepts both "/" and "\" as delimiters, and where it writes a
// delimiter it writes the one the name uses.  A name's drive is the mount
// point that holds it (without its trailing delimiter, so the root file
// system's drive is ""), "x:" for a Windows name with a drive letter, and
// "\\server\share" for a network name.  Nothing here keeps state.
#pragma once

#include <vector>

#include "core/Basic_consts.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// ---- delimiters and drives (used by the other file units) ---------------------

// The delimiter the name uses: its first delimiter, "/" when it has none.
Char DelimiterOfAFilename(const String& s);
// A Windows network name ("\\server\share\...") or its slashed form.
bool IsNetworkName(const String& s);
// The name has a drive: an absolute name of this system, a Windows name with a
// drive letter, or a network name.
bool FilenameHasDrive(const String& s);
// The name's drive as described above; "" for a name without one.  Found
// from the text of the name and the mount table: the name is not touched.
String DriveOfAFilename(const String& s);

// ---- sections and parents --------------------------------------------------------

// The parts of s split at every delimiter (empty parts kept); none for "".
std::vector<String> SectionsOfAFilename(const String& s);
// The last part of the folder path of s (the folder that holds it); "" when
// there is none.
String ParentFolderOf(const String& s);
// The folder path of s after a trailing delimiter is removed, without its
// trailing delimiter (so the parent of a folder).
String ParentFolderSectionsOf(const String& s);
// b begins with a, ignoring case, and the two are not exactly equal.
bool IsASubFolderOf(const String& a, const String& b);
// b from the last character that a and b share at their start (compared in
// upper case); b itself when they share none.
String FilenameWithoutCommonRoot(const String& a, const String& b);
String PathWithoutCommonRoot(const String& a, const String& b);
// a up to the last delimiter of a within the part that a and b share
// (compared in upper case), delimiter included; "" when there is none.
String CommonDrivePathElements(const String& a, const String& b);
// "%d_files", "%d_files_<parent folder of firstName>" or "%d_files_%d_folders".
String SuggestedFilenameForChosenTexts(Int32 files, Int32 folders, const String& firstName);
// The last part of s (after removing a trailing delimiter) with its delimiter,
// each character not allowed in a Windows file name (< > : " / \ | ? * and the
// control characters) replaced by a blank.
String CleanedUpFilename(const String& s);
// existing when such a file exists, else suggested.
String FileNameFromSuggestedOrExisting(const String& existing, const String& suggested);
// s without its drive.
String FullFilenameWithoutDrive(const String& s);
// s with each existing element replaced by the name the folder holds: the
// element itself when it exists exactly, else the one entry that matches it
// ignoring case; from the first element that is missing (or matched by several
// entries) the rest is kept as given.  Relative names are expanded first.
String GetLongPathNameW(const String& s);
// The name without its extension, then text, then the extension.
String InsertBeforeExtofFilename(const String& name, const String& text);
String InsertBeforeExtension(const String& name, const String& text);
// The characters of s before its x-th delimiter; "" when it has fewer.
String NameUpToXPathDelimiters(const String& s, Int32 x);
Int32 PathDelimiterCount(const String& s);
String RemoveDotsFromFilename(const String& s);
// The folder under a target folder that mirrors where fileName lies relative
// to baseFolder (see CopyOrMoveAFileRetainingDirStructure); "" when the two
// share nothing.
String NewSubFolderFrom(const String& fileName, const String& baseFolder);

// ---- placeholders ------------------------------------------------------------------

// toPlaceholder: fileName on the user folder's drive becomes "$userdir..."
// when it lies inside userFolder, else "$user_drive..."; a name on another
// drive stays.  Otherwise ConvertedFilenameFromUserDirFName.
String ConvertedUserFolderInFilename(const String& userFolder, const String& fileName, bool toPlaceholder);
// "$userdir" and "$user_drive" replaced by userFolder and its drive; the
// backslashes after the placeholder become "/".  Other names unchanged.
String ConvertedFilenameFromUserDirFName(const String& userFolder, const String& fileName);
// ConvertedUserFolderInFilename with the program's own folder.
String ConvertedAppFolderInFilename(const String& fileName, bool toPlaceholder);
// The drive of a name on the program's drive replaced by "$user_drive", or
// back.
String ConvertedFilenameIfUserDrive(const String& fileName, bool toPlaceholder);

void Filename_functions_initialization();
void Filename_functions_Finalization();

}  // namespace sk
