#include "zarvo/chrono/en/en_casual_date_parser.h"

#include "zarvo/chrono/pattern_cache.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

using platform::CalendarUnit;
using platform::DateCalendar;
using U = ComponentUnit;

namespace {

// "tomorrow " is tried before the bare word, so a blank after it stays in the phrase when nothing but
// blanks or punctuation follows.
constexpr std::u16string_view kPattern =
    u"(\\W|^)(now|today|tonight|last\\s*night|(?:tomorrow|tmr|yesterday)\\s*|tomorrow|tmr|yesterday)(?=\\W|$)";

}  // namespace

std::u16string_view ENCasualDateParser::pattern() const { return kPattern; }

std::optional<ParsedResult> ENCasualDateParser::extract(std::u16string_view text, Date ref,
                                                        const platform::Match& match, const Options&) const {
  ParsedResult result = commonOpening(text, ref, match);
  const DateCalendar calendar = DateCalendar::current();
  Date day = ref;
  const std::u16string lower = platform::lowercased(result.text());
  ParsedComponents& start = result.start();

  if (lower == u"tonight") {
    start.imply(U::hour, 22);
    start.imply(U::meridiem, 1);
  } else if (patternMatches(u"^tomorrow|^tmr", lower)) {
    // Between midnight and 02:00 "tomorrow" still means the day that has just begun.
    if (calendar.component(CalendarUnit::hour, ref) > 1) day = calendar.adding(CalendarUnit::day, 1, ref);
  } else if (patternMatches(u"^yesterday", lower)) {
    day = calendar.adding(CalendarUnit::day, -1, ref);
  } else if (patternMatches(u"last\\s*night", lower)) {
    start.imply(U::hour, 0);
    if (calendar.component(CalendarUnit::hour, ref) > 6) day = calendar.adding(CalendarUnit::day, -1, ref);
  } else if (patternMatches(u"now", lower)) {
    const platform::DateComponents now = calendar.components(ref);
    start.imply(U::hour, now.hour);
    start.imply(U::minute, now.minute);
    start.imply(U::second, now.second);
    start.imply(U::millisecond, (*now.nanosecond + 999'999) / 1'000'000);
  }

  const platform::DateComponents c = calendar.components(day);
  start.assign(U::day, c.day);
  start.assign(U::month, c.month);
  start.assign(U::year, c.year);
  result.tags().set(TagUnit::enCasualDateParser);
  return result;
}

}  // namespace zarvo::chrono
