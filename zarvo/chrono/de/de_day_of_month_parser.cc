#include "zarvo/chrono/de/de_day_of_month_parser.h"

#include "zarvo/platform/text.h"

namespace zarvo::chrono {

std::u16string_view DEDayOfMonthParser::pattern() const {
  // Groups: 1 leading context, 2 the day.
  return u"(\\W|^)(?:am|zum|bis\\s+zum|bis|ab\\s+dem|den)\\s+([0-9]{1,2})\\.(?!\\s*[0-9])";
}

std::optional<int64_t> DEDayOfMonthParser::readDay(std::u16string_view text, const platform::Match& match) const {
  return platform::toInt(groupText(text, match, 2));
}

}  // namespace zarvo::chrono
