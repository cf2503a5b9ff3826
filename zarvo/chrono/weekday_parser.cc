#include "zarvo/chrono/weekday_parser.h"

#include "zarvo/chrono/weekday_rule.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

std::optional<ParsedResult> WeekdayParser::extract(std::u16string_view text, Date ref,
                                                   const platform::Match& match, const Options&) const {
  const std::optional<int64_t> offset = weekdays().lookup(groupText(text, match, 3));
  if (!offset) return std::nullopt;
  const std::u16string word = platform::lowercased(groupText(text, match, match.took(2) ? 2 : 4));
  ParsedResult result = updateParsedComponent(commonOpening(text, ref, match), ref, *offset, modifier(word));
  result.tags().set(tag());
  return result;
}

}  // namespace zarvo::chrono
