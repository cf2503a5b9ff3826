#include "zarvo/store/record_mutex.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

namespace zarvo::store {
namespace {

// Threads that take turns on one lock, each holding it across a read and a later write of shared
// state: a lock that lets two in at once loses increments; one that forgets a sleeper never ends.
TEST(RecordMutexTest, ExcludesAndWakesEveryWaiter) {
  RecordMutex mutex;
  long counter = 0;
  constexpr int kThreads = 4, kRounds = 20000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kRounds; ++i) {
        std::lock_guard lock(mutex);
        const long seen = counter;
        if (i % 64 == 0) std::this_thread::yield();  // hold it long enough for others to sleep on it
        counter = seen + 1;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(counter, long{kThreads} * kRounds);
}

TEST(RecordMutexTest, TryLockFailsOnlyWhileHeld) {
  RecordMutex mutex;
  ASSERT_TRUE(mutex.try_lock());
  bool other = true;
  std::thread([&] { other = mutex.try_lock(); }).join();
  EXPECT_FALSE(other);
  mutex.unlock();
  std::thread([&] {
    other = mutex.try_lock();
    if (other) mutex.unlock();
  }).join();
  EXPECT_TRUE(other);
}

}  // namespace
}  // namespace zarvo::store
