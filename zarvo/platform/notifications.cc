#include "zarvo/platform/notifications.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "zarvo/platform/no_destructor.h"

namespace zarvo::platform {

struct NotificationCenter::Registration::Entry {
  std::string name;
  const void* object;
  Observer observer;

  // Calls in flight, by thread, so that removal can wait for other threads' calls to end while a call
  // on the removing thread itself (an observer removing itself) does not deadlock.
  std::mutex mu;
  std::condition_variable idle;
  bool removed = false;
  std::vector<std::thread::id> callers;
};

struct NotificationCenter::State {
  std::mutex mu;
  std::vector<std::shared_ptr<Registration::Entry>> entries;
};

NotificationCenter::NotificationCenter() : state_(std::make_shared<State>()) {}
NotificationCenter::~NotificationCenter() = default;

// Never destroyed: store threads may still post while the process exits.
NotificationCenter& NotificationCenter::defaultCenter() {
  static NoDestructor<NotificationCenter> center;
  return center.get();
}

NotificationCenter::Registration NotificationCenter::addObserver(std::string name, const void* object,
                                                                 Observer observer) {
  auto entry = std::make_shared<Registration::Entry>();
  entry->name = std::move(name);
  entry->object = object;
  entry->observer = std::move(observer);
  std::lock_guard lock(state_->mu);
  state_->entries.push_back(entry);
  return Registration(state_, entry);
}

NotificationCenter::Registration& NotificationCenter::Registration::operator=(
    Registration&& other) noexcept {
  if (this != &other) {
    reset();
    state_ = std::move(other.state_);
    entry_ = std::move(other.entry_);
  }
  return *this;
}

void NotificationCenter::Registration::reset() {
  if (!entry_) return;
  if (auto state = state_.lock()) {
    std::lock_guard lock(state->mu);
    std::erase(state->entries, entry_);
  }
  std::unique_lock lock(entry_->mu);
  entry_->removed = true;
  const auto self = std::this_thread::get_id();
  entry_->idle.wait(lock, [&] {
    return std::all_of(entry_->callers.begin(), entry_->callers.end(),
                       [&](std::thread::id id) { return id == self; });
  });
  lock.unlock();
  entry_.reset();
  state_.reset();
}

void NotificationCenter::post(const Notification& notification) {
  std::vector<std::shared_ptr<Registration::Entry>> targets;
  {
    std::lock_guard lock(state_->mu);
    for (const auto& e : state_->entries) {
      if ((e->name.empty() || e->name == notification.name) &&
          (e->object == nullptr || e->object == notification.object)) {
        targets.push_back(e);
      }
    }
  }
  const auto self = std::this_thread::get_id();
  for (const auto& e : targets) {
    {
      std::lock_guard lock(e->mu);
      if (e->removed) continue;
      e->callers.push_back(self);
    }
    struct Leave {
      Registration::Entry& e;
      std::thread::id self;
      ~Leave() {
        std::lock_guard lock(e.mu);
        e.callers.erase(std::find(e.callers.begin(), e.callers.end(), self));
        e.idle.notify_all();
      }
    } leave{*e, self};
    e->observer(notification);
  }
}

void NotificationCenter::post(std::string name, const void* object,
                              std::map<std::string, std::any> userInfo) {
  post(Notification{std::move(name), object, std::move(userInfo)});
}

}  // namespace zarvo::platform
