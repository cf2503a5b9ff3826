#include "zarvo/chrono/zh/zh_time_expression_parser.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/clock_range.h"
#include "zarvo/chrono/pattern_cache.h"
#include "zarvo/chrono/zh/zh_words.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

using U = ComponentUnit;

namespace {

// The day words and parts of the day before a time: groups 1 day character, 2 short part of the day,
// 3 part of the day, 4 day character before 日/天, 5 part of the day after it.
std::u16string dayPart() {
  const std::u16string part(zh::kPartOfDayGroup);
  const std::u16string dayCharacter(zh::kDayCharacterGroup);
  return u"(?:" + dayCharacter + std::u16string(zh::kShortPartOfDayGroup) + u"|" + part + u"|" + dayCharacter +
         u"(?:日|天)(?:[\\s,，]*)(?:" + part + u")?)?(?:[\\s,，]*)";
}

// Groups (numbered after dayPart's five): 6 hour, 7 minute, 8 second, 9 am/pm marker.
std::u16string timePart() {
  const std::u16string& n = zh::numeralClass();
  return u"(?:(\\d+|" + n + u"+)(?:\\s*)(?:點|時|:|：|点|时)" + u"(?:\\s*)" + u"(\\d+|半|正|整|" + n +
         u"+)?(?:\\s*)(?:分|:|：)?" + u"(?:\\s*)" + u"(\\d+|" + n + u"+)?(?:\\s*)(?:秒)?)" +
         u"(?:\\s*(A\\.M\\.|P\\.M\\.|AM?|PM?))?";
}

const std::u16string& mainPattern() {
  static const std::u16string pattern = u"(?:由|從|自)?" + dayPart() + timePart();
  return pattern;
}

// The range end, which must follow the phrase at once; its groups are numbered as the main pattern's.
const std::u16string& rangeEndPattern() {
  static const std::u16string pattern = u"^(?:\\s*(?:到|至|\\-|\\–|\\~|\\〜)\\s*)" + dayPart() + timePart();
  return pattern;
}

// What one clock of the main pattern or of the range end states.
struct Clock {
  std::optional<Date> day;  // named by a day word
  int64_t hour = 0;
  int64_t minute = 0;
  std::optional<int64_t> second;
  std::optional<int64_t> partOfDayMeridiem;  // fixed by a part of the day
  std::optional<char16_t> marker;            // 'a' or 'p'
};

std::u16string_view group(std::u16string_view text, const platform::Match& match, size_t n) {
  const platform::Range r = match.range(n);
  return r.found() ? platform::substring(text, r.location, r.length) : std::u16string_view();
}

std::optional<int64_t> readMinute(std::u16string_view text) {
  if (text == u"半") return 30;
  if (text == u"正" || text == u"整") return 0;
  return zh::readNumber(text);
}

// The clock of `match` in `text`. Nothing when a number does not read (digits of other scripts match
// "\d") or the hour is 25 or more or the second 60 or more. The minute is returned unchecked: an end
// minute out of range is not a rejection (see below).
std::optional<Clock> readClock(std::u16string_view text, const platform::Match& match, Date ref) {
  Clock clock;
  for (size_t dayGroup : {size_t{1}, size_t{4}}) {
    if (match.took(dayGroup)) clock.day = zh::dayNamed(group(text, match, dayGroup), ref);
  }
  for (size_t partGroup : {size_t{2}, size_t{3}, size_t{5}}) {
    if (match.took(partGroup)) clock.partOfDayMeridiem = zh::partOfDayMeridiem(group(text, match, partGroup));
  }
  const std::optional<int64_t> hour = zh::readNumber(group(text, match, 6));
  if (!hour || *hour >= 25) return std::nullopt;
  clock.hour = *hour;
  if (match.took(7)) {
    const std::optional<int64_t> minute = readMinute(group(text, match, 7));
    if (!minute) return std::nullopt;
    clock.minute = *minute;
  }
  if (match.took(8)) {
    clock.second = zh::readNumber(group(text, match, 8));
    if (!clock.second || *clock.second >= 60) return std::nullopt;
  }
  if (match.took(9)) clock.marker = markerLetter(group(text, match, 9));
  return clock;
}

// A part of the day on a clock without a marker: AM turns 12 into 0, PM adds 12 to any hour but 12.
int64_t hourInPartOfDay(int64_t hour, int64_t meridiem) {
  if (meridiem == 0) return hour == 12 ? 0 : hour;
  return hour == 12 ? 12 : hour + 12;
}

}  // namespace

std::u16string_view ZHTimeExpressionParser::pattern() const { return mainPattern(); }

std::optional<ParsedResult> ZHTimeExpressionParser::extract(std::u16string_view text, Date ref,
                                                            const platform::Match& match, const Options&) const {
  const std::optional<Clock> clock = readClock(text, match, ref);
  if (!clock || clock->minute >= 60) return std::nullopt;

  ParsedResult result = wholeMatchOpening(text, ref, match);
  result.tags().set(TagUnit::zhHantTimeExpressionParser);
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
  if (clock->marker) {
    const std::optional<MarkedHour> marked = applyMarker(hour, *clock->marker);
    if (!marked) return std::nullopt;
    hour = marked->hour;
    meridiem = marked->meridiem;
  } else if (clock->partOfDayMeridiem) {
    hour = hourInPartOfDay(hour, *clock->partOfDayMeridiem);
    meridiem = clock->partOfDayMeridiem;
  }
  start.assign(U::hour, hour);
  start.assign(U::minute, clock->minute);
  if (meridiem) {
    start.assign(U::meridiem, *meridiem);
  } else {
    start.imply(U::meridiem, hour > 11 ? 1 : 0);
  }

  // Range end: what follows the phrase, read from its very beginning.
  const std::u16string_view following =
      platform::substring(text, result.endPosition(), static_cast<int64_t>(text.size()));
  const platform::Regex* rangeEnd = compiledPattern(rangeEndPattern());
  const std::optional<platform::Match> endMatch = rangeEnd ? rangeEnd->firstMatch(following) : std::nullopt;
  if (!endMatch) return result;
  const std::optional<Clock> endClock = readClock(following, *endMatch, ref);
  if (!endClock) return std::nullopt;

  ParsedComponents& end = openRangeEnd(result);
  if (endClock->second) end.assign(U::second, *endClock->second);
  // As in the English time expressions, an end minute out of range leaves the start as read, with an
  // end that states nothing and a phrase that is not extended.
  if (endClock->minute >= 60) return result;
  if (endClock->day) assignDate(end, calendarFields(*endClock->day));

  RangeEndClock endTime{.hour = endClock->hour, .minute = endClock->minute, .meridiem = std::nullopt,
                        .marker = endClock->marker};
  if (!endClock->marker && endClock->partOfDayMeridiem) {
    endTime.hour = hourInPartOfDay(endClock->hour, *endClock->partOfDayMeridiem);
    endTime.meridiem = endClock->partOfDayMeridiem;
  }
  if (!completeRangeEnd(result, endTime, group(following, *endMatch, 0))) return std::nullopt;
  return result;
}

}  // namespace zarvo::chrono
