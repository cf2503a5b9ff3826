// Internal: runs work(i) for every i in [0, count) on up to `maxThreads` threads, the caller's among
// them, and returns when all are done. Indices are handed out one at a time in increasing order, so a
// slow item does not hold up a whole share. Not part of the public interface.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace zarvo::reminders::detail {

template <class Work>
void forEachIndexInParallel(size_t count, size_t maxThreads, Work work) {
  std::atomic<size_t> next{0};
  auto drain = [&] {
    for (size_t i; (i = next.fetch_add(1)) < count;) work(i);
  };
  const size_t threads = std::min<size_t>({std::max(1u, std::thread::hardware_concurrency()), maxThreads, count});
  std::vector<std::jthread> helpers;
  for (size_t t = 1; t < threads; ++t) helpers.emplace_back(drain);
  drain();
}

}  // namespace zarvo::reminders::detail
