#include "zarvo/chrono/casual_day.h"

#include "zarvo/platform/date_calendar.h"

namespace zarvo::chrono {

using platform::CalendarUnit;
using platform::DateCalendar;

Date daysFrom(Date ref, int64_t days) { return DateCalendar::current().adding(CalendarUnit::day, days, ref); }

Date tomorrowFrom(Date ref) {
  return DateCalendar::current().component(CalendarUnit::hour, ref) > 1 ? daysFrom(ref, 1) : ref;
}

Date lastNight(ParsedComponents& start, Date ref) {
  start.imply(ComponentUnit::hour, 0);
  return DateCalendar::current().component(CalendarUnit::hour, ref) > 6 ? daysFrom(ref, -1) : ref;
}

void implyNow(ParsedComponents& start, Date ref, bool roundUp) {
  const platform::DateComponents now = DateCalendar::current().components(ref);
  start.imply(ComponentUnit::hour, now.hour);
  start.imply(ComponentUnit::minute, now.minute);
  start.imply(ComponentUnit::second, now.second);
  start.imply(ComponentUnit::millisecond, (now.nanosecond.value_or(0) + (roundUp ? 999'999 : 0)) / 1'000'000);
}

void assignDay(ParsedComponents& start, Date day) {
  const platform::DateComponents c = DateCalendar::current().components(day);
  start.assign(ComponentUnit::day, c.day);
  start.assign(ComponentUnit::month, c.month);
  start.assign(ComponentUnit::year, c.year);
}

const PartOfDay* findPartOfDay(std::span<const PartOfDay> parts, std::u16string_view word) {
  for (const PartOfDay& part : parts) {
    if (part.word == word) return &part;
  }
  return nullptr;
}

void implyPartOfDay(ParsedComponents& start, const PartOfDay& part, const Options& opt) {
  start.imply(ComponentUnit::hour, optionValue(opt, part.option).value_or(part.defaultHour));
  start.imply(ComponentUnit::meridiem, part.meridiem);
}

}  // namespace zarvo::chrono
