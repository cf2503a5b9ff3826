#include "zarvo/chrono/de/de_day_month_parser.h"

#include "zarvo/chrono/month_name_date.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

std::u16string_view DEDayMonthParser::pattern() const {
  // Groups: 1 leading context, 2 day, 3 month.
  return u"(\\W|^)(?:(?:am|bis|zum|bis\\s+zum|ab|vom|den)\\s+)?([0-3]?[0-9])\\.([01]?[0-9])\\.(?!\\s*[0-9])";
}

std::optional<ParsedResult> DEDayMonthParser::extract(std::u16string_view text, Date ref,
                                                      const platform::Match& match, const Options&) const {
  const std::optional<int64_t> day = platform::toInt(groupText(text, match, 2));
  const std::optional<int64_t> month = platform::toInt(groupText(text, match, 3));
  if (!day || !month || *day < 1 || *day > 31 || *month < 1 || *month > 12) return std::nullopt;
  ParsedResult result = commonOpening(text, ref, match);
  setMonthNameDate(result, ref, MonthNameDate{.day = *day, .month = *month, .year = {}, .weekday = {}, .endDay = {}});
  result.tags().set(TagUnit::deDayMonthParser);
  return result;
}

}  // namespace zarvo::chrono
