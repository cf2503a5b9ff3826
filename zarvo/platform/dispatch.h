// Dispatch queues: a process-wide concurrent pool for user-initiated work, serial queues, and a main
// queue that the application drains on its own thread.
//
// Work items are std::function<void()> taken by value; an exception escaping a work item terminates
// the process (as it would on any thread). All members are thread-safe.
//
// The refresh gate and similar limits use std::counting_semaphore directly (`Semaphore` below).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <semaphore>
#include <string>
#include <thread>
#include <vector>

namespace zarvo::platform {

using Semaphore = std::counting_semaphore<>;

class DispatchQueue {
 public:
  using Work = std::function<void()>;
  virtual ~DispatchQueue() = default;

  // Runs `work` later on one of the queue's threads and returns at once.
  virtual void async(Work work) = 0;
  // Runs `work` on the queue and returns when it has run. On a serial queue, a call made from that
  // queue's own thread runs `work` inline (re-entrant) instead of deadlocking.
  virtual void sync(Work work);
  // True when the calling thread is one of this queue's.
  virtual bool isCurrent() const = 0;
};

// A fixed set of worker threads taking work in submission order; items may run concurrently.
// The destructor lets running items finish, drops queued ones and joins the threads.
class ConcurrentQueue final : public DispatchQueue {
 public:
  ConcurrentQueue(std::string label, size_t threads);
  ~ConcurrentQueue() override;
  void async(Work work) override;
  bool isCurrent() const override;
  const std::string& label() const { return label_; }

 private:
  void loop(std::stop_token stop);
  std::string label_;
  std::mutex mu_;
  std::condition_variable_any ready_;
  std::deque<Work> work_;
  std::vector<std::jthread> threads_;
};

// One item at a time, in submission order, on one thread started with the queue.
// The destructor runs the items already queued, then joins. It must not be called from the queue.
class SerialQueue final : public DispatchQueue {
 public:
  explicit SerialQueue(std::string label);
  ~SerialQueue() override;
  void async(Work work) override;
  bool isCurrent() const override;
  const std::string& label() const { return label_; }

 private:
  void loop();
  std::string label_;
  std::mutex mu_;
  std::condition_variable ready_;
  std::deque<Work> work_;
  bool stopping_ = false;
  std::thread thread_;  // declared last: started after the fields it uses
};

// The global concurrent queue for user-initiated work (two or more threads, living until exit).
DispatchQueue& globalUserInitiatedQueue();

// Work for the application's main thread. Nothing runs it by itself: the application calls drain()
// (non-blocking) or run() (blocking until stop()) on the thread it treats as main.
class MainQueue {
 public:
  static void async(DispatchQueue::Work work);
  // Runs every item queued so far (and items they queue), returns how many ran.
  static size_t drain();
  // Runs items as they come until stop() is called from another thread or from an item; items
  // queued before stop() still run. A stop() made while no run() is in progress is forgotten.
  static void run();
  static void stop();
  // A DispatchQueue view of the main queue; isCurrent() is true on the thread inside drain()/run().
  static DispatchQueue& queue();
};

}  // namespace zarvo::platform
