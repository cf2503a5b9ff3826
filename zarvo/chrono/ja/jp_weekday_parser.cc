#include "zarvo/chrono/ja/jp_weekday_parser.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/casual_day.h"
#include "zarvo/chrono/weekday_rule.h"
#include "zarvo/chrono/word_table.h"

namespace zarvo::chrono {

namespace {

const WordTable& weekdays() {
  static const WordTable table{{u"日", 0}, {u"月", 1}, {u"火", 2}, {u"水", 3}, {u"木", 4}, {u"金", 5}, {u"土", 6}};
  return table;
}

}  // namespace

std::u16string_view JPWeekdayParser::pattern() const {
  // Groups: 1 the week, 2 the weekday character.
  return u"(?:(今週|来週|再来週|先週)の?)?(日|月|火|水|木|金|土)曜日?";
}

std::optional<ParsedResult> JPWeekdayParser::extract(std::u16string_view text, Date ref,
                                                     const platform::Match& match, const Options&) const {
  const std::optional<int64_t> offset = weekdays().find(groupText(text, match, 2));
  if (!offset) return std::nullopt;
  const std::u16string_view week = groupText(text, match, 1);
  std::u16string_view modifier;
  if (week == u"今週") modifier = u"this";
  if (week == u"来週" || week == u"再来週") modifier = u"next";
  if (week == u"先週") modifier = u"last";
  ParsedResult result = updateParsedComponent(wholeMatchOpening(text, ref, match), ref, *offset, modifier);
  if (week == u"再来週") assignDate(result.start(), calendarFields(daysFrom(result.start().moment(), 7)));
  result.tags().set(TagUnit::jpWeekdayParser);
  return result;
}

}  // namespace zarvo::chrono
