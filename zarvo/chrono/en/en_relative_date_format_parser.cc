#include "zarvo/chrono/en/en_relative_date_format_parser.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/en/en_words.h"
#include "zarvo/chrono/pattern_cache.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 modifier, 3 number (optional), 4 unit.
const std::u16string& relativePattern() {
  static const std::u16string pattern = std::u16string(uR"re((\W|^)(next|last|past)\s*)re") + u"(" +
                                        en::integerWordPiece() + uR"re(|[0-9]+|few|half(?:\s*an?)?)?\s*)re" +
                                        uR"re((seconds?|min(?:ute)?s?|hours?|days?|weeks?|months?|years?)(?=\s*))re" +
                                        uR"re((?=\W|$))re";
  return pattern;
}

}  // namespace

std::u16string_view ENRelativeDateFormatParser::pattern() const { return relativePattern(); }

std::optional<ParsedResult> ENRelativeDateFormatParser::extract(std::u16string_view text, Date ref,
                                                                const platform::Match& match,
                                                                const Options&) const {
  ParsedResult result = commonOpening(text, ref, match);
  result.tags().set(TagUnit::enRelativeDateFormatParser);

  const std::u16string modifier = platform::lowercased(groupText(text, match, 2));
  const int sign = patternMatches(u"^next", modifier) ? +1 : -1;
  // The number is optional here: "next week" is one week.
  static const AmountWords kAmount{
      .numbers = &en::integerWords(), .articles = nullptr, .emptyMeansOne = true, .few = u"few", .half = u"half"};
  const std::optional<Amount> amount = readAmount(groupText(text, match, 3), kAmount);
  const std::optional<RelativeUnit> unit = readUnit(groupText(text, match, 4), en::unitWords());
  if (!amount || !unit) return std::nullopt;

  const CalendarFields t = calendarFields(moveBy(ref, *unit, *amount, sign));
  ParsedComponents& start = result.start();
  // The finer the unit, the more of the moved date the phrase pins down: "next hour" fixes the hour
  // but not the minute, "next month" the month but not the day, "next week" nothing at all.
  switch (*unit) {
    case RelativeUnit::hour:
      start.imply(ComponentUnit::minute, t.minute);
      start.imply(ComponentUnit::second, t.second);
      start.assign(ComponentUnit::hour, t.hour);
      assignDate(start, t);
      break;
    case RelativeUnit::minute:
      start.assign(ComponentUnit::minute, t.minute);
      start.imply(ComponentUnit::second, t.second);
      start.assign(ComponentUnit::hour, t.hour);
      assignDate(start, t);
      break;
    case RelativeUnit::second:
      start.assign(ComponentUnit::minute, t.minute);
      start.assign(ComponentUnit::second, t.second);
      start.assign(ComponentUnit::hour, t.hour);
      assignDate(start, t);
      break;
    case RelativeUnit::day:
      assignDate(start, t);
      break;
    case RelativeUnit::week:
      implyDate(start, t);
      break;
    case RelativeUnit::month:
      start.imply(ComponentUnit::day, t.day);
      start.assign(ComponentUnit::year, t.year);
      start.assign(ComponentUnit::month, t.month);
      break;
    case RelativeUnit::year:
      start.imply(ComponentUnit::day, t.day);
      start.imply(ComponentUnit::month, t.month);
      start.assign(ComponentUnit::year, t.year);
      break;
  }
  return result;
}

}  // namespace zarvo::chrono
