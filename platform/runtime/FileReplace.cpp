#include "platform/runtime/FileReplace.h"

#include "platform/runtime/FileSeam.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/OSError.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace sk {

constinit const TResStringRec _SKSaveWouldChangeOwner{
    60440, u"The file belongs to another user: saving it would make it yours, so it is left as it is",
    "_SKSaveWouldChangeOwner"};

namespace {

std::string DirOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The process's umask, read without changing it (umask() would, for a moment,
// for every thread).
mode_t CurrentUmask() {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.compare(0, 6, "Umask:") == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
  return 022;
}

constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";

std::string RandomSuffix() {
  unsigned char b[6] = {};
  if (::getrandom(b, sizeof b, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof b)) {
    static unsigned counter = 0;
    unsigned v = static_cast<unsigned>(::getpid()) * 2654435761u + ++counter;
    std::memcpy(b, &v, sizeof v < sizeof b ? sizeof v : sizeof b);
  }
  std::string s;
  for (unsigned char c : b) s.push_back(kDigits[c % 36]);
  return s;
}

// The hidden temporary siblings the library makes carry a mark that a file
// the user named does not: ".sk-", six random characters, two characters that
// check them, ".tmp" (".a.zip.sk-k3x9q2f0.tmp"). Only names with the mark are
// ever swept as left behind by a killed writer.
constexpr char kTempMark[] = ".sk-";
constexpr size_t kTempRandom = 6;
constexpr size_t kTempCheck = 2;
constexpr char kTempEnd[] = ".tmp";
constexpr size_t kTempSuffixSize = sizeof kTempMark - 1 + kTempRandom + kTempCheck + sizeof kTempEnd - 1;

std::string TempCheckOf(const char* random) {
  uint32_t h = 2166136261u;  // FNV-1a over the mark and the random characters
  for (const char* p = kTempMark; *p != '\0'; ++p) h = (h ^ static_cast<unsigned char>(*p)) * 16777619u;
  for (size_t i = 0; i < kTempRandom; ++i) h = (h ^ static_cast<unsigned char>(random[i])) * 16777619u;
  return {kDigits[h % 36], kDigits[(h / 36) % 36]};
}

// A fresh marked suffix for a temporary sibling.
std::string MarkedTempSuffix() {
  const std::string random = RandomSuffix();
  return kTempMark + random + TempCheckOf(random.data()) + kTempEnd;
}

// Whether the end of name from at on is a marked suffix.
bool IsMarkedTempSuffix(const std::string& name, size_t at) {
  if (name.size() < at || name.size() - at != kTempSuffixSize) return false;
  const char* p = name.data() + at;
  if (std::memcmp(p, kTempMark, sizeof kTempMark - 1) != 0) return false;
  const char* random = p + sizeof kTempMark - 1;
  for (size_t i = 0; i < kTempRandom + kTempCheck; ++i)
    if (!((random[i] >= '0' && random[i] <= '9') || (random[i] >= 'a' && random[i] <= 'z'))) return false;
  return std::memcmp(random + kTempRandom, TempCheckOf(random).data(), kTempCheck) == 0 &&
         std::memcmp(random + kTempRandom + kTempCheck, kTempEnd, sizeof kTempEnd - 1) == 0;
}

size_t Utf8CharStart(const std::string& s, size_t at) {
  while (at > 0 && at < s.size() && (static_cast<unsigned char>(s[at]) & 0xC0) == 0x80) --at;
  return at;
}

// Opens a folder to act in: every name made, renamed or removed in it goes
// through this descriptor, so that the folder checked is the folder acted in
// however its path is changed meanwhile.
int OpenFolder(const std::string& dir) { return ::open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC); }

// Opens a new temporary file in the folder open as dirFd (whose path is dir):
// an unnamed one when the file system allows (then name stays empty), else a
// hidden named one, whose name in that folder is set.
int OpenTemporary(int dirFd, const std::string& dir, const std::string& base, std::string& name) {
  name.clear();
  if (const Int32 fault = FileSeamAsk(fsoTempFile, dir); fault != 0) {
    errno = fault > 0 ? fault : EIO;
    return -1;
  }
  // Each temporary file is locked while its writer lives, so that one its
  // writer left behind (killed between giving it a name and renaming it) can
  // be told from one still being written.
  int fd = ::openat(dirFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
  if (fd >= 0) {
    ::flock(fd, LOCK_EX | LOCK_NB);
    return fd;
  }
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) return -1;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = MarkedTemporarySiblingName(base);
    // Owner-only until the file is given its permissions: the content may
    // be another file's, more private than a new file would be.
    fd = ::openat(dirFd, candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::flock(fd, LOCK_EX | LOCK_NB);
      name = candidate;
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

// Gives an unnamed temporary file the name `name` in the folder open as
// dirFd; fails with EEXIST when that name is taken.
bool LinkUnnamed(int fd, int dirFd, const std::string& name) {
  char procPath[64];
  std::snprintf(procPath, sizeof procPath, "/proc/self/fd/%d", fd);
  if (::linkat(AT_FDCWD, procPath, dirFd, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  if (errno == EEXIST) return false;
  // Without /proc, linking by descriptor needs a privilege the caller may have.
  return ::linkat(fd, "", dirFd, name.c_str(), AT_EMPTY_PATH) == 0;
}

// Changes an open file's owner or group (-1 leaves one as it is); false with
// errno set.
bool ChangeOwner(int fd, uid_t uid, gid_t gid) {
  if (const Int32 fault = FileSeamAsk(fsoChown); fault != 0) {
    errno = fault > 0 ? fault : EIO;
    return false;
  }
  return ::fchown(fd, uid, gid) == 0;
}

// Gives an open file a mode and a group; false with errno set.  A group the
// process has no right to give (one it is not a member of) is left as the
// file has it, narrowed is set, and that group then gets no more access than
// everyone has, so that the content reaches nobody the mode did not let in.
// Any other failure to give the group fails: narrowing is no answer to an
// I/O error.
bool ApplyPermissions(int fd, Cardinal mode, Cardinal gid, bool& narrowed) {
  narrowed = false;
  struct stat now;
  if (::fstat(fd, &now) != 0) return false;
  if (now.st_gid != gid && !ChangeOwner(fd, static_cast<uid_t>(-1), static_cast<gid_t>(gid))) {
    if (errno != EPERM) return false;
    narrowed = true;
    mode = (mode & ~Cardinal{070}) | (mode & 070 & ((mode & 07) << 3));
  }
  return ::fchmod(fd, static_cast<mode_t>(mode)) == 0;
}

// EPERM when the file at path is append-only or immutable: its content may
// then not be written over and its name neither replaced nor removed. 0 also
// when it cannot be looked at (the caller's own look says why).
int InodeFlagRefusal(const std::string& path, bool followLinks) {
  struct statx sx {};
  if (::statx(AT_FDCWD, path.c_str(), followLinks ? 0 : AT_SYMLINK_NOFOLLOW, STATX_MODE, &sx) != 0) return 0;
  const auto fixed = static_cast<decltype(sx.stx_attributes)>(STATX_ATTR_APPEND | STATX_ATTR_IMMUTABLE);
  return (sx.stx_attributes & sx.stx_attributes_mask & fixed) != 0 ? EPERM : 0;
}

bool InGroup(gid_t gid) {
  if (::getegid() == gid) return true;
  const int count = ::getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<size_t>(count));
  const int n = ::getgroups(count, groups.data());
  return n > 0 && std::find(groups.begin(), groups.begin() + n, gid) != groups.begin() + n;
}

// Follows the link at target, and any link it leads to, to the name at the
// end of the chain, which may not exist yet (a save then creates the file the
// link points to): 0, or the error that refuses the save.  A link in a shared
// sticky folder made by neither the process nor the folder's owner is not
// followed, as the system would not follow it on an open: another user could
// have pointed it anywhere.
int FollowLinks(std::string& target) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat link;
    if (::lstat(target.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return 0;
    const std::string dir = DirOf(target);
    struct stat folder;
    if (link.st_uid != ::geteuid() && ::stat(dir.c_str(), &folder) == 0 &&
        (folder.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH) && folder.st_uid != link.st_uid)
      return EACCES;
    char to[PATH_MAX];
    const ssize_t n = ::readlink(target.c_str(), to, sizeof to);
    if (n <= 0) return n < 0 ? errno : ENOENT;
    if (static_cast<size_t>(n) >= sizeof to) return ENAMETOOLONG;
    target =
        to[0] == '/' ? std::string(to, static_cast<size_t>(n)) : dir + "/" + std::string(to, static_cast<size_t>(n));
  }
  return ELOOP;
}

// The state of a save's target, links followed: 0, or the system error.
int StatTarget(const std::string& path, struct stat& st) {
  if (const Int32 fault = FileSeamAsk(fsoStat, path); fault != 0) return fault > 0 ? fault : EIO;
  return ::stat(path.c_str(), &st) == 0 ? 0 : errno;
}

// Looks at a save's target, a link resolved to the name it points to: 0 when
// it may be replaced (existed then says whether it exists, and st holds its
// state), else the system error or kReplaceWouldChangeOwner.
Int32 LookAtTarget(std::string& target, struct stat& st, bool& existed) {
  existed = false;
  if (target.empty()) return ENOENT;
  if (const int refused = FollowLinks(target); refused != 0) return refused;
  // Only "no such file" makes the save a new file: a target that cannot be
  // looked at is not known to be absent, and replacing it would lose its
  // content, mode and owner.
  const int error = StatTarget(target, st);
  if (error == ENOENT) return 0;
  if (error != 0) return error;
  if (!S_ISREG(st.st_mode)) return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  if (const int fixed = InodeFlagRefusal(target, true); fixed != 0) return fixed;
  // What the process could not write in place it may not replace either.
  if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return errno != 0 ? errno : EACCES;
  // Another user's file would become the process's: only a privileged
  // process can give a file away.
  if (st.st_uid != ::geteuid() && ::geteuid() != 0) return kReplaceWouldChangeOwner;
  // An ACL's "group::" entry is about the file's group: on a replacement
  // that could not be given that group it would hand the rights to the
  // process's group instead.
  if (::geteuid() != 0 && !InGroup(st.st_gid) && HasExtendedAcl(target)) return EPERM;
  existed = true;
  return 0;
}

// Where extended attributes are read from: an open file, or a path whose
// last link is not followed.
struct TAttributeSource {
  int fd = -1;
  const std::string* path = nullptr;
  ssize_t List(char* buffer, size_t size) const {
    return fd >= 0 ? ::flistxattr(fd, buffer, size) : ::llistxattr(path->c_str(), buffer, size);
  }
  ssize_t Get(const char* name, void* buffer, size_t size) const {
    return fd >= 0 ? ::fgetxattr(fd, name, buffer, size) : ::lgetxattr(path->c_str(), name, buffer, size);
  }
};

Int32 CarryAttributes(const TAttributeSource& from, int toFd, bool narrowed, bool mayDropAcl);

}  // namespace

Int32 ReplaceRefusal(const String& fileName) {
  std::string target = StringToSystemName(fileName);
  struct stat st;
  bool existed;
  return LookAtTarget(target, st, existed);
}

std::string TemporarySiblingName(const std::string& prefix, const std::string& base, const std::string& suffix) {
  const size_t room = kMaxNameBytes > prefix.size() + suffix.size() ? kMaxNameBytes - prefix.size() - suffix.size() : 0;
  if (base.size() <= room) return prefix + base + suffix;
  return prefix + base.substr(0, Utf8CharStart(base, room)) + suffix;
}

std::string MarkedTemporarySiblingName(const std::string& base) {
  return TemporarySiblingName(".", base, MarkedTempSuffix());
}

std::string FixedMarkedTemporarySiblingName(const std::string& base, const std::string& tag) {
  std::string random = tag.substr(0, kTempRandom);
  random.resize(kTempRandom, '0');
  return TemporarySiblingName(".", base, kTempMark + random + TempCheckOf(random.data()) + ".keep");
}

int CreateLockedFile(int dirFd, const std::string& name, unsigned mode) {
  int fd = ::openat(dirFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, static_cast<mode_t>(mode));
  if (fd >= 0) {
    ::flock(fd, LOCK_EX | LOCK_NB);
    if (LinkUnnamed(fd, dirFd, name)) return fd;
    const int error = errno;
    ::close(fd);
    if (error == EEXIST) {
      errno = EEXIST;
      return -1;
    }
  }
  // Without unnamed files the name exists for a moment before its lock.
  fd = ::openat(dirFd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, static_cast<mode_t>(mode));
  if (fd >= 0) ::flock(fd, LOCK_EX | LOCK_NB);
  return fd;
}

namespace {

// Takes a set member's name apart: the random characters of its set's lock
// (checked) and its index; false for any other name.
bool ParseSetMemberSuffix(const std::string& name, size_t& markAt, std::string& random) {
  const size_t endSize = sizeof kTempEnd - 1;
  if (name.size() < endSize || name.compare(name.size() - endSize, endSize, kTempEnd) != 0) return false;
  const size_t dash = name.rfind('-', name.size() - endSize);
  if (dash == std::string::npos || dash + 1 == name.size() - endSize) return false;
  for (size_t i = dash + 1; i < name.size() - endSize; ++i)
    if (name[i] < '0' || name[i] > '9') return false;
  const size_t markSize = sizeof kTempMark - 1;
  if (dash < markSize + kTempRandom + kTempCheck) return false;
  markAt = dash - kTempRandom - kTempCheck - markSize;
  if (name.compare(markAt, markSize, kTempMark) != 0) return false;
  random = name.substr(markAt + markSize, kTempRandom + kTempCheck);
  for (char c : random)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return false;
  return random.compare(kTempRandom, kTempCheck, TempCheckOf(random.data())) == 0;
}

}  // namespace

std::string MarkedSetMemberName(const std::string& base, const std::string& lockName, Cardinal index) {
  const size_t endSize = sizeof kTempEnd - 1;
  const size_t randomSize = kTempRandom + kTempCheck;
  const std::string random = lockName.size() >= endSize + randomSize
                                 ? lockName.substr(lockName.size() - endSize - randomSize, randomSize)
                                 : std::string(randomSize, '0');
  return TemporarySiblingName(".", base, kTempMark + random + "-" + std::to_string(index) + kTempEnd);
}

namespace {

constexpr char kNameLockTag[] = "making";  // six characters of the random's alphabet

std::string NameLockName(const std::string& base) {
  return TemporarySiblingName(".", base, kTempMark + std::string(kNameLockTag) + TempCheckOf(kNameLockTag) + kTempEnd);
}

}  // namespace

int TakeNameLock(const std::string& path, Int32 waitMs) {
  const std::string name = NameLockName(BaseOf(path));
  const int dirFd = OpenFolder(DirOf(path));
  if (dirFd < 0) return -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max<Int32>(waitMs, 0));
  int error = 0;
  for (;;) {
    const int fd = ::openat(dirFd, name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
      error = errno;
      break;
    }
    struct stat held {}, named {};
    // Something other than a regular file of the process's own at the name
    // (a FIFO, another user's file) is not a lock of its makers.
    if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode) || held.st_uid != ::geteuid()) {
      error = held.st_mode == 0 ? errno : !S_ISREG(held.st_mode) ? EINVAL : EPERM;
      ::close(fd);
      break;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (!LockFileHandle(fd, true, static_cast<Int32>(std::max<int64_t>(left, 0)))) {
      error = errno;
      // Nothing to exclude with on a file system without locks.
      if (error == ENOLCK || error == EOPNOTSUPP) {
        ::close(dirFd);
        return fd;
      }
      ::close(fd);
      break;
    }
    // The lock of a file no longer at the name (its holder let it go, or a
    // sweep took it unlocked) is never kept.
    if (::fstatat(dirFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == held.st_dev &&
        named.st_ino == held.st_ino) {
      ::close(dirFd);
      return fd;
    }
    ::close(fd);
    if (std::chrono::steady_clock::now() >= deadline) {
      error = EWOULDBLOCK;
      break;
    }
  }
  ::close(dirFd);
  errno = error != 0 ? error : EIO;
  return -1;
}

void ReleaseNameLock(const std::string& path, int fd) {
  if (fd < 0) return;
  // Removed while still held: a process waiting for it finds it gone from
  // the name once it has it, and makes its own.
  const std::string name = DirOf(path) + "/" + NameLockName(BaseOf(path));
  struct stat held {}, named {};
  if (::fstat(fd, &held) == 0 && ::lstat(name.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
      held.st_ino == named.st_ino)
    ::unlink(name.c_str());
  ::close(fd);
}

namespace {

// Raises, as opening for writing would, when the replacement cannot be made
// (the target refused or the temporary file not made).
void CheckReplaceable(const String& fileName, const TFileReplaceStream& s) {
  if (!s.Ok()) throw EFCreateError(u"Cannot create file \"" + fileName + u"\". " + s.ErrorText());
}

}  // namespace

bool TryReplaceFileWith(const String& fileName, const std::function<bool(TStream&)>& write) {
  TFileReplaceStream s(fileName);
  CheckReplaceable(fileName, s);
  return write(s) && s.Commit();
}

void ReplaceFileWith(const String& fileName, const std::function<void(TStream&)>& write) {
  TFileReplaceStream s(fileName);
  CheckReplaceable(fileName, s);
  write(s);
  if (!s.Commit()) throw EWriteError(u"Stream write error. " + s.ErrorText());
}

bool WriteAllToFd(int fd, const void* data, size_t n) {
  const char* p = static_cast<const char*>(data);
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (w == 0) {
      errno = EIO;
      return false;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

TFileReplaceStream::TFileReplaceStream(const String& fileName) : THandleStream(-1) {
  std::string target;
  struct stat st;
  // The target is looked at by its path, then found again through its
  // folder's descriptor, in which the replacement is made and renamed: when
  // the two looks do not find the same file (the folder or the file changed
  // in between), the look is taken again.
  for (int look = 0;; ++look) {
    target = StringToSystemName(fileName);
    if (const Int32 refusal = LookAtTarget(target, st, fTargetExisted); refusal != 0) {
      fOtherOwner = refusal == kReplaceWouldChangeOwner;
      Fail(fOtherOwner ? EPERM : refusal);
      return;
    }
    if ((fDir = OpenFolder(DirOf(target))) < 0) {
      Fail(errno != 0 ? errno : EIO);
      return;
    }
    struct stat again;
    const bool found = ::fstatat(fDir, BaseOf(target).c_str(), &again, AT_SYMLINK_NOFOLLOW) == 0;
    if (fTargetExisted ? found && again.st_dev == st.st_dev && again.st_ino == st.st_ino : !found && errno == ENOENT)
      break;
    ::close(fDir);
    fDir = -1;
    if (look == 3) {
      Fail(EAGAIN);
      return;
    }
  }
  if (fTargetExisted) {
    fMode = st.st_mode & 07777;
    fUid = st.st_uid;
    fGid = st.st_gid;
  }
  fTarget = target;
  fBase = BaseOf(target);
  fHandle = OpenTemporary(fDir, DirOf(target), fBase, fTempName);
  if (fHandle < 0) {
    Fail(errno != 0 ? errno : EIO);
    return;
  }
  if (!fTempName.empty() && !fTargetExisted) {
    // A named temporary file was made with owner-only rights by nobody; give it
    // what a new file of the process would get.
    ::fchmod(fHandle, 0666 & ~CurrentUmask());
  }
}

TFileReplaceStream::~TFileReplaceStream() {
  if (!fCommitted) Discard();
  if (fAttributesFrom >= 0) ::close(fAttributesFrom);
  if (fDir >= 0) ::close(fDir);
}

String TFileReplaceStream::ErrorText() const {
  if (fOtherOwner) return LoadResString(_SKSaveWouldChangeOwner);
  return SysErrorMessage(fError != 0 ? fError : EIO);
}

void TFileReplaceStream::GivePermissions(Cardinal mode, Cardinal gid, int attributesFd) {
  fPermissionsGiven = true;
  fMode = mode & 07777;
  fGid = gid;
  if (fAttributesFrom >= 0) ::close(fAttributesFrom);
  fAttributesFrom = -1;
  fSourceKnown = false;
  if (attributesFd < 0) return;
  struct stat source;
  if ((fAttributesFrom = ::fcntl(attributesFd, F_DUPFD_CLOEXEC, 0)) < 0 || ::fstat(fAttributesFrom, &source) != 0) {
    Fail(errno);
    return;
  }
  fSourceKnown = true;
  fSourceUid = source.st_uid;
}

void TFileReplaceStream::Fail(Int32 error) {
  if (!fFailed) fError = error;
  fFailed = true;
}

void TFileReplaceStream::Discard() {
  if (fHandle >= 0) {
    ::close(fHandle);
    fHandle = -1;
  }
  if (!fTempName.empty()) {
    ::unlinkat(fDir, fTempName.c_str(), 0);
    fTempName.clear();
  }
}

Int64 TFileReplaceStream::Write(const void* buffer, Int64 count) {
  if (!Ok()) return 0;
  if (count <= 0) return 0;
  if (const Int32 fault = FileSeamAsk(fsoWrite); fault != 0) {
    // A short write on the replacement spoils it as a full disk would.
    Fail(fault > 0 ? fault : ENOSPC);
    return 0;
  }
  if (!WriteAllToFd(fHandle, buffer, static_cast<size_t>(count))) {
    Fail(errno != 0 ? errno : EIO);
    return 0;
  }
  return count;
}

bool TFileReplaceStream::Commit() {
  if (fCommitted) return true;
  if (!Ok()) {
    Discard();
    return false;
  }
  const bool keepsTarget = fTargetExisted && !fPermissionsGiven;
  if (keepsTarget) {
    // The target as it is now: a mode, group or owner changed while the
    // content was written is kept (and checked) too.
    struct stat now;
    if (::fstatat(fDir, fBase.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0) {
      if (S_ISREG(now.st_mode)) {
        fMode = now.st_mode & 07777;
        fUid = now.st_uid;
        fGid = now.st_gid;
      }
    } else if (errno != ENOENT) {
      Fail(errno);
      Discard();
      return false;
    }
  }
  if (fTargetExisted || fPermissionsGiven) {
    // The owner was checked when the stream was made; a privileged process
    // gives the file back to it, and one that cannot refuses the save.  A
    // copy of another file stays the process's unless the target's owner
    // owns its source too: handing it to whoever owns the target would let
    // that user read what the source kept from them.
    bool giveOwner = fTargetExisted && (!fPermissionsGiven || (fSourceKnown && fSourceUid == fUid));
    Cardinal owner = fUid;
    if (fToSourceOwner && fSourceKnown && ::geteuid() == 0) {
      giveOwner = true;
      owner = fSourceUid;
    }
    struct stat now;
    if (::fstat(fHandle, &now) != 0 ||
        (giveOwner && now.st_uid != owner && !ChangeOwner(fHandle, owner, static_cast<gid_t>(-1)))) {
      fOtherOwner = errno == EPERM;
      Fail(errno);
      Discard();
      return false;
    }
    bool narrowed = false;
    Int32 error = ApplyPermissions(fHandle, fMode, fGid, narrowed) ? 0 : (errno != 0 ? errno : EIO);
    // The replacement protects and shares the content as the target (or, for
    // a copy, its source) does: its ACL and other extended attributes.
    if (error == 0 && fAttributesFrom >= 0)
      error = CarryAttributes(TAttributeSource{fAttributesFrom}, fHandle, narrowed, true);
    if (error == 0 && keepsTarget) error = CarryAttributes(TAttributeSource{-1, &fTarget}, fHandle, narrowed, false);
    if (error != 0) {
      Fail(error);
      Discard();
      return false;
    }
  }
  // Flushed once its permissions and attributes are set, so that they reach
  // the disk with the content.
  if (!FlushFileHandle(fHandle)) {
    Fail(errno);
    Discard();
    return false;
  }
  if (fTempName.empty()) {
    // Link the unnamed file under a fresh hidden name, then rename that over
    // the target: the rename is the one step at which the content changes.
    bool linked = false;
    for (int attempt = 0; attempt < 100 && !linked; ++attempt) {
      std::string candidate = MarkedTemporarySiblingName(fBase);
      if (LinkUnnamed(fHandle, fDir, candidate)) {
        fTempName = candidate;
        linked = true;
      } else if (errno != EEXIST) {
        break;
      }
    }
    if (!linked) {
      Fail(errno != 0 ? errno : EIO);
      Discard();
      return false;
    }
  }
  if (const Int32 fault = FileSeamAsk(fsoRename, fTarget); fault != 0 ||
      ::renameat(fDir, fTempName.c_str(), fDir, fBase.c_str()) != 0) {
    Fail(errno);
    Discard();
    return false;
  }
  fTempName.clear();
  ::close(fHandle);
  fHandle = -1;
  // The new content is in place, but until the folder reaches the disk a
  // power loss may bring the old one back: a save not known to last fails.
  if (!FlushFolderOf(fTarget)) {
    Fail(errno != 0 ? errno : EIO);
    return false;
  }
  fCommitted = true;
  return true;
}

TTemporaryFileStream::TTemporaryFileStream(const String& folder, const String& prefix) : THandleStream(-1) {
  String dir = folder.empty() ? GetTempDirectory() : folder;
  fFolder = StringToSystemName(dir);
  while (fFolder.size() > 1 && fFolder.back() == '/') fFolder.pop_back();
  fPrefix = StringToSystemName(prefix);
  std::string name;
  const int dirFd = OpenFolder(fFolder);
  fHandle = dirFd < 0 ? -1 : OpenTemporary(dirFd, fFolder, fPrefix, name);
  if (fHandle < 0) {
    fError = errno != 0 ? errno : EIO;
    if (dirFd >= 0) ::close(dirFd);
    return;
  }
  if (!name.empty() && ::unlinkat(dirFd, name.c_str(), 0) != 0) {
    // A name that cannot be taken away would outlive the stream.
    fError = errno != 0 ? errno : EIO;
    ::close(fHandle);
    fHandle = -1;
    ::unlinkat(dirFd, name.c_str(), 0);
  }
  ::close(dirFd);
}

TTemporaryFileStream::~TTemporaryFileStream() {
  if (fHandle >= 0) ::close(fHandle);
}

String TTemporaryFileStream::KeepAs() {
  if (fHandle < 0) return String();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = fFolder + "/" + TemporarySiblingName("", fPrefix, RandomSuffix() + ".tmp");
    if (LinkUnnamed(fHandle, AT_FDCWD, candidate)) return SystemNameToString(candidate);
    if (errno != EEXIST) break;
  }
  return String();
}

namespace {

// The content replaced whole; with asRead, only while the file still stands
// as it was read, checked as late as the replacement allows.
bool ReplaceContent(const String& fileName, const void* data, size_t count, const TFileStamp* asRead) {
  TFileReplaceStream s(fileName);
  if (!s.Ok()) return false;
  if (count > 0 && s.Write(data, static_cast<Int64>(count)) != static_cast<Int64>(count)) return false;
  if (asRead != nullptr && !FileStillAsStamped(fileName, *asRead, true)) return false;
  return s.Commit();
}

}  // namespace

bool ReplaceFileContent(const String& fileName, const void* data, size_t count) {
  return ReplaceContent(fileName, data, count, nullptr);
}

bool ReplaceFileContent(const String& fileName, const TBytes& bytes) {
  return ReplaceContent(fileName, bytes.data(), bytes.size(), nullptr);
}

bool ReplaceFileContent(const String& fileName, const TBytes& bytes, const TFileStamp& asRead) {
  return ReplaceContent(fileName, bytes.data(), bytes.size(), &asRead);
}

TNewFileStream::TNewFileStream(const String& fileName) : THandleStream(-1), fTarget(StringToSystemName(fileName)) {
  if (fTarget.empty()) {
    fError = ENOENT;
    return;
  }
  // Made, and named, through its folder's descriptor.
  fBase = BaseOf(fTarget);
  fDir = OpenFolder(DirOf(fTarget));
  fHandle = fDir < 0 ? -1 : OpenTemporary(fDir, DirOf(fTarget), fBase, fTempName);
  if (fHandle < 0) fError = errno != 0 ? errno : EIO;
}

TNewFileStream::~TNewFileStream() {
  if (fHandle >= 0) ::close(fHandle);
  if (!fPublished && !fTempName.empty()) ::unlinkat(fDir, fTempName.c_str(), 0);
  if (fDir >= 0) ::close(fDir);
}

bool TNewFileStream::Publish() {
  if (fHandle < 0 || fPublished) return fPublished;
  if (!FlushFileHandle(fHandle)) return false;
  // Neither way replaces a file: the first process to name it wins. A named
  // temporary file is moved, not linked, where the file system allows, so
  // that the file never has two names a kill could leave behind.
  bool named = false;
  if (fTempName.empty()) {
    named = LinkUnnamed(fHandle, fDir, fBase);
  } else if (::renameat2(fDir, fTempName.c_str(), fDir, fBase.c_str(), RENAME_NOREPLACE) == 0) {
    fTempName.clear();
    named = true;
  } else if (errno == EINVAL || errno == ENOSYS) {
    named = ::linkat(fDir, fTempName.c_str(), fDir, fBase.c_str(), 0) == 0;
  }
  if (!named) return false;
  fPublished = true;
  // The file is whole under its own name now: the lock that marked it as
  // being written goes, so that it is not mistaken for a live temporary.
  ::flock(fHandle, LOCK_UN);
  if (!fTempName.empty()) ::unlinkat(fDir, fTempName.c_str(), 0);
  return true;
}

Int32 CreateFileWithContent(const String& fileName, const void* data, size_t count,
                            const TFilePermissions* permissions) {
  const std::string target = StringToSystemName(fileName);
  if (target.empty()) return ENOENT;
  struct stat st;
  if (::lstat(target.c_str(), &st) == 0) return EEXIST;
  TNewFileStream file(fileName);
  if (!file.Ok()) return file.LastError();
  const int fd = file.Handle();
  bool narrowed = false;
  bool done = true;
  // A privileged process's backup of another user's file is that user's.
  struct stat source;
  if (permissions != nullptr && permissions->ToSourceOwner && permissions->AttributesFd >= 0 && ::geteuid() == 0)
    done = ::fstat(permissions->AttributesFd, &source) == 0 &&
           (source.st_uid == ::geteuid() || ChangeOwner(fd, source.st_uid, static_cast<gid_t>(-1)));
  done = done && (permissions != nullptr ? ApplyPermissions(fd, permissions->Mode & 07777, permissions->Gid, narrowed)
                                         : ::fchmod(fd, 0666 & ~CurrentUmask()) == 0);
  if (done && permissions != nullptr && permissions->AttributesFd >= 0) {
    const Int32 error = CarryAttributes(TAttributeSource{permissions->AttributesFd}, fd, narrowed, true);
    if (error != 0) errno = error;
    done = error == 0;
  }
  done = done && WriteAllToFd(fd, data, count) && file.Publish();
  return done ? 0 : (errno != 0 ? errno : EIO);
}

namespace {

// The names of the attributes on a file; false with errno set when they
// cannot be listed. A file system without attributes lists none.
bool ListAttributes(const TAttributeSource& from, std::vector<std::string>& names) {
  names.clear();
  std::vector<char> buffer;
  for (;;) {
    ssize_t n = from.List(nullptr, 0);
    if (n < 0) {
      if (errno == ENOTSUP) return true;
      return false;
    }
    if (n == 0) return true;
    buffer.resize(static_cast<size_t>(n));
    n = from.List(buffer.data(), buffer.size());
    if (n >= 0) {
      buffer.resize(static_cast<size_t>(n));
      break;
    }
    if (errno != ERANGE) return false;  // grew in between: ask again
  }
  for (size_t at = 0; at < buffer.size();) {
    const size_t end = std::string(buffer.data() + at, buffer.size() - at).find('\0');
    const size_t len = end == std::string::npos ? buffer.size() - at : end;
    if (len > 0) names.emplace_back(buffer.data() + at, len);
    at += len + 1;
  }
  return true;
}

// One attribute's value, read through get; false with errno set.
template <class Get>
bool ReadAttribute(Get get, std::vector<char>& value) {
  for (;;) {
    ssize_t n = get(nullptr, 0);
    if (n < 0) return false;
    value.resize(static_cast<size_t>(n));
    if (n == 0) return true;
    n = get(value.data(), value.size());
    if (n >= 0) {
      value.resize(static_cast<size_t>(n));
      return true;
    }
    if (errno != ERANGE) return false;
  }
}

constexpr char kAccessAcl[] = "system.posix_acl_access";
// An access ACL holds a 4-byte header and 8-byte entries; one with only the
// owner, group and other entries says no more than the mode bits.
constexpr ssize_t kModeOnlyAclSize = 4 + 3 * 8;

// Copies the attributes (but the access ACL with skipAcl); with
// dropUnsupported an attribute that the destination's file system cannot
// hold is left behind (as a move to a file system without user attributes
// leaves them), but never an ACL: without it the copy would not be protected
// or shared as the file was.
Int32 CopyAttributes(const TAttributeSource& from, int toFd, bool dropUnsupported, bool skipAcl = false) {
  std::vector<std::string> names;
  if (!ListAttributes(from, names)) return errno != 0 ? errno : EIO;
  std::vector<char> value, present;
  for (const std::string& name : names) {
    if (skipAcl && name == kAccessAcl) continue;
    if (!ReadAttribute([&](void* b, size_t n) { return from.Get(name.c_str(), b, n); }, value)) {
      if (errno == ENODATA) continue;  // removed in between
      return errno != 0 ? errno : EIO;
    }
    if (ReadAttribute([&](void* b, size_t n) { return ::fgetxattr(toFd, name.c_str(), b, n); }, present) &&
        present == value)
      continue;
    if (::fsetxattr(toFd, name.c_str(), value.data(), value.size(), 0) == 0) continue;
    if (dropUnsupported && errno == ENOTSUP && name.compare(0, 16, "system.posix_acl") != 0) continue;
    return errno != 0 ? errno : EIO;
  }
  return 0;
}

// Gives a replacement or copy (already given its mode and group) the
// extended attributes of the file it stands for, and that file's access ACL
// or none: one the copy inherited from its folder's default ACL goes.  With
// the group narrowed (not given) an extended ACL cannot go along, as its
// "group::" entry would then apply to the wrong group: a copy (mayDropAcl)
// is then left with the narrowed mode alone, which lets in nobody the ACL
// did not, and anything else is refused, since the file's shares would be
// lost.  A source that is gone meanwhile has nothing to carry.
Int32 CarryAttributes(const TAttributeSource& from, int toFd, bool narrowed, bool mayDropAcl) {
  const ssize_t acl = from.Get(kAccessAcl, nullptr, 0);
  if (acl < 0 && errno == ENOENT) return 0;
  const bool dropAcl = narrowed && acl > kModeOnlyAclSize;
  if (dropAcl && !mayDropAcl) return EPERM;
  if (const Int32 error = CopyAttributes(from, toFd, true, dropAcl); error != 0) return error;
  if ((acl < 0 || dropAcl) && ::fremovexattr(toFd, kAccessAcl) != 0 && errno != ENODATA && errno != ENOTSUP)
    return errno != 0 ? errno : EIO;
  return 0;
}

}  // namespace

Int32 CopyExtendedAttributes(const std::string& fromPath, int toFd) {
  return CopyAttributes(TAttributeSource{-1, &fromPath}, toFd, false);
}

bool HasExtendedAcl(const std::string& path) {
  return ::lgetxattr(path.c_str(), kAccessAcl, nullptr, 0) > kModeOnlyAclSize;
}

Int32 GiveLikenessOf(int fromFd, int toFd, bool keepOwner) {
  struct stat from, to;
  if (::fstat(fromFd, &from) != 0 || ::fstat(toFd, &to) != 0) return errno != 0 ? errno : EIO;
  // Only a privileged process can give a file away: elsewhere the owner
  // cannot be kept and the copy is the process's.
  if (keepOwner && from.st_uid != to.st_uid && !ChangeOwner(toFd, from.st_uid, static_cast<gid_t>(-1)) &&
      errno != EPERM)
    return errno != 0 ? errno : EIO;
  bool narrowed = false;
  if (!ApplyPermissions(toFd, from.st_mode & 07777, from.st_gid, narrowed)) return errno != 0 ? errno : EIO;
  return CarryAttributes(TAttributeSource{fromFd}, toFd, narrowed, !keepOwner);
}

Int32 DeleteRefusal(const String& fileName) {
  const std::string path = StringToSystemName(fileName);
  if (path.empty()) return ENOENT;
  struct stat st, folder;
  const std::string dir = DirOf(path);
  if (::lstat(path.c_str(), &st) != 0 || ::stat(dir.c_str(), &folder) != 0) return errno != 0 ? errno : EIO;
  if (::faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return errno != 0 ? errno : EACCES;
  // In a sticky folder only the file's owner, the folder's owner and a
  // privileged process may take a name away.
  const uid_t me = ::geteuid();
  if ((folder.st_mode & S_ISVTX) != 0 && me != 0 && me != st.st_uid && me != folder.st_uid) return EPERM;
  if (const int fixed = InodeFlagRefusal(path, false); fixed != 0) return fixed;
  return InodeFlagRefusal(dir, true);
}

Int32 RemoveStaleTemporarySiblings(const std::string& path) {
  const std::string dir = DirOf(path);
  // The name a sibling takes: the prefix, then the marked suffix.
  const std::string prefix = TemporarySiblingName(".", BaseOf(path), std::string(kTempSuffixSize, 'x'));
  const size_t prefixSize = prefix.size() - kTempSuffixSize;
  const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return 0;
  DIR* listing = ::fdopendir(dirFd);
  if (listing == nullptr) {
    ::close(dirFd);
    return 0;
  }
  std::vector<std::string> candidates;
  while (const dirent* e = ::readdir(listing)) {
    const std::string name = e->d_name;
    if (name.compare(0, prefixSize, prefix, 0, prefixSize) == 0 && IsMarkedTempSuffix(name, prefixSize))
      candidates.push_back(name);
  }
  Int32 removed = 0;
  for (const std::string& name : candidates) {
    const int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat held {}, named {};
    // A lock taken means that its writer is gone; the name must still be the
    // file that was looked at when it goes.
    if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && held.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstatat(dirFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == held.st_dev && named.st_ino == held.st_ino && ::unlinkat(dirFd, name.c_str(), 0) == 0)
      ++removed;
    ::close(fd);
  }
  ::closedir(listing);
  if (removed > 0) FlushFolderOf(path);
  return removed;
}

Int32 RemoveStaleSetMembers(const std::string& path) {
  const std::string base = BaseOf(path);
  const int dirFd = ::open(DirOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return 0;
  DIR* listing = ::fdopendir(dirFd);
  if (listing == nullptr) {
    ::close(dirFd);
    return 0;
  }
  // The members found, by the random characters of their set's lock.
  std::vector<std::pair<std::string, std::string>> members;
  while (const dirent* e = ::readdir(listing)) {
    const std::string name = e->d_name;
    size_t markAt = 0;
    std::string random;
    if (name[0] == '.' && ParseSetMemberSuffix(name, markAt, random) &&
        TemporarySiblingName(".", base, name.substr(markAt)) == name)
      members.emplace_back(random, name);
  }
  std::sort(members.begin(), members.end());
  Int32 removed = 0;
  for (size_t i = 0; i < members.size();) {
    const std::string& random = members[i].first;
    size_t end = i;
    while (end < members.size() && members[end].first == random) ++end;
    // The set's writer lives while it holds its lock file; the lock taken
    // here stays taken until its members are gone.
    const std::string lockName = TemporarySiblingName(".", base, kTempMark + random + kTempEnd);
    const int lockFd = ::openat(dirFd, lockName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const bool dead = lockFd < 0 ? errno == ENOENT : ::flock(lockFd, LOCK_EX | LOCK_NB) == 0;
    for (; dead && i < end; ++i) {
      const std::string& name = members[i].second;
      const int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
      if (fd < 0) continue;
      struct stat held {}, named {};
      if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && held.st_uid == ::geteuid() &&
          ::fstatat(dirFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == held.st_dev &&
          named.st_ino == held.st_ino && ::unlinkat(dirFd, name.c_str(), 0) == 0)
        ++removed;
      ::close(fd);
    }
    if (lockFd >= 0) ::close(lockFd);
    i = end;
  }
  ::closedir(listing);
  if (removed > 0) FlushFolderOf(path);
  return removed;
}

namespace {

// Whether the name is a kept file's (FixedMarkedTemporarySiblingName).
bool IsKeptName(const std::string& name) {
  constexpr char kKeepEnd[] = ".keep";
  const size_t endSize = sizeof kKeepEnd - 1, markSize = sizeof kTempMark - 1;
  const size_t suffix = markSize + kTempRandom + kTempCheck + endSize;
  if (name.size() <= suffix + 1 || name[0] != '.' || name.compare(name.size() - endSize, endSize, kKeepEnd) != 0)
    return false;
  const size_t at = name.size() - suffix;
  if (name.compare(at, markSize, kTempMark) != 0) return false;
  const char* random = name.data() + at + markSize;
  return std::memcmp(random + kTempRandom, TempCheckOf(random).data(), kTempCheck) == 0;
}

// Removes the members, listed in members as (set's random, name), of the
// sets in the folder open as listFd whose writer is gone. A set's writer
// lives while it holds its lock file, a marked temporary with the set's
// random characters whose name begins as its members' do (locks maps the
// random characters to such names); the locks of the sets seen gone stay
// taken here until their members are gone. A kept file whose name begins as
// a member's does, up to the member's mark (a list of moves of its anchor,
// the anchor's name cut alike or less), keeps the member for the next open.
// The kept files are listed only once the writers were seen gone, so that a
// list a writer wrote before it died is always seen.
Int32 RemoveDeadSetMembers(int listFd, std::vector<std::pair<std::string, std::string>>& members,
                           const std::multimap<std::string, std::string>& locks) {
  std::sort(members.begin(), members.end());
  std::vector<int> held;
  std::vector<std::pair<size_t, size_t>> dead;  // ranges of members
  for (size_t i = 0; i < members.size();) {
    const std::string& random = members[i].first;
    size_t end = i;
    while (end < members.size() && members[end].first == random) ++end;
    // The lock's name begins as the members' names do, up to their mark.
    const size_t markAt = members[i].second.rfind(kTempMark + random);
    bool live = false;
    const auto range = locks.equal_range(random);
    for (auto it = range.first; it != range.second && !live; ++it) {
      const std::string& lockName = it->second;
      if (lockName.compare(0, markAt, members[i].second, 0, markAt) != 0) continue;
      const int fd = ::openat(listFd, lockName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
      if (fd < 0) {
        live = errno != ENOENT;  // a lock that cannot be looked at is taken for a live one
        continue;
      }
      if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        live = true;
        ::close(fd);
      } else {
        held.push_back(fd);
      }
    }
    if (!live) dead.emplace_back(i, end);
    i = end;
  }
  Int32 removed = 0;
  if (!dead.empty()) {
    std::vector<std::string> kept;
    if (const int again = ::openat(listFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC); again >= 0) {
      if (DIR* listing = ::fdopendir(again)) {
        while (const dirent* e = ::readdir(listing))
          if (IsKeptName(e->d_name)) kept.emplace_back(e->d_name);
        ::closedir(listing);
        std::sort(kept.begin(), kept.end());
      } else {
        ::close(again);
      }
    }
    for (const auto& [from, to] : dead)
      for (size_t i = from; i < to; ++i) {
        const std::string& name = members[i].second;
        // The kept names that begin with the member's prefix follow it in order.
        const std::string prefix = name.substr(0, name.rfind(kTempMark + members[i].first));
        const auto after = std::lower_bound(kept.begin(), kept.end(), prefix);
        if (after != kept.end() && after->starts_with(prefix)) continue;
        const int fd = ::openat(listFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {}, named {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            ::fstatat(listFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == st.st_dev &&
            named.st_ino == st.st_ino && ::unlinkat(listFd, name.c_str(), 0) == 0)
          ++removed;
        ::close(fd);
      }
  }
  for (const int fd : held) ::close(fd);
  return removed;
}

}  // namespace

namespace {

// The sweep of a folder: its dead sets' members and, with temporaries, the
// marked temporaries no live process holds.
Int32 SweepFolder(int dirFd, bool temporaries) {
  const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listFd < 0) return 0;
  DIR* listing = ::fdopendir(listFd);
  if (listing == nullptr) {
    ::close(listFd);
    return 0;
  }
  std::vector<std::string> candidates;
  std::vector<std::pair<std::string, std::string>> members;
  std::multimap<std::string, std::string> locks;
  while (const dirent* e = ::readdir(listing)) {
    const std::string name = e->d_name;
    if (name.size() > kTempSuffixSize + 1 && name[0] == '.' &&
        IsMarkedTempSuffix(name, name.size() - kTempSuffixSize)) {
      candidates.push_back(name);
      const size_t randomAt = name.size() - kTempSuffixSize + sizeof kTempMark - 1;
      locks.emplace(name.substr(randomAt, kTempRandom + kTempCheck), name);
      continue;
    }
    size_t markAt = 0;
    std::string random;
    if (name[0] == '.' && ParseSetMemberSuffix(name, markAt, random)) members.emplace_back(random, name);
  }
  // The members first, while their sets' lock files are there to be asked.
  Int32 removed = members.empty() ? 0 : RemoveDeadSetMembers(listFd, members, locks);
  if (!temporaries) candidates.clear();
  for (const std::string& name : candidates) {
    const int fd = ::openat(listFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat held {}, named {};
    // A lock taken means that its writer is gone; the name must still be the
    // file that was looked at when it goes.
    if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && held.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstatat(listFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == held.st_dev && named.st_ino == held.st_ino && ::unlinkat(listFd, name.c_str(), 0) == 0)
      ++removed;
    ::close(fd);
  }
  // No flush: a removal the disk loses in a crash is made again by the next sweep.
  ::closedir(listing);
  return removed;
}

}  // namespace

Int32 RemoveStaleTemporariesIn(int dirFd) { return SweepFolder(dirFd, true); }

Int32 RemoveStaleSetMembersIn(int dirFd) { return SweepFolder(dirFd, false); }

}  // namespace sk
