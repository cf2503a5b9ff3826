#include "zarvo/chrono/distance_format_parser.h"

#include "zarvo/chrono/calendar_fields.h"

namespace zarvo::chrono {

namespace {

void assignTime(ParsedComponents& start, const CalendarFields& target) {
  implyDate(start, target);
  start.assign(ComponentUnit::hour, target.hour);
  start.assign(ComponentUnit::minute, target.minute);
  start.assign(ComponentUnit::second, target.second);
}

}  // namespace

std::optional<ParsedResult> DeadlineFormatParser::extract(std::u16string_view text, Date ref,
                                                          const platform::Match& match, const Options&) const {
  const DistanceWords& w = words();
  const size_t group = amountGroup();
  const std::optional<Amount> amount = readAmount(groupText(text, match, group), w.amount);
  const std::optional<RelativeUnit> unit = readUnit(groupText(text, match, group + 1), w.units, w.otherwise);
  if (!amount || !unit) return std::nullopt;

  ParsedResult result = hasLeadingContext() ? commonOpening(text, ref, match) : wholeMatchOpening(text, ref, match);
  result.tags().set(tag());
  const CalendarFields target = calendarFields(moveBy(ref, *unit, *amount, +1));
  switch (*unit) {
    case RelativeUnit::day:
    case RelativeUnit::week:
    case RelativeUnit::month:
    case RelativeUnit::year:
      assignDate(result.start(), target);
      break;
    case RelativeUnit::hour:
    case RelativeUnit::minute:
    case RelativeUnit::second:
      assignTime(result.start(), target);
      break;
  }
  return result;
}

std::optional<ParsedResult> TimeAgoFormatParser::extract(std::u16string_view text, Date ref,
                                                         const platform::Match& match, const Options&) const {
  // "(\W|^)" also matches at the start of a resumed search, so a letter right before the match must
  // be ruled out here.
  if (followsWordCharacter(text, match.range().location)) return std::nullopt;

  const DistanceWords& w = words();
  const std::optional<Amount> amount = readAmount(groupText(text, match, 2), w.amount);
  const std::optional<RelativeUnit> unit = readUnit(groupText(text, match, 3), w.units, w.otherwise);
  if (!amount || !unit) return std::nullopt;

  ParsedResult result = commonOpening(text, ref, match);
  result.tags().set(tag());
  const CalendarFields target = calendarFields(moveBy(ref, *unit, *amount, -1));
  ParsedComponents& start = result.start();
  switch (*unit) {
    case RelativeUnit::hour:
    case RelativeUnit::minute:
    case RelativeUnit::second:
      assignTime(start, target);
      break;
    case RelativeUnit::week:
      implyDate(start, target);
      start.imply(ComponentUnit::weekday, target.weekday);
      break;
    case RelativeUnit::day:
    case RelativeUnit::month:
    case RelativeUnit::year:
      assignDate(start, target);
      break;
  }
  return result;
}

}  // namespace zarvo::chrono
