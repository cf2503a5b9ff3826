#include "zarvo/chrono/en/en_time_expression_parser.h"

#include "zarvo/chrono/clock_range.h"
#include "zarvo/chrono/pattern_cache.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

using U = ComponentUnit;

namespace {

constexpr std::u16string_view kPattern =
    u"(^|\\s|T)(?:(?:at|from)\\s*)?(\\d{1,4}|noon|midnight)(?:(?:\\.|\\:|\\：)(\\d{1,2})(?:(?:\\:|\\：)(\\d{2}))?)?"
    u"(?:\\s*(A\\.M\\.|P\\.M\\.|AM?|PM?))?(?=\\W|$)";

constexpr std::u16string_view kRangeEndPattern =
    u"^\\s*(\\-|\\–|\\~|\\〜|to|\\?)\\s*(\\d{1,4})(?:(?:\\.|\\:|\\：)(\\d{1,2})(?:(?:\\.|\\:|\\：)(\\d{1,2}))?)?"
    u"(?:\\s*(A\\.M\\.|P\\.M\\.|AM?|PM?))?(?=\\W|$)";

constexpr std::u16string_view kWordCharacter = u"\\w";
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

}  // namespace

std::u16string_view ENTimeExpressionParser::pattern() const { return kPattern; }

std::optional<ParsedResult> ENTimeExpressionParser::extract(std::u16string_view text, Date ref,
                                                            const platform::Match& match, const Options&) const {
  const int64_t matchStart = match.range().location;
  // Digits glued to a word (and the "T" of an ISO timestamp, which follows a digit) are not a time.
  if (matchStart > 0 && patternMatches(kWordCharacter, platform::substring(text, matchStart - 1, 1))) {
    return std::nullopt;
  }

  ParsedResult result = commonOpening(text, ref, match);
  result.tags().set(TagUnit::enTimeExpressionParser);
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
  if (hourText == u"noon") {
    hour = 12;
    meridiem = 1;
  } else if (hourText == u"midnight") {
    hour = 0;
    meridiem = 0;
  } else {
    // Digits of other scripts match "\d" but do not convert; such an hour rejects the match.
    auto value = platform::toInt(hourText);
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
    if (auto letter = markerLetter(groupText(text, match, 5))) {
      const std::optional<MarkedHour> marked = applyMarker(hour, *letter);
      if (!marked) return std::nullopt;
      hour = marked->hour;
      meridiem = marked->meridiem;
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
  const platform::Regex* rangeEnd = compiledPattern(kRangeEndPattern);
  const std::optional<platform::Match> endMatch = rangeEnd ? rangeEnd->firstMatch(following) : std::nullopt;
  if (!endMatch) {
    // A bare number ("1230") is not a time on its own.
    if (patternMatches(kBareNumber, result.text())) return std::nullopt;
    return result;
  }
  const std::u16string_view endText = groupText(following, *endMatch, 0);
  // "5pm -0800": a time-zone offset, left to the offset refiner.
  if (patternMatches(kOffsetPattern, endText)) return result;

  ParsedComponents& end = openRangeEnd(result);

  if (endMatch->took(4)) {
    if (auto second = platform::toInt(groupText(following, *endMatch, 4))) {
      if (*second >= 60) return std::nullopt;
      end.assign(U::second, *second);
    }
  }

  auto endValue = platform::toInt(groupText(following, *endMatch, 2));
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

  RangeEndClock clock{.hour = endHour, .minute = endMinute, .meridiem = std::nullopt, .marker = std::nullopt};
  if (endMatch->took(5)) clock.marker = markerLetter(groupText(following, *endMatch, 5));
  if (!completeRangeEnd(result, clock, endText)) return std::nullopt;
  return result;
}

}  // namespace zarvo::chrono
