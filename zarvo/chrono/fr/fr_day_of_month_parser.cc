#include "zarvo/chrono/fr/fr_day_of_month_parser.h"

#include "zarvo/platform/text.h"

namespace zarvo::chrono {

std::u16string_view FRDayOfMonthParser::pattern() const {
  // Groups: 1 leading context, 2 the day ("1er" is day 1).
  return u"(\\W|^)le\\s+([0-9]{1,2}|1er)(?=\\W|$)";
}

std::optional<int64_t> FRDayOfMonthParser::readDay(std::u16string_view text, const platform::Match& match) const {
  const std::u16string day = platform::lowercased(groupText(text, match, 2));
  return day == u"1er" ? std::optional<int64_t>(1) : platform::toInt(day);
}

}  // namespace zarvo::chrono
