#include "platform/runtime/ZipReader.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <grp.h>
#include <pwd.h>
#include <sys/xattr.h>
#include <unicode/utf16.h>
#include <zip.h>
#include <zlib.h>

#include "platform/runtime/CodePages.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileSeam.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/OSError.h"
#include "platform/runtime/ResourceStrings.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <ctime>
#include <limits>
#include <string>
#include <utility>

namespace sk {

constinit const TResStringRec _SKZipJournalDamaged{
    60452,
    u"Cannot open zip file \"%s\": the journal of an update of it is damaged, so the archive may be damaged too "
    u"and need repair",
    "_SKZipJournalDamaged"};
constinit const TResStringRec _SKZipArchiveDamaged{60457, u"The archive is damaged", "_SKZipArchiveDamaged"};
constinit const TResStringRec _SKZipChangedByAnotherProcess{
    60455, u"Cannot read %s: the archive was changed by another process", "_SKZipChangedByAnotherProcess"};
constinit const TResStringRec _SKZipBeingChangedByAnotherProcess{
    60456, u"Cannot read %s: the archive is being changed by another process", "_SKZipBeingChangedByAnotherProcess"};
constinit const TResStringRec _SKZipWriteBeingChanged{
    60462, u"Cannot write zip file \"%s\": the archive is being changed by another process",
    "_SKZipWriteBeingChanged"};
constinit const TResStringRec _SKZipWriteBeingRead{
    60464, u"Cannot write zip file \"%s\": the archive is being read by another process", "_SKZipWriteBeingRead"};
constinit const TResStringRec _SKZipWriteHardLinked{
    60465,
    u"Cannot write zip file \"%s\": the archive has more than one name (hard links), and writing it anew would part "
    u"them; it is left as it is",
    "_SKZipWriteHardLinked"};
constinit const TResStringRec _SKZipWriteChanged{
    60463, u"Cannot write zip file \"%s\": the archive was changed by another process since it was opened",
    "_SKZipWriteChanged"};

namespace {

// How far a member's data can grow when it is inflated, by method; a member
// claiming more is damaged or hostile, and is refused before anything is
// inflated.  Stored data does not grow; deflate cannot pass about 1032 to 1;
// a bzip2 block of a few dozen bytes holds up to 45,900,000 bytes (900,000
// bytes of runs kept 5 for 255), so that method reaches past 1,000,000 to 1.
// LZMA, XZ, zstd and Deflate64 reach tens of thousands to 1.  Methods this
// reader cannot inflate are refused when read; the deflate bound stands for
// them.
UInt64 MaxRatio(Word method) {
  switch (method) {
    case ZIP_CM_STORE: return 1;
    case ZIP_CM_BZIP2: return 2'000'000;
    case ZIP_CM_DEFLATE64:
    case 93: return 40'000;  // zstd
    case ZIP_CM_LZMA:
    case ZIP_CM_XZ: return 20'000;
    default: return 1100;
  }
}
constexpr UInt64 kRatioSlack = 1 << 16;
// First piece read from a member; later pieces double what has been read.
constexpr size_t kReadPiece = 1 << 20;

zip_t* Z(void* p) { return static_cast<zip_t*>(p); }

[[noreturn]] void Fail(const String& msg) { throw EZipException(msg); }

[[noreturn]] void FailChanged(const String& where) {
  Fail(Format(LoadResString(&_SKZipChangedByAnotherProcess), {where}));
}

[[noreturn]] void FailBeingChanged(const String& where) {
  Fail(Format(LoadResString(&_SKZipBeingChangedByAnotherProcess), {where}));
}

// A read-only archive on a descriptor of the file; the descriptor stays the
// caller's (the archive reads through a copy of it, which it closes).
zip_t* OpenOnDescriptor(int fd, int& err) {
  const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) {
    err = ZIP_ER_OPEN;
    return nullptr;
  }
  zip_t* za = zip_fdopen(copy, 0, &err);
  if (za == nullptr) ::close(copy);
  return za;
}

// Whether a member is what it was: the same data, by what the directory
// says of it.
bool SameMember(const zip_stat_t& a, const zip_stat_t& b) {
  constexpr zip_uint64_t kNeeded = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD;
  return (a.valid & kNeeded) == kNeeded && (b.valid & kNeeded) == kNeeded && a.size == b.size &&
         a.comp_size == b.comp_size && a.crc == b.crc && a.comp_method == b.comp_method &&
         ((a.valid & b.valid & ZIP_STAT_ENCRYPTION_METHOD) == 0 || a.encryption_method == b.encryption_method);
}

String ErrorText(zip_error_t* err) { return Utf8ToString(std::string(zip_error_strerror(err))); }

String ArchiveErrorText(zip_t* za) { return ErrorText(zip_get_error(za)); }

String OpenErrorText(int code) {
  zip_error_t err;
  zip_error_init_with_code(&err, code);
  String r = ErrorText(&err);
  zip_error_fini(&err);
  return r;
}

TDateTime LocalDateTime(time_t t) {
  struct tm tm {};
  if (::localtime_r(&t, &tm) == nullptr) return 0;
  // days from 1899-12-30 (civil-from-days inverse, proleptic Gregorian)
  Int64 y = tm.tm_year + 1900LL;
  unsigned m = static_cast<unsigned>(tm.tm_mon + 1), d = static_cast<unsigned>(tm.tm_mday);
  auto daysFromCivil = [](Int64 yy, unsigned mm, unsigned dd) {
    yy -= mm <= 2;
    const Int64 era = (yy >= 0 ? yy : yy - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(yy - era * 400);
    const unsigned doy = (153 * (mm + (mm > 2 ? -3 : 9)) + 2) / 5 + dd - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<Int64>(doe) - 719468;
  };
  Int64 days = daysFromCivil(y, m, d) - daysFromCivil(1899, 12, 30);
  double frac = (tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec) / 86400.0;
  return days >= 0 ? static_cast<double>(days) + frac : static_cast<double>(days) - frac;
}

}  // namespace

void TZipInflateBudget::Spend(size_t bytes) {
  fSpent += static_cast<Int64>(bytes);
  const TZipInflateBounds& b = zip_InflateBounds;
  if (fSpent > b.TotalBytes) Fail(u"The archive inflates to more than may be read from one file");
  if (fSpent > b.FreeBytes && fSpent / b.Ratio > fArchiveSize)
    Fail(u"The archive inflates out of proportion to its size");
}

TZipFile::TZipFile() = default;

TZipFile::~TZipFile() {
  // A destructor must not throw: what can be committed is, the rest dropped.
  try {
    Close();
  } catch (...) {
  }
}

namespace {

// An archive with its complete journal beside it is being updated by the
// zip engine, or its update was cut short: its bytes may be half-written
// until the engine puts it back. Beside its damaged journal it may stay
// torn. What is not the archive's journal, by the engine's rules, is no
// reason to refuse it.
void RefuseBesideJournal(TZipJournalState journal, const String& fileName) {
  if (journal == zjsComplete)
    Fail(u"Cannot open zip file \"" + fileName +
         u"\": it is being updated, or an update of it was cut short and must be rolled back by the archiver");
  if (journal == zjsDamaged) Fail(Format(LoadResString(_SKZipJournalDamaged), {fileName}));
}

// Raises the failure to open an archive. The library answers "no such file"
// also for an entry whose record leaves its sizes to a zip64 block that is
// not there: when the file is there, it is the archive that is damaged.
[[noreturn]] void FailOpen(const String& fileName, const std::string& path, int err) {
  String reason = path.empty() ? String(u"No file name") : OpenErrorText(err);
  struct stat st;
  if ((err == ZIP_ER_NOENT || err == ZIP_ER_INCONS) && ::stat(path.c_str(), &st) == 0)
    reason = LoadResString(_SKZipArchiveDamaged);
  Fail(u"Cannot open zip file \"" + fileName + u"\": " + reason);
}

}  // namespace

// A write session's hold on its archive: the folder (every step on the
// archive's name goes through it, so that it cannot be swapped for another
// folder), the archive's name there, the archive file as it was opened
// (its descriptor carries the exclusive lock; -1 for a new archive), and the
// file the new archive is written to. libzip reads the one and writes the
// other through WriteSessionSource; Close puts the new one in place.
struct TZipWriteSession {
  int DirFd = -1;
  std::string Base;
  int Fd = -1;
  TZipFileStamp Opened;
  Int64 ReadAt = 0;
  int OutFd = -1;
  std::string OutName;  // the new file's name in the folder, once it has one
  Int64 WriteAt = 0;
  Int64 WriteEnd = 0;
  bool Written = false;  // the new archive is whole
  bool Emptied = false;  // no member is left: the archive file goes
  zip_error_t Error;

  TZipWriteSession() { zip_error_init(&Error); }
  ~TZipWriteSession() {
    DiscardOutput();
    if (Fd >= 0) ::close(Fd);  // the lock goes with it
    if (DirFd >= 0) ::close(DirFd);
    zip_error_fini(&Error);
  }
  TZipWriteSession(const TZipWriteSession&) = delete;
  TZipWriteSession& operator=(const TZipWriteSession&) = delete;

  void DiscardOutput() {
    if (!OutName.empty()) {
      // Only the file written here goes, whatever took its name since.
      struct stat named {}, out {};
      if (::fstatat(DirFd, OutName.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && ::fstat(OutFd, &out) == 0 &&
          named.st_dev == out.st_dev && named.st_ino == out.st_ino)
        ::unlinkat(DirFd, OutName.c_str(), 0);
      OutName.clear();
    }
    if (OutFd >= 0) ::close(OutFd);
    OutFd = -1;
    Written = false;
  }
};

namespace {

[[noreturn]] void FailWriteBeingChanged(const String& fileName) {
  Fail(Format(LoadResString(&_SKZipWriteBeingChanged), {fileName}));
}

// The wait for the exclusive lock of the archive open as fd ran out.
[[noreturn]] void FailWriteLocked(const String& fileName, int fd) {
  if (fd >= 0 && ZipLockHeldOnlyForReading(fd)) Fail(Format(LoadResString(&_SKZipWriteBeingRead), {fileName}));
  FailWriteBeingChanged(fileName);
}

[[noreturn]] void FailWriteHardLinked(const String& fileName) {
  Fail(Format(LoadResString(&_SKZipWriteHardLinked), {fileName}));
}

[[noreturn]] void FailWriteChanged(const String& fileName) {
  Fail(Format(LoadResString(&_SKZipWriteChanged), {fileName}));
}

[[noreturn]] void FailWrite(const String& fileName, Int32 error) {
  Fail(u"Cannot write zip file \"" + fileName + u"\": " + SysErrorMessage(error != 0 ? error : EIO));
}

// The file for the new archive, in the archive's folder: unnamed where the
// file system allows, else under a hidden temporary name; locked while it
// is written (as the library's temporary files are), so that one a killed
// process left is told from one being written. Owner-only over an existing
// archive until it is given the archive's likeness.
bool CreateOutput(TZipWriteSession& s) {
  const mode_t mode = s.Fd >= 0 ? 0600 : 0666;
  s.OutFd = ::openat(s.DirFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
  if (s.OutFd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    for (int attempt = 0; attempt < 100 && s.OutFd < 0; ++attempt) {
      const std::string name = MarkedTemporarySiblingName(s.Base);
      s.OutFd = ::openat(s.DirFd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
      if (s.OutFd >= 0) s.OutName = name;
      else if (errno != EEXIST) break;
    }
  }
  if (s.OutFd < 0) return false;
  ::flock(s.OutFd, LOCK_EX | LOCK_NB);
  s.WriteAt = s.WriteEnd = 0;
  return true;
}

// Gives the unnamed new file a name in the session's folder; false (errno
// EEXIST when the name is taken) otherwise.
bool LinkOutput(const TZipWriteSession& s, const std::string& name) {
  char procPath[64];
  std::snprintf(procPath, sizeof procPath, "/proc/self/fd/%d", s.OutFd);
  if (::linkat(AT_FDCWD, procPath, s.DirFd, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  if (errno == EEXIST) return false;
  return ::linkat(s.OutFd, "", s.DirFd, name.c_str(), AT_EMPTY_PATH) == 0;
}

// libzip's view of a write session: reads come from the locked archive
// file, writes go to the new file, and the commit only marks the new file
// whole (Close puts it in place, under the lock).
zip_int64_t WriteSessionSource(void* state, void* data, zip_uint64_t length, zip_source_cmd_t cmd) {
  TZipWriteSession& s = *static_cast<TZipWriteSession*>(state);
  const auto failed = [&s](int zipError, int systemError) -> zip_int64_t {
    zip_error_set(&s.Error, zipError, systemError);
    return -1;
  };
  switch (cmd) {
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(
          ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
          ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_SUPPORTS, ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_WRITE,
          ZIP_SOURCE_COMMIT_WRITE, ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_SEEK_WRITE, ZIP_SOURCE_TELL_WRITE,
          ZIP_SOURCE_REMOVE, -1);
    case ZIP_SOURCE_STAT: {
      auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &s.Error);
      if (st == nullptr) return -1;
      // No file: libzip makes a new archive.
      if (s.Fd < 0) return failed(ZIP_ER_READ, ENOENT);
      struct stat file {};
      if (::fstat(s.Fd, &file) != 0) return failed(ZIP_ER_READ, errno);
      zip_stat_init(st);
      st->size = static_cast<zip_uint64_t>(file.st_size);
      st->mtime = file.st_mtime;
      st->valid |= ZIP_STAT_SIZE | ZIP_STAT_MTIME;
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_OPEN:
      s.ReadAt = 0;
      return s.Fd >= 0 ? 0 : failed(ZIP_ER_OPEN, ENOENT);
    case ZIP_SOURCE_READ:
      for (;;) {
        const ssize_t n = ::pread(s.Fd, data, static_cast<size_t>(length), static_cast<off_t>(s.ReadAt));
        if (n >= 0) {
          s.ReadAt += n;
          return n;
        }
        if (errno != EINTR) return failed(ZIP_ER_READ, errno);
      }
    case ZIP_SOURCE_SEEK: {
      struct stat file {};
      if (::fstat(s.Fd, &file) != 0) return failed(ZIP_ER_SEEK, errno);
      const zip_int64_t at = zip_source_seek_compute_offset(static_cast<zip_uint64_t>(s.ReadAt),
                                                            static_cast<zip_uint64_t>(file.st_size), data, length,
                                                            &s.Error);
      if (at < 0) return -1;
      s.ReadAt = at;
      return 0;
    }
    case ZIP_SOURCE_TELL: return s.ReadAt;
    case ZIP_SOURCE_CLOSE: return 0;
    case ZIP_SOURCE_BEGIN_WRITE:
      s.DiscardOutput();
      return CreateOutput(s) ? 0 : failed(ZIP_ER_TMPOPEN, errno);
    case ZIP_SOURCE_WRITE: {
      const char* from = static_cast<const char*>(data);
      for (zip_uint64_t done = 0; done < length;) {
        const ssize_t n = ::pwrite(s.OutFd, from + done, static_cast<size_t>(length - done),
                                   static_cast<off_t>(s.WriteAt + static_cast<Int64>(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return failed(ZIP_ER_WRITE, n < 0 ? errno : EIO);
        done += static_cast<zip_uint64_t>(n);
      }
      s.WriteAt += static_cast<Int64>(length);
      s.WriteEnd = std::max(s.WriteEnd, s.WriteAt);
      return static_cast<zip_int64_t>(length);
    }
    case ZIP_SOURCE_SEEK_WRITE: {
      const zip_int64_t at = zip_source_seek_compute_offset(
          static_cast<zip_uint64_t>(s.WriteAt), static_cast<zip_uint64_t>(s.WriteEnd), data, length, &s.Error);
      if (at < 0) return -1;
      s.WriteAt = at;
      return 0;
    }
    case ZIP_SOURCE_TELL_WRITE: return s.WriteAt;
    case ZIP_SOURCE_COMMIT_WRITE: s.Written = true; return 0;
    case ZIP_SOURCE_ROLLBACK_WRITE: s.DiscardOutput(); return 0;
    case ZIP_SOURCE_REMOVE: s.Emptied = true; return 0;
    case ZIP_SOURCE_ERROR: return zip_error_to_data(&s.Error, data, length);
    case ZIP_SOURCE_FREE: return 0;  // the session is the TZipFile's
    default: return failed(ZIP_ER_OPNOTSUPP, 0);
  }
}

// Whether the archive file of the session is still the file at its name, as
// it was opened (its lock kept every other writer out; a file system
// without locks leaves the status to tell).
bool StillOpened(const TZipWriteSession& s) {
  struct stat named {};
  TZipFileStamp now;
  return ::fstatat(s.DirFd, s.Base.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         static_cast<UInt64>(named.st_dev) == s.Opened.Device && static_cast<UInt64>(named.st_ino) == s.Opened.Inode &&
         ZipTakeFileStamp(s.Fd, now) && ZipSameFileState(now, s.Opened);
}

// Puts what libzip wrote in place: over the archive file the session opened,
// once its name is found to still hold it, or (a new archive) at a name
// still free; removes the archive file when no member is left. Raises,
// changing nothing, when another process changed the archive or took the
// name.
void CommitWriteSession(TZipWriteSession& s, const String& fileName) {
  // A name given to the file since it was opened: the new archive would
  // part from it (the state check below would see the change as well).
  struct stat held {};
  if (s.Fd >= 0 && (s.Written || s.Emptied) && ::fstat(s.Fd, &held) == 0 && held.st_nlink > 1)
    FailWriteHardLinked(fileName);
  if (s.Emptied && !s.Written) {
    if (s.Fd < 0) return;
    if (!StillOpened(s)) FailWriteChanged(fileName);
    if (::unlinkat(s.DirFd, s.Base.c_str(), 0) != 0) FailWrite(fileName, errno);
    if (!FlushFileHandle(s.DirFd)) FailWrite(fileName, errno);
    return;
  }
  if (!s.Written) return;
  // The archive's owner, group, permissions and attributes, where the
  // process may give them; the new file on the disk before it takes the name.
  if (s.Fd >= 0) {
    if (const Int32 refused = GiveLikenessOf(s.Fd, s.OutFd, true); refused != 0) FailWrite(fileName, refused);
  }
  if (!FlushFileHandle(s.OutFd)) FailWrite(fileName, errno);
  if (s.Fd < 0) {
    // A new archive: a file that appeared at the name meanwhile is another
    // process's, and stays.
    const bool named = s.OutName.empty() ? LinkOutput(s, s.Base)
                                         : ::linkat(s.DirFd, s.OutName.c_str(), s.DirFd, s.Base.c_str(), 0) == 0;
    if (!named) {
      if (errno == EEXIST) FailWriteChanged(fileName);
      FailWrite(fileName, errno);
    }
    s.DiscardOutput();
  } else {
    for (int attempt = 0; attempt < 100 && s.OutName.empty(); ++attempt) {
      const std::string name = MarkedTemporarySiblingName(s.Base);
      if (LinkOutput(s, name)) s.OutName = name;
      else if (errno != EEXIST) break;
    }
    if (s.OutName.empty()) FailWrite(fileName, errno);
    if (!StillOpened(s)) FailWriteChanged(fileName);
    if (::renameat(s.DirFd, s.OutName.c_str(), s.DirFd, s.Base.c_str()) != 0) FailWrite(fileName, errno);
    s.OutName.clear();
  }
  s.Written = false;
  // Until the folder's entry is on the disk a power loss may bring the old
  // archive back: a write not known to last fails.
  if (!FlushFileHandle(s.DirFd)) FailWrite(fileName, errno);
}

// The folder and name of the file that path reaches, links resolved where
// it exists (the file a link points to is the archive written).
void SplitArchivePath(const std::string& path, std::string& folder, std::string& base) {
  std::string full = path;
  if (char* resolved = ::realpath(path.c_str(), nullptr)) {
    full = resolved;
    std::free(resolved);
  }
  const size_t slash = full.rfind('/');
  folder = slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : full.substr(0, slash);
  base = slash == std::string::npos ? full : full.substr(slash + 1);
}

}  // namespace

void TZipFile::OpenForWriting(const String& fileName, const std::string& path, TZipMode mode) {
  auto session = std::make_unique<TZipWriteSession>();
  std::string folder;
  SplitArchivePath(path, folder, session->Base);
  const String cannotOpen = u"Cannot open zip file \"" + fileName + u"\": ";
  if (session->Base.empty() || session->Base == "." || session->Base == "..")
    Fail(cannotOpen + SysErrorMessage(EISDIR));
  session->DirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (session->DirFd < 0) Fail(cannotOpen + SysErrorMessage(errno));
  // The file at the name, under its exclusive lock. Another process may put
  // a new file in its place (a commit that replaces the whole archive) while
  // this one waits: the file at the name is waited for in turn, for as long
  // as the wait allows, as the engine's writers do.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max<Int32>(LockWait, 0));
  for (;;) {
    session->Fd = ::openat(session->DirFd, session->Base.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (session->Fd < 0) {
      if (errno == ENOENT) break;  // a new archive
      Fail(cannotOpen + SysErrorMessage(errno));
    }
    struct stat held {};
    if (::fstat(session->Fd, &held) != 0) Fail(cannotOpen + SysErrorMessage(errno));
    if (!S_ISREG(held.st_mode)) Fail(cannotOpen + OpenErrorText(ZIP_ER_NOZIP));
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (!LockFileHandle(session->Fd, true, static_cast<Int32>(std::max<Int64>(left, 0)))) {
      const Int32 error = errno;
      if (error == EWOULDBLOCK) FailWriteLocked(fileName, session->Fd);
      // A file system without locks: the session goes on, and Close goes by
      // the file's status.
      if (error != ENOLCK && error != EOPNOTSUPP) Fail(cannotOpen + SysErrorMessage(error));
    }
    struct stat named {};
    if (::fstatat(session->DirFd, session->Base.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == held.st_dev && named.st_ino == held.st_ino)
      break;
    ::close(session->Fd);  // and its lock
    session->Fd = -1;
    if (std::chrono::steady_clock::now() >= deadline) FailWriteBeingChanged(fileName);
  }
  if (session->Fd >= 0) {
    // Every name of the file sees one archive only while it is changed in
    // place, which a session never does: it writes the archive anew.
    struct stat held {};
    if (::fstat(session->Fd, &held) != 0) Fail(cannotOpen + SysErrorMessage(errno));
    if (held.st_nlink > 1) FailWriteHardLinked(fileName);
    if (!ZipTakeFileStamp(session->Fd, session->Opened)) Fail(cannotOpen + SysErrorMessage(errno));
    // Members are added to the archive as it is, not as a cut-short update
    // left it.
    if (mode == zmReadWrite)
      RefuseBesideJournal(ZipJournalStateOf(session->Fd, (folder == "/" ? "" : folder) + "/" + session->Base),
                          fileName);
  }
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_function_create(WriteSessionSource, session.get(), &error);
  zip_t* za = source == nullptr
                  ? nullptr
                  : zip_open_from_source(source, mode == zmWrite ? ZIP_CREATE | ZIP_TRUNCATE : ZIP_CREATE, &error);
  const int code = zip_error_code_zip(&error);
  zip_error_fini(&error);
  if (za == nullptr) {
    if (source != nullptr) zip_source_free(source);
    FailOpen(fileName, path, code);
  }
  fArchive = za;
  fMode = mode;
  fFileName = fileName;
  fArchiveSize = session->Fd >= 0 ? session->Opened.Size : 0;
  fSession = std::move(session);
}

void TZipFile::Open(const String& fileName, TZipMode mode) {
  Close();
  if (mode == zmClosed) return;
  const std::string path = StringToSystemName(fileName);
  if (mode == zmRead && !path.empty() && OpenForReading(fileName, path)) return;
  if ((mode == zmReadWrite || mode == zmWrite) && !path.empty()) {
    OpenForWriting(fileName, path, mode);
    return;
  }
  int flags = 0;
  switch (mode) {
    case zmRead: flags = ZIP_RDONLY; break;
    case zmReadWrite: flags = ZIP_CREATE; break;
    case zmWrite: flags = ZIP_CREATE | ZIP_TRUNCATE; break;
    default: break;
  }
  // An archive with its complete journal beside it is being updated by the
  // zip engine, or its update was cut short: its bytes may be half-written
  // until the engine puts it back. Beside its damaged journal it may stay
  // torn. What is not the archive's journal, by the engine's rules, is no
  // reason to refuse it.
  if (mode != zmWrite && !path.empty()) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
      const TZipJournalState journal = ZipJournalStateOf(fd, path);
      ::close(fd);
      RefuseBesideJournal(journal, fileName);
    }
  }
  int err = 0;
  zip_t* za = path.empty() ? nullptr : zip_open(path.c_str(), flags, &err);
  if (za == nullptr) FailOpen(fileName, path, err);
  fArchive = za;
  fMode = mode;
  fFileName = fileName;
  struct stat st;
  fArchiveSize = ::stat(path.c_str(), &st) == 0 ? static_cast<Int64>(st.st_size) : 0;
}

bool TZipFile::OpenForReading(const String& fileName, const std::string& path) {
  // Never a pipe waited on: a name that reaches no regular file takes the
  // plain road, which reports it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  fFd = fd;
  char* resolved = ::realpath(path.c_str(), nullptr);
  fPath = resolved != nullptr ? std::string(resolved) : path;
  std::free(resolved);
  const String where = u"zip file \"" + fileName + u"\"";
  try {
    const bool locked = LockForRead(where);
    struct Unlock {
      int fd;
      bool on;
      ~Unlock() {
        if (on) UnlockFileHandle(fd);
      }
    } unlock{fd, locked};
    RefuseBesideJournal(ZipJournalStateOf(fd, fPath), fileName);
    int err = 0;
    zip_t* za = OpenOnDescriptor(fd, err);
    if (za == nullptr) FailOpen(fileName, path, err);
    fArchive = za;
    fSeen.Remember(fd, -1);
    // A status that a write in the same tick could leave unchanged would
    // have every read take the directory anew until the clock moves on.
    if (locked) fSeen.WaitOutTick(fd);
  } catch (...) {
    ReleaseReading();
    throw;
  }
  fMode = zmRead;
  fFileName = fileName;
  fArchiveSize = fSeen.Remembered() ? fSeen.Stamp().Size : static_cast<Int64>(st.st_size);
  return true;
}

bool TZipFile::LockForRead(const String& where) {
  if (LockWait <= 0) return false;
  if (LockFileHandle(fFd, false, LockWait)) return true;
  if (errno == EWOULDBLOCK) FailBeingChanged(where);
  // A file system without locks: the read goes on, as the engine's does.
  return false;
}

void TZipFile::ReleaseReading() {
  if (fCurrent != nullptr) zip_discard(Z(fCurrent));
  fCurrent = nullptr;
  fHalfWritten = false;
  if (fFd >= 0) ::close(fFd);
  fFd = -1;
  fPath.clear();
  fSeen.Forget();
}

void TZipFile::Refresh(const String& where, bool locked) {
  if (fFd < 0) return;
  // A file that took the archive's name (an update that made the archive
  // anew) is the one read from now on, under its own lock.
  bool followed = false;
  for (Int32 attempt = 0;; ++attempt) {
    struct stat named {};
    if (::stat(fPath.c_str(), &named) != 0 || (static_cast<UInt64>(named.st_dev) == fSeen.Stamp().Device &&
                                                static_cast<UInt64>(named.st_ino) == fSeen.Stamp().Inode))
      break;
    if (attempt >= 3) FailChanged(where);
    const int fd = ::open(fPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) FailChanged(where);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      FailChanged(where);
    }
    if (!LockFileHandle(fd, false, LockWait) && errno == EWOULDBLOCK) {
      ::close(fd);
      FailBeingChanged(where);
    }
    // Closing the old descriptor lets its lock go.
    ::close(fFd);
    fFd = fd;
    fSeen.Remember(fd, -1);
    followed = true;
  }
  if (!followed && !fSeen.Changed(fFd)) return;
  // Changed. An update under way or cut short has left a complete journal
  // that puts back the archive as it was before: a member is read as it was
  // listed, where its bytes are still whole (checked against its CRC), and
  // is otherwise the other process's, until the file changes again.
  fHalfWritten = ZipJournalComplete(fFd, fPath);
  if (fHalfWritten) {
    fSeen.Remember(fFd, -1);
    if (locked) fSeen.WaitOutTick(fFd);
    return;
  }
  // Otherwise the directory is read as the file holds it now.
  int err = 0;
  zip_t* za = OpenOnDescriptor(fFd, err);
  if (za == nullptr) FailChanged(where);
  if (fCurrent != nullptr) zip_discard(Z(fCurrent));
  fCurrent = za;
  fSeen.Remember(fFd, -1);
  if (locked) fSeen.WaitOutTick(fFd);
}

void* TZipFile::ReadArchive(Int32 index, const String& where, UInt64& at) {
  at = static_cast<UInt64>(index);
  if (fCurrent == nullptr || fHalfWritten) return fArchive;
  // The member of that name in the file as it is now, when it is still the
  // member that was listed.
  zip_t* listed = Z(fArchive);
  zip_t* now = Z(fCurrent);
  const char* name = zip_get_name(listed, at, ZIP_FL_ENC_RAW);
  if (name == nullptr) FailChanged(where);
  const zip_int64_t found = zip_name_locate(now, name, ZIP_FL_ENC_RAW);
  if (found < 0) FailChanged(where);
  zip_stat_t was, is;
  zip_stat_init(&was);
  zip_stat_init(&is);
  if (zip_stat_index(listed, at, 0, &was) != 0 || zip_stat_index(now, static_cast<zip_uint64_t>(found), 0, &is) != 0 ||
      !SameMember(was, is))
    FailChanged(where);
  at = static_cast<UInt64>(found);
  return fCurrent;
}

void TZipFile::Close() {
  // A write session's lock and new file go when this ends, after the archive
  // that reads and writes through them.
  const std::unique_ptr<TZipWriteSession> session = std::move(fSession);
  if (fArchive == nullptr) {
    fMode = zmClosed;
    ReleaseReading();
    return;
  }
  zip_t* za = Z(fArchive);
  fArchive = nullptr;
  fMode = zmClosed;
  ReleaseReading();
  if (zip_close(za) != 0) {
    String reason = ArchiveErrorText(za);
    zip_discard(za);
    Fail(u"Cannot write zip file \"" + fFileName + u"\": " + reason);
  }
  if (session != nullptr) CommitWriteSession(*session, fFileName);
}

void TZipFile::CheckOpen() const {
  if (fArchive == nullptr) Fail(u"Zip file is not open");
}

void TZipFile::CheckIndex(Int32 index) const {
  CheckOpen();
  if (index < 0 || index >= FileCount())
    Fail(u"Index " + Utf8ToString(std::to_string(index)) + u" out of range of zip archive");
}

void TZipFile::CheckWritable() const {
  CheckOpen();
  if (fMode != zmWrite && fMode != zmReadWrite) Fail(u"Zip file is not open for writing");
}

Int32 TZipFile::FileCount() const {
  if (fArchive == nullptr) return 0;
  zip_int64_t n = zip_get_num_entries(Z(fArchive), 0);
  if (n < 0) return 0;
  return n > std::numeric_limits<Int32>::max() ? std::numeric_limits<Int32>::max() : static_cast<Int32>(n);
}

String TZipFile::EntryName(Int32 index, bool& found) const {
  // The stored bytes, read as the library's zip engine reads them, so that a
  // name listed here finds the same member there and the other way round:
  // UTF-8 when the bytes are UTF-8; otherwise by the host that wrote them:
  // an MS-DOS host's OEM text, the bytes a system gave as its own name (each
  // kept as U+DC00 + byte, the form names from the system take here) when
  // written by the engine's own host (11, which stores such names so), and
  // the ANSI code page's text from any other host.
  const zip_uint64_t i = static_cast<zip_uint64_t>(index);
  const char* raw = zip_get_name(Z(fArchive), i, ZIP_FL_ENC_RAW);
  found = raw != nullptr;
  if (raw == nullptr) return String();
  const size_t n = std::strlen(raw);
  bool valid = true;
  String name;
  Utf8ToStringInto(name, raw, n, &valid);
  const bool backslash = std::memchr(raw, '\\', n) != nullptr;
  if (valid && !backslash) return name;
  zip_uint8_t host = ZIP_OPSYS_DOS;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(Z(fArchive), i, 0, &host, &attributes) != 0) host = ZIP_OPSYS_DOS;
  if (!valid) {
    if (host == ZIP_OPSYS_DOS)
      name = CodePageToUnicode(437, raw, n);
    else if (host == kEngineHost)
      name = SystemNameToString(raw, n);
    else
      name = CodePageToUnicode(CP_ACP, raw, n);
  }
  // A backslash separates folders only in names from the hosts whose names
  // use it so (MS-DOS, OS/2 HPFS, Windows NTFS, VFAT); from any other, the
  // engine's own and Unix among them, it is part of the name, as the engine
  // reads it.
  const bool separates = host == ZIP_OPSYS_DOS || host == ZIP_OPSYS_OS_2 || host == ZIP_OPSYS_WINDOWS_NTFS ||
                         host == ZIP_OPSYS_VFAT;
  return separates ? name : WithNameBackslashes(std::move(name));
}

String TZipFile::FileName(Int32 index) const {
  CheckIndex(index);
  bool found = false;
  String name = EntryName(index, found);
  if (!found) Fail(u"Cannot read the name of entry " + Utf8ToString(std::to_string(index)) + u": " + ArchiveErrorText(Z(fArchive)));
  return name;
}

std::vector<String> TZipFile::FileNames() const {
  std::vector<String> r;
  const Int32 n = FileCount();
  r.reserve(static_cast<size_t>(n));
  for (Int32 i = 0; i < n; ++i) {
    // An entry deleted in this session has no name; list it as empty so that
    // positions in the list stay the entries' indexes.
    bool found = false;
    r.push_back(EntryName(i, found));
  }
  return r;
}

Int32 TZipFile::IndexOf(const String& name) const {
  if (fArchive == nullptr) return -1;
  const Int32 n = FileCount();
  for (Int32 i = 0; i < n; ++i) {
    bool found = false;
    if (EntryName(i, found) == name && found) return i;
  }
  return -1;
}

Int32 TZipFile::GetFileIndex(const String& name) const {
  CheckOpen();
  Int32 i = IndexOf(name);
  if (i < 0) Fail(u"File \"" + name + u"\" not found in zip archive");
  return i;
}

TZipHeader TZipFile::FileInfo(Int32 index) const {
  CheckIndex(index);
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(Z(fArchive), static_cast<zip_uint64_t>(index), ZIP_FL_ENC_GUESS, &st) != 0)
    Fail(u"Cannot read entry " + Utf8ToString(std::to_string(index)) + u": " + ArchiveErrorText(Z(fArchive)));
  TZipHeader h;
  if (st.valid & ZIP_STAT_NAME) {
    bool found = false;
    h.FileName = EntryName(index, found);
  }
  if (st.valid & ZIP_STAT_COMP_SIZE) h.CompressedSize = static_cast<Int64>(st.comp_size);
  if (st.valid & ZIP_STAT_SIZE) h.UncompressedSize = static_cast<Int64>(st.size);
  if (st.valid & ZIP_STAT_CRC) h.CRC32 = st.crc;
  if (st.valid & ZIP_STAT_COMP_METHOD) h.CompressionMethod = st.comp_method;
  if (st.valid & ZIP_STAT_MTIME) h.ModifiedDateTime = LocalDateTime(st.mtime);
  return h;
}

namespace {

// Closes a member opened for reading on every way out.
struct TMemberCloser {
  zip_file_t* File;
  ~TMemberCloser() {
    if (File != nullptr) zip_fclose(File);
  }
  int Close() {
    const int err = zip_fclose(File);
    File = nullptr;
    return err;
  }
};

}  // namespace

void* TZipFile::OpenMember(void* archive, UInt64 at, const String& where, size_t& size) {
  zip_t* za = Z(archive);
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(za, at, 0, &st) != 0)
    Fail(u"Cannot read " + where + u": " + ArchiveErrorText(za));
  if (!(st.valid & ZIP_STAT_SIZE) || !(st.valid & ZIP_STAT_COMP_SIZE) || !(st.valid & ZIP_STAT_COMP_METHOD))
    Fail(u"Damaged " + where);
  // The sizes come from the archive: check them before allocating anything.
  const Int64 fileSize = fSeen.Remembered() ? fSeen.Stamp().Size : fArchiveSize;
  if (st.comp_size > static_cast<UInt64>(fileSize))
    Fail(u"Damaged " + where + u": its compressed size exceeds the archive");
  const UInt64 ratio = MaxRatio(st.comp_method);
  if (st.comp_size > (std::numeric_limits<UInt64>::max() - kRatioSlack) / ratio ||
      st.size > st.comp_size * ratio + kRatioSlack)
    Fail(u"Damaged " + where + u": its stated size is out of proportion to its data");
  if (st.size > static_cast<UInt64>(std::numeric_limits<Int64>::max()) || st.size > TBytes().max_size())
    Fail(u"Entry too large: " + where);
  zip_file_t* zf = zip_fopen_index(za, at, 0);
  if (zf == nullptr) Fail(u"Cannot open " + where + u": " + ArchiveErrorText(za));
  size = static_cast<size_t>(st.size);
  return zf;
}

void TZipFile::ReadMember(Int32 index, const String& where, const std::function<void(void*, UInt64)>& read,
                          const bool* inHandler) {
  // The member is read under the archive's shared lock, from the file as it
  // is now (Refresh may follow another file to the name, locked in its turn).
  struct Unlock {
    TZipFile* zip;
    bool on;
    ~Unlock() {
      if (on) UnlockFileHandle(zip->fFd);
    }
  } unlock{this, fFd >= 0 && LockForRead(where)};
  Refresh(where, unlock.on);
  UInt64 at = 0;
  void* archive = ReadArchive(index, where, at);
  try {
    read(archive, at);
  } catch (const EZipException&) {
    if (inHandler != nullptr && *inHandler) throw;
    // Bytes that another process's update left half-written are not damage.
    if (fHalfWritten) FailChanged(where);
    // Read without the lock, the file may have changed under the read: a
    // member that is no longer what it was is reported so, not as damaged.
    if (fFd < 0 || unlock.on) throw;
    Refresh(where, false);
    ReadArchive(index, where, at);
    if (fHalfWritten) FailChanged(where);
    throw;
  }
}

void TZipFile::Read(Int32 index, TBytes& bytes) {
  CheckIndex(index);
  bytes.clear();
  const String where = u"entry " + Utf8ToString(std::to_string(index)) + u" of \"" + fFileName + u"\"";
  TBytes data;
  ReadMember(index, where, [&](void* archive, UInt64 at) {
    size_t stated = 0;
    TMemberCloser zf{static_cast<zip_file_t*>(OpenMember(archive, at, where, stated))};
    // The stated size is only a claim: the buffer grows as data actually
    // arrives, so a member that claims far more than it holds costs no more
    // memory than its real content.
    size_t got = 0;
    while (got < stated) {
      const size_t piece = std::min(stated - got, std::max(kReadPiece, got));
      try {
        data.resize(got + piece);
      } catch (const std::bad_alloc&) {
        Fail(u"Not enough memory to read " + where);
      }
      const size_t pieceEnd = got + piece;
      while (got < pieceEnd) {
        zip_int64_t n = zip_fread(zf.File, data.data() + got, pieceEnd - got);
        if (n < 0) Fail(u"Cannot read " + where + u": " + ErrorText(zip_file_get_error(zf.File)));
        if (n == 0) break;
        got += static_cast<size_t>(n);
      }
      if (got < pieceEnd) break;  // the data ended early
    }
    data.resize(got);
    // One more read lets the library reach the end of the data and check its CRC.
    Byte extra;
    zip_int64_t more = got == stated ? zip_fread(zf.File, &extra, 1) : 0;
    if (more < 0) Fail(u"Cannot read " + where + u": " + ErrorText(zip_file_get_error(zf.File)));
    const int closeErr = zf.Close();
    if (got != stated || more > 0) Fail(u"Damaged " + where + u": its data does not match its stated size");
    if (closeErr != 0) Fail(u"Cannot read " + where + u": " + OpenErrorText(closeErr));
  });
  bytes.swap(data);
}

void TZipFile::ReadInPieces(Int32 index, const TZipPieceHandler& onPiece, size_t pieceSize) {
  CheckIndex(index);
  const String where = u"entry " + Utf8ToString(std::to_string(index)) + u" of \"" + fFileName + u"\"";
  pieceSize = std::clamp<size_t>(pieceSize, 1, size_t{1} << 24);
  bool inHandler = false;
  const auto handOn = [&](const Byte* data, size_t size) {
    inHandler = true;
    onPiece(data, size);
    inHandler = false;
  };
  ReadMember(
      index, where,
      [&](void* archive, UInt64 at) {
        size_t stated = 0;
        TMemberCloser zf{static_cast<zip_file_t*>(OpenMember(archive, at, where, stated))};
        TBytes buffer(std::min(pieceSize, std::max<size_t>(stated, 1)));
        size_t got = 0;
        // Reads go one byte past the stated size, so that the library
        // reaches the end of the data (and checks its CRC) and a member
        // holding more than it states is caught; nothing past the stated
        // size is handed on.
        for (;;) {
          const size_t want = got < stated ? std::min(buffer.size(), stated - got) : 1;
          const zip_int64_t n = zip_fread(zf.File, buffer.data(), want);
          if (n < 0) Fail(u"Cannot read " + where + u": " + ErrorText(zip_file_get_error(zf.File)));
          if (n == 0) break;
          if (got >= stated) Fail(u"Damaged " + where + u": its data does not match its stated size");
          got += static_cast<size_t>(n);
          // A short piece at the end is checked before it is handed on.
          if (got == stated) {
            Byte extra;
            const zip_int64_t more = zip_fread(zf.File, &extra, 1);
            if (more < 0) Fail(u"Cannot read " + where + u": " + ErrorText(zip_file_get_error(zf.File)));
            if (more > 0) Fail(u"Damaged " + where + u": its data does not match its stated size");
            handOn(buffer.data(), static_cast<size_t>(n));
            break;
          }
          handOn(buffer.data(), static_cast<size_t>(n));
        }
        const int closeErr = zf.Close();
        if (got != stated) Fail(u"Damaged " + where + u": its data does not match its stated size");
        if (closeErr != 0) Fail(u"Cannot read " + where + u": " + OpenErrorText(closeErr));
      },
      &inHandler);
}

void TZipFile::Read(const String& name, TBytes& bytes) { Read(GetFileIndex(name), bytes); }

void TZipFile::Read(Int32 index, std::unique_ptr<TStream>& stream) {
  TZipHeader header;
  Read(index, stream, header);
}

void TZipFile::Read(const String& name, std::unique_ptr<TStream>& stream) { Read(GetFileIndex(name), stream); }

void TZipFile::Read(Int32 index, std::unique_ptr<TStream>& stream, TZipHeader& header) {
  header = FileInfo(index);
  TBytes bytes;
  Read(index, bytes);
  auto ms = std::make_unique<TBytesStream>(std::move(bytes));
  stream = std::move(ms);
}

void TZipFile::AddBuffer(void* data, size_t size, const String& archiveName, TZipCompression compression) {
  zip_t* za = Z(fArchive);
  // Names are stored as UTF-8, which has no form for a lone surrogate (such
  // as a byte of a system name that is not UTF-8): two such names would be
  // stored as one, so the member is refused instead. A backslash that is
  // part of a name (NameBackslash) is its byte, which this writer's host
  // (Unix) keeps apart from the separators; a plain backslash separates
  // folders, as in names from Windows, and is stored as "/".
  for (size_t i = 0; i < archiveName.size(); ++i) {
    if (U16_IS_LEAD(archiveName[i]) && i + 1 < archiveName.size() && U16_IS_TRAIL(archiveName[i + 1])) {
      ++i;
    } else if (U16_IS_SURROGATE(archiveName[i]) && archiveName[i] != NameBackslash) {
      std::free(data);
      Fail(u"Cannot add \"" + archiveName + u"\": its name cannot be stored as UTF-8");
    }
  }
  zip_source_t* src = zip_source_buffer(za, data, size, data != nullptr ? 1 : 0);
  if (src == nullptr) {
    std::free(data);
    Fail(u"Cannot add \"" + archiveName + u"\": " + ArchiveErrorText(za));
  }
  String slashed = archiveName;
  std::replace(slashed.begin(), slashed.end(), u'\\', u'/');
  const std::string name = StringToSystemName(slashed);
  zip_int64_t idx = zip_file_add(za, name.c_str(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
  if (idx < 0) {
    zip_source_free(src);
    Fail(u"Cannot add \"" + archiveName + u"\": " + ArchiveErrorText(za));
  }
  zip_int32_t method = compression == zcStored ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
  if (zip_set_file_compression(za, static_cast<zip_uint64_t>(idx), method, 0) != 0)
    Fail(u"Cannot add \"" + archiveName + u"\": " + ArchiveErrorText(za));
}

void TZipFile::Add(const TBytes& data, const String& archiveName, TZipCompression compression) {
  CheckWritable();
  if (archiveName.empty()) Fail(u"A zip entry needs a name");
  if (data.empty()) {
    AddBuffer(nullptr, 0, archiveName, compression);
    return;
  }
  void* copy = std::malloc(data.size());
  if (copy == nullptr) Fail(u"Not enough memory to add \"" + archiveName + u"\"");
  std::memcpy(copy, data.data(), data.size());
  AddBuffer(copy, data.size(), archiveName, compression);
}

void TZipFile::Add(TStream* data, const String& archiveName, TZipCompression compression) {
  CheckWritable();
  if (data == nullptr) Fail(u"No stream to add as \"" + archiveName + u"\"");
  TMemoryStream ms;
  ms.LoadFromStream(data);
  Add(ms.ToBytes(), archiveName, compression);
}

void TZipFile::Add(const String& fileName, const String& archiveName, TZipCompression compression) {
  CheckWritable();
  TMemoryStream ms;
  ms.LoadFromFile(fileName);
  if (!archiveName.empty()) return Add(ms.ToBytes(), archiveName, compression);
  // The file's own name, after the last "/": a backslash in a name from the
  // system is part of it.
  const size_t slash = fileName.rfind(u'/');
  Add(ms.ToBytes(), WithNameBackslashes(fileName.substr(slash == String::npos ? 0 : slash + 1)), compression);
}

bool TZipFile::IsValid(const String& fileName) {
  const std::string path = StringToSystemName(fileName);
  if (path.empty()) return false;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  int err = 0;
  zip_t* za = zip_open(path.c_str(), ZIP_RDONLY, &err);
  if (za == nullptr) return false;
  zip_discard(za);
  return true;
}

// ---------------------------------------------------------------------------
// The zip engine's journal

namespace {

UInt64 JournalLE64(const Byte* p) {
  UInt64 v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

// FNV-1a, 64 bits: a short, stable tag of a long name.
UInt64 NameHash(const std::string& s) {
  UInt64 h = 1469598103934665603ull;
  for (unsigned char ch : s) {
    h ^= ch;
    h *= 1099511628211ull;
  }
  return h;
}

Cardinal JournalLE32(const Byte* p) {
  return static_cast<Cardinal>(p[0]) | static_cast<Cardinal>(p[1]) << 8 | static_cast<Cardinal>(p[2]) << 16 |
         static_cast<Cardinal>(p[3]) << 24;
}

// The most a journal's offsets and lengths may be: far below what a signed
// 64-bit sum of them could pass.
constexpr UInt64 kMaxJournalOffset = static_cast<UInt64>(std::numeric_limits<Int64>::max() / 4);

bool ReadAllAt(int fd, Byte* buffer, size_t n, off_t at) {
  while (n > 0) {
    const ssize_t got = ::pread(fd, buffer, n, at);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    buffer += got;
    n -= static_cast<size_t>(got);
    at += got;
  }
  return true;
}

TZipReadAt FdReader(int fd) {
  return [fd](Byte* buffer, size_t count, Int64 offset) {
    return ReadAllAt(fd, buffer, count, static_cast<off_t>(offset));
  };
}

// Fills header from a journal's first bytes; false when they are not a
// journal's header or hold numbers no journal has.
bool ParseJournalHeader(const Byte* head, TZipJournalHeader& header) {
  if (std::memcmp(head, ZipJournalHeaderSignature, 8) != 0 ||
      JournalLE32(head + 52) != static_cast<Cardinal>(::crc32(0, head, 52)))
    return false;
  const UInt64 original = JournalLE64(head + 24);
  const UInt64 restorePoint = JournalLE64(head + 32);
  const UInt64 checkedFrom = JournalLE64(head + 40);
  if (original > kMaxJournalOffset || restorePoint > original || checkedFrom > restorePoint ||
      restorePoint - checkedFrom > static_cast<UInt64>(ZipJournalCheckedBytes))
    return false;
  header.Device = JournalLE64(head + 8);
  header.Inode = JournalLE64(head + 16);
  header.OriginalSize = static_cast<Int64>(original);
  header.RestorePoint = static_cast<Int64>(restorePoint);
  header.TailSize = header.OriginalSize - header.RestorePoint;
  header.CheckedFrom = static_cast<Int64>(checkedFrom);
  header.CheckedCrc = JournalLE32(head + 48);
  return true;
}

// The CRC-32 of count bytes from offset on; false when a read fails.
bool CrcAt(const TZipReadAt& reader, Int64 offset, Int64 count, Cardinal& crc) {
  constexpr Int64 kPiece = 1 << 20;
  std::vector<Byte> buffer(static_cast<size_t>(std::clamp<Int64>(count, 1, kPiece)));
  uLong c = ::crc32(0, nullptr, 0);
  for (Int64 done = 0; done < count;) {
    const Int64 n = std::min<Int64>(static_cast<Int64>(buffer.size()), count - done);
    if (!reader(buffer.data(), static_cast<size_t>(n), offset + done)) return false;
    c = ::crc32(c, buffer.data(), static_cast<uInt>(n));
    done += n;
  }
  crc = static_cast<Cardinal>(c);
  return true;
}

// Whether the user's groups in the system's user database hold gid.
bool UserInGroup(uid_t uid, gid_t gid) {
  std::vector<char> text(16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (::getpwuid_r(uid, &entry, text.data(), text.size(), &found) != 0 || found == nullptr) return false;
  if (found->pw_gid == gid) return true;
  std::vector<gid_t> groups(64);
  for (int attempt = 0; attempt < 4; ++attempt) {
    int n = static_cast<int>(groups.size());
    if (::getgrouplist(found->pw_name, found->pw_gid, groups.data(), &n) >= 0) {
      return std::find(groups.begin(), groups.begin() + n, gid) != groups.begin() + n;
    }
    if (n <= static_cast<int>(groups.size()) || n > 65536) return false;
    groups.resize(static_cast<size_t>(n));
  }
  return false;
}

// What a file's POSIX access list says: entries of 8 bytes after a 4-byte
// header, each a tag, permissions and an id. A file without one, or whose
// list holds only the owner, group and others, has what its mode says.
struct TAccessList {
  bool extended = false;   // named users or groups: the mode's group bits are the mask
  bool namedWrite = false;  // one of them may write, before the mask
  bool unreadable = false;  // too long to look at
  unsigned group = 7;      // the owning group's entry
  unsigned mask = 7;
};

TAccessList AccessListOf(int fd) {
  TAccessList list;
  Byte acl[4 + 8 * 64];
  const ssize_t n = fd < 0 ? -1 : ::fgetxattr(fd, "system.posix_acl_access", acl, sizeof acl);
  if (n < 0) {
    list.unreadable = list.extended = errno == ERANGE;
    return list;
  }
  constexpr unsigned kUser = 0x02, kGroupObj = 0x04, kGroup = 0x08, kMask = 0x10, kWrite = 0x02;
  for (ssize_t at = 4; at + 8 <= n; at += 8) {
    const unsigned tag = acl[at] | acl[at + 1] << 8;
    const unsigned perm = acl[at + 2] | acl[at + 3] << 8;
    if (tag == kMask) list.mask = perm;
    if (tag == kGroupObj) list.group = perm;
    if (tag == kUser || tag == kGroup) {
      list.extended = true;
      list.namedWrite = list.namedWrite || (perm & kWrite) != 0;
    }
  }
  return list;
}

}  // namespace

std::string ZipJournalFileName(const std::string& path) {
  static constexpr char kSuffix[] = "-journal";
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string base = path.substr(folder.size());
  if (base.size() + sizeof kSuffix - 1 <= kMaxNameBytes) return folder + base + kSuffix;
  // Too long a name is cut on a character boundary and tagged with a hash of
  // the whole, so that two long names that share their start keep apart.
  char tag[18];
  std::snprintf(tag, sizeof tag, "-%016llx", static_cast<unsigned long long>(NameHash(base)));
  return folder + TemporarySiblingName("", base, tag + std::string(kSuffix));
}

std::string ZipJournalFileNameOf(const std::string& archiveName) {
  char* resolved = ::realpath(archiveName.c_str(), nullptr);
  if (resolved == nullptr) return ZipJournalFileName(archiveName);
  std::string path(resolved);
  std::free(resolved);
  return ZipJournalFileName(path);
}

bool ZipReadJournalHeader(const TZipReadAt& journal, Int64 journalSize, TZipJournalHeader& header) {
  Byte head[ZipJournalHeaderSize];
  return journalSize >= ZipJournalHeaderSize && journal(head, sizeof head, 0) && ParseJournalHeader(head, header);
}

TZipJournalState ZipCheckJournal(const TZipReadAt& journal, Int64 journalSize, const TZipReadAt& archive,
                                 Int64 archiveSize, UInt64 device, UInt64 inode, TZipJournalHeader& header,
                                 bool* unreadable) {
  if (unreadable != nullptr) *unreadable = false;
  auto failed = [unreadable]() {
    if (unreadable != nullptr) *unreadable = true;
    return zjsNotJournal;
  };
  if (journalSize < ZipJournalHeaderSize) return zjsNotJournal;
  Byte head[ZipJournalHeaderSize];
  if (!journal(head, sizeof head, 0)) return failed();
  if (!ParseJournalHeader(head, header)) return zjsNotJournal;
  if (header.Device != device || header.Inode != inode || header.RestorePoint == 0 ||
      header.RestorePoint > archiveSize)
    return zjsForeign;
  Cardinal checked = 0;
  if (!CrcAt(archive, header.CheckedFrom, header.RestorePoint - header.CheckedFrom, checked)) return failed();
  if (checked != header.CheckedCrc) return zjsForeign;
  // Bound to this archive: whole, or damaged.
  bool failedRead = false;
  if (!ZipJournalWhole(journal, journalSize, header, &failedRead)) return failedRead ? failed() : zjsDamaged;
  // Whole: the archive may hold its old bytes already (put back by an open
  // that could not remove the journal then), compared byte for byte.
  if (archiveSize != header.OriginalSize) return zjsComplete;
  constexpr Int64 kPiece = 1 << 20;
  std::vector<Byte> mine(static_cast<size_t>(std::clamp<Int64>(header.TailSize, 1, kPiece)));
  std::vector<Byte> theirs(mine.size());
  for (Int64 done = 0; done < header.TailSize;) {
    const Int64 n = std::min<Int64>(static_cast<Int64>(mine.size()), header.TailSize - done);
    if (!journal(mine.data(), static_cast<size_t>(n), ZipJournalHeaderSize + done) ||
        !archive(theirs.data(), static_cast<size_t>(n), header.RestorePoint + done))
      return failed();
    if (std::memcmp(mine.data(), theirs.data(), static_cast<size_t>(n)) != 0) return zjsComplete;
    done += n;
  }
  return zjsApplied;
}

bool ZipJournalWhole(const TZipReadAt& journal, Int64 journalSize, const TZipJournalHeader& header,
                     bool* unreadable) {
  if (unreadable != nullptr) *unreadable = false;
  auto failed = [unreadable]() {
    if (unreadable != nullptr) *unreadable = true;
    return false;
  };
  if (journalSize != ZipJournalHeaderSize + header.TailSize + ZipJournalRecordSize) return false;
  Byte record[ZipJournalRecordSize];
  if (!journal(record, sizeof record, journalSize - ZipJournalRecordSize)) return failed();
  if (std::memcmp(record, ZipJournalRecordSignature, 8) != 0 ||
      JournalLE64(record + 8) != static_cast<UInt64>(header.OriginalSize) ||
      JournalLE64(record + 16) != static_cast<UInt64>(header.RestorePoint) ||
      JournalLE64(record + 24) != static_cast<UInt64>(header.TailSize))
    return false;
  Cardinal crc = 0;
  if (!CrcAt(journal, 0, ZipJournalHeaderSize + header.TailSize, crc)) return failed();
  crc = static_cast<Cardinal>(::crc32(crc, record + 8, 24));
  return crc == JournalLE32(record + 32);
}

Cardinal ZipGroupPermissions(int fd, const struct stat& st) {
  const TAccessList list = AccessListOf(fd);
  if (!list.extended) return st.st_mode & 0070;
  if (list.unreadable) return 0;
  return (list.group & list.mask & 7) << 3;
}

bool ZipJournalTrusted(const struct stat& journal, int journalFd, const struct stat& archive, int archiveFd) {
  if (!S_ISREG(journal.st_mode) || journal.st_nlink != 1) return false;
  const bool everyoneWrites = (archive.st_mode & S_IWOTH) != 0;
  const bool groupWrites =
      ((archiveFd >= 0 ? ZipGroupPermissions(archiveFd, archive) : archive.st_mode) & S_IWGRP) != 0;
  // Its owner may write it, and give the right to anyone.
  if (journal.st_uid != 0 && journal.st_uid != archive.st_uid && !everyoneWrites &&
      !(groupWrites && UserInGroup(journal.st_uid, archive.st_gid)))
    return false;
  if ((journal.st_mode & S_IWGRP) != 0 && !everyoneWrites && !(groupWrites && journal.st_gid == archive.st_gid))
    return false;
  if ((journal.st_mode & S_IWOTH) != 0 && !everyoneWrites) return false;
  // A named user or group that may write it, through the mask.
  const TAccessList list = AccessListOf(journalFd);
  return !list.unreadable && !(list.namedWrite && (list.mask & 2) != 0);
}

int ZipOpenJournalCandidate(const std::string& path, const struct stat& archive, int archiveFd) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && ZipJournalTrusted(st, fd, archive, archiveFd)) return fd;
  ::close(fd);
  errno = EPERM;
  return -1;
}

TZipJournalState ZipJournalStateOf(int archiveFd, const std::string& archiveName) {
  struct stat archive {};
  if (::fstat(archiveFd, &archive) != 0) return zjsNotJournal;
  const int fd = ZipOpenJournalCandidate(ZipJournalNameFor(archiveFd, archiveName), archive, archiveFd);
  if (fd < 0) return zjsNotJournal;
  TZipJournalState state = zjsNotJournal;
  struct stat st {};
  if (::fstat(fd, &st) == 0) {
    TZipJournalHeader header;
    bool unreadable = false;
    state = ZipCheckJournal(FdReader(fd), static_cast<Int64>(st.st_size), FdReader(archiveFd),
                            static_cast<Int64>(archive.st_size), static_cast<UInt64>(archive.st_dev),
                            static_cast<UInt64>(archive.st_ino), header, &unreadable);
    // A journal that cannot be read may be this archive's: the archive may
    // be torn.
    if (unreadable) state = zjsDamaged;
  }
  ::close(fd);
  return state;
}

std::string ZipJournalNameFor(int archiveFd, const std::string& archiveName, bool* pointerStale) {
  if (pointerStale != nullptr) *pointerStale = false;
  char value[4096];
  const ssize_t n = ::fgetxattr(archiveFd, ZipJournalPointerName, value, sizeof value);
  if (n > 0) {
    const std::string pointed(value, static_cast<size_t>(n));
    struct stat st {};
    const bool shaped =
        pointed[0] == '/' && pointed.find('\0') == std::string::npos && pointed.ends_with("-journal");
    // A journal that cannot be looked at is not taken to be gone.
    if (shaped && (::lstat(pointed.c_str(), &st) == 0 || errno != ENOENT)) return pointed;
    if (pointerStale != nullptr) *pointerStale = true;
  }
  return ZipJournalFileNameOf(archiveName);
}

bool ZipLockHeldOnlyForReading(int handle) {
  // A description of its own (this process's lock on handle, if any, is
  // not in its way), through the descriptor, so that it is the same file
  // whatever its name reaches now.
  const std::string self = "/proc/self/fd/" + std::to_string(handle);
  const int fd = ::open(self.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  const bool shared = ::flock(fd, LOCK_SH | LOCK_NB) == 0;
  ::close(fd);
  return shared;
}

bool ZipJournalComplete(int archiveFd, const std::string& archiveName) {
  return ZipJournalStateOf(archiveFd, archiveName) == zjsComplete;
}

}  // namespace sk
