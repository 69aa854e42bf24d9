#include "services/File_utils_copying.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "core/Basic_processes.h"
#include "core/Generalruntime1const.h"
#include "core/My_file_extensionsu.h"
#include "platform/runtime/Dialogs.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileSeam.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/OSError.h"
#include "platform/runtime/Strings.h"
#include "services/File_utils_dates.h"
#include "services/File_utils_listing.h"
#include "services/Filename_functions.h"

namespace sk {

namespace {

String BackupNameOf(const String& name) { return ChangeFileExt(name, QMExts[ext_bak]); }

// The real path of a name: links resolved for the part that exists, the rest
// as written ("." and ".." resolved).
std::string RealPathOf(const String& name) {
  std::string path = StringToSystemName(ExpandFileName(name));
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  std::string tail;
  for (;;) {
    if (char* rp = ::realpath(path.c_str(), nullptr)) {
      std::string r(rp);
      std::free(rp);
      if (!tail.empty()) r += (r == "/" ? "" : "/") + tail;
      return r;
    }
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || path == "/") return StringToSystemName(ExpandFileName(name));
    tail = tail.empty() ? path.substr(slash + 1) : path.substr(slash + 1) + "/" + tail;
    path = slash == 0 ? "/" : path.substr(0, slash);
  }
}

bool Inside(const std::string& inner, const std::string& outer) {
  return inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
         (outer == "/" || inner[outer.size()] == '/');
}

void CountAndMove(const String& from, const String& to, Int32& found, Int32& moved, std::vector<String>& folders) {
  ForceDirectories(to);
  for (const TListedEntry& e : ListedEntriesOf(from)) {
    const String src = IncludeTrailingPathDelimiter(from) + e.name;
    const String dst = IncludeTrailingPathDelimiter(to) + e.name;
    if (e.folder) {
      folders.push_back(src);
      CountAndMove(src, dst, found, moved, folders);
      continue;
    }
    ++found;
    MyYieldProcess();
    // Renamed within one file system; across file systems copied whole and
    // only then deleted.  A file already at the destination is never replaced.
    if (MoveFile(src, dst, true)) ++moved;
  }
}

// Opens the folder of the given name beside a file (made when missing) for
// what is put in it; -1 when it may not be used.  A folder another user made
// first, or could write into, would hand that user the copies (they could
// read, swap or link them anywhere), and so would a folder that lies where
// anyone may write without the sticky bit (whoever can write there can put a
// folder of their own in its place): such folders are refused.  It is opened
// without following a link.
int OpenOwnFolderBeside(const String& file, const String& folderName) {
  const std::string parent = StringToSystemName(ExcludeTrailingPathDelimiter(ExtractFilePath(ExpandFileName(file))));
  const std::string leaf = StringToSystemName(folderName);
  const int parentFd = ::open(parent.empty() ? "/" : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parentFd < 0) return -1;
  struct stat st;
  int fd = -1;
  if (::fstat(parentFd, &st) == 0 && !((st.st_mode & S_IWOTH) != 0 && (st.st_mode & S_ISVTX) == 0) &&
      (::fstatat(parentFd, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 ||
       (errno == ENOENT && FileSeamAsk(fsoCreate, parent + "/" + leaf) == 0 &&
        (::mkdirat(parentFd, leaf.c_str(), 0755) == 0 || errno == EEXIST))))
    fd = ::openat(parentFd, leaf.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  ::close(parentFd);
  if (fd >= 0 && (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)) {
    ::close(fd);
    fd = -1;
  }
  return fd;
}

}  // namespace

// ---- copying and backups -------------------------------------------------------

void CopyAFileWithBackup(const String& name) { CopyFileToBackup(name, BackupNameOf(name)); }

bool CopyFileRetainingDate(const String& source, const String& target, bool failIfExists) {
  if (!FileExists(source)) return false;
  if (!CopyFile(source, target, failIfExists)) return false;
  return CopyDateOfFile(source, target);
}

bool TryToCopyFileToTEMP(const String& name) {
  if (!FileExists(name)) return false;
  const int folder = OpenOwnFolderBeside(name, LoadResString(&_QMTemp));
  if (folder < 0) return false;
  // The copy goes into the folder just checked, through its descriptor: a
  // folder put in its place meanwhile is not written to.  Nobody else may
  // write into it, so a name found not to be a link stays one that is not.
  const std::string leaf = StringToSystemName(ExtractFileName(name));
  struct stat st;
  bool ok = !leaf.empty() && (::fstatat(folder, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0
                                  ? errno == ENOENT
                                  : S_ISREG(st.st_mode));
  ok = ok && CopyFile(name, SystemNameToString("/proc/self/fd/" + std::to_string(folder) + "/" + leaf), false);
  ::close(folder);
  return ok;
}

bool CopyOrMoveAFileRetainingDirStructure(const String& name, const String& subFolder, const String& targetFolder,
                                          bool copy) {
  const String relative = NewSubFolderFrom(name, targetFolder);
  String destination = ExcludeTrailingPathDelimiter(targetFolder);
  if (!relative.empty()) {
    String rel = relative;
    for (Char& c : rel)
      if (c == u'\\') c = u'/';
    destination += PathDelim + rel;
  }
  if (!subFolder.empty()) destination += PathDelim + subFolder;
  if (!ForceDirectories(destination)) return false;
  const String target = IncludeTrailingPathDelimiter(destination) + ExtractFileName(name);
  if (copy) return CopyFileRetainingDate(name, target, true);
  return MoveFile(name, target, true);
}

bool DeleteFileKeepingBackup(const String& name) {
  // A file whose deletion would be refused gets no backup either: an earlier
  // backup of that name is worth more than a copy of a file that stays.
  if (!FileExists(name) || DeleteRefusal(name) != 0) return false;
  // The copy is put in place only once complete: no backup, no deletion.  A
  // file whose backup name is its own (a ".bak" file, or a link to it) has no
  // backup to keep: the copy refuses to land on its own source.
  // The file goes only while it is still what the backup holds: one another
  // program wrote to since its copy began stays, and the answer is false.
  TFileStamp copied;
  if (!CopyFileToBackup(name, BackupNameOf(name), &copied)) return false;
  return FileStillAsStamped(name, copied, true) && DeleteFile(name);
}

bool EmptyFileKeepingBackup(const String& name) {
  // A file the save would refuse gets no backup either.
  if (!FileExists(name) || ReplaceRefusal(name) != 0) return false;
  TFileStamp copied;
  if (!CopyFileToBackup(name, BackupNameOf(name), &copied)) return false;
  // Emptied only while it is still what the backup holds.
  return ReplaceFileContent(name, TBytes{0xFF, 0xFE}, copied);
}

bool OKToDeleteFile(const String& name) {
  if (!FileExists(name)) return true;
  const Int32 answer = MessageBoxW(nullptr, Format(LoadResString(&_QMDeleteXQ), {name}),
                                   LoadResString(&_QMConfirmation), MB_OKCANCEL | MB_ICONQUESTION);
  if (answer != IDOK) return false;
  DeleteFile(name);
  return true;
}

// ---- folders ---------------------------------------------------------------------

bool FolderProposedIsOriginalFolder(const String& a, const String& b) {
  if (a.empty() || b.empty()) return false;
  return RealPathOf(ExtractFilePath(ExpandFileName(a))) == RealPathOf(ExtractFilePath(ExpandFileName(b)));
}

Int32 FolderFileCount(const String& folder) {
  DIR* d = ::opendir(StringToSystemName(folder).c_str());
  if (d == nullptr) return 0;
  Int32 n = 0;
  while (struct dirent* de = ::readdir(d))
    if (de->d_name[0] != '.') ++n;
  ::closedir(d);
  return n;
}

std::unique_ptr<TUTF8Stringlist> FoldersFromSameHead(const String& text) {
  auto list = std::make_unique<TUTF8Stringlist>();
  String head;
  bool first = true;
  size_t p = 0;
  while (p <= text.size()) {
    size_t q = text.find(u'|', p);
    if (q == String::npos) q = text.size();
    const String piece = Trim(text.substr(p, q - p));
    const bool last = q == text.size();
    p = q + 1;
    if (last && piece.empty() && !first) break;  // nothing after the last "|"
    if (first) {
      list->Add(piece);
      head = ExtractFilePath(piece);
      first = false;
      continue;
    }
    String folder = head;
    if (!folder.empty() && folder.back() != u'/' && folder.back() != u'\\') folder += DelimiterOfAFilename(head);
    list->Add(folder + piece);
  }
  return list;
}

bool RemovedEmptyFolder(const String& folder) {
  if (!DirectoryExists(folder) || FolderFileCount(folder) > 0) return true;
  return RemoveDir(folder);
}

namespace {

void CollectFolders(const String& folder, TStringList& out) {
  for (const TListedEntry& e : ListedEntriesOf(folder)) {
    if (!e.folder) continue;
    const String sub = IncludeTrailingPathDelimiter(folder) + e.name;
    MyYieldProcess();
    out.Add(sub);
    CollectFolders(sub, out);
  }
}

}  // namespace

std::unique_ptr<TStringList> RemoveAllEmptyFolders(const String& folder) {
  auto list = std::make_unique<TStringList>();
  const String top = ExcludeTrailingPathDelimiter(folder).empty() ? folder : ExcludeTrailingPathDelimiter(folder);
  if (!DirectoryExists(top)) return list;
  list->Add(top);
  CollectFolders(top, *list);
  for (Int32 i = list->Count() - 1; i >= 0; --i) {
    const String f = list->Strings(i);
    if (FolderFileCount(f) == 0) RemovedEmptyFolder(f);
    MyYieldProcess();
  }
  return list;
}

T2_longint_rec MovedFolderFulInto(const String& source, const String& target, bool removeEmptied) {
  if (source.empty() || target.empty() || !DirectoryExists(source)) return T2_longint_rec{-1, -1};
  const std::string realSource = RealPathOf(source), realTarget = RealPathOf(target);
  if (realSource == realTarget || Inside(realTarget, realSource)) return T2_longint_rec{-1, -1};
  Int32 found = 0, moved = 0;
  std::vector<String> folders;
  CountAndMove(ExcludeTrailingPathDelimiter(source), ExcludeTrailingPathDelimiter(target), found, moved, folders);
  if (removeEmptied) {
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) RemovedEmptyFolder(*it);
    RemovedEmptyFolder(ExcludeTrailingPathDelimiter(source));
  }
  return T2_longint_rec{found, moved};
}

TStringAndBooleanRec MovedFolderAndItsSubfoldersTo(const String& source, const String& target, bool intoTarget) {
  if (intoTarget) {
    const T2_longint_rec r = MovedFolderFulInto(source, target, true);
    return TStringAndBooleanRec{target, r.long1 > 0};
  }
  const String src = ExcludeTrailingPathDelimiter(source);
  const String destination = IncludeTrailingPathDelimiter(target) + ExtractFileName(src);
  if (RealPathOf(destination) == RealPathOf(src)) return TStringAndBooleanRec{destination, false};
  // One file system: the whole folder in one rename (never over an existing one).
  struct stat a, b;
  if (ForceDirectories(target) && ::stat(StringToSystemName(src).c_str(), &a) == 0 &&
      ::stat(StringToSystemName(target).c_str(), &b) == 0 && a.st_dev == b.st_dev && RenameFile(src, destination))
    return TStringAndBooleanRec{destination, true};
  const T2_longint_rec r = MovedFolderFulInto(src, destination, true);
  return TStringAndBooleanRec{destination, r.long1 > 0};
}

Int32 DeleteAllFilesOn(const String& folder, const String& mask, const String& moveTo, bool move,
                       bool includeSubFolders, bool removeEmptyFolders) {
  TMountInfo m;
  if (GetMountOf(folder, m) && RealPathOf(folder) == StringToSystemName(m.MountPoint) &&
      GetDriveTypeW(m.MountPoint) != DRIVE_REMOVABLE) {
    MessageBoxW(nullptr, u"Won't delete all files on " + IncludeTrailingPathDelimiter(m.MountPoint), u"No Way!",
                MB_OK | MB_ICONWARNING);
    return 0;
  }
  TFilesAndDirsRec listed = ListOfFilesAndDirs(folder, mask, includeSubFolders, false);
  const Int32 n = listed.files->Count();
  if (n == 0) {
    if (removeEmptyFolders && DirectoryExists(folder) && FolderFileCount(folder) == 0) RemoveDir(folder);
    return 0;
  }
  String question = LoadResString(&_QMFileAlreadyExists) + u"\r";
  if (n == 1)
    question += Format(LoadResString(&_QMDeleteThe1XFileInY), {mask, folder});
  else
    question += Format(LoadResString(&_QMDeleteAllXFilesInY), {n, mask, folder});
  if (MessageBoxW(nullptr, question, LoadResString(&_QMSureQ), MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return 0;
  Int32 count = 0;
  for (Int32 i = 0; i < n; ++i) {
    MyYieldProcess();
    const String file = listed.files->Strings(i);
    if (move) {
      // Never over a file already in the move-to folder: that source stays.
      if (MoveFile(file, IncludeTrailingPathDelimiter(moveTo) + ExtractFileName(file), true)) ++count;
      continue;
    }
    errno = 0;
    if (!DeleteFile(file)) {
      const Int32 error = errno != 0 ? errno : EIO;
      RaiseLastOSError(error);
    }
    ++count;
  }
  if (removeEmptyFolders) {
    for (Int32 i = 1; i < listed.dirs->Count(); ++i) {
      const String d = listed.dirs->Strings(i);
      if (FolderFileCount(d) == 0) RemoveDir(d);
    }
    if (DirectoryExists(folder) && FolderFileCount(folder) == 0) RemoveDir(folder);
  }
  return count;
}

}  // namespace sk
