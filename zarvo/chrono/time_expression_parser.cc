#include "zarvo/chrono/time_expression_parser.h"

#include <string>

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/pattern_cache.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

using U = ComponentUnit;

namespace {

constexpr std::u16string_view kOffsetPattern = u"^\\s*(\\+|\\-)\\s*\\d{3,4}$";
constexpr std::u16string_view kBareNumber = u"^\\d+$";

// Hour and minute of a clock written without a minute group: "5" is 5:00, "930" and "0930" are 9:30.
// Nothing when the digits name no time of day (25 to 100, or a split beyond 24:59).
struct ClockTime {
  int64_t hour;
  int64_t minute;
};
std::optional<ClockTime> clockWithoutMinute(int64_t value) {
  if (value < 25) return ClockTime{value, 0};
  if (value <= 100) return std::nullopt;
  const ClockTime clock{value / 100, value % 100};
  if (clock.hour >= 25 || clock.minute >= 60) return std::nullopt;
  return clock;
}

// The half of the day an am/pm marker names by its first letter (0 AM, 1 PM); nothing for no marker.
std::optional<int64_t> markerMeridiem(std::u16string_view marker) {
  if (marker.empty()) return std::nullopt;
  switch (marker.front()) {
    case u'a':
    case u'A': return 0;
    case u'p':
    case u'P': return 1;
    default: return std::nullopt;
  }
}

// `hour` in a half of the day: AM turns 12 into 0, PM adds 12 to every hour but 12.
int64_t hourIn(int64_t hour, int64_t meridiem) {
  if (meridiem == 0) return hour == 12 ? 0 : hour;
  return hour == 12 ? 12 : hour + 12;
}

}  // namespace

std::optional<TimeExpressionParser::Clock> TimeExpressionParser::readClock(std::u16string_view text,
                                                                          const platform::Match& match, Date) const {
  Clock clock;
  // A second that does not convert is left unread.
  if (match.took(4)) clock.second = platform::toInt(groupText(text, match, 4));

  std::optional<int64_t> hour;
  const std::u16string hourText = platform::lowercased(groupText(text, match, 2));
  const NamedHour* named = nullptr;
  for (const NamedHour& word : namedHours()) {
    if (word.word == hourText) named = &word;
  }
  if (named != nullptr) {
    hour = named->hour;
    clock.meridiem = named->meridiem;
  } else {
    hour = platform::toInt(hourDigits(hourText));
  }
  if (!hour) return std::nullopt;

  if (match.took(3)) {
    const std::optional<int64_t> minute = platform::toInt(groupText(text, match, 3));
    if (!minute) return std::nullopt;
    clock.hour = *hour;
    clock.minute = *minute;
  } else {
    const std::optional<ClockTime> written = clockWithoutMinute(*hour);
    if (!written) return std::nullopt;
    clock.hour = written->hour;
    clock.minute = written->minute;
  }
  clock.marker = groupText(text, match, 5);
  return clock;
}

std::optional<ParsedResult> TimeExpressionParser::extract(std::u16string_view text, Date ref,
                                                          const platform::Match& match, const Options&) const {
  const bool leadingContext = hasLeadingContext();
  // Digits glued to a word (and the "T" of an ISO timestamp, which follows a digit) are not a time.
  if (leadingContext && followsWordCharacter(text, match.range().location)) return std::nullopt;

  const std::optional<Clock> clock = readClock(text, match, ref);
  if (!clock || clock->hour >= 25 || clock->minute >= 60 || clock->second.value_or(0) >= 60) return std::nullopt;

  ParsedResult result = leadingContext ? commonOpening(text, ref, match) : wholeMatchOpening(text, ref, match);
  result.tags().set(tag());
  ParsedComponents& start = result.start();
  if (clock->day) {
    assignDate(start, calendarFields(*clock->day));
  } else {
    implyDate(start, calendarFields(ref));
  }
  if (clock->second) start.assign(U::second, *clock->second);

  int64_t hour = clock->hour;
  std::optional<int64_t> meridiem;
  if (hour > 11) meridiem = 1;
  if (const std::optional<int64_t> marked = markerMeridiem(clock->marker)) {
    if (hour > 12) return std::nullopt;
    meridiem = marked;
    hour = hourIn(hour, *meridiem);
  } else if (clock->meridiem) {
    meridiem = clock->meridiem;
    hour = hourIn(hour, *meridiem);
  }
  start.assign(U::hour, hour);
  start.assign(U::minute, clock->minute);
  if (meridiem) {
    start.assign(U::meridiem, *meridiem);
  } else {
    start.imply(U::meridiem, hour > 11 ? 1 : 0);
  }

  // Range end: what follows the phrase, read from its very beginning.
  const std::u16string_view following = platform::substring(text, result.endPosition(), static_cast<int64_t>(text.size()));
  const platform::Regex* rangeEnd = compiledPattern(rangeEndPattern());
  const std::optional<platform::Match> endMatch = rangeEnd ? rangeEnd->firstMatch(following) : std::nullopt;
  if (!endMatch) {
    // A bare number ("1230") is not a time on its own.
    if (patternMatches(kBareNumber, result.text())) return std::nullopt;
    return result;
  }
  const std::u16string_view endText = groupText(following, *endMatch, 0);
  // "5pm -0800": a time-zone offset, left to the offset refiner.
  if (patternMatches(kOffsetPattern, endText)) return result;

  const std::optional<Clock> endClock = readClock(following, *endMatch, ref);
  if (!endClock || endClock->second.value_or(0) >= 60) return std::nullopt;
  // The end takes the start's day, month and year as implied values.
  result.setEnd(ParsedComponents(std::nullopt, start.moment()));
  ParsedComponents& end = *result.end();
  if (endClock->second) end.assign(U::second, *endClock->second);
  // An unreadable end minute keeps the start as read, without extending the phrase.
  if (endClock->minute >= 60) return result;
  if (endClock->hour >= 25) return std::nullopt;
  if (endClock->day) assignDate(end, calendarFields(*endClock->day));

  int64_t endHour = endClock->hour;
  std::optional<int64_t> endMeridiem;
  const std::optional<int64_t> endMarked = markerMeridiem(endClock->marker);
  if (!endMarked && endClock->meridiem) {
    endMeridiem = endClock->meridiem;
    endHour = hourIn(endHour, *endMeridiem);
  }
  if (!endMeridiem && endHour >= 12) endMeridiem = 1;
  if (endMarked) {
    if (endHour > 12) return std::nullopt;
    // "10pm - 12am" ends at midnight, which begins the next day.
    if (*endMarked == 0 && endHour == 12) {
      if (auto day = end[U::day]) end.imply(U::day, *day + 1);
    }
    endHour = hourIn(endHour, *endMarked);
    endMeridiem = endMarked;
    // "7 - 9pm": the end's marker also tells the start's half of the day when the start stated none.
    if (!start.isCertain(U::meridiem)) {
      start.imply(U::meridiem, *endMarked);
      const int64_t startHour = start[U::hour].value_or(0);
      if (hourIn(startHour, *endMarked) != startHour) start.assign(U::hour, hourIn(startHour, *endMarked));
    }
  }

  result.setText(result.text() + std::u16string(endText));
  end.assign(U::hour, endHour);
  end.assign(U::minute, endClock->minute);
  if (endMeridiem) {
    end.assign(U::meridiem, *endMeridiem);
  } else if (start.knownValues().get(U::meridiem) == 1 && start[U::hour].value_or(0) > endHour) {
    end.imply(U::meridiem, 0);
  }

  if (end.moment() < start.moment()) {
    if (auto day = end[U::day]) end.imply(U::day, *day + 1);
  }
  return result;
}

}  // namespace zarvo::chrono
