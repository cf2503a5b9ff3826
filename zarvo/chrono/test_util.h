// Helpers for the date engine's tests: local wall-clock instants in a chosen zone, and a scoped
// process time zone.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "zarvo/chrono/parsed_components.h"
#include "zarvo/platform/date_calendar.h"

namespace zarvo::chrono::testing {

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

// The instant of a wall-clock time in UTC.
inline Date utcDate(int64_t year, int64_t month, int64_t day, int64_t hour = 0, int64_t minute = 0) {
  platform::DateComponents c;
  c.timeZone = std::string("UTC");
  c.year = year;
  c.month = month;
  c.day = day;
  c.hour = hour;
  c.minute = minute;
  return platform::DateCalendar::gregorianUTC().date(c);
}

inline std::string iso(Date d) { return platform::isoString(d); }

// "year=2024 month=3 ..." for readable failure messages.
inline std::string describe(const ComponentMap& m) {
  std::string out;
  m.forEach([&](ComponentUnit u, int64_t v) {
    if (!out.empty()) out += ' ';
    out += std::string(name(u)) + "=" + std::to_string(v);
  });
  return out;
}

}  // namespace zarvo::chrono::testing
