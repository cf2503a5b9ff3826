// Moving a reference date by a counted distance ("3 days", "half a month"), shared by the deadline,
// time-ago and relative-date parsers of every language.
#pragma once

#include <cstdint>

#include "zarvo/chrono/parsed_components.h"
#include "zarvo/platform/clock.h"

namespace zarvo::chrono {

enum class RelativeUnit { second, minute, hour, day, week, month, year };

// A distance as a phrase states it: a whole count of units, or half of one unit.
struct Amount {
  int64_t count = 1;
  bool half = false;  // when true, `count` is ignored
};

// `ref` moved by `amount` units in the direction of `sign` (+1 forward, -1 backward), in the current
// calendar. Whole units: days, weeks (7 days), months and years keep the wall-clock time across DST
// changes and end where the calendar ends them (31 January + 1 month is the end of February); hours,
// minutes and seconds are exact durations. Half a unit is: second 500 ms, minute 30 s, hour 30 min,
// day 12 h, week 3 days then 12 h, month half the days of `ref`'s month (integer division; 30 days
// when the calendar gives no length), year 6 months.
Date moveBy(Date ref, RelativeUnit unit, Amount amount, int sign);

// Writes a deadline ("in 3 days", "三天之後") that lands on `target` onto `start`: for days and longer
// units the target's year, month and day become known; for hours and shorter they are implied and the
// target's hour, minute and second become known.
void setDeadline(ParsedComponents& start, RelativeUnit unit, Date target);

}  // namespace zarvo::chrono
