// Copying with the file date kept, backups before deleting or emptying a
// file, moving whole folders, deleting the files of a folder after asking,
// and removing empty folders.
//
// Nothing here replaces a file it was not asked to replace: moves and copies
// into a folder leave a file already there alone (that file counts as not
// moved), and a source is deleted only once its copy is complete.
#pragma once

#include <memory>

#include "core/Basic_types.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/StringList.h"

namespace sk {

// Copies the file to its backup name (".bak"), replacing an earlier backup.
void CopyAFileWithBackup(const String& name);
// False when the source does not exist; else copies (not over an existing
// target with failIfExists) and gives the target the source's date.
bool CopyFileRetainingDate(const String& source, const String& target, bool failIfExists);
// Copies the file into the folder "TEMP" beside it (made when missing).
// False, with nothing written, when that folder is not the process's user's
// own, when anyone else may write into it, when it lies in a folder anyone
// may write without the sticky bit, or when a link or a folder holds the
// file's name in it: the copy never reaches another user or goes through a
// link.
bool TryToCopyFileToTEMP(const String& name);
// Copies (copy) or moves the file into targetFolder, under the folders that
// mirror where it lies (NewSubFolderFrom) and then subFolder; the folders are
// made when missing.  Never replaces a file.
bool CopyOrMoveAFileRetainingDirStructure(const String& name, const String& subFolder, const String& targetFolder,
                                          bool copy);
// Backs the file up, then deletes it.  False when the file does not exist,
// when its deletion would be refused (DeleteRefusal: then no backup is made,
// and an earlier one stays), when the backup could not be made complete or
// would be the file itself (a ".bak" file; the file is then left alone), when
// another program wrote to the file since its copy began (it stays as that
// program left it), or the deletion failed.
bool DeleteFileKeepingBackup(const String& name);
// Backs the file up, then makes it an empty UTF-16LE file (its mark only).
// False as above (a file written to since its copy began is not emptied).
bool EmptyFileKeepingBackup(const String& name);
// True without asking when the file does not exist; else asks in a system
// message box whether to delete it and deletes it on OK; answers whether OK
// was chosen.
bool OKToDeleteFile(const String& name);

// False when either is empty; else whether the folder parts of both name the
// same real folder (links resolved; case counts).
bool FolderProposedIsOriginalFolder(const String& a, const String& b);
// Entries of any kind in the folder whose names do not begin with ".".
Int32 FolderFileCount(const String& folder);
// "c:\x\a.txt|b.txt|c": the first piece is a full name, whose folder is the
// head of the pieces after it.
std::unique_ptr<TUTF8Stringlist> FoldersFromSameHead(const String& text);
// True when the folder does not exist or is not empty; else whether removing
// it worked.
bool RemovedEmptyFolder(const String& folder);
// Removes every empty folder at or below the folder, deepest first; gives the
// folders looked at (the folder first, parents before children).
std::unique_ptr<TStringList> RemoveAllEmptyFolders(const String& folder);
// Moves every file of the source's tree (names beginning with "." stay) into
// the same places under target, renaming within one file system and copying
// then deleting across file systems; with removeEmptied the emptied folders
// go.  (long0 files found, long1 files moved); (-1, -1) when the source does
// not exist, or target is the source or lies inside it.
T2_longint_rec MovedFolderFulInto(const String& source, const String& target, bool removeEmptied);
// intoTarget: the source's content moved into target.  Otherwise the folder
// itself moved into target (renamed in one step on one file system).  The
// destination and whether anything was moved.
TStringAndBooleanRec MovedFolderAndItsSubfoldersTo(const String& source, const String& target, bool intoTarget);
// Deletes (or, with move, moves into moveTo) the files of the folder that
// match the mask, after asking in a system message box; refuses, with a
// warning box, the top folder of any file system that is not removable.
// Gives the number of files deleted or moved.  A file that cannot be deleted
// stops the work and raises EOSError.
Int32 DeleteAllFilesOn(const String& folder, const String& mask, const String& moveTo, bool move,
                       bool includeSubFolders, bool removeEmptyFolders);

}  // namespace sk
