// A seam in the file layer for tests: one hook, asked before each open,
// create, read, write, seek, size change, flush, rename, delete,
// temporary-file creation, lock and change of a file's owner or group that
// the file layer makes, and before the look at a file that decides whether a
// save replaces it or makes it new. Nothing installs it but
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
  fsoLock,
  fsoStat,
  fsoChown,
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

// For tests that run thousands of commits: the flushes are still asked of
// the hook (and fail when it says so) but do not wait for the disk. A
// process that dies keeps its writes in the system's cache; only a power
// loss needs the flush. Answers the previous setting.
bool SetFileFlushesSkipped(bool skipped);

// Flushes the folder that holds path (its entry list) to the disk, so that a
// file created, renamed or deleted there stays so after a power loss; false
// with errno set when the system refuses.
bool FlushFolderOf(const std::string& path);

// Flushes everything written to the file system that holds the open file
// handle (syncfs): one wait for the disk in place of one flush per file, for
// a batch of files written together. Asked of the seam as a flush; false with
// errno set when the system refuses.
bool FlushFileSystemOf(int handle);

// Takes a lock on the open file description of handle: shared (many
// holders) or exclusive (one). Another holder is waited for up to waitMs
// milliseconds; false with errno set (EWOULDBLOCK when the wait ran out).
// The lock belongs to the open file description, so two descriptions of
// one file exclude each other even within one process, and the lock goes
// when the last descriptor of it is closed, or the process dies.
bool LockFileHandle(int handle, bool exclusive, Int32 waitMs);
// Lets the lock go.
void UnlockFileHandle(int handle);

}  // namespace sk
