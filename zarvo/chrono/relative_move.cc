#include "zarvo/chrono/relative_move.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/platform/date_calendar.h"

namespace zarvo::chrono {

using platform::CalendarUnit;
using platform::DateCalendar;

Date moveBy(Date ref, RelativeUnit unit, Amount amount, int sign) {
  const DateCalendar calendar = DateCalendar::current();
  if (!amount.half) {
    const int64_t n = sign * amount.count;
    switch (unit) {
      case RelativeUnit::second: return calendar.adding(CalendarUnit::second, n, ref);
      case RelativeUnit::minute: return calendar.adding(CalendarUnit::minute, n, ref);
      case RelativeUnit::hour: return calendar.adding(CalendarUnit::hour, n, ref);
      case RelativeUnit::day: return calendar.adding(CalendarUnit::day, n, ref);
      // Weeks of 7 days, counted by the calendar: `7 * n` overflows for a long enough phrase.
      case RelativeUnit::week: return calendar.adding(CalendarUnit::weekOfYear, n, ref);
      case RelativeUnit::month: return calendar.adding(CalendarUnit::month, n, ref);
      case RelativeUnit::year: return calendar.adding(CalendarUnit::year, n, ref);
    }
    return ref;
  }
  switch (unit) {
    case RelativeUnit::second: return calendar.adding(CalendarUnit::nanosecond, sign * 500'000'000LL, ref);
    case RelativeUnit::minute: return calendar.adding(CalendarUnit::second, sign * 30, ref);
    case RelativeUnit::hour: return calendar.adding(CalendarUnit::minute, sign * 30, ref);
    case RelativeUnit::day: return calendar.adding(CalendarUnit::hour, sign * 12, ref);
    case RelativeUnit::week:
      return calendar.adding(CalendarUnit::hour, sign * 12, calendar.adding(CalendarUnit::day, sign * 3, ref));
    case RelativeUnit::month: {
      const int days = calendar.daysInMonth(ref);
      const int64_t length = days > 0 ? days : 30;
      return calendar.adding(CalendarUnit::day, (sign * length) / 2, ref);
    }
    case RelativeUnit::year: return calendar.adding(CalendarUnit::month, sign * 6, ref);
  }
  return ref;
}

void setDeadline(ParsedComponents& start, RelativeUnit unit, Date target) {
  const CalendarFields fields = calendarFields(target);
  switch (unit) {
    case RelativeUnit::day:
    case RelativeUnit::week:
    case RelativeUnit::month:
    case RelativeUnit::year:
      assignDate(start, fields);
      break;
    case RelativeUnit::hour:
    case RelativeUnit::minute:
    case RelativeUnit::second:
      implyDate(start, fields);
      start.assign(ComponentUnit::hour, fields.hour);
      start.assign(ComponentUnit::minute, fields.minute);
      start.assign(ComponentUnit::second, fields.second);
      break;
  }
}

}  // namespace zarvo::chrono
