// An event loop of the application's own, on a thread of its own, as a GUI toolkit runs one: a
// platform::MainExecutor that tests install on the main queue.
#pragma once

#include <future>

#include "zarvo/platform/dispatch.h"

namespace zarvo::testing {

class EventLoopThread final : public platform::MainExecutor {
 public:
  EventLoopThread() : queue_("event-loop") {}
  void post(platform::DispatchQueue::Work work) override { queue_.async(std::move(work)); }
  bool isMainThread() const override { return queue_.isCurrent(); }
  // Returns once everything posted so far has run.
  void waitUntilIdle() {
    std::promise<void> idle;
    queue_.async([&] { idle.set_value(); });
    idle.get_future().wait();
  }

 private:
  platform::SerialQueue queue_;
};

// Installs an EventLoopThread on the main queue for one scope.
class ScopedEventLoop {
 public:
  ScopedEventLoop() : loop_(std::make_shared<EventLoopThread>()) { platform::MainQueue::install(loop_); }
  ~ScopedEventLoop() {
    platform::MainQueue::install(nullptr);
    loop_->waitUntilIdle();
  }
  EventLoopThread& loop() { return *loop_; }

 private:
  std::shared_ptr<EventLoopThread> loop_;
};

}  // namespace zarvo::testing
