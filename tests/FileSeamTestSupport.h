// Drives the file layer's seam in tests: counts the calls of a scope and can
// fail the N-th one (counted from 1) with a system error or a short transfer.
#pragma once

#include <cerrno>
#include <string>
#include <vector>

#include "platform/runtime/FileSeam.h"

namespace sk {

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

}  // namespace sk
