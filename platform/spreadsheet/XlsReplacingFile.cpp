#include "platform/spreadsheet/XlsReplacingFile.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "platform/spreadsheet/XlsTypes.h"

namespace sk {

namespace {

[[noreturn]] void Fail(const std::string& what, int err) {
  throw EXlsError(Utf8ToString(what + ": " + ::strerror(err)));
}

UInt64 RandomWord() {
  UInt64 v = 0;
  if (::getrandom(&v, sizeof v, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof v)) {
    struct timespec ts {};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    static UInt64 counter = 0;
    v = (static_cast<UInt64>(ts.tv_nsec) << 20) ^ static_cast<UInt64>(::getpid()) ^ ++counter;
  }
  return v;
}

// The first bytes of a UTF-8 name, not ending inside a character.
std::string CutUtf8(const std::string& s, size_t n) {
  if (s.size() <= n) return s;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return s.substr(0, n);
}

}  // namespace

TXlsReplacingFile::TXlsReplacingFile(const String& target) {
  std::string path = StringToUtf8(target);
  if (path.empty()) throw EXlsError(u"No file name given");
  struct stat st {};
  // Saving through a link replaces the file it names, not the link.
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      path = real;
      ::free(real);
    }
  }
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    throw EXlsError(u"Cannot save to \"" + target + u"\": it is a folder");
  const size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (base.empty()) throw EXlsError(u"Cannot save to \"" + target + u"\": no file name");
  fTarget = path;
  static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  for (int attempt = 0; attempt < 100; ++attempt) {
    UInt64 r = RandomWord();
    std::string tag;
    for (int i = 0; i < 8; ++i, r /= 36) tag += digits[r % 36];
    std::string name = (dir == "/" ? "" : dir) + "/." + CutUtf8(base, 200) + "." + tag + ".tmp";
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      fTemp = std::move(name);
      return;
    }
    if (errno != EEXIST) Fail("Cannot create a file in \"" + dir + "\"", errno);
  }
  Fail("Cannot create a file in \"" + dir + "\"", EEXIST);
}

TXlsReplacingFile::~TXlsReplacingFile() {
  if (!fCommitted && !fTemp.empty()) ::unlink(fTemp.c_str());
}

void TXlsReplacingFile::Commit() {
  const int fd = ::open(fTemp.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) Fail("Cannot open \"" + fTemp + "\"", errno);
  struct stat st {};
  if (::stat(fTarget.c_str(), &st) == 0) (void)::fchmod(fd, st.st_mode & 07777);
  if (::fsync(fd) != 0) {
    const int err = errno;
    ::close(fd);
    Fail("Cannot write \"" + fTemp + "\"", err);
  }
  if (::close(fd) != 0) Fail("Cannot write \"" + fTemp + "\"", errno);
  if (::rename(fTemp.c_str(), fTarget.c_str()) != 0) Fail("Cannot replace \"" + fTarget + "\"", errno);
  fCommitted = true;
  // Make the new name itself durable; a folder that refuses is no failure.
  const size_t slash = fTarget.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : fTarget.substr(0, slash);
  const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    (void)::fsync(dfd);
    ::close(dfd);
  }
}

}  // namespace sk
