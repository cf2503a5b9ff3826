#include "zarvo/chrono/weekday_rule.h"

#include <cstdlib>

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/platform/date_calendar.h"

namespace zarvo::chrono {

ParsedResult updateParsedComponent(ParsedResult result, Date ref, int64_t offset, std::u16string_view modifier) {
  const int64_t refDay = calendarFields(ref).weekday;

  int64_t target = offset;
  bool known = false;
  if (modifier == u"last" || modifier == u"past") {
    target = offset - 7;
    known = true;
  } else if (modifier == u"next") {
    target = offset + 7;
    known = true;
  } else if (modifier != u"this") {
    // Ties go to the reference's own week.
    const int64_t here = std::llabs(offset - refDay);
    if (std::llabs(offset - 7 - refDay) < here) {
      target = offset - 7;
    } else if (std::llabs(offset + 7 - refDay) < here) {
      target = offset + 7;
    }
  }

  const Date date = platform::DateCalendar::current().adding(platform::CalendarUnit::day, target - refDay, ref);
  const CalendarFields fields = calendarFields(date);
  ParsedComponents& start = result.start();
  start.assign(ComponentUnit::weekday, offset);
  if (known) {
    assignDate(start, fields);
  } else {
    implyDate(start, fields);
  }
  return result;
}

}  // namespace zarvo::chrono
