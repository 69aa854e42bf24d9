#include "platform/runtime/ZipReader_changes.h"

#include <sys/stat.h>
#include <sys/vfs.h>
#include <time.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace sk {

namespace {

constexpr Int64 kNsPerSecond = 1'000'000'000;
constexpr Int64 kChecksumPiece = 1 << 20;
// The longest tick of the clock waited out (a tick of the system's coarse
// clock is 1 to 10 milliseconds).
constexpr Int64 kMaxTickWaitNs = 20'000'000;

Int64 Nanoseconds(const struct timespec& t) { return static_cast<Int64>(t.tv_sec) * kNsPerSecond + t.tv_nsec; }

Int64 CoarseNow() {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
  return Nanoseconds(now);
}

// File systems whose times come from another machine's clock (or from a
// program's): this machine's clock tells nothing of when their next write
// moves the change time.
bool RemoteClock(int fd) {
  struct statfs fs {};
  if (::fstatfs(fd, &fs) != 0) return true;
  switch (static_cast<UInt64>(fs.f_type)) {
    case 0x6969:        // NFS
    case 0x517B:        // SMB
    case 0xFF534D42:    // CIFS
    case 0xFE534D42:    // SMB2
    case 0x65735546:    // FUSE
    case 0x01021997:    // 9P
    case 0x00C36400:    // Ceph
    case 0x5346414F:    // AFS
    case 0x73757245:    // Coda
    case 0x7461636F:    // OCFS2
    case 0x01161970:    // GFS2
      return true;
    default: return false;
  }
}

// The tick of the file system's clock, as far as a time it gave shows it: a
// time of whole seconds may come from a clock of two-second steps; otherwise
// the largest power of ten that divides its nanoseconds (a finer clock's
// times seldom end in zeros, and a coarser guess only costs a check more).
Int64 TickOf(Int64 nanoseconds) {
  Int64 rest = nanoseconds % kNsPerSecond;
  if (rest < 0) rest += kNsPerSecond;
  if (rest == 0) return 2 * kNsPerSecond;
  Int64 tick = 1;
  while (tick < kNsPerSecond / 10 && rest % (tick * 10) == 0) tick *= 10;
  return tick;
}

}  // namespace

bool ZipTakeFileStamp(int fd, TZipFileStamp& stamp) { return ZipTakeFileStamp(fd, stamp, RemoteClock(fd)); }

bool ZipTakeFileStamp(int fd, TZipFileStamp& stamp, bool remoteClock) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return false;
  // The clock is read after the status: a write after this moment gets a
  // change time at least this clock's, which passes the one the status
  // shows by a tick unless both fall in the same tick.
  struct timespec now {};
  if (::clock_gettime(CLOCK_REALTIME_COARSE, &now) != 0) return false;
  stamp.Device = static_cast<UInt64>(st.st_dev);
  stamp.Inode = static_cast<UInt64>(st.st_ino);
  stamp.Size = static_cast<Int64>(st.st_size);
  stamp.ModifiedNs = Nanoseconds(st.st_mtim);
  stamp.ChangedNs = Nanoseconds(st.st_ctim);
  stamp.Racy = remoteClock || Nanoseconds(now) < stamp.ChangedNs + TickOf(stamp.ChangedNs);
  return true;
}

bool ZipSameFileState(const TZipFileStamp& a, const TZipFileStamp& b) {
  return a.Device == b.Device && a.Inode == b.Inode && a.Size == b.Size && a.ModifiedNs == b.ModifiedNs &&
         a.ChangedNs == b.ChangedNs;
}

bool ZipChecksumRange(int fd, Int64 from, Int64 count, UInt64& sum) {
  if (from < 0 || count < 0) return false;
  std::vector<Byte> buffer(static_cast<size_t>(std::clamp<Int64>(count, 1, kChecksumPiece)));
  uLong crc = ::crc32_z(0, Z_NULL, 0);
  uLong adler = ::adler32_z(0, Z_NULL, 0);
  for (Int64 done = 0; done < count;) {
    const size_t want = static_cast<size_t>(std::min<Int64>(static_cast<Int64>(buffer.size()), count - done));
    const ssize_t got = ::pread(fd, buffer.data(), want, static_cast<off_t>(from + done));
    if (got <= 0) return false;
    crc = ::crc32_z(crc, buffer.data(), static_cast<size_t>(got));
    adler = ::adler32_z(adler, buffer.data(), static_cast<size_t>(got));
    done += got;
  }
  sum = (static_cast<UInt64>(crc & 0xFFFFFFFFu) << 32) | (adler & 0xFFFFFFFFu);
  return true;
}

bool TZipChangeWatch::Remember(int fd, Int64 directoryFrom) {
  Forget();
  fSummed = false;
  fRemoteClock = RemoteClock(fd);
  TZipFileStamp stamp;
  if (!ZipTakeFileStamp(fd, stamp, fRemoteClock)) return false;
  fFrom = directoryFrom >= 0 && directoryFrom <= stamp.Size ? directoryFrom : -1;
  // Only a racy status needs the directory's bytes to go with it.
  if (stamp.Racy && fFrom >= 0) fSummed = ZipChecksumRange(fd, fFrom, stamp.Size - fFrom, fSum);
  fStamp = stamp;
  return true;
}

void TZipChangeWatch::WaitOutTick(int fd) {
  if (!Remembered() || !fStamp.Racy || fRemoteClock) return;
  const Int64 tick = TickOf(fStamp.ChangedNs);
  if (tick > kMaxTickWaitNs) return;
  const Int64 until = fStamp.ChangedNs + tick;
  const Int64 start = CoarseNow();
  for (Int64 now = start; now < until; now = CoarseNow()) {
    if (now - start > 2 * kMaxTickWaitNs) return;  // a clock set back: the status stays racy
    std::this_thread::sleep_for(std::chrono::nanoseconds(std::clamp<Int64>(until - now, 100'000, 1'000'000)));
  }
  TZipFileStamp now;
  if (ZipTakeFileStamp(fd, now, fRemoteClock) && ZipSameFileState(now, fStamp) && !now.Racy) fStamp = now;
}

bool TZipChangeWatch::Changed(int fd) {
  if (!Remembered()) return true;
  TZipFileStamp now;
  if (!ZipTakeFileStamp(fd, now, fRemoteClock) || !ZipSameFileState(now, fStamp)) return true;
  if (!fStamp.Racy) return false;
  // The status is as remembered, but a write in the same tick would have
  // left it so: the directory's bytes decide.
  UInt64 sum = 0;
  if (!fSummed || !ZipChecksumRange(fd, fFrom, now.Size - fFrom, sum) || sum != fSum) return true;
  // Unchanged; once the clock has passed the status's tick, the status
  // alone tells of the next write.
  fStamp = now;
  return false;
}

}  // namespace sk
