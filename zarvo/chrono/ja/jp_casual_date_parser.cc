#include "zarvo/chrono/ja/jp_casual_date_parser.h"

#include "zarvo/chrono/casual_day.h"
#include "zarvo/platform/date_calendar.h"

namespace zarvo::chrono {

using platform::CalendarUnit;
using platform::DateCalendar;
using U = ComponentUnit;

std::u16string_view JPCasualDateParser::pattern() const { return u"今日|当日|昨日|明日|今夜|今夕|今晩|今朝"; }

std::optional<ParsedResult> JPCasualDateParser::extract(std::u16string_view text, Date ref,
                                                        const platform::Match& match, const Options&) const {
  ParsedResult result = wholeMatchOpening(text, ref, match);
  const std::u16string& word = result.text();
  ParsedComponents& start = result.start();
  Date day = ref;
  if (word == u"今夜" || word == u"今夕" || word == u"今晩") {
    start.imply(U::hour, 22);
    start.imply(U::meridiem, 1);
  } else if (word == u"明日") {
    // Before 05:00 "tomorrow" is still the day that has just begun.
    if (DateCalendar::current().component(CalendarUnit::hour, ref) >= 5) day = daysFrom(ref, 1);
  } else if (word == u"昨日") {
    day = daysFrom(ref, -1);
  } else if (word == u"今朝") {
    start.imply(U::hour, 6);
    start.imply(U::meridiem, 0);
  }
  assignDay(start, day);
  result.tags().set(TagUnit::jpCasualDateParser);
  return result;
}

}  // namespace zarvo::chrono
