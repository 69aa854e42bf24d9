// Tests of files and folders that report by result: writeable folders,
// existence without waking network file systems, read-only entries and sizes.
#pragma once

#include "core/Basic_types.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// True when a new file can be created in the folder for reading and writing.
// The test file has no name (or a fresh unique one, removed at once), so no
// file of the user's is ever touched.
bool IsDirectoryWriteable(const String& folder);

// fs_not_found for an empty name or one that cannot be examined; fs_unknown,
// without touching it, for a network name when network names are not allowed
// (a Windows network name, or a name on a network file system by the mount
// table); for a folder fs_exists; for anything else fs_unknown.
TQMFilestatus DriveAndFolderExist(const String& name, bool allowNetwork);
// DriveAndFolderExist(name, true) == fs_exists.
bool DriveAndFolderExist(const String& name);
// The same for files: fs_exists only for an existing entry that is not a
// folder; a folder gives fs_unknown.
TQMFilestatus DriveAndFileExist(const String& name, bool allowNetwork);
bool DriveAndFileExist(const String& name);
// fs_unknown for a name in a network folder when network names are not
// allowed; else fs_exists or fs_not_found.
TQMFilestatus GetFileStatusOfAFile(const String& name, bool allowNetwork);
// Whether the first entry that matches the name (which may be a mask) has no
// write permission for anyone; false when nothing matches.
bool IsReadOnlyFile(const String& name);
// The same, and false unless that entry is a folder.
bool IsReadOnlyFolder(const String& name);
// The file-list unit of the core has its own FileSize (a folder answers 0
// there); this one is File_utils::FileSize.
namespace File_utils {
// Size in bytes; -1 when the file does not exist (a folder included).
Int64 FileSize(const String& name);
}  // namespace File_utils
// Above 2,097,152: whole megabytes and "Mb"; from 2049: whole kilobytes and
// "Kb"; else the number of bytes.
String FileSizetoString(Int64 n);

}  // namespace sk
