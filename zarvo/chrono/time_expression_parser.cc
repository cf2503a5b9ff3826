#include "zarvo/chrono/time_expression_parser.h"

#include "zarvo/chrono/pattern_cache.h"
#include "zarvo/platform/date_calendar.h"
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

// First character of an am/pm marker, lower-cased: 'a' or 'p'.
char16_t markerLetter(std::u16string_view marker) {
  const char16_t c = marker.empty() ? u'\0' : marker.front();
  return (c == u'A' || c == u'a') ? u'a' : (c == u'P' || c == u'p') ? u'p' : c;
}

}  // namespace

std::optional<ParsedResult> TimeExpressionParser::extract(std::u16string_view text, Date ref,
                                                          const platform::Match& match, const Options&) const {
  // Digits glued to a word (and the "T" of an ISO timestamp, which follows a digit) are not a time.
  if (followsWordCharacter(text, match.range().location)) return std::nullopt;

  ParsedResult result = commonOpening(text, ref, match);
  result.tags().set(tag());
  ParsedComponents& start = result.start();
  {
    const platform::DateComponents day = platform::DateCalendar::current().components(ref);
    start.imply(U::day, day.day);
    start.imply(U::month, day.month);
    start.imply(U::year, day.year);
  }

  // A second that does not convert (digits of other scripts match "\d") is left unread.
  if (match.took(4)) {
    if (auto second = platform::toInt(groupText(text, match, 4))) {
      if (*second >= 60) return std::nullopt;
      start.assign(U::second, *second);
    }
  }

  int64_t hour;
  int64_t minute;
  std::optional<int64_t> meridiem;
  const std::u16string hourText = platform::lowercased(groupText(text, match, 2));
  const NamedHour* named = nullptr;
  for (const NamedHour& word : namedHours()) {
    if (word.word == hourText) named = &word;
  }
  if (named != nullptr) {
    hour = named->hour;
    meridiem = named->meridiem;
  } else {
    // Digits of other scripts match "\d" but do not convert; such an hour rejects the match.
    auto value = platform::toInt(hourDigits(hourText));
    if (!value) return std::nullopt;
    hour = *value;
  }

  if (match.took(3)) {
    auto value = platform::toInt(groupText(text, match, 3));
    if (!value) return std::nullopt;
    minute = *value;
    if (hour >= 25 || minute >= 60) return std::nullopt;
  } else {
    auto clock = clockWithoutMinute(hour);
    if (!clock) return std::nullopt;
    hour = clock->hour;
    minute = clock->minute;
  }

  if (hour > 11) meridiem = 1;

  if (match.took(5)) {
    if (hour > 12) return std::nullopt;
    const char16_t letter = markerLetter(groupText(text, match, 5));
    if (letter == u'a') {
      meridiem = 0;
      if (hour == 12) hour = 0;
    } else if (letter == u'p') {
      meridiem = 1;
      if (hour != 12) hour += 12;
    }
  }

  start.assign(U::hour, hour);
  start.assign(U::minute, minute);
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

  if (!result.end()) result.setEnd(ParsedComponents(std::nullopt, start.moment()));
  ParsedComponents& end = *result.end();

  if (endMatch->took(4)) {
    if (auto second = platform::toInt(groupText(following, *endMatch, 4))) {
      if (*second >= 60) return std::nullopt;
      end.assign(U::second, *second);
    }
  }

  auto endValue = platform::toInt(hourDigits(groupText(following, *endMatch, 2)));
  if (!endValue) return std::nullopt;
  int64_t endHour = *endValue;
  int64_t endMinute;
  if (endMatch->took(3)) {
    auto value = platform::toInt(groupText(following, *endMatch, 3));
    if (!value) return std::nullopt;
    // An unreadable end minute keeps the start as read, without extending the phrase.
    if (*value >= 60) return result;
    endMinute = *value;
  } else {
    auto clock = clockWithoutMinute(endHour);
    if (!clock) return std::nullopt;
    endHour = clock->hour;
    endMinute = clock->minute;
  }
  if (endHour >= 25) return std::nullopt;

  std::optional<int64_t> endMeridiem;
  if (endHour >= 12) endMeridiem = 1;
  if (endMatch->took(5)) {
    if (endHour > 12) return std::nullopt;
    const char16_t letter = markerLetter(groupText(following, *endMatch, 5));
    if (letter == u'a') {
      if (endHour == 12) {
        if (auto day = end[U::day]) end.imply(U::day, *day + 1);
        endHour = 0;
      }
      endMeridiem = 0;
    } else if (letter == u'p') {
      if (endHour != 12) endHour += 12;
      endMeridiem = 1;
    }
    // The end's marker also tells the start's half of the day when the start stated none.
    if (!start.isCertain(U::meridiem)) {
      const int64_t startHour = start[U::hour].value_or(0);
      if (letter == u'a') {
        start.imply(U::meridiem, 0);
        if (startHour == 12) start.assign(U::hour, 0);
      } else if (letter == u'p') {
        start.imply(U::meridiem, 1);
        if (startHour != 12) start.assign(U::hour, startHour + 12);
      }
    }
  }

  result.setText(result.text() + std::u16string(endText));
  end.assign(U::hour, endHour);
  end.assign(U::minute, endMinute);

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
