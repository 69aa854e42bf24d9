#include "zip/ZAUtils_paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "platform/runtime/DateUtils.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileSeam.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

bool IsSep(Char c) { return c == u'/' || c == u'\\'; }

String Slashed(String s) {
  for (Char& c : s)
    if (c == u'\\') c = u'/';
  return s;
}

bool HasDrive(const String& s) {
  return s.size() >= 2 && s[1] == u':' && ((s[0] >= u'A' && s[0] <= u'Z') || (s[0] >= u'a' && s[0] <= u'z'));
}

bool IsNetworkPath(const String& s) { return s.size() >= 2 && IsSep(s[0]) && IsSep(s[1]); }

// Strings that name files on disk become the very bytes the system listed:
// a byte that is not UTF-8 was carried as a lone unit and turns back here.
std::string SysName(const String& s) { return StringToSystemName(s); }

// The process's current folder, a backslash in it part of a name.
String CurrentDir() { return WithNameBackslashes(GetCurrentDir()); }

// An absolute folder for the current directory argument.
String CurrentFolder(const String& curDir) {
  String cur = curDir.empty() ? CurrentDir() : Slashed(curDir);
  if (cur.empty() || cur[0] != u'/') cur = IncludeTrailingPathDelimiter(CurrentDir()) + cur;
  return cur;
}

}  // namespace

// ---------------------------------------------------------------------------
// Drives and folders

bool IsFloppyDrive(const String&) { return false; }

bool IsRemovableDrive(const String& path) {
  return IsFloppyDrive(path) || GetDriveTypeW(ExpandFileName(Slashed(path))) == DRIVE_REMOVABLE;
}

bool DelTreeIfNoFiles(const String& folder) {
  const String dir = ExcludeTrailingPathDelimiter(folder);
  TSearchRec rec;
  if (FindFirst(IncludeTrailingPathDelimiter(dir) + u"*", 503, rec) == 0) {
    do {
      if (rec.Name == u"." || rec.Name == u"..") continue;
      if ((rec.Attr & faDirectory) == 0) continue;
      const String sub = IncludeTrailingPathDelimiter(dir) + WithNameBackslashes(rec.Name);
      // A link to a folder is content of this folder, not a subfolder to walk.
      struct stat st;
      if (::lstat(SysName(sub).c_str(), &st) == 0 && S_ISLNK(st.st_mode)) continue;
      if (!DelTreeIfNoFiles(sub)) {
        FindClose(rec);
        return false;
      }
    } while (FindNext(rec) == 0);
    FindClose(rec);
  }
  if (RemoveDir(dir)) return true;
  return !DirectoryExists(dir);
}

// ---------------------------------------------------------------------------
// Stored names

String ZABaseFolder(const String& baseDir, const String& curDir) {
  const String cur = CurrentFolder(curDir);
  String base = baseDir.empty() ? cur : Slashed(baseDir);
  if (!HasDrive(base) && !IsNetworkPath(base)) {
    if (base[0] != u'/') base = IncludeTrailingPathDelimiter(cur) + base;
    base = ExpandFileName(base);
  }
  return IncludeTrailingPathDelimiter(base);
}

String ExpandToBaseDir(const String& name, const String& baseDir, const String& curDir) {
  if (name.empty()) return ZABaseFolder(baseDir, curDir);
  const String n = Slashed(name);
  if (HasDrive(n) || IsNetworkPath(n)) return n;
  if (n[0] == u'/') return ExpandFileName(n);
  return ExpandFileName(ZABaseFolder(baseDir, curDir) + n);
}

String GetStoredName(const String& fileName, const String& baseDir, TZAStorePathMode mode,
                     const String& curDir) {
  const String base = ZABaseFolder(baseDir, curDir);
  String name = ExpandToBaseDir(fileName, baseDir, curDir);
  // Only a name handed in with a drive letter has one to drop: on this
  // system a colon is an ordinary character of a name.
  const bool hadDrive = HasDrive(name);
  if (!name.empty() && IsSep(name.back())) name.pop_back();
  if (!name.empty() && name.back() == u'.') name.pop_back();

  switch (mode) {
    case spNoPath:
      name = ExtractFileName(name);
      break;
    case spRelativePath:
      if (name.size() > base.size() && name.compare(0, base.size(), base) == 0) name = name.substr(base.size());
      break;
    case spFullPath:
    case spFullPathWithDrive:
      break;
  }

  if (mode == spFullPathWithDrive) {
    size_t lead = 0;
    while (lead < name.size() && IsSep(name[lead])) ++lead;
    name.erase(0, lead);
  } else {
    if (hadDrive && HasDrive(name)) {
      name.erase(0, 2);
    } else if (IsNetworkPath(name)) {
      size_t p = 2;
      while (p < name.size() && !IsSep(name[p])) ++p;
      name.erase(0, p < name.size() ? p + 1 : name.size());
    }
    if (!name.empty() && IsSep(name[0])) name.erase(0, 1);
  }
  return Slashed(name);
}

// ---------------------------------------------------------------------------
// File-system wrappers

String ZAIncludeTrailingBackslash(const String& s) { return IncludeTrailingPathDelimiter(s); }
String ZAExcludeTrailingBackslash(const String& s) { return ExcludeTrailingPathDelimiter(s); }
bool ZADirectoryExists(const String& dir) { return DirectoryExists(dir); }
bool ZAFileExists(const String& fileName) { return FileExists(fileName); }
bool ZAForceDirectories(const String& dir) { return ForceDirectories(dir); }
String ZALowerCase(const String& s) { return AnsiLowerCase(s); }
String ZAUpperCase(const String& s) { return AnsiUpperCase(s); }

String ZAStringReplace(const String& s, const String& oldPattern, const String& newPattern) {
  if (oldPattern.empty()) return s;
  String r;
  size_t p = 0;
  for (;;) {
    const size_t q = s.find(oldPattern, p);
    if (q == String::npos) break;
    r.append(s, p, q - p);
    r += newPattern;
    p = q + oldPattern.size();
  }
  r.append(s, p, String::npos);
  return r;
}

Int64 ZAByteLength(const String& s) { return static_cast<Int64>(s.size()) * 2; }
bool ZADeleteFile(const String& fileName) { return DeleteFile(fileName); }
bool ZARenameFile(const String& oldName, const String& newName) { return RenameFile(oldName, newName); }
bool ZACopyFile(const String& source, const String& target, bool failIfExists) {
  return CopyFile(source, target, failIfExists);
}
Int32 ZAFindFirst(const String& pathWithMask, Int32 attr, TSearchRec& rec) {
  const Int32 r = FindFirst(pathWithMask, attr, rec);
  if (r == 0) rec.Name = WithNameBackslashes(std::move(rec.Name));
  return r;
}
Int32 ZAFindNext(TSearchRec& rec) {
  const Int32 r = FindNext(rec);
  if (r == 0) rec.Name = WithNameBackslashes(std::move(rec.Name));
  return r;
}
void ZAFindClose(TSearchRec& rec) { FindClose(rec); }

Int32 ZAFileGetAttr(const String& fileName) {
  const std::string path = SysName(fileName);
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    struct stat lst;
    return ::lstat(path.c_str(), &lst) == 0 ? faSysFile : -1;
  }
  Int32 a = 0;
  if (S_ISDIR(st.st_mode))
    a |= faDirectory;
  else if (S_ISREG(st.st_mode))
    a |= faArchive;
  else
    a |= faSysFile;
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) a |= faReadOnly;
  const String name = ExtractFileName(ExcludeTrailingPathDelimiter(fileName));
  if (!name.empty() && name[0] == u'.' && name != u"." && name != u"..") a |= faHidden;
  return a;
}

Cardinal ZAModeWithAttr(Cardinal mode, Int32 attr) {
  if (attr & faReadOnly) return mode & ~static_cast<Cardinal>(S_IWUSR | S_IWGRP | S_IWOTH);
  return mode | S_IWUSR;
}

bool ZAFileSetAttr(const String& fileName, Int32 attr) {
  // The file is held by a descriptor of what the name holds now, never
  // through a link, and its permissions are read and changed through that
  // one descriptor: a name swapped for a link or for another file meanwhile
  // cannot pass the change on to some other file.
  const int fd = ::open(SysName(fileName).c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 && !S_ISLNK(st.st_mode);
  if (ok) {
    const mode_t mode = ZAModeWithAttr(st.st_mode & 07777, attr);
    // A descriptor opened only to hold a file cannot be changed directly;
    // its entry under /proc reaches the very file it holds.
    char held[40];
    std::snprintf(held, sizeof held, "/proc/self/fd/%d", fd);
    ok = ::chmod(held, mode) == 0;
  }
  ::close(fd);
  return ok;
}

String ZAExtractRelativePath(const String& baseName, const String& destName) {
  auto split = [](const String& s) {
    std::vector<String> parts;
    size_t p = 0;
    while (p <= s.size()) {
      size_t q = p;
      while (q < s.size() && !IsSep(s[q])) ++q;
      if (q > p) parts.push_back(s.substr(p, q - p));
      p = q + 1;
    }
    return parts;
  };
  const std::vector<String> base = split(ExtractFilePath(baseName));
  const String destPath = ExtractFilePath(destName);
  const std::vector<String> dest = split(destPath);
  size_t common = 0;
  while (common < base.size() && common < dest.size() && base[common] == dest[common]) ++common;
  String r;
  for (size_t i = common; i < base.size(); ++i) r += u"../";
  for (size_t i = common; i < dest.size(); ++i) r += dest[i] + u"/";
  return r + ExtractFileName(destName);
}

String ZAExtractFileName(const String& fileName) { return ExtractFileName(fileName); }
String ZAExpandFileName(const String& fileName) {
  const String name = Slashed(fileName);
  if (name.empty() || name[0] == u'/') return ExpandFileName(name);
  return ExpandFileName(IncludeTrailingPathDelimiter(CurrentDir()) + name);
}
String ZAExtractFilePath(const String& fileName) { return ExtractFilePath(fileName); }
String ZAExtractFileExt(const String& fileName) { return ExtractFileExt(fileName); }
String ZAGetCurrentDir() { return CurrentDir(); }
bool ZAFileAge(const String& fileName, TDateTime& age) { return FileAge(fileName, age); }

// ---------------------------------------------------------------------------
// Writing below a folder held open

int ZAOpenFoldersBelow(int baseFd, const String& rel) {
  int fd = ::fcntl(baseFd, F_DUPFD_CLOEXEC, 0);
  if (fd < 0) return -1;
  size_t from = 0;
  while (from < rel.size()) {
    size_t to = rel.find(u'/', from);
    if (to == String::npos) to = rel.size();
    const String part = rel.substr(from, to - from);
    from = to + 1;
    if (part.empty() || part == u".") continue;
    if (part == u"..") {
      ::close(fd);
      errno = EINVAL;
      return -1;
    }
    const std::string name = SysName(part);
    if (const Int32 fault = FileSeamAsk(fsoCreate, name); fault != 0) {
      ::close(fd);
      errno = fault > 0 ? fault : EIO;
      return -1;
    }
    if (::mkdirat(fd, name.c_str(), 0777) != 0 && errno != EEXIST) {
      const int error = errno;
      ::close(fd);
      errno = error;
      return -1;
    }
    // Whatever is there now is entered only when it is a real folder.
    const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int error = errno;
    ::close(fd);
    if (next < 0) {
      errno = error;
      return -1;
    }
    fd = next;
  }
  return fd;
}

namespace {

// The folder of path, opened (O_PATH) one folder at a time from the root, or
// from the current folder for a relative path, never through a link.
int OpenFolderWithoutLinks(const std::string& folder) {
  int fd = ::open(!folder.empty() && folder[0] == '/' ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  size_t from = 0;
  while (fd >= 0 && from < folder.size()) {
    size_t to = folder.find('/', from);
    if (to == std::string::npos) to = folder.size();
    const std::string part = folder.substr(from, to - from);
    from = to + 1;
    if (part.empty() || part == ".") continue;
    // A link is not a folder to O_DIRECTORY | O_NOFOLLOW: ENOTDIR.
    const int next = ::openat(fd, part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int error = errno;
    ::close(fd);
    errno = error;
    fd = next;
  }
  return fd;
}

// Splits a path into its folder and the last name; false (EINVAL) when the
// last name is empty, "." or "..".
bool SplitLast(const std::string& path, std::string& folder, std::string& name) {
  const size_t slash = path.rfind('/');
  folder = slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
  name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (!name.empty() && name != "." && name != "..") return true;
  errno = EINVAL;
  return false;
}

// The folder of a path as the path reaches it (links on the way followed).
int OpenFolderOf(const std::string& folder) {
  return ::open(folder.empty() ? "." : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

// Removes the entry name of the folder open as dir when it is the file of
// the stamp, seen without following a link, and (with state) unchanged since
// the stamp was taken; closes dir. When left is given and the file keeps
// other names, it receives the file's state after the removal, which moved
// its status-change time: the stamp with that time when nothing else moved,
// so that the file's other names, checked later against their stamps, do not
// take this removal for another program's change; the stamp unchanged
// otherwise.
bool DeleteEntryAs(int dir, const std::string& name, const TFileStamp& stamp, bool state, TFileStamp* left = nullptr) {
  if (left != nullptr) *left = stamp;
  struct stat st {};
  bool done = false;
  // A file with other names is held across the removal (O_PATH with
  // O_NOFOLLOW: the entry itself, nothing opened for reading), so that it
  // can still be looked at once this name is gone.
  int held = -1;
  if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    done = errno == ENOENT;
  } else {
    if (left != nullptr && st.st_nlink > 1) {
      held = ::openat(dir, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
      if (held < 0 || ::fstat(held, &st) != 0) st = {};
    }
    if (st.st_dev != stamp.Dev || st.st_ino != stamp.Ino) {
      errno = EEXIST;  // another file holds the name
    } else if (state && !(FileStampOf(st) == stamp)) {
      errno = EBUSY;  // written to since it was read
    } else {
      done = ::unlinkat(dir, name.c_str(), 0) == 0 || errno == ENOENT;
      struct stat after {};
      if (done && held >= 0 && ::fstat(held, &after) == 0 && after.st_nlink > 0 && after.st_mode == st.st_mode &&
          after.st_uid == st.st_uid && after.st_gid == st.st_gid && after.st_size == st.st_size &&
          after.st_mtim.tv_sec == st.st_mtim.tv_sec && after.st_mtim.tv_nsec == st.st_mtim.tv_nsec)
        *left = FileStampOf(after);
    }
  }
  const int error = errno;
  if (held >= 0) ::close(held);
  ::close(dir);
  errno = error;
  return done;
}

// Removes every subfolder below the folder open as fd that holds no file,
// deepest first, each entered through its parent's descriptor and never
// through a link: true when the folder holds nothing afterwards.
bool RemoveEmptyFoldersBelow(int fd) {
  const int listed = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* d = listed < 0 ? nullptr : ::fdopendir(listed);
  if (d == nullptr) {
    if (listed >= 0) ::close(listed);
    return false;
  }
  std::vector<std::string> folders;
  bool empty = true;
  while (const struct dirent* e = ::readdir(d)) {
    const std::string n = e->d_name;
    if (n == "." || n == "..") continue;
    struct stat st {};
    if (::fstatat(fd, n.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))
      folders.push_back(n);
    else
      empty = false;
  }
  ::closedir(d);
  for (const std::string& n : folders) {
    const int sub = ::openat(fd, n.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (sub < 0) return false;
    const bool cleared = RemoveEmptyFoldersBelow(sub);
    ::close(sub);
    if (!cleared || ::unlinkat(fd, n.c_str(), AT_REMOVEDIR) != 0) return false;
  }
  return empty;
}

}  // namespace

bool ZADeleteOpenFile(const String& fileName, int fd) {
  const std::string path = SysName(fileName);
  std::string folder, name;
  struct stat held {};
  if (!SplitLast(path, folder, name) || ::fstat(fd, &held) != 0) return false;
  if (FileSeamAsk(fsoDelete, path) != 0) return false;
  const int dir = OpenFolderWithoutLinks(folder);
  if (dir < 0) return errno == ENOENT;
  return DeleteEntryAs(dir, name, FileStampOf(held), false);
}

namespace {

bool DeleteStampedFile(const String& fileName, const TFileStamp& stamp, bool state, TFileStamp* left = nullptr) {
  const std::string path = SysName(fileName);
  std::string folder, name;
  if (!SplitLast(path, folder, name)) return false;
  if (FileSeamAsk(fsoDelete, path) != 0) return false;
  const int dir = OpenFolderOf(folder);
  if (dir < 0) return errno == ENOENT;
  return DeleteEntryAs(dir, name, stamp, state, left);
}

}  // namespace

bool ZADeleteFileAs(const String& fileName, UInt64 dev, UInt64 ino) {
  TFileStamp stamp;
  stamp.Dev = dev;
  stamp.Ino = ino;
  return DeleteStampedFile(fileName, stamp, false);
}

bool ZADeleteFileAs(const String& fileName, const TFileStamp& stamp, TFileStamp* left) {
  return DeleteStampedFile(fileName, stamp, true, left);
}

bool ZAMoveFileOverAs(const String& fromName, const String& toName, UInt64 dev, UInt64 ino) {
  const std::string from = SysName(fromName), to = SysName(toName);
  std::string fromFolder, fromBase, toFolder, toBase;
  if (!SplitLast(from, fromFolder, fromBase) || !SplitLast(to, toFolder, toBase)) return false;
  if (FileSeamAsk(fsoRename, from) != 0) return false;
  const int fromDir = OpenFolderOf(fromFolder);
  const int toDir = fromDir >= 0 ? OpenFolderOf(toFolder) : -1;
  bool moved = false;
  struct stat st {};
  if (toDir >= 0 && ::fstatat(fromDir, fromBase.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (st.st_dev != dev || st.st_ino != ino)
      errno = EEXIST;  // another file holds the name
    else
      moved = ::renameat(fromDir, fromBase.c_str(), toDir, toBase.c_str()) == 0;
  }
  const int error = errno;
  if (toDir >= 0) ::close(toDir);
  if (fromDir >= 0) ::close(fromDir);
  errno = error;
  return moved;
}

bool ZADelTreeIfNoFilesAs(const String& folderName, UInt64 dev, UInt64 ino) {
  const std::string path = SysName(ExcludeTrailingPathDelimiter(folderName));
  std::string folder, name;
  if (!SplitLast(path, folder, name)) return false;
  const int parent = OpenFolderOf(folder);
  if (parent < 0) return errno == ENOENT;
  bool done = false;
  const int fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st {};
  if (fd < 0) {
    done = errno == ENOENT;
  } else if (::fstat(fd, &st) != 0 || st.st_dev != dev || st.st_ino != ino) {
    errno = EEXIST;  // another folder holds the name
  } else {
    done = RemoveEmptyFoldersBelow(fd) && (::unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT);
  }
  const int error = errno;
  if (fd >= 0) ::close(fd);
  ::close(parent);
  errno = error;
  return done;
}

bool ZAStatInFolder(int dirFd, const String& name, struct ::stat& st) {
  return ::fstatat(dirFd, SysName(name).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

TDateTime ZALocalDateTimeOf(const struct ::timespec& t) {
  struct tm tm {};
  const time_t seconds = t.tv_sec;
  if (::localtime_r(&seconds, &tm) == nullptr) return 0;
  TDateTime result = 0;
  if (!TryEncodeDateTime(static_cast<Word>(tm.tm_year + 1900), static_cast<Word>(tm.tm_mon + 1),
                         static_cast<Word>(tm.tm_mday), static_cast<Word>(tm.tm_hour), static_cast<Word>(tm.tm_min),
                         static_cast<Word>(std::min(tm.tm_sec, 59)), static_cast<Word>(t.tv_nsec / 1000000), result))
    return 0;
  return result;
}

namespace {

// The time_t of a local date and time (the second's fraction in nanoseconds).
bool LocalTimespec(TDateTime value, struct ::timespec& out) {
  Word y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  DecodeDateTime(value, y, mo, d, h, mi, s, ms);
  struct tm tm {};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = s;
  tm.tm_isdst = -1;
  const time_t t = ::mktime(&tm);
  if (t == static_cast<time_t>(-1)) return false;
  out.tv_sec = t;
  out.tv_nsec = static_cast<long>(ms) * 1000000L;
  return true;
}

}  // namespace

TZAFolderFileStream::TZAFolderFileStream(int dirFd, const String& name) : THandleStream(-1), fName(SysName(name)) {
  if (fName.empty() || fName.find('/') != std::string::npos || fName == "." || fName == "..") {
    Fail(EINVAL);
    return;
  }
  fDir = ::fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
  if (fDir < 0) {
    Fail(errno != 0 ? errno : EBADF);
    return;
  }
  struct stat st;
  if (::fstat(fDir, &st) == 0) {
    fDirDev = static_cast<UInt64>(st.st_dev);
    fDirIno = static_cast<UInt64>(st.st_ino);
  }
  if (::fstatat(fDir, fName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISDIR(st.st_mode)) {
      Fail(EISDIR);
      return;
    }
    if (S_ISREG(st.st_mode)) {
      // Only the permission bits: a set-user-id, set-group-id or sticky bit
      // of the old file never passes to content that came from elsewhere.
      // The new file is the process's own: over another user's file it keeps
      // only the owner's bits, so that the content is not left open to those
      // the old file let in (its owner among them).
      fReplaces = true;
      fMode = st.st_mode & (st.st_uid == ::geteuid() ? 0777 : 0700);
    }
  }
  if (const Int32 fault = FileSeamAsk(fsoTempFile, fName); fault != 0) {
    Fail(fault > 0 ? fault : EIO);
    return;
  }
  // A hidden sibling of the name, with the library's temporary mark, locked
  // while this stream lives: one a killed process left goes with the next
  // sweep of the folder (RemoveStaleTemporariesIn), never one being written.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = MarkedTemporarySiblingName(fName);
    fHandle = CreateLockedFile(fDir, candidate, 0666);
    if (fHandle >= 0) {
      fTempName = candidate;
      return;
    }
    if (errno != EEXIST) break;
  }
  Fail(errno != 0 ? errno : EIO);
}

TZAFolderFileStream::~TZAFolderFileStream() {
  if (!fCommitted) Discard();
  if (fDir >= 0) ::close(fDir);
}

void TZAFolderFileStream::Fail(Int32 error) {
  if (!fFailed) fError = error;
  fFailed = true;
}

bool TZAFolderFileStream::TempIsOurs() const {
  struct stat own {}, named {};
  return fHandle >= 0 && !fTempName.empty() && ::fstat(fHandle, &own) == 0 &&
         ::fstatat(fDir, fTempName.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && own.st_dev == named.st_dev &&
         own.st_ino == named.st_ino;
}

void TZAFolderFileStream::Discard() {
  // Only the file this stream wrote goes: another that took its name in
  // the meantime stays.
  if (TempIsOurs()) ::unlinkat(fDir, fTempName.c_str(), 0);
  fTempName.clear();
  if (fHandle >= 0) {
    ::close(fHandle);
    fHandle = -1;
  }
}

Int64 TZAFolderFileStream::Write(const void* buffer, Int64 count) {
  if (!Ok() || count <= 0) return 0;
  if (const Int32 fault = FileSeamAsk(fsoWrite); fault != 0) {
    Fail(fault > 0 ? fault : ENOSPC);
    return 0;
  }
  if (!WriteAllToFd(fHandle, buffer, static_cast<size_t>(count))) {
    Fail(errno != 0 ? errno : EIO);
    return 0;
  }
  fWritten += count;
  return count;
}

bool TZAFolderFileStream::Seal(TDateTime modified, bool readOnly) {
  if (fSealed) return Ok();
  if (!Ok()) {
    Discard();
    return false;
  }
  auto refuse = [this](Int32 error) {
    Fail(error != 0 ? error : EIO);
    Discard();
    return false;
  };
  // A replaced file keeps its permissions; a new one has what the umask
  // allowed at its creation.
  mode_t mode = fReplaces ? static_cast<mode_t>(fMode) : 0;
  if (!fReplaces) {
    struct stat st;
    if (::fstat(fHandle, &st) != 0) return refuse(errno);
    mode = st.st_mode & 0777;
  }
  if (readOnly) mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  if (::fchmod(fHandle, mode) != 0) return refuse(errno);
  if (modified != 0) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    if (LocalTimespec(modified, times[1])) ::futimens(fHandle, times);
  }
  fSealed = true;
  return true;
}

bool TZAFolderFileStream::Publish() {
  if (fCommitted) return true;
  auto refuse = [this](Int32 error) {
    Fail(error != 0 ? error : EIO);
    Discard();
    return false;
  };
  if (!Ok() || !fSealed) return refuse(fError);
  if (const Int32 fault = FileSeamAsk(fsoRename, fName); fault != 0) return refuse(fault > 0 ? fault : EIO);
  if (!TempIsOurs()) return refuse(EEXIST);
  if (::renameat(fDir, fTempName.c_str(), fDir, fName.c_str()) != 0) return refuse(errno);
  fTempName.clear();
  fCommitted = true;
  ::close(fHandle);
  fHandle = -1;
  return true;
}

bool TZAFolderFileStream::Commit(TDateTime modified, bool readOnly) {
  if (fCommitted) return true;
  if (!Ok()) {
    Discard();
    return false;
  }
  if (!FlushFileHandle(fHandle)) {
    Fail(errno != 0 ? errno : EIO);
    Discard();
    return false;
  }
  if (!Seal(modified, readOnly) || !Publish()) return false;
  ::fsync(fDir);  // the new name reaches the disk with the content
  return true;
}

// ---------------------------------------------------------------------------
// TZAFileBatch

bool TZAFileBatch::Holds(int dirFd, const String& name) const {
  if (fFiles.empty()) return false;
  struct stat st;
  if (::fstat(dirFd, &st) != 0) return true;  // unknown: publish to be safe
  const std::string n = SysName(name);
  for (const TWaiting& w : fFiles)
    if (w.file->IsFor(static_cast<UInt64>(st.st_dev), static_cast<UInt64>(st.st_ino), n)) return true;
  return false;
}

void TZAFileBatch::Add(std::unique_ptr<TZAFolderFileStream> file, const String& target, const String& entry) {
  fBytes += file->Written();
  ++fAdded;
  fFiles.push_back({std::move(file), target, entry});
}

void TZAFileBatch::SweepFolderOnce(int dirFd) {
  struct stat st;
  if (::fstat(dirFd, &st) != 0) return;
  if (fSwept.emplace(static_cast<UInt64>(st.st_dev), static_cast<UInt64>(st.st_ino)).second)
    RemoveStaleTemporariesIn(dirFd);
}

std::vector<TZAFileBatch::TFailure> TZAFileBatch::Publish(std::vector<String>* published) {
  std::vector<TFailure> failures;
  std::vector<TWaiting> files;
  files.swap(fFiles);
  fBytes = 0;
  // One flush per file system: the first file found on each stands for it.
  auto flushAll = [&](bool contentFirst) {
    std::vector<UInt64> devices;
    for (TWaiting& w : files) {
      if (!w.file) continue;
      struct stat st;
      const int fd = w.file->FolderHandle();
      if (::fstat(fd, &st) != 0) continue;
      const UInt64 dev = static_cast<UInt64>(st.st_dev);
      if (std::find(devices.begin(), devices.end(), dev) != devices.end()) continue;
      devices.push_back(dev);
      if (FlushFileSystemOf(fd) || !contentFirst) continue;
      // The content may not be on the disk: no file of that file system
      // takes its name.
      const Int32 error = errno != 0 ? errno : EIO;
      for (TWaiting& other : files) {
        struct stat os;
        if (other.file && ::fstat(other.file->FolderHandle(), &os) == 0 && static_cast<UInt64>(os.st_dev) == dev) {
          failures.push_back({other.target, other.entry, error});
          other.file.reset();
        }
      }
    }
  };
  if (fFlush) flushAll(true);
  for (TWaiting& w : files) {
    if (!w.file) continue;
    if (!w.file->Publish()) {
      failures.push_back({w.target, w.entry, w.file->LastError()});
      w.file.reset();
    }
  }
  if (fFlush) flushAll(false);
  if (published != nullptr)
    for (const TWaiting& w : files)
      if (w.file) published->push_back(w.entry);
  return failures;
}

}  // namespace sk
