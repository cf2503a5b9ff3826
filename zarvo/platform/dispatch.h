// Dispatch queues: a process-wide concurrent pool for user-initiated work, serial queues, and the
// main queue, which runs where the application says: on the loop of an executor it installs (a GUI's
// event loop), else wherever it drains the queue (a command-line program).
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

// Runs main-queue work on the application's main thread, the way its event loop runs its own events
// (Qt: a queued invocation on the application object). Installed with MainQueue::install.
class MainExecutor {
 public:
  virtual ~MainExecutor() = default;
  // Arranges for `work` to run later on the main thread, after the work posted before it. Called from
  // any thread, also from the main thread; must not run `work` before returning.
  virtual void post(DispatchQueue::Work work) = 0;
  // Whether the calling thread is the one that runs posted work.
  virtual bool isMainThread() const = 0;
};

// Work for the application's main thread: the library's announcements ("CalendarIO.Refreshed") and
// the completions it promises on the main queue. Where it runs:
// - Without an executor (the default), nothing runs it by itself: the application calls drain()
//   (non-blocking) or run() (blocking until stop()) on the thread it treats as main.
// - With an executor installed, every item is posted to it as it comes, in order; drain() and run()
//   then find nothing queued (they return at once: 0, and at the next stop()).
class MainQueue {
 public:
  static void async(DispatchQueue::Work work);
  // Runs every item queued so far (and items they queue), returns how many ran.
  static size_t drain();
  // Runs items as they come until stop() is called from another thread or from an item; items
  // queued before stop() still run. A stop() made while no run() is in progress is forgotten.
  static void run();
  static void stop();
  // A DispatchQueue view of the main queue; isCurrent() is true on the thread inside drain()/run(), or
  // on the executor's main thread.
  static DispatchQueue& queue();

  // Sends main-queue work to `executor` from now on; items queued and not yet run are handed to it
  // first, in order. Null goes back to the drained queue. Call it on the main thread, before the
  // library posts work one expects there (before opening a home); the executor must outlive its
  // installation (the queue holds it until replaced).
  static void install(std::shared_ptr<MainExecutor> executor);
};

}  // namespace zarvo::platform
