#include "platform/runtime/FileSeam.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

namespace sk {

namespace {

// Set only while a hook is installed, so the layer's calls cost one load.
constinit std::atomic<bool> gSeamOn{false};
constinit std::atomic<bool> gFlushesSkipped{false};

TFileSeamHook& SeamHook() {
  static TFileSeamHook hook;
  return hook;
}

}  // namespace

TFileSeamHook SetFileSeamHook(TFileSeamHook hook) {
  TFileSeamHook previous = std::move(SeamHook());
  SeamHook() = std::move(hook);
  gSeamOn.store(static_cast<bool>(SeamHook()), std::memory_order_release);
  return previous;
}

Int32 FileSeamAsk(TFileSeamOp op, const std::string& path) {
  if (!gSeamOn.load(std::memory_order_acquire)) return 0;
  const TFileSeamHook& hook = SeamHook();
  if (!hook) return 0;
  const Int32 answer = hook(op, path);
  if (answer > 0) errno = answer;
  return answer;
}

bool FlushFileHandle(int handle) {
  if (const Int32 fault = FileSeamAsk(fsoFlush); fault != 0) {
    errno = fault > 0 ? fault : EIO;
    return false;
  }
  return gFlushesSkipped.load(std::memory_order_relaxed) || ::fsync(handle) == 0;
}

bool FlushFileSystemOf(int handle) {
  if (const Int32 fault = FileSeamAsk(fsoFlush); fault != 0) {
    errno = fault > 0 ? fault : EIO;
    return false;
  }
  return gFlushesSkipped.load(std::memory_order_relaxed) || ::syncfs(handle) == 0;
}

bool SetFileFlushesSkipped(bool skipped) { return gFlushesSkipped.exchange(skipped); }

bool FlushFolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  std::string folder = ".";
  if (slash != std::string::npos) folder = slash == 0 ? std::string("/") : path.substr(0, slash);
  if (const Int32 fault = FileSeamAsk(fsoFlush, folder); fault != 0) {
    errno = fault > 0 ? fault : EIO;
    return false;
  }
  if (gFlushesSkipped.load(std::memory_order_relaxed)) return true;
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  const int saved = errno;
  ::close(fd);
  errno = saved;
  return ok;
}

bool LockFileHandle(int handle, bool exclusive, Int32 waitMs) {
  if (const Int32 fault = FileSeamAsk(fsoLock); fault != 0) {
    errno = fault > 0 ? fault : EIO;
    return false;
  }
  const int how = (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max<Int32>(waitMs, 0));
  // The wait polls with a growing pause: a blocking lock cannot be given a
  // time limit without a signal, and a holder usually lets go within
  // milliseconds.
  auto pause = std::chrono::microseconds(200);
  for (;;) {
    if (::flock(handle, how) == 0) return true;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return false;
    if (std::chrono::steady_clock::now() >= deadline) {
      errno = EWOULDBLOCK;
      return false;
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::microseconds(20000));
  }
}

void UnlockFileHandle(int handle) {
  if (handle >= 0) ::flock(handle, LOCK_UN);
}

}  // namespace sk
