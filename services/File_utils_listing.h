// Listings of files and folders: files of a folder by masks, sub-folders with
// exclusions, files and folders of a whole tree, summary statistics, sorting
// lists of files, and file dates taken from a list file.
//
// An entry is a file when it is not a folder; devices, sockets and pipes (the
// system's own entries) are never listed, nor are names that begin with "."
// (this system's hidden entries, so the "include hidden" flags change
// nothing).  A walk never enters a folder through a symbolic link, so a link
// that points back up the tree cannot make it loop or list a folder twice.
// Every entry taken yields to the host; ListOfAllFilesMatchingExt,
// ListOfAllFilesIn and ListOfSubFolders stop at the first entry after which
// global_panic_state is raised.
#pragma once

#include <memory>
#include <vector>

#include "core/Basic_types.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/StringList.h"

namespace sk {

// One entry of a folder as the listings take it: a folder (never one reached
// through a link) or a file (a regular file or a link to one).
struct TListedEntry {
  String name;
  bool folder = false;
};
// The entries that listings take from one folder, ordered by name.
std::vector<TListedEntry> ListedEntriesOf(const String& folder);

struct TFilesAndDirsRec {
  std::unique_ptr<TStringList> files;
  std::unique_ptr<TStringList> dirs;
};

// The files of fileName's folder that match fileName with its extension
// replaced by extension (a mask: ".*" gives every extension), full names;
// the file itself only with includeItself.
std::unique_ptr<TStringList> ListOfAllFilesMatchingExt(const String& fileName, const String& extension,
                                                       bool includeItself, bool includeHidden);
// The search records of the files of the folder that match each mask in turn.
std::vector<TSearchRec> ListOfAllFilesIn(const String& folder, const std::vector<String>& masks,
                                         bool includeHidden);
// Full names, each line owning a TDateTimeHolder with the file's last-write
// time; with sortByDate ordered by time (earlier first), equal times by name
// ordinally, the whole order reversed when global_reversed_sort is set.
std::unique_ptr<TStringList> ListOfAllFilesIn(const String& folder, const std::vector<String>& masks,
                                              bool includeHidden, bool sortByDate);
std::unique_ptr<TStringList> ListOfAllFilesIn(const String& folder, const String& mask, bool includeHidden,
                                              bool sortByDate);
// Every folder below the folder (full names, a folder before the folders in
// it), leaving out any whose full name with a trailing delimiter matches a
// non-empty mask of excludedSpecs, with all below it.  statusProc, when set,
// hears tusp_message and each folder's name.
std::unique_ptr<TStringList> ListOfSubFolders(const String& folder, const TStrings* excludedSpecs,
                                              const TProgressPanelMessage& statusProc);
// dirs: the folder with a trailing delimiter, then (includeSubFolders) every
// folder below it, each with a trailing delimiter, a folder's own sub-folders
// before the folder.  files: for each of those folders and each mask of the
// ";"-separated masks, the files that match, as folder + name; a mask that
// begins with a delimiter names a path below each folder.
TFilesAndDirsRec ListOfFilesAndDirs(const String& folder, const String& masks, bool includeSubFolders,
                                    bool includeHidden);
// Number of files, least and greatest sizes and dates; csf_empty for no
// records (smallest then stays 2,147,483,647 and earliest today).
TCorpusFolderStats OneFolderBasicStats(const std::vector<TBasicFileRec>& files);
TCorpusFolderStats OneFolderBasicStats(const std::vector<TSearchRec>& files);
// By name: file parts ignoring case, then full names ignoring case (A to Z
// when ascending); by date: last-write times, oldest first when ascending.
void SortListOfFiles(TStringList* list, bool byDate, bool ascending);
// A custom-sort comparer: the files named at i and j by size, larger first
// (a missing file counts 0).
Int32 SortOnTextLengthDescending(TStringList* list, Int32 i, Int32 j);

// Hands the host the dates of its files from a list file of lines "file
// name<TAB>date".
class TFileDateUpdater : public TObject {
 public:
  TFileDateUpdater(TGetFilesCount onGetFilesCount, TGetFilename onGetAFile, TTellFilenameDate onTellAFileDate);
  // For each of the host's files, the first line whose name is the file's
  // name part, its whole name, or its name part without extension: its date,
  // parsed, goes to fOnTellAFileDate.  Nothing unless the list file exists and
  // all three events are set.
  void HandleAFileList(const String& listFile);

  TGetFilesCount fOnGetFilesCount;
  TGetFilename fOnGetAFile;
  TTellFilenameDate fOnTellAFileDate;
};

}  // namespace sk
