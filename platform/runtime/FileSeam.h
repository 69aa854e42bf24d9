// A seam in the file layer for tests: one hook, asked before each open,
// create, read, write, seek, size change, flush, rename, delete and
// temporary-file creation that the file layer makes. Nothing installs it but
// a test; without it the layer asks nothing and runs at full speed.
//
// The hook's answer decides the call: 0 lets it run; an errno value (ENOSPC,
// EIO...) makes it fail as the system fails it, with that error; a short
// transfer (FileSeamShortTransfer) makes a read or write move only part of
// its bytes, as a full disk or a signal would.
#pragma once

#include <functional>
#include <string>

#include "platform/runtime/RtlTypes.h"

namespace sk {

enum TFileSeamOp : uint8_t {
  fsoOpen,
  fsoCreate,
  fsoRead,
  fsoWrite,
  fsoSeek,
  fsoSetSize,
  fsoFlush,
  fsoRename,
  fsoDelete,
  fsoTempFile,
};

// The answer that makes a read or write move half of its bytes (at least
// one fewer than asked).
inline constexpr Int32 FileSeamShortTransfer = -1;

// op, and the path concerned where the call has one (empty for calls on an
// open file).
using TFileSeamHook = std::function<Int32(TFileSeamOp op, const std::string& path)>;

// Installs the hook (an empty one removes it) and answers the previous one.
TFileSeamHook SetFileSeamHook(TFileSeamHook hook);

// Asks the hook about one call; 0 when no hook is installed. A failure
// answer is also left in errno.
Int32 FileSeamAsk(TFileSeamOp op, const std::string& path = std::string());

// Flushes an open file's data to its disk (fsync); false with errno set when
// the system refuses.
bool FlushFileHandle(int handle);

}  // namespace sk
