// A FileWatcher for tests: it watches nothing, counts the store's trigger()s, and announces a change
// only when the test says so — so a test decides exactly when "another program" changed the files.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "zarvo/reminders/file_watcher.h"

namespace zarvo::testing {

class FakeFileWatcher {
 public:
  // The factory to put in EventStoreOptions::fileWatcher; the watcher it makes reports to this object,
  // which must outlive the store.
  reminders::FileWatcherFactory factory() {
    return [this](const std::filesystem::path&, std::chrono::milliseconds, std::function<void()> announce) {
      std::lock_guard lock(mu_);
      announce_ = std::move(announce);
      ++made_;
      return std::make_unique<Watcher>(*this);
    };
  }

  // Calls the store's announcement, as the real watcher does after a burst of changes. Nothing when
  // the store's watcher is gone.
  void announce() {
    std::function<void()> announce;
    {
      std::lock_guard lock(mu_);
      announce = announce_;
    }
    if (announce) announce();
  }

  int watchersMade() const { return made_; }
  int triggers() const { return triggers_; }
  bool watching() const { return alive_; }

 private:
  class Watcher final : public reminders::FileWatcher {
   public:
    explicit Watcher(FakeFileWatcher& owner) : owner_(owner) { owner_.alive_ = true; }
    ~Watcher() override {
      std::lock_guard lock(owner_.mu_);
      owner_.announce_ = nullptr;
      owner_.alive_ = false;
    }
    void trigger() override { ++owner_.triggers_; }

   private:
    FakeFileWatcher& owner_;
  };

  std::mutex mu_;
  std::function<void()> announce_;
  std::atomic<int> made_{0};
  std::atomic<int> triggers_{0};
  std::atomic<bool> alive_{false};
};

}  // namespace zarvo::testing
