// A notification centre: named notifications from a sender, delivered to the observers that asked.
//
// Delivery is synchronous, on the posting thread, in registration order. Observers are called without
// any lock of the centre held, so an observer may post, add or remove observers. All members are
// thread-safe.
#pragma once

#include <any>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace zarvo::platform {

struct Notification {
  std::string name;
  // The sender, compared by address only (never dereferenced by the centre). May be null.
  const void* object = nullptr;
  std::map<std::string, std::any> userInfo{};
};

class NotificationCenter {
 public:
  using Observer = std::function<void(const Notification&)>;
  struct State;

  // Keeps an observer registered for as long as it lives (or until reset()). Once reset() or the
  // destructor returns, the observer is not running on any other thread and will not be called again;
  // an observer may drop its own registration from inside its call.
  class Registration {
   public:
    Registration() = default;
    Registration(Registration&&) noexcept = default;
    Registration& operator=(Registration&& other) noexcept;
    ~Registration() { reset(); }
    void reset();
    bool active() const { return entry_ != nullptr; }

   private:
    friend class NotificationCenter;
    struct Entry;
    Registration(std::weak_ptr<State> state, std::shared_ptr<Entry> entry)
        : state_(std::move(state)), entry_(std::move(entry)) {}
    std::weak_ptr<State> state_;
    std::shared_ptr<Entry> entry_;
  };

  NotificationCenter();
  ~NotificationCenter();
  NotificationCenter(const NotificationCenter&) = delete;
  NotificationCenter& operator=(const NotificationCenter&) = delete;

  // The process-wide centre.
  static NotificationCenter& defaultCenter();

  // Observes notifications called `name` (empty: every name) from `object` (null: any sender).
  [[nodiscard]] Registration addObserver(std::string name, const void* object, Observer observer);

  void post(const Notification& notification);
  void post(std::string name, const void* object, std::map<std::string, std::any> userInfo = {});

 private:
  std::shared_ptr<State> state_;
};

}  // namespace zarvo::platform
