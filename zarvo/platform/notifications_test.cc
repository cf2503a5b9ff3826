#include "zarvo/platform/notifications.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace zarvo::platform {
namespace {

TEST(NotificationCenter, MatchesByNameAndSender) {
  NotificationCenter center;
  int a = 0, b = 0;
  std::vector<std::string> seen;
  auto any = center.addObserver("", nullptr, [&](const Notification& n) { seen.push_back("any:" + n.name); });
  auto fromA = center.addObserver("changed", &a, [&](const Notification&) { seen.push_back("a"); });
  center.post("changed", &a);
  center.post("changed", &b);
  center.post("other", &a, {{"key", std::any(7)}});
  EXPECT_EQ(seen, (std::vector<std::string>{"any:changed", "a", "any:changed", "any:other"}));
}

TEST(NotificationCenter, DeliversOnThePostingThreadAndCarriesUserInfo) {
  NotificationCenter center;
  std::thread::id deliveredOn;
  int value = 0;
  auto r = center.addObserver("n", nullptr, [&](const Notification& n) {
    deliveredOn = std::this_thread::get_id();
    value = std::any_cast<int>(n.userInfo.at("count"));
  });
  std::thread poster([&] { center.post("n", nullptr, {{"count", std::any(3)}}); });
  const auto posterId = poster.get_id();
  poster.join();
  EXPECT_EQ(deliveredOn, posterId);
  EXPECT_EQ(value, 3);
}

TEST(NotificationCenter, RemovedObserverIsNeverCalledAgain) {
  NotificationCenter center;
  int calls = 0;
  auto r = center.addObserver("n", nullptr, [&](const Notification&) { ++calls; });
  center.post("n", nullptr);
  r.reset();
  center.post("n", nullptr);
  {
    auto scoped = center.addObserver("n", nullptr, [&](const Notification&) { ++calls; });
  }
  center.post("n", nullptr);
  EXPECT_EQ(calls, 1);
}

TEST(NotificationCenter, ObserverMayRemoveItselfAndPostFromItsCall) {
  NotificationCenter center;
  NotificationCenter::Registration self;
  int outer = 0, inner = 0;
  auto second = center.addObserver("inner", nullptr, [&](const Notification&) { ++inner; });
  self = center.addObserver("outer", nullptr, [&](const Notification&) {
    ++outer;
    center.post("inner", nullptr);
    self.reset();
  });
  center.post("outer", nullptr);
  center.post("outer", nullptr);
  EXPECT_EQ(outer, 1);
  EXPECT_EQ(inner, 1);
}

// Removal must wait for a call running on another thread, so the observer's captures can be freed
// as soon as reset() returns.
TEST(NotificationCenter, RemovalWaitsForCallInFlightOnAnotherThread) {
  NotificationCenter center;
  std::atomic<bool> entered{false}, finished{false};
  auto r = center.addObserver("slow", nullptr, [&](const Notification&) {
    entered = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    finished = true;
  });
  std::thread poster([&] { center.post("slow", nullptr); });
  while (!entered) std::this_thread::yield();
  r.reset();
  EXPECT_TRUE(finished);
  poster.join();
}

}  // namespace
}  // namespace zarvo::platform
