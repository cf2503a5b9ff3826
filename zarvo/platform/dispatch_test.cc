#include "zarvo/platform/dispatch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <vector>

namespace zarvo::platform {
namespace {

TEST(SerialQueue, RunsInOrderOneAtATimeAndSyncIsReentrant) {
  std::vector<int> order;
  std::atomic<int> running{0}, maxRunning{0};
  {
    SerialQueue queue("test");
    for (int i = 0; i < 100; ++i) {
      queue.async([&, i] {
        int now = ++running;
        maxRunning = std::max(maxRunning.load(), now);
        order.push_back(i);
        --running;
      });
    }
    bool nested = false;
    queue.sync([&] {
      EXPECT_TRUE(queue.isCurrent());
      queue.sync([&] { nested = true; });  // would deadlock if sync were not re-entrant
    });
    EXPECT_TRUE(nested);
    EXPECT_FALSE(queue.isCurrent());
  }
  ASSERT_EQ(order.size(), 100u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(order[i], i);
  EXPECT_EQ(maxRunning.load(), 1);
}

TEST(SerialQueue, DestructorRunsQueuedWork) {
  std::atomic<int> ran{0};
  {
    SerialQueue queue("drain");
    for (int i = 0; i < 10; ++i) queue.async([&] { ++ran; });
  }
  EXPECT_EQ(ran.load(), 10);
}

TEST(GlobalQueue, RunsWorkConcurrently) {
  // Two items that each wait for the other can only finish on a pool of two or more threads.
  std::promise<void> a, b;
  auto fa = a.get_future(), fb = b.get_future();
  std::promise<void> doneA, doneB;
  globalUserInitiatedQueue().async([&] {
    a.set_value();
    fb.wait();
    doneA.set_value();
  });
  globalUserInitiatedQueue().async([&] {
    b.set_value();
    fa.wait();
    doneB.set_value();
  });
  doneA.get_future().wait();
  doneB.get_future().wait();
  EXPECT_FALSE(globalUserInitiatedQueue().isCurrent());
}

TEST(MainQueue, RunsOnlyWhenDrainedOnTheDrainingThread) {
  MainQueue::drain();
  std::vector<int> seen;
  std::thread::id ranOn;
  std::thread producer([&] {
    MainQueue::async([&] {
      seen.push_back(1);
      ranOn = std::this_thread::get_id();
      EXPECT_TRUE(MainQueue::queue().isCurrent());
      MainQueue::async([&] { seen.push_back(2); });  // queued from an item: same drain runs it
    });
  });
  producer.join();
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(MainQueue::drain(), 2u);
  EXPECT_EQ(seen, (std::vector<int>{1, 2}));
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  EXPECT_EQ(MainQueue::drain(), 0u);
}

TEST(MainQueue, RunReturnsAfterStopOnceEarlierItemsRan) {
  std::atomic<int> ran{0};
  std::thread producer([&] {
    for (int i = 0; i < 5; ++i) MainQueue::async([&] { ++ran; });
    MainQueue::async([] { MainQueue::stop(); });
  });
  MainQueue::run();
  producer.join();
  EXPECT_EQ(ran.load(), 5);
}

}  // namespace
}  // namespace zarvo::platform
