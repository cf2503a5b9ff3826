#include "zarvo/chrono/en/en_day_of_month_parser.h"

#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 the day after "on the", 3 the day after "the" (an ending required).
constexpr std::u16string_view kPattern =
    u"(\\W|^)(?:on\\s+the\\s+([0-9]{1,2})(?:st|nd|rd|th)?|the\\s+([0-9]{1,2})(?:st|nd|rd|th))(?=\\W|$)";

}  // namespace

std::u16string_view ENDayOfMonthParser::pattern() const { return kPattern; }

std::optional<int64_t> ENDayOfMonthParser::readDay(std::u16string_view text, const platform::Match& match) const {
  return platform::toInt(groupText(text, match, match.took(2) ? 2 : 3));
}

}  // namespace zarvo::chrono
