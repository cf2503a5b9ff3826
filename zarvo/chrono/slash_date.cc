#include "zarvo/chrono/slash_date.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/pattern_cache.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

bool looksLikeVersionNumber(std::u16string_view text) {
  return patternMatches(uR"re(^\d\.\d$)re", text) || patternMatches(uR"re(^\d\.\d{1,2}\.\d{1,2}$)re", text);
}

int64_t fullYear(int64_t writtenYear) {
  if (writtenYear < 51) return writtenYear + 2000;
  if (writtenYear < 100) return writtenYear + 1900;
  return writtenYear;
}

std::optional<DayAndMonth> dayAndMonth(int64_t day, int64_t month) {
  if (month >= 13) {
    if (month > 31 || day < 1 || day > 12) return std::nullopt;
    std::swap(day, month);
  }
  if (day < 1 || day > 31) return std::nullopt;
  return DayAndMonth{day, month};
}

DayFirstSlashDateParser::Groups DayFirstSlashDateParser::groups(const platform::Match&) const {
  return Groups{.day = 3, .month = 4, .year = 5, .trailing = 6};
}

std::optional<ParsedResult> DayFirstSlashDateParser::extract(std::u16string_view text, Date ref,
                                                             const platform::Match& match, const Options&) const {
  const Groups g = groups(match);
  if (groupText(text, match, 1) == u"/" || groupText(text, match, g.trailing) == u"/") {
    return ParsedResult::moveIndexMode(match.range().end());
  }
  if (!match.took(g.day) || looksLikeVersionNumber(groupText(text, match, 0))) return std::nullopt;

  const std::optional<DayAndMonth> date = dayAndMonth(platform::toInt(groupText(text, match, g.day)).value_or(0),
                                                      platform::toInt(groupText(text, match, g.month)).value_or(0));
  if (!date) return std::nullopt;
  const std::optional<int64_t> written = platform::toInt(groupText(text, match, g.year));

  ParsedResult result = commonOpening(text, ref, match);
  ParsedComponents& start = result.start();
  start.assign(ComponentUnit::day, date->day);
  start.assign(ComponentUnit::month, date->month);
  start.assign(ComponentUnit::year, written ? fullYear(*written) : calendarFields(ref).year);
  if (auto weekday = weekdays().findAtStart(platform::lowercased(groupText(text, match, 2)))) {
    start.assign(ComponentUnit::weekday, *weekday);
  }
  result.tags().set(tag());
  return result;
}

}  // namespace zarvo::chrono
