#include "zarvo/platform/dispatch.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <optional>

#include "zarvo/platform/no_destructor.h"

namespace zarvo::platform {

void DispatchQueue::sync(Work work) {
  if (isCurrent()) {
    work();
    return;
  }
  std::promise<void> done;
  auto finished = done.get_future();
  async([&] {
    work();
    done.set_value();
  });
  finished.wait();
}

namespace {
// Which queue the current thread serves; set once per worker thread.
thread_local const DispatchQueue* currentQueue = nullptr;
}  // namespace

ConcurrentQueue::ConcurrentQueue(std::string label, size_t threads) : label_(std::move(label)) {
  threads = std::max<size_t>(1, threads);
  for (size_t i = 0; i < threads; ++i) {
    threads_.emplace_back([this](std::stop_token stop) { loop(stop); });
  }
}

ConcurrentQueue::~ConcurrentQueue() {
  for (auto& t : threads_) t.request_stop();
  ready_.notify_all();
  threads_.clear();  // joins
}

void ConcurrentQueue::async(Work work) {
  {
    std::lock_guard lock(mu_);
    work_.push_back(std::move(work));
  }
  ready_.notify_one();
}

bool ConcurrentQueue::isCurrent() const { return currentQueue == this; }

void ConcurrentQueue::loop(std::stop_token stop) {
  currentQueue = this;
  while (true) {
    Work item;
    {
      std::unique_lock lock(mu_);
      if (!ready_.wait(lock, stop, [&] { return !work_.empty(); })) return;
      item = std::move(work_.front());
      work_.pop_front();
    }
    item();
  }
}

SerialQueue::SerialQueue(std::string label)
    : label_(std::move(label)), thread_([this] { loop(); }) {}

SerialQueue::~SerialQueue() {
  {
    std::lock_guard lock(mu_);
    stopping_ = true;
  }
  ready_.notify_one();
  thread_.join();
}

void SerialQueue::async(Work work) {
  {
    std::lock_guard lock(mu_);
    work_.push_back(std::move(work));
  }
  ready_.notify_one();
}

bool SerialQueue::isCurrent() const { return currentQueue == this; }

void SerialQueue::loop() {
  currentQueue = this;
  while (true) {
    Work item;
    {
      std::unique_lock lock(mu_);
      ready_.wait(lock, [&] { return stopping_ || !work_.empty(); });
      if (work_.empty()) return;
      item = std::move(work_.front());
      work_.pop_front();
    }
    item();
  }
}

DispatchQueue& globalUserInitiatedQueue() {
  static ConcurrentQueue queue("zarvo.global.user-initiated",
                               std::max(2u, std::thread::hardware_concurrency()));
  return queue;
}

namespace {

class MainQueueImpl final : public DispatchQueue {
 public:
  void async(Work work) override {
    std::shared_ptr<MainExecutor> executor;
    {
      std::lock_guard lock(mu_);
      executor = executor_;
      if (!executor) work_.push_back(std::move(work));
    }
    if (executor) {
      executor->post(std::move(work));
    } else {
      ready_.notify_all();
    }
  }
  bool isCurrent() const override {
    if (currentQueue == this) return true;
    std::lock_guard lock(mu_);
    return executor_ && executor_->isMainThread();
  }

  size_t drain() {
    Scope scope(this);
    size_t ran = 0;
    while (auto item = take(false)) {
      (*item)();
      ++ran;
    }
    return ran;
  }

  void run() {
    Scope scope(this);
    {
      std::lock_guard lock(mu_);
      stopRequested_ = false;
    }
    while (auto item = take(true)) (*item)();
  }

  void stop() {
    {
      std::lock_guard lock(mu_);
      stopRequested_ = true;
    }
    ready_.notify_all();
  }

  void install(std::shared_ptr<MainExecutor> executor) {
    std::lock_guard lock(mu_);
    executor_ = std::move(executor);
    if (!executor_) return;
    // Handed over under the lock, so that no item posted meanwhile overtakes them; post() runs no work
    // and so never comes back here.
    for (auto& item : work_) executor_->post(std::move(item));
    work_.clear();
  }

 private:
  // Marks the draining thread as the main queue's for the duration of drain()/run().
  struct Scope {
    explicit Scope(const DispatchQueue* q) : previous(currentQueue) { currentQueue = q; }
    ~Scope() { currentQueue = previous; }
    const DispatchQueue* previous;
  };

  std::optional<Work> take(bool wait) {
    std::unique_lock lock(mu_);
    if (wait) ready_.wait(lock, [&] { return stopRequested_ || !work_.empty(); });
    if (work_.empty()) return std::nullopt;
    Work item = std::move(work_.front());
    work_.pop_front();
    return item;
  }

  mutable std::mutex mu_;
  std::condition_variable ready_;
  std::deque<Work> work_;
  bool stopRequested_ = false;
  std::shared_ptr<MainExecutor> executor_;
};

// Never destroyed: refresh workers and store threads may still post to it while the process exits.
MainQueueImpl& mainQueue() {
  static NoDestructor<MainQueueImpl> queue;
  return queue.get();
}

}  // namespace

void MainQueue::async(DispatchQueue::Work work) { mainQueue().async(std::move(work)); }
size_t MainQueue::drain() { return mainQueue().drain(); }
void MainQueue::run() { mainQueue().run(); }
void MainQueue::stop() { mainQueue().stop(); }
DispatchQueue& MainQueue::queue() { return mainQueue(); }
void MainQueue::install(std::shared_ptr<MainExecutor> executor) { mainQueue().install(std::move(executor)); }

}  // namespace zarvo::platform
