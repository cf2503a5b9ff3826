#include "zarvo/chrono/day_of_month_parser.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/platform/date_calendar.h"

namespace zarvo::chrono {

using U = ComponentUnit;

std::optional<ParsedResult> DayOfMonthParser::extract(std::u16string_view text, Date ref,
                                                      const platform::Match& match, const Options&) const {
  const std::optional<int64_t> day = readDay(text, match);
  if (!day || *day < 1 || *day > 31) return std::nullopt;
  const platform::DateCalendar calendar = platform::DateCalendar::current();
  const CalendarFields today = calendarFields(ref);
  for (int64_t ahead = 0; ahead <= 12; ++ahead) {
    const int64_t months = today.month - 1 + ahead;
    const platform::DateComponents first{.year = today.year + months / 12, .month = months % 12 + 1, .day = 1};
    if (*day > calendar.daysInMonth(calendar.date(first)) || (ahead == 0 && *day < today.day)) continue;
    ParsedResult result = commonOpening(text, ref, match);
    result.start().assign(U::day, *day);
    result.start().imply(U::month, *first.month);
    result.start().imply(U::year, *first.year);
    if (!readTime(text, match, result.start())) return std::nullopt;
    result.tags().set(tag());
    return result;
  }
  return std::nullopt;
}

}  // namespace zarvo::chrono
