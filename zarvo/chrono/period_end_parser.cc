#include "zarvo/chrono/period_end_parser.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/casual_day.h"
#include "zarvo/platform/date_calendar.h"

namespace zarvo::chrono {

namespace {

using platform::CalendarUnit;
using platform::DateCalendar;

// Days from `weekday` (0 = Sunday) on to the next `target`, 0 when they are the same.
int64_t daysUntil(int64_t weekday, int64_t target) { return (target - weekday + 7) % 7; }

}  // namespace

std::optional<ParsedResult> PeriodEndParser::extract(std::u16string_view text, Date ref,
                                                     const platform::Match& match, const Options&) const {
  const std::optional<Named> named = period(text, match);
  if (!named) return std::nullopt;
  const DateCalendar calendar = DateCalendar::current();
  const CalendarFields today = calendarFields(ref);
  Date day = ref;
  switch (named->period) {
    case Period::week:
      day = daysFrom(ref, daysUntil(today.weekday, 5) + 7 * named->ahead);
      break;
    case Period::weekend: {
      const bool inWeekend = today.weekday == 6 || today.weekday == 0;
      const Date saturday = daysFrom(ref, today.weekday == 0 ? -1 : daysUntil(today.weekday, 6));
      day = named->ahead == 0 && inWeekend ? ref : daysFrom(saturday, 7 * named->ahead);
      break;
    }
    case Period::month: {
      const Date first = calendar.adding(CalendarUnit::month, named->ahead,
                                         calendar.date({.year = today.year, .month = today.month, .day = 1}));
      day = daysFrom(first, calendar.daysInMonth(first) - 1);
      break;
    }
    case Period::year:
      day = calendar.date({.year = today.year + named->ahead, .month = 12, .day = 31, .hour = today.hour});
      break;
  }
  ParsedResult result = hasLeadingContext() ? commonOpening(text, ref, match) : wholeMatchOpening(text, ref, match);
  assignDay(result.start(), day);
  result.tags().set(tag());
  return result;
}

}  // namespace zarvo::chrono
