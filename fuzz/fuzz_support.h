// What every fuzz target shares: one fixed process time zone and reference date, so a finding
// reproduces on any machine, and a check that aborts (a finding for libFuzzer) with a message.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "zarvo/platform/clock.h"
#include "zarvo/platform/date_calendar.h"

namespace zarvo::fuzz {

// The zone has DST, so phrases near its transitions are read too.
inline constexpr std::string_view kTimeZone = "Europe/Berlin";

// Sets the process time zone; call once, from LLVMFuzzerInitialize.
inline void setUpProcess() {
  if (!platform::DateCalendar::setProcessTimeZone(kTimeZone)) {
    std::fprintf(stderr, "fuzz: cannot set the time zone %.*s\n", static_cast<int>(kTimeZone.size()),
                 kTimeZone.data());
    std::abort();
  }
}

// Monday 11 March 2024, 10:00 in kTimeZone.
inline Date referenceDate() {
  platform::DateComponents c;
  c.year = 2024;
  c.month = 3;
  c.day = 11;
  c.hour = 10;
  c.minute = 0;
  return platform::DateCalendar::current().date(c);
}

// An invariant: reports `what` and aborts when it does not hold.
inline void check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz: invariant violated: %s\n", what);
  std::abort();
}

}  // namespace zarvo::fuzz
