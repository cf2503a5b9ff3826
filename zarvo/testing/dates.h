// Instants from wall-clock readings, and a scoped process time zone, for tests that pin both.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "zarvo/platform/date_calendar.h"

namespace zarvo::testing {

// Sets the process time zone for the lifetime of the object, then restores the previous one.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const std::string& zone) : previous_(platform::DateCalendar::processTimeZone()) {
    EXPECT_TRUE(platform::DateCalendar::setProcessTimeZone(zone)) << zone;
  }
  ~ScopedTimeZone() { platform::DateCalendar::setProcessTimeZone(previous_); }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::string previous_;
};

// The instant of a wall-clock time in the process time zone.
inline Date localDate(int64_t year, int64_t month, int64_t day, int64_t hour = 0, int64_t minute = 0,
                      int64_t second = 0, int64_t millisecond = 0) {
  platform::DateComponents c;
  c.year = year;
  c.month = month;
  c.day = day;
  c.hour = hour;
  c.minute = minute;
  c.second = second;
  c.nanosecond = millisecond * 1'000'000;
  return platform::DateCalendar::current().date(c);
}

}  // namespace zarvo::testing
