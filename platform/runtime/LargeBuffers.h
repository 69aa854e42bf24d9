// Preparing the room of buffers that hold a whole text or one entry per
// character of it (tens or hundreds of megabytes, written once front to
// back). Fresh room costs the system a fault and a cleared page on its first
// write; for such buffers that cost is larger than the work done in them.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

namespace sk {

// Asks that the room at [p, p + bytes), not yet written, be backed by large
// pages where the system offers them (one fault per 2 MiB rather than one
// per 4 KiB), and has it made ready for writing by up to four threads side
// by side while the caller goes on to write it from the front, so that the
// first writes do not wait on it one page at a time. Only whole large pages
// inside the range are advised, so memory outside it is never affected;
// buffers under 8 MiB are left alone. The content is unchanged (room never
// written reads as zero either way); a system that refuses either request
// leaves the room as it was, which is harmless. The room must stay
// allocated until the preparation ends: when the object is destroyed, at
// Wait or at ReleaseAfter.
//
// A caller that learns only at the end how much of the room it used (text
// decoded from UTF-8 needs one unit per byte at most, a third of that for
// CJK) calls ReleaseAfter, so that the room it never wrote does not stay
// resident because it was made ready.
class TLargeBufferPreparation {
 public:
  TLargeBufferPreparation(const void* p, size_t bytes) noexcept;
  ~TLargeBufferPreparation() { Wait(); }
  TLargeBufferPreparation(const TLargeBufferPreparation&) = delete;
  TLargeBufferPreparation& operator=(const TLargeBufferPreparation&) = delete;

  void Wait() noexcept;
  // Ends the preparation (helpers stop at their next large page) and hands
  // the whole pages of the room past its first usedBytes back to the
  // system; they read as zero afterwards. Nothing is done for room that was
  // not prepared.
  void ReleaseAfter(size_t usedBytes) noexcept;

 private:
  std::vector<std::thread> fHelpers;
  std::atomic<bool> fStop{false};
  uintptr_t fStart = 0;
  size_t fBytes = 0;  // 0 when the room was not prepared
};

// The same, waited for before it returns.
void PrepareLargeBuffer(const void* p, size_t bytes) noexcept;

}  // namespace sk
