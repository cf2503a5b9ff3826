#include "zarvo/chrono/calendar_fields.h"

#include <array>
#include <chrono>

#include "zarvo/platform/date_calendar.h"

namespace zarvo::chrono {

using platform::DateCalendar;
using platform::DateComponents;

DateComponents currentComponents(Date date) {
  struct Entry {
    Date date;
    uint64_t zoneGeneration = 0;  // 0: empty (generations start at 1)
    DateComponents components;
  };
  thread_local std::array<Entry, 4> recent{};
  thread_local size_t next = 0;
  // Read before computing: a zone change during the computation leaves the entry stale, not wrong.
  const uint64_t generation = DateCalendar::processTimeZoneGeneration();
  for (const Entry& e : recent) {
    if (e.zoneGeneration == generation && e.date == date) return e.components;
  }
  Entry& slot = recent[next];
  next = (next + 1) % recent.size();
  slot = Entry{date, generation, DateCalendar::current().components(date)};
  return slot.components;
}

CalendarFields calendarFields(Date date) {
  const DateComponents c = currentComponents(date);
  CalendarFields f;
  // The calendar counts years within an era; era 0 is BC, whose year 1 is the proleptic year 0.
  f.year = (c.era && *c.era == 0) ? 1 - c.year.value_or(0) : c.year.value_or(0);
  f.month = c.month.value_or(1);
  f.day = c.day.value_or(1);
  f.hour = c.hour.value_or(0);
  f.minute = c.minute.value_or(0);
  f.second = c.second.value_or(0);
  f.nanosecond = c.nanosecond.value_or(0);
  f.weekday = c.weekday.value_or(1) - 1;
  return f;
}

void assignDate(ParsedComponents& components, const CalendarFields& fields) {
  components.assign(ComponentUnit::year, fields.year);
  components.assign(ComponentUnit::month, fields.month);
  components.assign(ComponentUnit::day, fields.day);
}

void implyDate(ParsedComponents& components, const CalendarFields& fields) {
  components.imply(ComponentUnit::year, fields.year);
  components.imply(ComponentUnit::month, fields.month);
  components.imply(ComponentUnit::day, fields.day);
}

int64_t nearestYear(Date ref, int64_t month, int64_t day) {
  const CalendarFields r = calendarFields(ref);
  auto dateIn = [&](int64_t year) {
    DateComponents c;
    c.year = year;
    c.month = month;
    c.day = day;
    c.hour = r.hour;
    c.minute = r.minute;
    c.second = r.second;
    c.nanosecond = r.nanosecond;
    return DateCalendar::current().date(c);
  };
  auto distance = [&](Date d) {
    const auto diff = d - ref;
    return diff < Date::duration::zero() ? -diff : diff;
  };
  Date chosen = dateIn(r.year);
  const Date later = dateIn(r.year + 1);
  const Date earlier = dateIn(r.year - 1);
  if (distance(later) < distance(chosen)) {
    chosen = later;
  } else if (distance(earlier) < distance(chosen)) {
    chosen = earlier;
  }
  // The year of the date as the calendar carried it, so a day past the month's end that spills into
  // the next year reports that year.
  return calendarFields(chosen).year;
}

}  // namespace zarvo::chrono
