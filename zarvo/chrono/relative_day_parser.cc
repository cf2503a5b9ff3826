#include "zarvo/chrono/relative_day_parser.h"

#include "zarvo/chrono/casual_day.h"

namespace zarvo::chrono {

std::optional<ParsedResult> RelativeDayParser::extract(std::u16string_view text, Date ref,
                                                       const platform::Match& match, const Options&) const {
  const std::optional<int64_t> days = this->days().find(phraseKey(groupText(text, match, wordGroup())));
  if (!days) return std::nullopt;
  ParsedResult result = hasLeadingContext() ? commonOpening(text, ref, match) : wholeMatchOpening(text, ref, match);
  assignDay(result.start(), *days > 0 ? daysFrom(tomorrowFrom(ref), *days - 1) : daysFrom(ref, *days));
  if (partOfDayGroup() != 0 && match.took(partOfDayGroup())) {
    if (const PartOfDay* part = partOfDay(groupText(text, match, partOfDayGroup()))) {
      implyPartOfDay(result.start(), *part, {});
    }
  }
  result.tags().set(tag());
  return result;
}

}  // namespace zarvo::chrono
