#include "zarvo/platform/clock.h"

#include <mutex>

namespace zarvo::platform {

namespace {
std::mutex& clockMutex() {
  static std::mutex m;
  return m;
}
std::shared_ptr<const Clock>& clockSlot() {
  static std::shared_ptr<const Clock> clock = Clock::system();
  return clock;
}
}  // namespace

std::shared_ptr<const Clock> Clock::system() {
  static const std::shared_ptr<const Clock> clock = std::make_shared<SystemClock>();
  return clock;
}

std::shared_ptr<const Clock> Clock::current() {
  std::lock_guard lock(clockMutex());
  return clockSlot();
}

void Clock::setCurrent(std::shared_ptr<const Clock> clock) {
  std::lock_guard lock(clockMutex());
  clockSlot() = clock ? std::move(clock) : system();
}

}  // namespace zarvo::platform
