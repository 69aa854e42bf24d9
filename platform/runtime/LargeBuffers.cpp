#include "platform/runtime/LargeBuffers.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <exception>

namespace sk {

namespace {

constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
// Below this a buffer has too few large pages inside it to be worth a call.
constexpr size_t kLeastPrepared = size_t{8} << 20;
constexpr unsigned kMostThreads = 4;

// One large page at a time, so that a preparation ended early stops soon.
void Populate(uintptr_t from, uintptr_t to, const std::atomic<bool>& stop) noexcept {
#ifdef MADV_POPULATE_WRITE
  for (uintptr_t a = from; a < to && !stop.load(std::memory_order_relaxed); a += kLargePage)
    if (::madvise(reinterpret_cast<void*>(a), std::min(kLargePage, to - a), MADV_POPULATE_WRITE) != 0) return;
#else
  (void)from;
  (void)to;
  (void)stop;
#endif
}

}  // namespace

TLargeBufferPreparation::TLargeBufferPreparation(const void* p, size_t bytes) noexcept {
  if (p == nullptr || bytes < kLeastPrepared) return;
  const auto start = reinterpret_cast<uintptr_t>(p);
  const uintptr_t from = (start + kLargePage - 1) & ~(kLargePage - 1);
  const uintptr_t to = (start + bytes) & ~(kLargePage - 1);
  if (to <= from) return;
  fStart = start;
  fBytes = bytes;
#ifdef MADV_HUGEPAGE
  ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#endif
  // The large pages are cut into one run per thread, each run of whole
  // large pages; the caller writing from the front meets the first run's
  // pages made ready or makes them ready itself.
  const uintptr_t pages = (to - from) / kLargePage;
  const unsigned threads = static_cast<unsigned>(
      std::min<uintptr_t>({kMostThreads, std::max(1u, std::thread::hardware_concurrency()), pages}));
  const uintptr_t per = (pages + threads - 1) / threads * kLargePage;
  try {
    fHelpers.reserve(threads);
    for (unsigned t = 0; t < threads; ++t) {
      const uintptr_t a = std::min(to, from + t * per);
      const uintptr_t b = std::min(to, a + per);
      fHelpers.emplace_back([a, b, stop = &fStop] { Populate(a, b, *stop); });
    }
  } catch (const std::exception&) {
    // Without more threads the rest is left to the first writes.
  }
}

void TLargeBufferPreparation::Wait() noexcept {
  for (std::thread& h : fHelpers) h.join();
  fHelpers.clear();
}

void TLargeBufferPreparation::ReleaseAfter(size_t usedBytes) noexcept {
  fStop.store(true, std::memory_order_relaxed);
  Wait();
  if (fBytes == 0 || usedBytes >= fBytes) return;
  const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  const uintptr_t from = (fStart + usedBytes + page - 1) & ~(page - 1);
  const uintptr_t to = (fStart + fBytes) & ~(page - 1);
  if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
}

void PrepareLargeBuffer(const void* p, size_t bytes) noexcept { TLargeBufferPreparation(p, bytes).Wait(); }

}  // namespace sk
