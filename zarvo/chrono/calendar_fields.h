// Calendar readings the parsers of every language share: the fields of an instant in the user's
// calendar and zone, and the year a month-and-day phrase without a year falls in.
//
// All functions read the process's current calendar and time zone at the moment of the call and are
// thread-safe.
#pragma once

#include <cstdint>

#include "zarvo/chrono/parsed_components.h"
#include "zarvo/platform/clock.h"
#include "zarvo/platform/date_calendar.h"

namespace zarvo::chrono {

// The wall-clock fields of an instant in DateCalendar::current(). `year` is the proleptic year
// (1 BC is 0), so it can be written back into a component set unchanged.
struct CalendarFields {
  int64_t year = 0;
  int64_t month = 0;  // 1-12
  int64_t day = 0;    // 1-31
  int64_t hour = 0;
  int64_t minute = 0;
  int64_t second = 0;
  int64_t nanosecond = 0;
  int64_t weekday = 0;  // 0 = Sunday ... 6 = Saturday, as ComponentUnit::weekday counts
};

CalendarFields calendarFields(Date date);

// DateCalendar::current().components(date). A parse reads the same reference instant many times, so
// each thread remembers its last few answers (until the process time zone changes).
platform::DateComponents currentComponents(Date date);

// Writes `fields`' year, month and day (in that order) onto `components`, as known or as implied.
void assignDate(ParsedComponents& components, const CalendarFields& fields);
void implyDate(ParsedComponents& components, const CalendarFields& fields);

// The year of the occurrence of `month`/`day` nearest to `ref`: the date is built in `ref`'s year
// (keeping `ref`'s time of day; an impossible day carries over as the calendar carries it); the same
// date a year later wins if strictly nearer to `ref`, else the date a year earlier if strictly nearer
// than the first; ties keep `ref`'s year. The answer is the year of the chosen date as the calendar
// carried it. Read in December, 5 January is next year's; read in
// January, 20 December is last year's.
int64_t nearestYear(Date ref, int64_t month, int64_t day);

}  // namespace zarvo::chrono
