#include "zarvo/platform/dispatch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "zarvo/testing/event_loop.h"

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

// With an executor installed, main-queue work runs on its loop, in order, what was queued before the
// installation first; nothing is left for drain(). Uninstalled, the queue is drained again.
TEST(MainQueue, AnInstalledExecutorRunsTheWorkOnItsLoop) {
  MainQueue::drain();
  std::vector<int> seen;  // touched only by the loop's thread until it is idle
  std::atomic<int> onLoop{0};
  const auto item = [&](int n) {
    return [&, n] {
      seen.push_back(n);
      if (MainQueue::queue().isCurrent()) ++onLoop;
    };
  };
  MainQueue::async(item(1));
  auto loop = std::make_shared<testing::EventLoopThread>();
  MainQueue::install(loop);
  std::thread producer([&] {
    for (int n = 2; n <= 50; ++n) MainQueue::async(item(n));
  });
  producer.join();
  EXPECT_FALSE(MainQueue::queue().isCurrent());  // this thread is not the loop's
  EXPECT_EQ(MainQueue::drain(), 0u);
  loop->waitUntilIdle();
  ASSERT_EQ(seen.size(), 50u);
  for (int n = 1; n <= 50; ++n) EXPECT_EQ(seen[n - 1], n);
  EXPECT_EQ(onLoop.load(), 50);

  MainQueue::install(nullptr);
  MainQueue::async(item(51));
  loop->waitUntilIdle();
  EXPECT_EQ(seen.size(), 50u);
  EXPECT_EQ(MainQueue::drain(), 1u);
  EXPECT_EQ(seen.back(), 51);
}

}  // namespace
}  // namespace zarvo::platform
