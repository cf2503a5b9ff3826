#include "zarvo/chrono/en/en_time_ago_format_parser.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/en/en_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 number, 3 unit.
const std::u16string& casualPattern() {
  static const std::u16string pattern = std::u16string(uR"re((\W|^)(?:within\s*)?)re") + u"(" +
                                        en::integerWordPiece() +
                                        uR"re(|[0-9]+|an?(?:\s*few)?|half(?:\s*an?)?)\s*)re" +
                                        uR"re((seconds?|min(?:ute)?s?|hours?|weeks?|days?|months?|years?)\s*)re" +
                                        uR"re((?:ago|before|earlier)(?=(?:\W|$)))re";
  return pattern;
}

constexpr std::u16string_view kStrictPattern =
    uR"re((\W|^)(?:within\s*)?([0-9]+|an?)\s*(seconds?|minutes?|hours?|days?)\s*ago(?=(?:\W|$)))re";

}  // namespace

std::u16string_view ENTimeAgoFormatParser::pattern() const {
  return strictMode() ? kStrictPattern : std::u16string_view(casualPattern());
}

std::optional<ParsedResult> ENTimeAgoFormatParser::extract(std::u16string_view text, Date ref,
                                                           const platform::Match& match, const Options&) const {
  // "(\W|^)" also matches at the start of a resumed search, so a letter right before the match must
  // be ruled out here: "abc 5 minutes ago" is read from "5", not from the blank after "abc".
  if (en::followsWordCharacter(text, match.range().location)) return std::nullopt;

  ParsedResult result = commonOpening(text, ref, match);
  result.tags().set(TagUnit::enTimeAgoFormatParser);
  const std::optional<Amount> amount = en::readAmount(groupText(text, match, 2), en::AmountWords::article);
  const std::optional<RelativeUnit> unit = en::readUnit(groupText(text, match, 3));
  if (!amount || !unit) return std::nullopt;

  const CalendarFields target = calendarFields(moveBy(ref, *unit, *amount, -1));
  ParsedComponents& start = result.start();
  switch (*unit) {
    case RelativeUnit::hour:
    case RelativeUnit::minute:
    case RelativeUnit::second:
      implyDate(start, target);
      start.assign(ComponentUnit::hour, target.hour);
      start.assign(ComponentUnit::minute, target.minute);
      start.assign(ComponentUnit::second, target.second);
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
