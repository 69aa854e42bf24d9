#include "platform/runtime/FileUtils.h"

#include "platform/runtime/FileReplace.h"

#include "platform/runtime/DateUtils.h"
#include "platform/runtime/FileSeam.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <mutex>
#include <vector>

namespace sk {

namespace {

std::string U8(const String& s) { return StringToSystemName(s); }

bool IsDelim(Char c) { return c == u'/' || c == u'\\'; }

bool StatPath(const String& name, struct stat& st) {
  if (name.empty()) return false;
  return ::stat(U8(name).c_str(), &st) == 0;
}

// ---- local time <-> TDateTime --------------------------------------------------

constexpr Int64 kDaysTo1899 = DaysFromCivil(1899, 12, 30);

TDateTime LocalDateTimeOf(const struct timespec& ts) {
  struct tm tm {};
  time_t t = ts.tv_sec;
  if (::localtime_r(&t, &tm) == nullptr) return 0;
  Int64 days = DaysFromCivil(tm.tm_year + 1900LL, static_cast<unsigned>(tm.tm_mon + 1),
                             static_cast<unsigned>(tm.tm_mday)) -
               kDaysTo1899;
  double secs = tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec + ts.tv_nsec / 1e9;
  double frac = secs / 86400.0;
  return days >= 0 ? static_cast<double>(days) + frac : static_cast<double>(days) - frac;
}

bool TimespecOfLocal(TDateTime dt, struct timespec& out) {
  if (!std::isfinite(dt) || std::fabs(dt) > 3.0e6) return false;
  double whole = std::trunc(dt);
  double frac = std::fabs(dt - whole);
  Int64 ms = static_cast<Int64>(std::llround(frac * 86400000.0));
  Int64 days = static_cast<Int64>(whole);
  if (ms >= 86400000) {
    ms -= 86400000;
    days += dt >= 0 ? 1 : -1;
  }
  Int64 y;
  unsigned m, d;
  CivilFromDays(days + kDaysTo1899, y, m, d);
  struct tm tm {};
  tm.tm_year = static_cast<int>(y - 1900);
  tm.tm_mon = static_cast<int>(m) - 1;
  tm.tm_mday = static_cast<int>(d);
  Int64 secs = ms / 1000;
  tm.tm_hour = static_cast<int>(secs / 3600);
  tm.tm_min = static_cast<int>((secs / 60) % 60);
  tm.tm_sec = static_cast<int>(secs % 60);
  tm.tm_isdst = -1;
  errno = 0;
  time_t t = ::mktime(&tm);
  if (t == static_cast<time_t>(-1) && errno != 0) return false;
  out.tv_sec = t;
  out.tv_nsec = static_cast<long>((ms % 1000) * 1000000);
  return true;
}

// ---- mask matching -------------------------------------------------------------

Char Fold(Char c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<Char>(c + 32) : c;
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  UChar32 f = u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT);
  return f <= 0xFFFF ? static_cast<Char>(f) : c;
}

bool WildMatch(const String& name, const String& mask) {
  size_t n = 0, m = 0;
  size_t starM = String::npos, starN = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == u'*') {
      starM = m++;
      starN = n;
    } else if (m < mask.size() && (mask[m] == u'?' || Fold(mask[m]) == Fold(name[n]))) {
      ++m;
      ++n;
    } else if (starM != String::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == u'*') ++m;
  return m == mask.size();
}

// ---- mount table -----------------------------------------------------------------

struct MountEntry {
  std::string point;
  std::string fsType;
  std::string source;
  std::string label;
  std::string uuid;
  bool removable = false;
  bool network = false;
};

struct MountSources {
  std::string mountInfo = "/proc/self/mountinfo";
  std::string sysBlock = "/sys/block";
  std::string devDisk = "/dev/disk";
};

std::mutex& MountSourcesMutex() {
  static std::mutex m;
  return m;
}

MountSources& CurrentMountSources() {
  static MountSources s;
  return s;
}

MountSources GetMountSources() {
  std::lock_guard<std::mutex> lock(MountSourcesMutex());
  return CurrentMountSources();
}

std::string Unescape(const std::string& s) {
  std::string r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isdigit(static_cast<unsigned char>(s[i + 2])) && std::isdigit(static_cast<unsigned char>(s[i + 3]))) {
      r += static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0'));
      i += 3;
    } else {
      r += s[i];
    }
  }
  return r;
}

// Names under /dev/disk/by-label escape unsafe bytes as \xNN.
std::string UnescapeHex(const std::string& s) {
  std::string r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x' && std::isxdigit(static_cast<unsigned char>(s[i + 2])) &&
        std::isxdigit(static_cast<unsigned char>(s[i + 3]))) {
      r += static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      r += s[i];
    }
  }
  return r;
}

std::string RealOrSame(const std::string& p) {
  char* rp = ::realpath(p.c_str(), nullptr);
  if (rp == nullptr) return p;
  std::string r(rp);
  std::free(rp);
  return r;
}

bool IsNetworkMount(const std::string& fsType, const std::string& source) {
  static const char* const remote[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "9p", "afs", "ceph",
                                       "glusterfs", "fuse.glusterfs", "davfs", "fuse.davfs2", "fuse.rclone"};
  for (const char* r : remote)
    if (fsType == r) return true;
  // "//host/share" and "host:/export" name a server.
  if (source.compare(0, 2, "//") == 0) return true;
  size_t colon = source.find(":/");
  return colon != std::string::npos && colon > 0 && source[0] != '/';
}

std::string ReadFirstLine(const std::string& path) {
  std::ifstream f(path);
  std::string line;
  std::getline(f, line);
  return line;
}

// The removable flag of the disk that holds a block device: the device's own
// entry under the block folder when it is a whole disk, else the disk whose
// folder holds the partition.
bool DeviceIsRemovable(const std::string& sysBlock, const std::string& device) {
  if (device.empty()) return false;
  std::string base = device.substr(device.find_last_of('/') + 1);
  if (base.empty()) return false;
  struct stat st;
  std::string own = sysBlock + "/" + base;
  if (::stat((own + "/removable").c_str(), &st) == 0) return ReadFirstLine(own + "/removable") == "1";
  DIR* d = ::opendir(sysBlock.c_str());
  if (d == nullptr) return false;
  bool removable = false;
  while (struct dirent* de = ::readdir(d)) {
    std::string disk = de->d_name;
    if (disk == "." || disk == "..") continue;
    if (::stat((sysBlock + "/" + disk + "/" + base).c_str(), &st) == 0) {
      removable = ReadFirstLine(sysBlock + "/" + disk + "/removable") == "1";
      break;
    }
  }
  ::closedir(d);
  return removable;
}

// name -> real device path of every link in a /dev/disk/by-... folder.
std::vector<std::pair<std::string, std::string>> DiskLinks(const std::string& folder) {
  std::vector<std::pair<std::string, std::string>> r;
  DIR* d = ::opendir(folder.c_str());
  if (d == nullptr) return r;
  while (struct dirent* de = ::readdir(d)) {
    std::string name = de->d_name;
    if (name == "." || name == "..") continue;
    char* rp = ::realpath((folder + "/" + name).c_str(), nullptr);
    if (rp == nullptr) continue;
    r.emplace_back(UnescapeHex(name), std::string(rp));
    std::free(rp);
  }
  ::closedir(d);
  return r;
}

std::vector<MountEntry> ReadMounts() {
  const MountSources src = GetMountSources();
  std::vector<MountEntry> r;
  std::ifstream f(src.mountInfo);
  std::string line;
  while (std::getline(f, line)) {
    // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
    std::vector<std::string> fields;
    size_t p = 0;
    while (p < line.size()) {
      size_t q = line.find(' ', p);
      if (q == std::string::npos) q = line.size();
      fields.push_back(line.substr(p, q - p));
      p = q + 1;
    }
    if (fields.size() < 7) continue;
    MountEntry e;
    e.point = Unescape(fields[4]);
    for (size_t i = 6; i + 1 < fields.size(); ++i)
      if (fields[i] == "-") {
        e.fsType = fields[i + 1];
        if (i + 2 < fields.size()) e.source = Unescape(fields[i + 2]);
        break;
      }
    // A later mount on the same point hides the earlier one.
    for (size_t k = 0; k < r.size(); ++k)
      if (r[k].point == e.point) {
        r.erase(r.begin() + static_cast<std::ptrdiff_t>(k));
        break;
      }
    r.push_back(std::move(e));
  }
  std::vector<std::pair<std::string, std::string>> labels, uuids;
  bool anyDevice = false;
  for (const MountEntry& e : r)
    if (e.source.compare(0, 1, "/") == 0) anyDevice = true;
  if (anyDevice) {
    labels = DiskLinks(src.devDisk + "/by-label");
    uuids = DiskLinks(src.devDisk + "/by-uuid");
  }
  for (MountEntry& e : r) {
    e.network = IsNetworkMount(e.fsType, e.source);
    if (e.network || e.source.empty() || e.source[0] != '/') continue;
    std::string device = RealOrSame(e.source);
    e.removable = DeviceIsRemovable(src.sysBlock, device);
    for (const auto& [name, target] : labels)
      if (target == device) {
        e.label = name;
        break;
      }
    for (const auto& [name, target] : uuids)
      if (target == device) {
        e.uuid = name;
        break;
      }
  }
  return r;
}

TMountInfo ToMountInfo(const MountEntry& e) {
  TMountInfo m;
  m.MountPoint = SystemNameToString(e.point);
  m.Source = Utf8ToString(e.source);
  m.FileSystem = Utf8ToString(e.fsType);
  m.Label = Utf8ToString(e.label);
  m.UUID = Utf8ToString(e.uuid);
  m.Removable = e.removable;
  m.Network = e.network;
  return m;
}

// The real path of the nearest existing ancestor of an absolute path.
std::string ExistingRealPath(const std::string& absPath) {
  std::string p = absPath;
  for (;;) {
    char* rp = ::realpath(p.c_str(), nullptr);
    if (rp != nullptr) {
      std::string r(rp);
      std::free(rp);
      return r;
    }
    if (p == "/" || p.empty()) return std::string();
    size_t slash = p.find_last_of('/');
    if (slash == std::string::npos) return std::string();
    p = slash == 0 ? "/" : p.substr(0, slash);
  }
}

// The longest mount point that is a prefix of the absolute path `real`.
bool LongestMount(const std::string& real, const std::vector<MountEntry>& mounts, MountEntry& out) {
  size_t best = 0;
  bool found = false;
  for (const MountEntry& e : mounts) {
    const std::string& mp = e.point;
    bool prefix = mp == "/" || real == mp ||
                  (real.size() > mp.size() && real.compare(0, mp.size(), mp) == 0 && real[mp.size()] == '/');
    if (prefix && (!found || mp.size() >= best)) {
      best = mp.size();
      out = e;
      found = true;
    }
  }
  return found;
}

bool FindMount(const String& path, MountEntry& out) {
  if (path.empty() || path[0] != u'/') return false;
  std::string real = ExistingRealPath(U8(ExpandFileName(path)));
  if (real.empty()) return false;
  if (LongestMount(real, ReadMounts(), out)) return true;
  // No mount table: climb while the parent is on the same device.
  struct stat st;
  if (::stat(real.c_str(), &st) != 0) return false;
  std::string cur = real;
  while (cur != "/") {
    size_t slash = cur.find_last_of('/');
    std::string parent = slash == 0 ? "/" : cur.substr(0, slash);
    struct stat pst;
    if (::stat(parent.c_str(), &pst) != 0 || pst.st_dev != st.st_dev) break;
    cur = parent;
  }
  out = MountEntry();
  out.point = cur;
  return true;
}

bool StatVfsOf(const String& path, struct statvfs& vfs) {
  if (path.empty()) return false;
  std::string abs = U8(ExpandFileName(path));
  std::string real = ExistingRealPath(abs);
  if (real.empty()) return false;
  return ::statvfs(real.c_str(), &vfs) == 0;
}

// Copies what remains of in to put, piece by piece; false when a read or put
// fails.
bool CopyContent(int in, const std::function<bool(const char*, size_t)>& put) {
  std::vector<char> buf(1 << 16);
  for (;;) {
    ssize_t r = ::read(in, buf.data(), buf.size());
    if (r < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (r == 0) return true;
    if (!put(buf.data(), static_cast<size_t>(r))) return false;
  }
}

// Copies the rest of the open file in (whose state is st) to a new file at
// target, never replacing one: written whole beside the name and only then
// given it, so a failed or killed copy leaves nothing at the name.  The copy
// has the source's mode, group, attributes and times, and with keepOwner
// also its owner where the process may give it.  False with errno set.
bool CopyToNewFile(int in, const struct stat& st, const String& target, bool keepOwner) {
  struct stat taken;
  if (::lstat(U8(target).c_str(), &taken) == 0) {
    errno = EEXIST;
    return false;
  }
  TNewFileStream out(target);
  bool ok = out.Ok() && CopyContent(in, [&out](const char* p, size_t n) {
              return out.Write(p, static_cast<Int64>(n)) == static_cast<Int64>(n);
            });
  if (ok) {
    const Int32 error = GiveLikenessOf(in, out.Handle(), keepOwner);
    if (error != 0) errno = error;
    ok = error == 0;
  }
  if (ok) {
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out.Handle(), times);
    ok = out.Publish();
  }
  if (!ok) errno = out.LastError() != 0 ? out.LastError() : errno != 0 ? errno : EIO;
  return ok;
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
  // The file system cannot rename without replacing: check first.
  struct stat st;
  if (::lstat(to.c_str(), &st) == 0) {
    errno = EEXIST;
    return false;
  }
  return ::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

// ---- tests and simple operations ---------------------------------------------

bool FileExists(const String& fileName) {
  struct stat st;
  return StatPath(fileName, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const String& dir) {
  struct stat st;
  return StatPath(dir, st) && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const String& dir) {
  if (dir.empty()) return false;
  std::string path = U8(dir);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  size_t p = 0;
  for (;;) {
    size_t slash = path.find('/', p == 0 && !path.empty() && path[0] == '/' ? 1 : p);
    std::string part = slash == std::string::npos ? path : path.substr(0, slash);
    if (!part.empty() && ::stat(part.c_str(), &st) != 0 &&
        (FileSeamAsk(fsoCreate, part) != 0 || (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)))
      return false;
    if (slash == std::string::npos) break;
    p = slash + 1;
  }
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDir(const String& dir) {
  return !dir.empty() && FileSeamAsk(fsoCreate, U8(dir)) == 0 && ::mkdir(U8(dir).c_str(), 0777) == 0;
}

bool RemoveDir(const String& dir) {
  if (dir.empty()) return false;
  const std::string p = U8(ExcludeTrailingPathDelimiter(dir));
  return FileSeamAsk(fsoDelete, p) == 0 && ::rmdir(p.c_str()) == 0;
}

bool DeleteFile(const String& fileName) {
  if (fileName.empty()) return false;
  std::string p = U8(fileName);
  struct stat st;
  if (::lstat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  if (FileSeamAsk(fsoDelete, p) != 0) return false;
  return ::unlink(p.c_str()) == 0;
}

bool RenameFile(const String& oldName, const String& newName) {
  if (oldName.empty() || newName.empty()) return false;
  std::string from = U8(oldName), to = U8(newName);
  if (from == to) {
    struct stat st;
    return ::lstat(from.c_str(), &st) == 0;
  }
  if (FileSeamAsk(fsoRename, from) != 0) return false;
  if (RenameNoReplace(from, to)) return true;
  // A file (not a folder) also moves to another file system, by copy and delete.
  return errno == EXDEV && MoveFile(oldName, newName, true);
}

namespace {

// CopyFile; a backup (see CopyFileToBackup) when backup is set.
bool CopyFileAs(const String& source, const String& target, bool failIfExists, bool backup,
                TFileStamp* copied = nullptr) {
  if (source.empty() || target.empty()) return false;
  std::string src = U8(source), dst = U8(target);
  // Only a regular file is copied: a FIFO or a device opened to be read
  // would wait for a writer, or never end; a folder has no bytes.
  int in = ::open(src.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (in < 0) return false;
  struct stat st;
  const bool statted = ::fstat(in, &st) == 0;
  if (!statted || !S_ISREG(st.st_mode)) {
    const int error = statted ? EINVAL : errno;
    ::close(in);
    errno = error;
    return false;
  }
  // A target that is the source itself (the same name, or the same file
  // through a link) would be replaced by a copy of itself, or emptied: refuse.
  struct stat existing;
  if (::stat(dst.c_str(), &existing) == 0 && existing.st_dev == st.st_dev && existing.st_ino == st.st_ino) {
    ::close(in);
    errno = EINVAL;
    return false;
  }
  if (copied != nullptr) *copied = FileStampOf(st);
  const mode_t mode = st.st_mode & 07777;
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  if (failIfExists) {
    const bool ok = CopyToNewFile(in, st, target, false);
    const int error = errno;
    ::close(in);
    errno = error;
    return ok;
  }
  // Over an existing file the copy is a save like any other: made beside the
  // target under a hidden temporary name and put in place once complete and
  // on the disk (through a link, onto the file it points to), so a failed or
  // killed copy never leaves the target half-written.  It takes the source's
  // mode, group and attributes.
  TFileReplaceStream out(target);
  bool ok = out.Ok();
  if (ok) {
    out.GivePermissions(mode, st.st_gid, in);
    if (backup) out.GiveToSourceOwner();
    ok = CopyContent(in, [&out](const char* p, size_t n) {
      return out.Write(p, static_cast<Int64>(n)) == static_cast<Int64>(n);
    });
  }
  if (ok) ::futimens(out.Handle(), times);
  ::close(in);
  if (ok) ok = out.Commit();
  if (!ok) errno = out.LastError() != 0 ? out.LastError() : EIO;
  return ok;
}

}  // namespace

bool CopyFile(const String& source, const String& target, bool failIfExists) {
  return CopyFileAs(source, target, failIfExists, false);
}

TFileStamp FileStampOf(const struct ::stat& st) {
  TFileStamp stamp;
  stamp.Dev = static_cast<UInt64>(st.st_dev);
  stamp.Ino = static_cast<UInt64>(st.st_ino);
  stamp.Size = static_cast<Int64>(st.st_size);
  stamp.MTimeSec = st.st_mtim.tv_sec;
  stamp.MTimeNsec = st.st_mtim.tv_nsec;
  stamp.CTimeSec = st.st_ctim.tv_sec;
  stamp.CTimeNsec = st.st_ctim.tv_nsec;
  return stamp;
}

bool FileStillAsStamped(const String& fileName, const TFileStamp& stamp, bool followLink) {
  struct stat now;
  const std::string path = U8(fileName);
  if ((followLink ? ::stat(path.c_str(), &now) : ::lstat(path.c_str(), &now)) == 0 && FileStampOf(now) == stamp)
    return true;
  errno = EBUSY;
  return false;
}

bool CopyFileToBackup(const String& source, const String& backup, TFileStamp* copied) {
  return CopyFileAs(source, backup, false, true, copied);
}

bool MoveFile(const String& source, const String& target, bool allowCopy) {
  if (source.empty() || target.empty()) return false;
  std::string from = U8(source), to = U8(target);
  if (RenameNoReplace(from, to)) return true;
  if (errno != EXDEV || !allowCopy) return false;
  // Across file systems: a copy that keeps the owner (where the process may
  // give it), group, mode, ACL, attributes and times, on the disk under its
  // name before the source goes, so that a crash leaves at least one of them.
  // A link to a file moves as that file's bytes under the link's name: the
  // link goes, the file it points to stays.
  struct stat named;
  if (::lstat(from.c_str(), &named) != 0) return false;
  const int in = ::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (in < 0) return false;
  struct stat st;
  const bool copied = ::fstat(in, &st) == 0 && S_ISREG(st.st_mode) && CopyToNewFile(in, st, target, true);
  ::close(in);
  if (!copied) return false;
  // The source goes only while its name still holds the file copied,
  // unchanged since its copy began (a link: the same link, still to that
  // file, unchanged): one written to meanwhile stays, and its copy goes.
  const bool link = S_ISLNK(named.st_mode);
  if (!FlushFolderOf(to) || FileSeamAsk(fsoDelete, from) != 0 ||
      !FileStillAsStamped(source, FileStampOf(link ? named : st)) ||
      (link && !FileStillAsStamped(source, FileStampOf(st), true)) || ::unlink(from.c_str()) != 0) {
    const int error = errno;
    ::unlink(to.c_str());
    errno = error;
    return false;
  }
  // Until the source's folder reaches the disk a crash may bring the source
  // back beside its copy, which loses nothing.
  FlushFolderOf(from);
  return true;
}

Int64 FileSizeByName(const String& fileName) {
  struct stat st;
  if (!StatPath(fileName, st) || S_ISDIR(st.st_mode)) return -1;
  return static_cast<Int64>(st.st_size);
}

bool FileAge(const String& fileName, TDateTime& fileDateTime) {
  struct stat st;
  if (!StatPath(fileName, st)) return false;
  fileDateTime = LocalDateTimeOf(st.st_mtim);
  return true;
}

Int32 FileSetDate(const String& fileName, TDateTime dateTime) {
  if (fileName.empty()) return ENOENT;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  if (!TimespecOfLocal(dateTime, times[1])) return EINVAL;
  const std::string path = U8(fileName);
  if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) return errno != 0 ? errno : EIO;
  // A file system whose times have a narrower range (ext4 before 1901, FAT
  // before 1980) clamps the time and still answers success: the time is read
  // back, and one that is not the time asked is a failure. Two seconds of
  // difference are the coarsest step a file system stores.
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return errno != 0 ? errno : EIO;
  const Int64 diff = static_cast<Int64>(st.st_mtim.tv_sec) - static_cast<Int64>(times[1].tv_sec);
  if (diff < -2 || diff > 2) return ERANGE;
  return 0;
}

// ---- names ---------------------------------------------------------------------

bool IsPathDelimiter(const String& s, Int32 index1) {
  return index1 >= 1 && static_cast<size_t>(index1) <= s.size() && IsDelim(s[static_cast<size_t>(index1) - 1]);
}

namespace {
// 0-based index of the last delimiter, or npos.
size_t LastDelim(const String& s) {
  for (size_t i = s.size(); i > 0; --i)
    if (IsDelim(s[i - 1])) return i - 1;
  return String::npos;
}
}  // namespace

String ExtractFileName(const String& fileName) {
  size_t p = LastDelim(fileName);
  return p == String::npos ? fileName : fileName.substr(p + 1);
}

String ExtractFilePath(const String& fileName) {
  size_t p = LastDelim(fileName);
  return p == String::npos ? String() : fileName.substr(0, p + 1);
}

String ExtractFileDir(const String& fileName) {
  size_t p = LastDelim(fileName);
  if (p == String::npos) return String();
  // Drop the delimiter unless it is the first character or follows another.
  if (p > 0 && !IsDelim(fileName[p - 1])) return fileName.substr(0, p);
  return fileName.substr(0, p + 1);
}

String ExtractFileExt(const String& fileName) {
  for (size_t i = fileName.size(); i > 0; --i) {
    Char c = fileName[i - 1];
    if (c == u'.') return fileName.substr(i - 1);
    if (IsDelim(c)) break;
  }
  return String();
}

String ExtractFileDrive(const String& fileName) {
  if (fileName.empty() || fileName[0] != u'/') return String();
  return MountPointOf(fileName);
}

String ChangeFileExt(const String& fileName, const String& extension) {
  for (size_t i = fileName.size(); i > 0; --i) {
    Char c = fileName[i - 1];
    if (c == u'.') return fileName.substr(0, i - 1) + extension;
    if (IsDelim(c)) break;
  }
  return fileName + extension;
}

String ChangeFilePath(const String& fileName, const String& path) {
  return IncludeTrailingPathDelimiter(path) + ExtractFileName(fileName);
}

String IncludeTrailingPathDelimiter(const String& s) {
  if (!s.empty() && IsDelim(s.back())) return s;
  return s + PathDelim;
}

String ExcludeTrailingPathDelimiter(const String& s) {
  if (!s.empty() && IsDelim(s.back())) return s.substr(0, s.size() - 1);
  return s;
}

String GetCurrentDir() {
  std::vector<char> buf(4096);
  for (;;) {
    if (::getcwd(buf.data(), buf.size()) != nullptr) return SystemNameToString(std::string(buf.data()));
    if (errno != ERANGE || buf.size() > (1u << 20)) return String();
    buf.resize(buf.size() * 2);
  }
}

bool SetCurrentDir(const String& dir) { return !dir.empty() && ::chdir(U8(dir).c_str()) == 0; }

String ExpandFileName(const String& fileName) {
  if (fileName.empty()) return String();
  String full = fileName[0] == u'/' ? fileName : IncludeTrailingPathDelimiter(GetCurrentDir()) + fileName;
  std::vector<String> parts;
  size_t p = 0;
  while (p <= full.size()) {
    size_t q = full.find(u'/', p);
    if (q == String::npos) q = full.size();
    String part = full.substr(p, q - p);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    p = q + 1;
  }
  String r;
  for (const String& part : parts) r += u'/' + part;
  if (r.empty()) r = u"/";
  // Keep a trailing delimiter the caller gave (it says "a folder").
  if (full.size() > 1 && full.back() == u'/' && r.back() != u'/') r += u'/';
  return r;
}

// ---- masks and searches ------------------------------------------------------

bool MatchesMask(const String& name, const String& mask) {
  if (mask == u"*.*" || mask == u"*") return true;
  return WildMatch(name, mask);
}

struct TSearchState {
  struct Found {
    String name;
    Int32 attr = 0;
    Int64 size = 0;
    TDateTime time = 0;
    TDateTime access = 0;
  };
  std::vector<Found> entries;
  size_t next = 0;
};

namespace {

void FillRec(TSearchRec& rec, const TSearchState::Found& f) {
  rec.Name = f.name;
  rec.Attr = f.attr;
  rec.Size = f.size;
  rec.TimeStamp = f.time;
  rec.LastAccessTime = f.access;
}

}  // namespace

Int32 FindFirst(const String& pathWithMask, Int32 attr, TSearchRec& rec) {
  FindClose(rec);
  rec.ExcludeAttr = ~attr & (faHidden | faSysFile | faVolumeID | faDirectory);
  String dir = ExtractFilePath(pathWithMask);
  String mask = ExtractFileName(pathWithMask);
  if (mask.empty()) return ENOENT;
  std::string dirPath = dir.empty() ? std::string(".") : U8(dir);
  DIR* d = ::opendir(dirPath.c_str());
  if (d == nullptr) return errno != 0 ? errno : ENOENT;
  auto state = std::make_shared<TSearchState>();
  while (struct dirent* de = ::readdir(d)) {
    std::string raw(de->d_name);
    String name = SystemNameToString(raw);
    if (!MatchesMask(name, mask)) continue;
    const bool dots = raw == "." || raw == "..";
    std::string full = dirPath + (dirPath.back() == '/' ? "" : "/") + raw;
    struct stat st;
    if (::stat(full.c_str(), &st) != 0 && ::lstat(full.c_str(), &st) != 0) continue;
    Int32 a = 0;
    if (S_ISDIR(st.st_mode))
      a |= faDirectory;
    else if (!S_ISREG(st.st_mode))
      a |= faSysFile;
    if (!dots && raw[0] == '.') a |= faHidden;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) a |= faReadOnly;
    struct stat lst;
    if (de->d_type == DT_LNK || (de->d_type == DT_UNKNOWN && ::lstat(full.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)))
      a |= faSymLink;
    if (a == 0) a = faNormal;
    if ((a & rec.ExcludeAttr) != 0) continue;
    TSearchState::Found f;
    f.name = name;
    f.attr = a;
    f.size = S_ISREG(st.st_mode) ? static_cast<Int64>(st.st_size) : 0;
    f.time = LocalDateTimeOf(st.st_mtim);
    f.access = LocalDateTimeOf(st.st_atim);
    state->entries.push_back(std::move(f));
  }
  ::closedir(d);
  if (state->entries.empty()) return ENOENT;
  std::sort(state->entries.begin(), state->entries.end(),
            [](const TSearchState::Found& a, const TSearchState::Found& b) { return a.name < b.name; });
  FillRec(rec, state->entries[0]);
  state->next = 1;
  rec.FindHandle = std::move(state);
  return 0;
}

Int32 FindNext(TSearchRec& rec) {
  TSearchState* s = rec.FindHandle.get();
  if (s == nullptr || s->next >= s->entries.size()) return ENOENT;
  FillRec(rec, s->entries[s->next++]);
  return 0;
}

void FindClose(TSearchRec& rec) { rec.FindHandle.reset(); }

// ---- drives ----------------------------------------------------------------------

String MountPointOf(const String& path) {
  MountEntry e;
  if (!FindMount(path, e)) return String();
  return SystemNameToString(e.point);
}

std::vector<TMountInfo> GetMountTable() {
  std::vector<TMountInfo> r;
  for (const MountEntry& e : ReadMounts()) r.push_back(ToMountInfo(e));
  return r;
}

bool GetMountOf(const String& path, TMountInfo& info) {
  MountEntry e;
  if (!FindMount(path, e)) return false;
  info = ToMountInfo(e);
  return true;
}

bool GetMountOfName(const String& path, TMountInfo& info) {
  if (path.empty() || path[0] != u'/') return false;
  MountEntry e;
  if (!LongestMount(U8(ExpandFileName(path)), ReadMounts(), e)) return false;
  info = ToMountInfo(e);
  return true;
}

void SetMountTableSources(const String& mountInfoFile, const String& sysBlockFolder, const String& devDiskFolder) {
  std::lock_guard<std::mutex> lock(MountSourcesMutex());
  MountSources& s = CurrentMountSources();
  s = MountSources();
  if (!mountInfoFile.empty()) s.mountInfo = U8(mountInfoFile);
  if (!sysBlockFolder.empty()) s.sysBlock = U8(sysBlockFolder);
  if (!devDiskFolder.empty()) s.devDisk = U8(devDiskFolder);
}

Cardinal GetDriveTypeW(const String& path) {
  MountEntry e;
  if (!FindMount(path, e)) return DRIVE_NO_ROOT_DIR;
  const std::string& t = e.fsType;
  if (e.network) return DRIVE_REMOTE;
  if (t == "tmpfs" || t == "ramfs") return DRIVE_RAMDISK;
  if (t == "iso9660" || t == "udf") return DRIVE_CDROM;
  if (e.removable) return DRIVE_REMOVABLE;
  const std::string& mp = e.point;
  auto under = [&](const char* root) {
    size_t n = std::strlen(root);
    return mp.compare(0, n, root) == 0 && (mp.size() == n || mp[n] == '/');
  };
  if (under("/media") || under("/run/media") || under("/mnt")) {
    if (t == "vfat" || t == "exfat" || t == "msdos" || t == "ntfs" || t == "ntfs3" || t == "fuseblk")
      return DRIVE_REMOVABLE;
  }
  return DRIVE_FIXED;
}

bool GetDiskFreeSpaceEx(const String& path, Int64& freeBytesAvailable, Int64& totalBytes, Int64& totalFreeBytes) {
  struct statvfs vfs;
  if (!StatVfsOf(path, vfs)) return false;
  freeBytesAvailable = static_cast<Int64>(vfs.f_bavail) * static_cast<Int64>(vfs.f_frsize);
  totalBytes = static_cast<Int64>(vfs.f_blocks) * static_cast<Int64>(vfs.f_frsize);
  totalFreeBytes = static_cast<Int64>(vfs.f_bfree) * static_cast<Int64>(vfs.f_frsize);
  return true;
}

Int64 DiskFree(const String& path) {
  Int64 avail, total, free;
  return GetDiskFreeSpaceEx(path, avail, total, free) ? avail : -1;
}

Int64 DiskSize(const String& path) {
  Int64 avail, total, free;
  return GetDiskFreeSpaceEx(path, avail, total, free) ? total : -1;
}

// ---- the program -------------------------------------------------------------------

String ProgramFileName() {
  std::vector<char> buf(4096);
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return String();
    if (static_cast<size_t>(n) < buf.size()) return SystemNameToString(std::string(buf.data(), static_cast<size_t>(n)));
    if (buf.size() > (1u << 20)) return String();
    buf.resize(buf.size() * 2);
  }
}

// ---- per-user folders -----------------------------------------------------------

String GetTempDirectory() {
  const char* t = std::getenv("TMPDIR");
  String dir = (t != nullptr && t[0] == '/') ? SystemNameToString(std::string(t)) : String(u"/tmp");
  return IncludeTrailingPathDelimiter(dir);
}

String GetHomePath() {
  const char* h = std::getenv("HOME");
  if (h != nullptr && h[0] != '\0') return ExcludeTrailingPathDelimiter(SystemNameToString(std::string(h)));
  struct passwd pw;
  struct passwd* res = nullptr;
  std::vector<char> buf(16384);
  if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &res) == 0 && res != nullptr && res->pw_dir != nullptr)
    return ExcludeTrailingPathDelimiter(SystemNameToString(std::string(res->pw_dir)));
  return String();
}

String GetAppDataPath() {
  const char* c = std::getenv("XDG_CONFIG_HOME");
  if (c != nullptr && c[0] == '/') return ExcludeTrailingPathDelimiter(SystemNameToString(std::string(c)));
  return GetHomePath() + u"/.config";
}

String GetDocumentsPath() {
  const String home = GetHomePath();
  std::ifstream f(U8(GetAppDataPath() + u"/user-dirs.dirs"));
  std::string line;
  while (std::getline(f, line)) {
    size_t p = line.find_first_not_of(" \t");
    if (p == std::string::npos || line.compare(p, 18, "XDG_DOCUMENTS_DIR=") != 0) continue;
    std::string v = line.substr(p + 18);
    while (!v.empty() && (v.back() == '\r' || v.back() == ' ' || v.back() == '\t')) v.pop_back();
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    String value;
    if (v.compare(0, 5, "$HOME") == 0)
      value = home + SystemNameToString(v.substr(5));
    else if (!v.empty() && v[0] == '/')
      value = SystemNameToString(v);
    else
      continue;  // only absolute or $HOME-relative paths are valid there
    return ExcludeTrailingPathDelimiter(value.empty() ? home : value);
  }
  return home + u"/Documents";
}

String GetTempFileName(const String& dir, const String& prefix) {
  String folder = dir.empty() ? GetTempDirectory() : IncludeTrailingPathDelimiter(dir);
  std::string tmpl = U8(folder) + TemporarySiblingName("", U8(prefix), "XXXXXX.tmp");
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (FileSeamAsk(fsoTempFile, U8(folder)) != 0) return String();
  int fd = ::mkstemps(buf.data(), 4);
  if (fd < 0) return String();
  ::close(fd);
  return SystemNameToString(std::string(buf.data()));
}

}  // namespace sk
