#include "zarvo/chrono/ja/jp_relative_week_parser.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/relative_move.h"

namespace zarvo::chrono {

using U = ComponentUnit;

std::u16string_view JPRelativeWeekParser::pattern() const { return u"(再来週|来週|再来月|来月)"; }

std::optional<ParsedResult> JPRelativeWeekParser::extract(std::u16string_view text, Date ref,
                                                          const platform::Match& match, const Options&) const {
  const std::u16string_view word = groupText(text, match, 1);
  const int64_t count = word.starts_with(u"再") ? 2 : 1;
  ParsedResult result = wholeMatchOpening(text, ref, match);
  ParsedComponents& start = result.start();
  if (word.ends_with(u"週")) {
    implyDate(start, calendarFields(moveBy(ref, RelativeUnit::week, {.count = count}, 1)));
  } else {
    const CalendarFields moved = calendarFields(moveBy(ref, RelativeUnit::month, {.count = count}, 1));
    start.imply(U::day, moved.day);
    start.assign(U::month, moved.month);
    start.assign(U::year, moved.year);
  }
  result.tags().set(TagUnit::jpRelativeWeekParser);
  return result;
}

}  // namespace zarvo::chrono
