#include "app/heap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace zarvo::app {

namespace {

constexpr size_t kHugePage = size_t{2} << 20;
// Enough for a command over ten thousand tasks; a larger need grows the heap again, in steps as big.
constexpr size_t kHeapStep = size_t{64} << 20;

}  // namespace

void tuneHeapForOneCommand() {
  // Threads share the main heap: per-thread arenas would each fault in their own pages.
  mallopt(M_ARENA_MAX, 1);
  mallopt(M_TOP_PAD, static_cast<int>(kHeapStep));
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(kHeapStep * 2));
  // Large buffers (a task list's text, the file cache) come from the same heap, not from mmap.
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(kHeapStep / 2));

  // Grow the heap by one step now, then mark the part of it not yet touched for huge pages.
  const auto begin = reinterpret_cast<uintptr_t>(sbrk(0));
  // A request larger than what is left at the top makes the heap grow by it plus the pad.
  void* volatile probe = std::malloc(kHugePage);  // volatile: the pair must not be optimised away
  std::free(probe);
  const auto end = reinterpret_cast<uintptr_t>(sbrk(0));
  const uintptr_t alignedBegin = (begin + kHugePage - 1) & ~(kHugePage - 1);
  if (end > alignedBegin + kHugePage) {
    madvise(reinterpret_cast<void*>(alignedBegin), (end - alignedBegin) & ~(kHugePage - 1), MADV_HUGEPAGE);
  }
}

void leaveToExit(std::shared_ptr<const void> object) {
  static std::mutex mu;
  // Never destroyed, like what it holds.
  static auto* const kept = new std::vector<std::shared_ptr<const void>>;
  std::lock_guard lock(mu);
  kept->push_back(std::move(object));
}

}  // namespace zarvo::app
