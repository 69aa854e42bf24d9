// Volumes of spanned and split archives: their names, opening them for
// reading and writing, writing across them, and recognising a multi-volume
// archive when it is opened.
#include "zip/ZAArchiver_volumes.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <set>

#include "core/Basic_processes.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileSeam.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/OSError.h"
#include "zip/ZAArchiver.h"
#include "zip/ZAExcept.h"
#include "zip/ZAUtils.h"
#include "zip/ZAUtils_paths.h"

namespace sk {

namespace {

TZAFreeDriveSpaceHook& FreeSpaceHook() {
  static TZAFreeDriveSpaceHook hook;
  return hook;
}

TZAVolumeLabelHook& LabelHook() {
  static TZAVolumeLabelHook hook;
  return hook;
}

// A record needs no room of its own after the bytes written.
constexpr Int32 kNoReserve = -1;
// The least free space a new volume must offer.
constexpr Int64 kMinVolumeFree = 65536;
constexpr Int64 kCopyPiece = 1000000;
constexpr Int64 kPendingCopyBuffer = 1048576;

// A new volume's file, closed by the destructor.
class TZAVolumeFileStream : public THandleStream {
 public:
  explicit TZAVolumeFileStream(int fd) : THandleStream(fd) {}
  ~TZAVolumeFileStream() override { ::close(fHandle); }
  TZAVolumeFileStream(const TZAVolumeFileStream&) = delete;
  TZAVolumeFileStream& operator=(const TZAVolumeFileStream&) = delete;
};

// The folder part of a path, with its trailing "/" (empty for a bare name),
// and the name in it.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
std::string BaseOf(const std::string& path) { return path.substr(FolderOf(path).size()); }

// Why a new file may not take the name: a link there, something other than
// a regular file, or another user's file is refused before anything of it
// changes (a new volume's name is predictable in the archive's folder). 0 when
// the name is free or holds a regular file of the process's own user (whose
// mode goes in `mode`).
int NameRefusal(const std::string& path, mode_t& mode) {
  mode = 0;
  if (path.empty()) return ENOENT;
  if (const Int32 fault = FileSeamAsk(fsoCreate, path); fault != 0) return fault > 0 ? fault : EIO;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
  if (S_ISLNK(st.st_mode)) return ELOOP;
  if (!S_ISREG(st.st_mode)) return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  if (st.st_uid != ::geteuid()) return EPERM;
  mode = st.st_mode & 0777;
  return 0;
}

// Creates a spanned volume, empty, at its name. The name is opened without
// following a link, and a file already there is emptied only when it is a
// regular file of the process's own user. Raises EFCreateError as a file
// stream made with fmCreate does.
std::unique_ptr<TStream> CreateVolumeStream(const String& name) {
  const std::string path = StringToSystemName(name);
  mode_t mode = 0;
  int err = NameRefusal(path, mode);
  int fd = -1;
  if (err == 0) {
    do {
      fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) err = errno;
  }
  if (fd >= 0) {
    struct stat st;
    if (::fstat(fd, &st) != 0)
      err = errno;
    else if (!S_ISREG(st.st_mode))
      err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    else if (st.st_uid != ::geteuid())
      err = EPERM;
    else if (::ftruncate(fd, 0) != 0 || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
      err = errno;
    if (err != 0) {
      ::close(fd);
      fd = -1;
    }
  }
  if (fd < 0) throw EFCreateError(u"Cannot create file \"" + name + u"\". " + SysErrorMessage(err));
  return std::make_unique<TZAVolumeFileStream>(fd);
}

// Whether the name is one the library gives its hidden temporaries.
bool LooksTemporary(const std::string& base) {
  return base.size() > 8 && base[0] == '.' && base.find(".sk-") != std::string::npos && base.ends_with(".tmp");
}

}  // namespace

TZAFreeDriveSpaceHook SetZAFreeDriveSpaceHook(TZAFreeDriveSpaceHook hook) {
  TZAFreeDriveSpaceHook previous = std::move(FreeSpaceHook());
  FreeSpaceHook() = std::move(hook);
  return previous;
}

TZAVolumeLabelHook SetZAVolumeLabelHook(TZAVolumeLabelHook hook) {
  TZAVolumeLabelHook previous = std::move(LabelHook());
  LabelHook() = std::move(hook);
  return previous;
}

Int64 ZAFreeDriveSpace(const String& path) { return FreeSpaceHook() ? FreeSpaceHook()(path) : DiskFree(path); }

void ZASetVolumeLabel(const String& path, const String& label) {
  if (LabelHook()) LabelHook()(path, label);
}

String ZASpannedVolumeLabel(Int32 volumeNumber) { return Format(u"pkback# %.3d", {volumeNumber + 1}); }

// ---------------------------------------------------------------------------
// Lists of moves

namespace {

constexpr char kMoveListMagic[] = "SK-MOVES";  // eight bytes, no terminator
constexpr size_t kMoveListMagicSize = sizeof kMoveListMagic - 1;
constexpr size_t kMoveListMost = size_t{1} << 26;

void PutU64(std::string& out, UInt64 v) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

bool GetU64(const std::string& in, size_t& at, UInt64& v) {
  if (in.size() - at < 8) return false;
  v = 0;
  for (int i = 0; i < 8; ++i) v |= static_cast<UInt64>(static_cast<unsigned char>(in[at + i])) << (8 * i);
  at += 8;
  return true;
}

bool GetText(const std::string& in, size_t& at, std::string& text) {
  const size_t end = in.find('\0', at);
  if (end == std::string::npos) return false;
  text.assign(in, at, end - at);
  at = end + 1;
  return true;
}

bool GetIdentity(const std::string& in, size_t& at, TZAMoveList::TIdentity& id) {
  return GetU64(in, at, id.dev) && GetU64(in, at, id.ino) && GetU64(in, at, id.size) && GetU64(in, at, id.mtime);
}

TZAMoveList::TIdentity IdentityOf(const struct stat& st) {
  return {static_cast<UInt64>(st.st_dev), static_cast<UInt64>(st.st_ino), static_cast<UInt64>(st.st_size),
          static_cast<UInt64>(st.st_mtim.tv_sec) * 1000000000u + static_cast<UInt64>(st.st_mtim.tv_nsec)};
}

}  // namespace

std::string ZAFormatMoveList(const TZAMoveList& list) {
  std::string out(kMoveListMagic, kMoveListMagicSize);
  out += list.anchorBase + '\0';
  PutU64(out, list.moves.size());
  for (const TZAMoveList::TMove& m : list.moves) {
    out += m.temp + '\0' + m.name + '\0';
    for (const UInt64 v : {m.made.dev, m.made.ino, m.made.size, m.made.mtime}) PutU64(out, v);
    out += m.oldPresent ? '\1' : '\0';
    for (const UInt64 v : {m.old.dev, m.old.ino, m.old.size, m.old.mtime}) PutU64(out, v);
  }
  return out;
}

bool ZAParseMoveList(const std::string& bytes, TZAMoveList& list) {
  list = TZAMoveList();
  if (bytes.size() < kMoveListMagicSize || bytes.compare(0, kMoveListMagicSize, kMoveListMagic) != 0) return false;
  size_t at = kMoveListMagicSize;
  UInt64 count = 0;
  if (!GetText(bytes, at, list.anchorBase) || !GetU64(bytes, at, count)) return false;
  // Each move takes at least 67 bytes: never more moves than the bytes hold.
  if (count > (bytes.size() - at) / 67) return false;
  list.moves.resize(static_cast<size_t>(count));
  for (TZAMoveList::TMove& m : list.moves) {
    if (!GetText(bytes, at, m.temp) || !GetText(bytes, at, m.name) || !GetIdentity(bytes, at, m.made) ||
        at >= bytes.size())
      return false;
    const char present = bytes[at++];
    if (present != '\0' && present != '\1') return false;
    m.oldPresent = present == '\1';
    if (!GetIdentity(bytes, at, m.old)) return false;
  }
  return at == bytes.size();
}

String ZAMoveListName(const String& anchor) {
  const std::string path = StringToSystemName(anchor);
  return SystemNameToString(FolderOf(path) + FixedMarkedTemporarySiblingName(BaseOf(path), "moves0"));
}

String ZAVolumeListName(const String& archiveName) { return ZAMoveListName(archiveName); }

namespace {

// The list at the path when it is one the engine wrote for the anchor: a
// regular file of the process's own user, read through one descriptor, and
// one whose writer is gone: the lock its writer held is taken, and held
// through lockFd (open when the answer is true) while the list is acted on.
bool ReadOwnMoveList(const std::string& path, const std::string& anchorBase, TZAMoveList& list, int& lockFd) {
  lockFd = -1;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  std::string bytes;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            static_cast<UInt64>(st.st_size) <= kMoveListMost && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  if (ok) {
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 && bytes.size() <= kMoveListMost)
      bytes.append(buffer, static_cast<size_t>(n));
    ok = n == 0;
  }
  if (ok && ZAParseMoveList(bytes, list) && list.anchorBase == anchorBase) {
    lockFd = fd;
    return true;
  }
  ::close(fd);
  return false;
}

// Whether the name may take a new list: free, or a list of the process's own
// (whatever anchor it names).
bool MoveListNameFree(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  char head[kMoveListMagicSize];
  struct stat held {};
  const bool ours = ::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && held.st_uid == ::geteuid() &&
                    ::read(fd, head, sizeof head) == static_cast<ssize_t>(sizeof head) &&
                    std::memcmp(head, kMoveListMagic, sizeof head) == 0;
  ::close(fd);
  return ours;
}

}  // namespace

// ---------------------------------------------------------------------------
// Sets of new files

TZANewFileSet::~TZANewFileSet() { Discard(); }

void TZANewFileSet::HoldLock() {
  if (fLockFd >= 0) return;
  const std::string folder = FolderOf(fAnchor);
  const int dirFd = ::open(folder.empty() ? "." : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  int fd = -1;
  int err = dirFd < 0 ? errno : 0;
  for (Int32 attempt = 0; dirFd >= 0 && fd < 0 && attempt < 100; ++attempt) {
    fLockName = MarkedTemporarySiblingName(BaseOf(fAnchor));
    fd = CreateLockedFile(dirFd, fLockName, 0600);
    err = fd < 0 ? errno : 0;
    if (fd < 0 && err != EEXIST) break;
  }
  if (dirFd >= 0) ::close(dirFd);
  struct stat st {};
  if (fd >= 0 && ::fstat(fd, &st) != 0) {
    err = errno;
    ::unlink((folder + fLockName).c_str());
    ::close(fd);
    fd = -1;
  }
  if (fd < 0)
    throw EFCreateError(u"Cannot create file \"" + SystemNameToString(folder + fLockName) + u"\". " +
                        SysErrorMessage(err != 0 ? err : EIO));
  fLockFd = fd;
  fLockDev = static_cast<UInt64>(st.st_dev);
  fLockIno = static_cast<UInt64>(st.st_ino);
}

void TZANewFileSet::ReleaseLock() {
  if (fLockFd < 0) return;
  const std::string path = FolderOf(fAnchor) + fLockName;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && static_cast<UInt64>(st.st_dev) == fLockDev &&
      static_cast<UInt64>(st.st_ino) == fLockIno)
    ::unlink(path.c_str());
  ::close(fLockFd);
  fLockFd = -1;
}

bool TZANewFileSet::HoldAnchorLock(Int32 waitMs) {
  if (fAnchorLockFd >= 0) return true;
  fAnchorLockFd = TakeNameLock(fAnchor, waitMs);
  if (fAnchorLockFd >= 0) return true;
  if (errno == EWOULDBLOCK) return false;
  const int error = errno != 0 ? errno : EIO;
  throw EFCreateError(u"Cannot create file \"" + SystemNameToString(fAnchor) + u"\". " + SysErrorMessage(error));
}

void TZANewFileSet::ReleaseAnchorLock() {
  ReleaseNameLock(fAnchor, fAnchorLockFd);
  fAnchorLockFd = -1;
}

void TZANewFileSet::SweepStale(const String& anchor) {
  const std::string folder = FolderOf(StringToSystemName(anchor));
  const int dirFd = ::open(folder.empty() ? "." : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return;
  RemoveStaleTemporariesIn(dirFd);
  ::close(dirFd);
}

void TZANewFileSet::SweepDeadSets(const String& anchor) {
  const std::string path = StringToSystemName(anchor);
  const std::string folder = FolderOf(path);
  const int dirFd = ::open(folder.empty() ? "." : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return;
  RemoveStaleSetMembersIn(dirFd);
  ::close(dirFd);
  // The lock files a killed maker of this set left.
  RemoveStaleTemporarySiblings(path);
}

bool TZANewFileSet::Start(const String& anchor, bool withList, Int32 waitMs) {
  Discard();
  fAnchor = StringToSystemName(anchor);
  fWithList = withList;
  fNext = 0;
  fWait = waitMs;
  // Another maker of a set of these names finishes first; what a killed one
  // left is finished or swept under the lock, so that no other process's
  // move-in or recovery runs meanwhile.
  if (!HoldAnchorLock(waitMs)) return false;
  RecoverHeld(fAnchor);
  SweepStale(anchor);
  return true;
}

std::unique_ptr<THandleStream> TZANewFileSet::Add(const String& name) {
  const std::string path = StringToSystemName(name);
  mode_t mode = 0;
  int err = NameRefusal(path, mode);
  int fd = -1;
  std::string temp;
  // After a move-in (a chunk set filling one disk after another) the
  // anchor's lock is taken again before anything of the set is made.
  if (err == 0 && !HoldAnchorLock(fWait))
    throw EFCreateError(u"Cannot create file \"" + name + u"\". Another process is making files of the same names");
  // The set's lock is held before its first member exists: a member is
  // never seen without a live lock while its writer lives.
  if (err == 0) HoldLock();
  for (Int32 attempt = 0; err == 0 && fd < 0 && attempt < 100; ++attempt) {
    if (const Int32 fault = FileSeamAsk(fsoTempFile, path); fault != 0) {
      err = fault > 0 ? fault : EIO;
      break;
    }
    temp = FolderOf(path) + MarkedSetMemberName(BaseOf(fAnchor), fLockName, fNext++);
    fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) err = errno;
  }
  if (fd < 0 && err == 0) err = EEXIST;
  struct stat st {};
  if (fd >= 0) {
    // A file replaced keeps its permission bits.
    if (::fstat(fd, &st) != 0 || (mode != 0 && ::fchmod(fd, mode) != 0)) {
      err = errno;
      ::close(fd);
      ::unlink(temp.c_str());
      fd = -1;
    }
  }
  if (fd < 0) throw EFCreateError(u"Cannot create file \"" + name + u"\". " + SysErrorMessage(err));
  fFiles.push_back({temp, path, static_cast<UInt64>(st.st_dev), static_cast<UInt64>(st.st_ino)});
  return std::make_unique<TZAVolumeFileStream>(fd);
}

void TZANewFileSet::RenameLast(const String& name) {
  if (!fFiles.empty()) fFiles.back().name = StringToSystemName(name);
}

void TZANewFileSet::LastIdentity(UInt64& dev, UInt64& ino) const {
  dev = fFiles.empty() ? 0 : fFiles.back().dev;
  ino = fFiles.empty() ? 0 : fFiles.back().ino;
}

bool TZANewFileSet::HoldAnchorFiles() {
  // The set's own file for the anchor's name, locked before it takes the
  // name: a reader that opens the name once it is there waits for the rest.
  if (fNewAnchorFd < 0)
    for (const TFile& f : fFiles) {
      if (f.name != fAnchor) continue;
      const int fd = ::open(f.temp.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
      struct stat st {};
      if (fd >= 0 && ::fstat(fd, &st) == 0 && static_cast<UInt64>(st.st_dev) == f.dev &&
          static_cast<UInt64>(st.st_ino) == f.ino && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
        fNewAnchorFd = fd;
      else if (fd >= 0)
        ::close(fd);
      break;
    }
  // The file at the name now, once the readers of its set are done with it.
  // The set's own file (put there by an earlier move-in) is held already.
  if (fOldAnchorFd >= 0) return true;
  const int fd = ::open(fAnchor.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return true;
  struct stat at {
  }, own{};
  const bool other =
      ::fstat(fd, &at) == 0 && S_ISREG(at.st_mode) &&
      !(fNewAnchorFd >= 0 && ::fstat(fNewAnchorFd, &own) == 0 && own.st_dev == at.st_dev && own.st_ino == at.st_ino);
  if (other && LockFileHandle(fd, true, fWait)) {
    fOldAnchorFd = fd;
    return true;
  }
  const int error = errno;
  ::close(fd);
  // Readers kept it for the whole wait; a file system without locks has
  // nothing to exclude with.
  return !(other && error == EWOULDBLOCK);
}

void TZANewFileSet::ReleaseAnchorFiles(bool keepNew) {
  if (fOldAnchorFd >= 0) ::close(fOldAnchorFd);
  fOldAnchorFd = -1;
  if (keepNew) return;
  if (fNewAnchorFd >= 0) ::close(fNewAnchorFd);
  fNewAnchorFd = -1;
}

bool TZANewFileSet::MoveIn(bool holdAnchor) {
  if (fFiles.empty()) {
    ReleaseAnchorFiles(holdAnchor);
    ReleaseAnchorLock();
    return true;
  }
  auto fail = [](const std::string& name, int error) {
    throw EWriteError(u"Cannot create file \"" + SystemNameToString(name) + u"\". " + SysErrorMessage(error));
  };
  // Every file whole on the disk before any of them takes its name. A set
  // of many files takes long to flush and move: the host is yielded to.
  TTimedYield yield;
  TZAMoveList list;
  list.anchorBase = BaseOf(fAnchor);
  for (const TFile& f : fFiles) {
    yield.Tick();
    const int fd = ::open(f.temp.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    const bool same = fd >= 0 && ::fstat(fd, &st) == 0 && static_cast<UInt64>(st.st_dev) == f.dev &&
                      static_cast<UInt64>(st.st_ino) == f.ino;
    const int error = fd < 0 ? errno : !same ? ENOENT : FlushFileHandle(fd) ? 0 : errno;
    if (fd >= 0) ::close(fd);
    if (error != 0) fail(f.name, error);
    TZAMoveList::TMove m{f.temp, f.name, IdentityOf(st), false, {}};
    struct stat old {};
    if (::lstat(f.name.c_str(), &old) == 0) {
      m.oldPresent = true;
      m.old = IdentityOf(old);
    }
    list.moves.push_back(std::move(m));
  }
  // No reader of the old set is left reading from here on, and none of the
  // new one begins before the last move.
  if (!HoldAnchorFiles()) {
    ReleaseAnchorFiles(true);
    return false;
  }
  // The list is written whole under a temporary name of its own and kept
  // open, locked, until the moves end: a sweep of stale temporaries leaves
  // it while this process lives.
  const std::string listPath =
      fWithList ? StringToSystemName(ZAMoveListName(SystemNameToString(fAnchor))) : std::string();
  int listFd = -1;
  if (!listPath.empty() && MoveListNameFree(listPath)) {
    const std::string bytes = ZAFormatMoveList(list);
    const std::string temp = FolderOf(listPath) + MarkedTemporarySiblingName(BaseOf(fAnchor));
    int error = FileSeamAsk(fsoCreate, listPath);
    if (error == 0) {
      const std::string folder = FolderOf(listPath);
      const int dirFd = ::open(folder.empty() ? "." : folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
      listFd = dirFd < 0 ? -1 : CreateLockedFile(dirFd, BaseOf(temp), 0600);
      if (listFd < 0) error = errno;
      if (dirFd >= 0) ::close(dirFd);
    }
    if (listFd >= 0) {
      if (!WriteAllToFd(listFd, bytes.data(), bytes.size()) || !FlushFileHandle(listFd) ||
          ::rename(temp.c_str(), listPath.c_str()) != 0 || !FlushFolderOf(listPath))
        error = errno != 0 ? errno : EIO;
      if (error != 0) {
        ::unlink(temp.c_str());
        ::close(listFd);
        listFd = -1;
      }
    }
    if (error != 0) fail(listPath, error);
  }
  struct TListHold {
    int fd;
    ~TListHold() {
      if (fd >= 0) ::close(fd);
    }
  } hold{listFd};
  // From here the set is the new one: what a failure leaves, the next look
  // at the set moves in.
  std::vector<TFile> files = std::move(fFiles);
  fFiles.clear();
  std::set<std::string> folders, flushed;
  for (const TFile& f : files) {
    yield.Tick();
    errno = 0;
    if (!ZAMoveFileOverAs(SystemNameToString(f.temp), SystemNameToString(f.name), f.dev, f.ino)) {
      if (errno != EXDEV) fail(f.name, errno != 0 ? errno : EIO);
      // A file a handler put on another file system is copied over its name.
      TFileStream from(SystemNameToString(f.temp), fmOpenRead);
      ReplaceFileWith(SystemNameToString(f.name), [&](TStream& to) { to.CopyFrom(&from, 0); });
      ::unlink(f.temp.c_str());
    }
    if (folders.insert(FolderOf(f.name)).second) flushed.insert(f.name);
  }
  for (const std::string& name : flushed)
    if (!FlushFolderOf(name)) fail(name, errno);
  if (listFd >= 0 && FileSeamAsk(fsoDelete, listPath) == 0) {
    // Only the list this run wrote goes.
    struct stat held {}, named {};
    if (::fstat(listFd, &held) == 0 && ::lstat(listPath.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino)
      ::unlink(listPath.c_str());
  }
  ReleaseAnchorFiles(holdAnchor);
  ReleaseLock();
  ReleaseAnchorLock();
  return true;
}

void TZANewFileSet::Discard() {
  for (const TFile& f : fFiles) {
    struct stat st {};
    if (::lstat(f.temp.c_str(), &st) == 0 && static_cast<UInt64>(st.st_dev) == f.dev &&
        static_cast<UInt64>(st.st_ino) == f.ino)
      ::unlink(f.temp.c_str());
  }
  fFiles.clear();
  ReleaseAnchorFiles(false);
  ReleaseLock();
  ReleaseAnchorLock();
}

void TZANewFileSet::Recover(const String& anchor, Int32 waitMs) {
  const std::string anchorPath = StringToSystemName(anchor);
  struct stat st {};
  // Nothing to finish: the anchor's lock is not even looked at.
  if (anchorPath.empty() || ::lstat(StringToSystemName(ZAMoveListName(anchor)).c_str(), &st) != 0) return;
  const int lock = TakeNameLock(anchorPath, waitMs);
  if (lock < 0) return;
  RecoverHeld(anchorPath);
  ReleaseNameLock(anchorPath, lock);
}

bool TZANewFileSet::MoveInPending(const String& anchor) {
  const std::string path = StringToSystemName(ZAMoveListName(anchor));
  struct stat st {};
  if (path.empty() || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  // A list this process may not read (another user's) is taken for one.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return true;
  char head[kMoveListMagicSize];
  const bool list = ::read(fd, head, sizeof head) == static_cast<ssize_t>(sizeof head) &&
                    std::memcmp(head, kMoveListMagic, sizeof head) == 0;
  ::close(fd);
  return list;
}

void TZANewFileSet::RecoverHeld(const std::string& anchorPath) {
  const String anchor = SystemNameToString(anchorPath);
  const std::string list = StringToSystemName(ZAMoveListName(anchor));
  TZAMoveList moves;
  int lockFd = -1;
  if (anchorPath.empty() || !ReadOwnMoveList(list, BaseOf(anchorPath), moves, lockFd)) return;
  struct TLockHold {
    int fd;
    ~TLockHold() { ::close(fd); }
  } hold{lockFd};
  const std::string folder = FolderOf(list);
  // What a name holds now: nothing (present false), or a file and whether
  // it is a regular file of the process's user.
  auto look = [](const std::string& path, bool& present, TZAMoveList::TIdentity& id) {
    struct stat st {};
    present = ::lstat(path.c_str(), &st) == 0;
    id = present ? IdentityOf(st) : TZAMoveList::TIdentity();
    return present && S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
  };
  auto ownTemporary = [&](const TZAMoveList::TMove& m) {
    bool present = false;
    TZAMoveList::TIdentity id;
    return FolderOf(m.temp) == folder && LooksTemporary(BaseOf(m.temp)) && look(m.temp, present, id) && id == m.made;
  };
  // Each move is either done (the name holds the new file, its temporary
  // gone) or still to do (the temporary there, the name as it was); anything
  // else means that the set changed after the kill (put back from a copy,
  // say), and then none of it is touched.
  std::vector<const TZAMoveList::TMove*> pending;
  bool consistent = true;
  for (const TZAMoveList::TMove& m : moves.moves) {
    if (FolderOf(m.name) != folder || BaseOf(m.name).empty() || BaseOf(m.name) == "." || BaseOf(m.name) == "..") {
      consistent = false;
      break;
    }
    bool tempPresent = false, namePresent = false;
    TZAMoveList::TIdentity tempId, nameId;
    look(m.temp, tempPresent, tempId);
    look(m.name, namePresent, nameId);
    const bool nameAsItWas = m.oldPresent ? namePresent && nameId == m.old : !namePresent;
    if (ownTemporary(m) && nameAsItWas)
      pending.push_back(&m);
    else if (!(namePresent && nameId == m.made && !tempPresent))
      consistent = false;
  }
  if (consistent) {
    for (const TZAMoveList::TMove* m : pending)
      ZAMoveFileOverAs(SystemNameToString(m->temp), SystemNameToString(m->name), m->made.dev, m->made.ino);
    if (!pending.empty()) FlushFolderOf(list);
  } else {
    // The temporaries of the list that are still its own go; nothing else.
    for (const TZAMoveList::TMove& m : moves.moves)
      if (ownTemporary(m)) ::unlink(m.temp.c_str());
  }
  ::unlink(list.c_str());
  // The lock file the killed writer held goes too.
  RemoveStaleTemporarySiblings(anchorPath);
}

// ---------------------------------------------------------------------------
// Readers of sets

bool TZASetReadHold::Take(const String& anchor, Int32 waitMs) {
  Release();
  const std::string path = StringToSystemName(anchor);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max<Int32>(waitMs, 0));
  bool recovered = false;
  for (;;) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat held {
    }, named{};
    if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
      const int error = held.st_mode == 0 ? errno : EINVAL;
      ::close(fd);
      errno = error;
      return false;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    // A file system without locks has nothing to exclude with: the set is
    // read as it stands.
    if (!LockFileHandle(fd, false, static_cast<Int32>(std::max<int64_t>(left, 0))) && errno != ENOLCK &&
        errno != EOPNOTSUPP) {
      const int error = errno;
      ::close(fd);
      errno = error;
      return false;
    }
    // A file no longer at the name was the anchor of the set a maker just
    // replaced: the one there now is held in turn.
    if (::stat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
      if (!TZANewFileSet::MoveInPending(anchor)) {
        fFd = fd;
        return true;
      }
      // Torn by a killed maker (a live one holds the anchor through its
      // move-in): finished once, else the set is no one set.
      ::close(fd);
      if (recovered) break;
      recovered = true;
      TZANewFileSet::Recover(anchor, static_cast<Int32>(std::max<int64_t>(left, 0)));
      continue;
    }
    ::close(fd);
    if (std::chrono::steady_clock::now() >= deadline) break;
  }
  errno = EWOULDBLOCK;
  return false;
}

bool TZASetReadHold::Holds(int fd) const {
  struct stat held {
  }, other{};
  return fFd >= 0 && ::fstat(fFd, &held) == 0 && ::fstat(fd, &other) == 0 && held.st_dev == other.st_dev &&
         held.st_ino == other.st_ino;
}

void TZASetReadHold::Release() {
  if (fFd >= 0) ::close(fFd);
  fFd = -1;
}

// ---------------------------------------------------------------------------
// Names

bool TZABaseArchiver::IsSFXArchiveName(const String& name) const {
  return (DMHandle && DMHandle->StubSize != 0) || !FSFXStub.empty() ||
         ZALowerCase(ZAExtractFileExt(name)).find(u".exe") != String::npos;
}

String TZABaseArchiver::MakeDefaultVolumeName(const String& archiveName, Int32 volumeNumber, bool preferExisting) {
  String name = archiveName;
  const String folder = ZAExtractFilePath(name);
  const String ext = ZAExtractFileExt(name);
  String base = ZAExtractFileName(name);
  base.resize(base.size() - ext.size());
  const bool sfx = IsSFXArchiveName(name);
  const bool zipForm = FCompressionMethod < 0xFC;
  const bool advanced = FSpanningOptions.FAdvancedNaming;
  const String numbered = Format(u"_%.3u", {static_cast<Cardinal>(volumeNumber + 1)});

  if (FSpanningMode == smSplitting) {
    String suffix;
    if (volumeNumber == -1) {
      if (!sfx) return name;
      suffix = zipForm ? u".ZIP" : u".ZA";
    } else if (volumeNumber == 0 && sfx) {
      suffix = u".exe";
    } else if (!advanced) {
      suffix = String(zipForm ? u".Z" : u".F") + Format(u"%.2d", {volumeNumber + 1});
    } else {
      suffix = numbered + ext;
    }
    name = folder + base + suffix;
    // Sets made by other tools on Linux name their volumes in lower case
    // (arc.z01): when reading, a missing name is tried that way too.
    if (FileOpenMode != fmCreate && !ZAFileExists(name)) {
      const String lower = folder + base + ZALowerCase(suffix);
      if (ZAFileExists(lower)) name = lower;
    }
    return name;
  }
  if (FSpanningMode == smSpanning) {
    if (volumeNumber == -1) return name;
    const String e = sfx ? String(u".exe") : ext;
    const String plain = folder + base + e;
    const String withNumber = folder + base + numbered + e;
    name = advanced ? withNumber : plain;
    if (preferExisting && !ZAFileExists(name)) {
      const String other = advanced ? plain : withNumber;
      if (ZAFileExists(other)) name = other;
    }
  }
  return name;
}

Int64 TZABaseArchiver::GetFreeDriveSpace(const String& path) const { return ZAFreeDriveSpace(path); }

// ---------------------------------------------------------------------------
// Opening volumes

void TZABaseArchiver::ReopenFileStream(const String& fileName) { ReopenFileStream(fileName, FileOpenMode); }

void TZABaseArchiver::ReopenFileStream(const String& fileName, Word mode) {
  FreeArchiveStream();
  IsCustomStream = false;
  // A new volume of a split archive is written aside and takes its name with
  // the rest of the set; a spanned one fills its disk at its name. Neither
  // follows a link at its name.
  if (mode == fmCreate && FSpanningMode == smSplitting)
    fOwnedStream = fNewVolumes.Add(fileName);
  else if (mode == fmCreate && FSpanningMode != smNone)
    fOwnedStream = CreateVolumeStream(fileName);
  else
    fOwnedStream = std::make_unique<TFileStream>(fileName, mode);
  FCompressedStream = fOwnedStream.get();
  VolumeFileName = fileName;
  fFreeSpaceVolume = -2;  // a new volume: its drive is asked afresh
  SyncDirManagerStream();
}

void TZABaseArchiver::CloseCompressedStream() { FreeArchiveStream(); }

void TZABaseArchiver::OpenVolume(TZAVolumeNumberInfo& volume) {
  auto record = [this, &volume]() {
    FVolumeNumberInfo.FVolumeNumber = volume.FVolumeNumber;
    FVolumeNumberInfo.FVolumeKind = volume.FVolumeKind;
    if (volume.FLastVolumeNumber != -1) FVolumeNumberInfo.FLastVolumeNumber = volume.FLastVolumeNumber;
  };

  if (FSpanningMode == smNone) {
    if (FCompressedStream == nullptr) ReopenFileStream(FFileName);
    record();
    return;
  }

  if (FileOpenMode == fmCreate) {
    if (FSpanningMode == smSplitting && fNewVolumes.Empty()) {
      // A new set, made by one process at a time: a second maker waits for
      // the first as a second writer of an archive does, then refuses. A
      // move-in a killed process left is finished first, then what killed
      // writers left beside the archive goes.
      if (!fNewVolumes.Start(FFileName, true, FLockWait)) throw EZAException(71, {FFileName}, this);
    }
    FreeArchiveStream();
    const Int64 required = FSpanningOptions.GetVolumeSize(volume);
    String name;
    for (Int32 ask = 0;; ++ask) {
      if (ask >= ZAMaxVolumeRequests) throw EZAException(45, this);
      name = FFileName;
      bool cancel = false;
      DoOnRequestBlankVolume(volume.FVolumeNumber, name, cancel);
      if (cancel) throw EZAException(45, this);
      const Int64 free = GetFreeDriveSpace(name);
      if (free > kMinVolumeFree && (required < 1 || FSpanningMode != smSpanning || required <= free)) break;
      DoOnDiskFull(volume.FVolumeNumber, name, cancel);
      if (cancel) throw EZAException(45, this);
    }
    ReopenFileStream(name, fmCreate);
    if (FSpanningMode == smSpanning) ZASetVolumeLabel(name, ZASpannedVolumeLabel(std::max(volume.FVolumeNumber, 0)));
    record();
    return;
  }

  if (FCompressedStream != nullptr && volume.IsEqualTo(FVolumeNumberInfo)) return;
  String name;
  for (Int32 ask = 0;; ++ask) {
    if (ask >= ZAMaxVolumeRequests) throw EZAException(45, this);
    name = FFileName;
    bool cancel = true;
    if (volume.GetLastVolume())
      DoOnRequestLastVolume(name, cancel);
    else if (volume.GetFirstVolume())
      DoOnRequestFirstVolume(name, cancel);
    else
      DoOnRequestMiddleVolume(volume.FVolumeNumber, name, cancel);
    if (cancel) throw EZAException(45, this);
    if (ZAFileExists(name)) break;
  }
  ReopenFileStream(name);
  record();
}

void TZABaseArchiver::PlaceLastVolume() {
  const String lastName = MakeDefaultVolumeName(FFileName, -1, false);
  UInt64 dev = 0, ino = 0;
  bool copied = false;
  if (!fNewVolumes.Empty()) {
    // The set is whole: every volume takes its name, the last the archive's.
    fNewVolumes.RenameLast(lastName);
    fNewVolumes.LastIdentity(dev, ino);
    CloseCompressedStream();
    // Readers of the set at the names are waited for as a second maker is.
    if (!fNewVolumes.MoveIn()) throw EZAException(71, {FFileName}, this);
  } else {
    if (VolumeFileName == FFileName) return;
    // The last spanned volume takes the archive's name: the file just
    // written moves over whatever is there in one step (nothing is deleted
    // first), and only while the name it was written under still holds it.
    auto* written = dynamic_cast<THandleStream*>(FCompressedStream);
    struct stat was {};
    errno = 0;
    const bool moved = written != nullptr && ::fstat(written->Handle(), &was) == 0 &&
                       ZAMoveFileOverAs(VolumeFileName, lastName, was.st_dev, was.st_ino);
    // A last volume that a handler put on another file system cannot move
    // in one step: it is copied over the name as it always was.
    copied = !moved && errno == EXDEV;
    if (!moved && !copied) throw EFCreateError(u"Cannot create file \"" + lastName + u"\". " + SysErrorMessage(errno));
    CloseCompressedStream();
    if (copied) {
      DeleteFile(lastName);
      RenameFile(VolumeFileName, lastName);
    }
    dev = static_cast<UInt64>(was.st_dev);
    ino = static_cast<UInt64>(was.st_ino);
  }
  // Reopened under its name only when that is still the same file.
  ReopenFileStream(lastName, fmOpenReadWrite | fmShareDenyNone);
  auto* reopened = dynamic_cast<THandleStream*>(FCompressedStream);
  struct stat now {};
  if (!copied && (reopened == nullptr || ::fstat(reopened->Handle(), &now) != 0 ||
                  static_cast<UInt64>(now.st_dev) != dev || static_cast<UInt64>(now.st_ino) != ino))
    throw EFOpenError(u"Cannot open file \"" + lastName + u"\". " + SysErrorMessage(EEXIST));
}

void TZABaseArchiver::DiscardNewVolumes() {
  // A set begun but with no volume yet still holds its anchor's lock.
  if (!fNewVolumes.Empty()) FreeArchiveStream();
  fNewVolumes.Discard();
}

// ---------------------------------------------------------------------------
// Writing across volumes

Int64 TZABaseArchiver::WriteToStream(const void* buffer, Int64 count, TStream*& stream, TZAVolumeNumberInfo& volume,
                                     Int32 reserve, TStream* pending) {
  const auto* bytes = static_cast<const Byte*>(buffer);
  if (FSpanningMode == smNone) return count > 0 ? stream->Write(bytes, count) : 0;
  if (count < 0) return 0;

  Int64 written = 0;
  bool freshVolume = false;
  // Nothing to write but room to keep: the next volume is begun when the
  // reserve does not fit on this one.
  bool roomOnly = count == 0 && reserve > 0;
  while (written < count || roomOnly) {
    const Int64 pendingSize = pending != nullptr ? pending->Size() : 0;
    // The drive is asked once per volume; what was written since is taken
    // off its answer.
    if (fFreeSpaceVolume != volume.FVolumeNumber || fFreeSpaceFile != VolumeFileName) {
      fFreeSpaceVolume = volume.FVolumeNumber;
      fFreeSpaceFile = VolumeFileName;
      fFreeSpaceAsked = GetFreeDriveSpace(VolumeFileName);
      fFreeSpaceStreamSize = stream->Size();
    }
    Int64 free = fFreeSpaceAsked - (stream->Size() - fFreeSpaceStreamSize) - pendingSize;
    const Int64 limit = FSpanningOptions.GetVolumeSize(volume);
    if (limit != -1) free = std::min(free, limit - stream->Size() - pendingSize);
    if (free < 0) break;
    const Int64 rest = count - written;
    Int64 wroteNow = 0;
    if (roomOnly) {
      if (reserve <= free || freshVolume) break;
    } else if (reserve == kNoReserve || rest + reserve <= free) {
      const Int64 n = std::min(rest, free);
      if (n > 0) {
        TStream* target = pending != nullptr ? pending : stream;
        wroteNow = target->Write(bytes + written, n);
        written += wroteNow;
        if (wroteNow < n) break;  // the system refused the rest
      }
    }
    if (!roomOnly && written >= count) break;
    // Nothing fits even on a volume just begun: more volumes would not help.
    if (freshVolume && wroteNow == 0) break;
    if (pending != nullptr && pending->Size() > 0) {
      pending->Seek(0, soBeginning);
      stream->Seek(0, soEnd);
      TBytes copy(static_cast<size_t>(std::min<Int64>(kPendingCopyBuffer, pending->Size())));
      for (Int64 left = pending->Size(); left > 0;) {
        const Int64 n = std::min<Int64>(left, static_cast<Int64>(copy.size()));
        pending->ReadBuffer(copy.data(), n);
        stream->WriteBuffer(copy.data(), n);
        left -= n;
      }
      pending->SetSize(0);
    }
    if (FSpanningMode == smSpanning) {
      if (auto* file = dynamic_cast<THandleStream*>(stream)) ::fsync(file->Handle());
    }
    volume.SetVolumeNumber(volume.FVolumeNumber + 1);
    OpenVolume(volume);
    stream = FCompressedStream;
    freshVolume = true;
  }
  return written;
}

void TZABaseArchiver::WriteBufferToStream(const void* buffer, Int64 count, TStream*& stream,
                                          TZAVolumeNumberInfo& volume, Int32 reserve, TStream* pending) {
  if (WriteToStream(buffer, count, stream, volume, reserve, pending) < count) throw EZAException(46, this);
}

Int64 TZABaseArchiver::WriteToStream(TStream* source, TStream*& stream, TZAVolumeNumberInfo& volume, bool& cancel,
                                     Int64 count, Int32 reserve, TStream* pending, bool withProgress) {
  const Int64 total = count == -1 ? std::max<Int64>(source->Size() - source->Position(), 0) : count;
  if (withProgress) {
    DoOnCopyTempFileProgress(0, ppStart, cancel);
    if (cancel) return 0;
  }
  TBytes buffer(static_cast<size_t>(std::clamp<Int64>(total, 1, kCopyPiece)));
  Int64 done = 0;
  while (done < total) {
    const Int64 n = std::min<Int64>(kCopyPiece, total - done);
    source->ReadBuffer(buffer.data(), n);
    WriteBufferToStream(buffer.data(), n, stream, volume, reserve, pending);
    done += n;
    if (withProgress) {
      DoOnCopyTempFileProgress(static_cast<Double>(done) / static_cast<Double>(total) * 100.0, ppProcess, cancel);
      if (cancel) return done;
    }
  }
  if (withProgress) DoOnCopyTempFileProgress(100, ppEnd, cancel);
  return done;
}

bool TZABaseArchiver::WriteToStreamWithOnDiskFull(TStream* stream, const void* buffer, Int64 count) {
  const Int64 at = stream->Position();
  for (Int32 attempt = 0;; ++attempt) {
    errno = 0;
    if (stream->Write(buffer, count) == count) return true;
    // A failure other than a full disk is the system's to report: asking
    // for room would not mend it.
    const Int32 error = errno;
    if (error > 0 && error != ENOSPC && error != EDQUOT)
      throw EZAException(76, {FFileName, SysErrorMessage(error)}, this);
    if (attempt + 1 >= ZAMaxVolumeRequests) return false;
    bool cancel = true;
    DoOnDiskFull(-1, FFileName, cancel);
    if (cancel) {
      FProgressCancel = true;
      return false;
    }
    stream->Seek(at, soBeginning);
  }
}

// ---------------------------------------------------------------------------
// Recognising a multi-volume archive

Int64 TZABaseArchiver::EndRecordDiskNumber() {
  const Word disk = DMHandle->CentralDirEnd.diskNumber;
  if (disk != 0xFFFF) return disk;
  // A zip64 archive may keep the number in its locator, just before the record.
  TZAZipCentralDirEnd rec;
  Int64 at = -1;
  if (!DMHandle->GetCentralDirEnd(rec, at, CentralDirEndSignatureOf(isZIPFormat)) ||
      at < TZAZip64CentralDirEndLocator::Size)
    return disk;
  Byte loc[TZAZip64CentralDirEndLocator::Size];
  TStream* s = DMHandle->FCompressedStream;
  const Int64 saved = s->Position();
  s->Seek(at - TZAZip64CentralDirEndLocator::Size, soBeginning);
  const bool read = s->Read(loc, sizeof loc) == static_cast<Int64>(sizeof loc);
  s->Seek(saved, soBeginning);
  if (!read || GetLE32(loc) != Zip64CentralDirEndLocatorSignature) return disk;
  TZAZip64CentralDirEndLocator locator;
  locator.ReadFrom(loc);
  return locator.totalNumberOfDisks > 0 ? Int64(locator.totalNumberOfDisks) - 1 : 0;
}

void TZABaseArchiver::DetectSpanning(bool endRecordFound) {
  if (!endRecordFound) {
    FSpanningMode = IsRemovableDrive(FFileName) ? smSpanning : smNone;
    return;
  }
  const Int64 disk = EndRecordDiskNumber();
  if (disk == 0) {
    FSpanningMode = smNone;
    return;
  }
  const Int32 previous = static_cast<Int32>(std::min<Int64>(disk - 1, 0x7FFFFFFE));
  FSpanningMode = smSplitting;
  if (ZAFileExists(MakeDefaultVolumeName(FFileName, previous, true))) return;
  FSpanningOptions.FAdvancedNaming = !FSpanningOptions.FAdvancedNaming;
  if (ZAFileExists(MakeDefaultVolumeName(FFileName, previous, true))) return;
  FSpanningOptions.FAdvancedNaming = !FSpanningOptions.FAdvancedNaming;
  if (ZALowerCase(FFileName).find(u".exe") != String::npos)
    FSpanningMode = smNone;
  else
    FSpanningMode = smSpanning;  // the disk number is not 0 here
}

bool TZABaseArchiver::OpenLastVolumeLoop() {
  bool found = false;
  for (Int32 pass = 0; pass < ZAMaxVolumeRequests; ++pass) {
    DMHandle.reset();
    FVolumeNumberInfo.Init();
    if (!ZAFileExists(FFileName) && IsRemovableDrive(FFileName)) FSpanningMode = smSpanning;
    TZAVolumeNumberInfo last;
    last.SetLastVolume(true);
    OpenVolume(last);
    DMHandle = std::make_unique<TZADirManager>(FCompressedStream, false, this);
    found = DMHandle->HasCentralDirEnd();
    DetectSpanning(found);
    if (found || FSpanningMode == smNone) break;
  }
  return found;
}

namespace {

// Holds OpenCorruptedArchives false while the end record is searched for.
class TCorruptedArchivesOff {
 public:
  explicit TCorruptedArchivesOff(bool& flag) : fFlag(flag), fSaved(flag) { flag = false; }
  ~TCorruptedArchivesOff() { fFlag = fSaved; }
  TCorruptedArchivesOff(const TCorruptedArchivesOff&) = delete;
  TCorruptedArchivesOff& operator=(const TCorruptedArchivesOff&) = delete;

 private:
  bool& fFlag;
  bool fSaved;
};

}  // namespace

bool TZABaseArchiver::OpenPlainArchive() {
  TCorruptedArchivesOff off(FOpenCorruptedArchives);
  // A split set whose new volumes a killed process was moving in is made whole.
  TZANewFileSet::Recover(FFileName);
  return OpenLastVolumeLoop();
}

bool TZABaseArchiver::OpenSFXArchive() {
  TCorruptedArchivesOff off(FOpenCorruptedArchives);
  TZANewFileSet::Recover(FFileName);
  TZAVolumeNumberInfo last;
  last.SetLastVolume(true);
  OpenVolume(last);
  DMHandle = std::make_unique<TZADirManager>(FCompressedStream, false, this);
  if (DMHandle->HasCentralDirEnd()) {
    DetectSpanning(true);
    return true;
  }
  // A split self-extracting archive keeps its directory in the last volume
  // beside the stub program.
  FSpanningMode = smSplitting;
  if (ZAFileExists(MakeDefaultVolumeName(FFileName, -1, false))) {
    FVolumeNumberInfo.Init();
    OpenVolume(last);
  }
  FSpanningMode = smNone;
  return OpenLastVolumeLoop();
}

}  // namespace sk
