#include "zarvo/chrono/relative_period_parser.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/relative_move.h"

namespace zarvo::chrono {

using U = ComponentUnit;

std::optional<ParsedResult> RelativePeriodParser::extract(std::u16string_view text, Date ref,
                                                          const platform::Match& match, const Options&) const {
  const std::u16string key = phraseKey(groupText(text, match, wordGroup()));
  const std::optional<int64_t> weekCount = weeks().find(key);
  const std::optional<int64_t> monthCount = weekCount ? std::nullopt : months().find(key);
  if (!weekCount && !monthCount) return std::nullopt;
  ParsedResult result = hasLeadingContext() ? commonOpening(text, ref, match) : wholeMatchOpening(text, ref, match);
  ParsedComponents& start = result.start();
  if (weekCount) {
    implyDate(start, calendarFields(moveBy(ref, RelativeUnit::week, {.count = *weekCount}, 1)));
  } else {
    const CalendarFields moved = calendarFields(moveBy(ref, RelativeUnit::month, {.count = *monthCount}, 1));
    start.imply(U::day, moved.day);
    start.assign(U::month, moved.month);
    start.assign(U::year, moved.year);
  }
  result.tags().set(tag());
  return result;
}

}  // namespace zarvo::chrono
