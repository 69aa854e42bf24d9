// Drives the file layer's seam in tests: counts the calls of a scope and can
// fail the N-th one (counted from 1) with a system error or a short transfer.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/runtime/FileSeam.h"

namespace sk {

// Another program writing to a file in place, from a process of its own:
// "CHANGED" appended, or written over the first bytes (the size kept). The
// child's exit status (0 when written), or -1.
inline int WriteFromAnotherProcess(const std::string& path, bool append) {
  const pid_t child = ::fork();
  if (child == 0) {
    const int fd = ::open(path.c_str(), append ? O_WRONLY | O_APPEND : O_WRONLY);
    ::_exit(fd >= 0 && ::write(fd, "CHANGED", 7) == 7 && ::close(fd) == 0 ? 0 : 1);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

class ScopedFileSeam {
 public:
  // failAt 0 fails nothing; answer is what the failing call gets. Sticky:
  // every write from the failing call on fails too, as on a disk that stays
  // full.
  explicit ScopedFileSeam(Int64 failAt = 0, Int32 answer = EIO, bool sticky = false)
      : fFailAt(failAt), fAnswer(answer), fSticky(sticky) {
    fPrevious = SetFileSeamHook([this](TFileSeamOp op, const std::string& path) -> Int32 {
      ++calls;
      ops.push_back(op);
      if (fSticky && failed && op == fsoWrite) return fAnswer;
      if (calls == fFailAt) {
        failedOp = op;
        failedPath = path;
        failed = true;
        // A short transfer only means something to reads and writes.
        if (fAnswer == FileSeamShortTransfer && op != fsoRead && op != fsoWrite) return ENOSPC;
        return fAnswer;
      }
      return 0;
    });
  }
  ~ScopedFileSeam() { SetFileSeamHook(std::move(fPrevious)); }
  ScopedFileSeam(const ScopedFileSeam&) = delete;
  ScopedFileSeam& operator=(const ScopedFileSeam&) = delete;

  Int64 calls = 0;
  std::vector<TFileSeamOp> ops;
  bool failed = false;
  TFileSeamOp failedOp = fsoOpen;
  std::string failedPath;

 private:
  Int64 fFailAt;
  Int32 fAnswer;
  bool fSticky;
  TFileSeamHook fPrevious;
};

// A small file system in a folder: its files may take `capacity` bytes in
// all. Once they do, every write and every new file fails with ENOSPC (the
// write that crosses the limit still goes, as the last free blocks take it).
// Free() answers what is left, for the free-space hooks of the layers above.
class ScopedSmallDisk {
 public:
  ScopedSmallDisk(const std::string& folder, Int64 capacity) : fFolder(folder), fCapacity(capacity) {
    fPrevious = SetFileSeamHook([this](TFileSeamOp op, const std::string&) -> Int32 {
      if ((op != fsoWrite && op != fsoCreate && op != fsoTempFile) || Free() > 0) return 0;
      refused = true;
      return ENOSPC;
    });
  }
  ~ScopedSmallDisk() { SetFileSeamHook(std::move(fPrevious)); }
  ScopedSmallDisk(const ScopedSmallDisk&) = delete;
  ScopedSmallDisk& operator=(const ScopedSmallDisk&) = delete;

  Int64 Free() const {
    Int64 used = 0;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(fFolder, ec))
      if (e.is_regular_file(ec)) used += static_cast<Int64>(e.file_size(ec));
    return std::max<Int64>(0, fCapacity - used);
  }

  bool refused = false;  // a write or a new file was refused

 private:
  std::string fFolder;
  Int64 fCapacity;
  TFileSeamHook fPrevious;
};

}  // namespace sk
