// The current moment, behind a seam so tests can fix or step it.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>

namespace zarvo {

// An instant, counted in microseconds of the system clock (UTC, leap seconds not counted). 64 bits of
// microseconds span about 292,000 years either side of 1970, so every date a task can hold (years 1
// to 9999, see date_calendar.h) and the far dates the date engine reads are kept exactly.
// Civil dates (a due date without a zone) are DateComponents, never a Date.
using Date = std::chrono::sys_time<std::chrono::microseconds>;

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual Date now() const = 0;

  // The process-wide clock every library component reads. Initially the system clock.
  // Thread-safe; tests install a FixedClock and restore the old one afterwards (ScopedClock).
  static std::shared_ptr<const Clock> current();
  static void setCurrent(std::shared_ptr<const Clock> clock);
  static Date currentNow() { return current()->now(); }

  static std::shared_ptr<const Clock> system();
};

class SystemClock final : public Clock {
 public:
  Date now() const override { return std::chrono::floor<Date::duration>(std::chrono::system_clock::now()); }
};

// A clock that answers a settable instant; `advance` steps it.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(Date at) : at_(at.time_since_epoch().count()) {}
  Date now() const override { return Date(Date::duration(at_.load())); }
  void set(Date at) { at_.store(at.time_since_epoch().count()); }
  void advance(Date::duration by) { at_.fetch_add(by.count()); }

 private:
  std::atomic<Date::rep> at_;
};

// Installs a clock for the lifetime of the object, then restores the previous one.
class ScopedClock {
 public:
  explicit ScopedClock(std::shared_ptr<const Clock> clock) : previous_(Clock::current()) {
    Clock::setCurrent(std::move(clock));
  }
  ~ScopedClock() { Clock::setCurrent(previous_); }
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  std::shared_ptr<const Clock> previous_;
};

}  // namespace platform
}  // namespace zarvo
