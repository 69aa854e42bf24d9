#include "platform/runtime/FileSeam.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace sk {

namespace {

// Set only while a hook is installed, so the layer's calls cost one load.
constinit std::atomic<bool> gSeamOn{false};

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
  return ::fsync(handle) == 0;
}

}  // namespace sk
