// RecordMutex: the lock each record keeps for its own values.
//
// A mutex (lock, try_lock, unlock; not recursive) in four bytes: a process holds one or more per
// record, thousands of records at a time, and locks them for a few instructions each, almost never
// against another thread. Taking a free lock is one atomic exchange without a call; a thread that
// finds it taken sleeps in the kernel (no spinning) until the holder lets go. No fairness between
// waiters is promised.
#pragma once

#include <atomic>
#include <cstdint>

namespace zarvo::store {

class RecordMutex {
 public:
  RecordMutex() = default;
  RecordMutex(const RecordMutex&) = delete;
  RecordMutex& operator=(const RecordMutex&) = delete;

  void lock() noexcept {
    uint32_t expected = kFree;
    if (state_.compare_exchange_strong(expected, kLocked, std::memory_order_acquire, std::memory_order_relaxed)) {
      return;
    }
    // Taken: mark it contended before sleeping, so that the holder's unlock wakes a sleeper. Whoever
    // takes it from here keeps the mark, as other sleepers may still be waiting.
    while (state_.exchange(kContended, std::memory_order_acquire) != kFree) {
      state_.wait(kContended, std::memory_order_relaxed);
    }
  }

  bool try_lock() noexcept {
    uint32_t expected = kFree;
    return state_.compare_exchange_strong(expected, kLocked, std::memory_order_acquire, std::memory_order_relaxed);
  }

  void unlock() noexcept {
    if (state_.exchange(kFree, std::memory_order_release) == kContended) state_.notify_one();
  }

 private:
  static constexpr uint32_t kFree = 0, kLocked = 1, kContended = 2;
  std::atomic<uint32_t> state_{kFree};
};

}  // namespace zarvo::store
