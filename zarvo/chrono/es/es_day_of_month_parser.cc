#include "zarvo/chrono/es/es_day_of_month_parser.h"

#include "zarvo/platform/text.h"

namespace zarvo::chrono {

std::u16string_view ESDayOfMonthParser::pattern() const {
  // Groups: 1 leading context, 2 the day. A day followed by "/1", "-1" or ".1" starts a numeric date
  // ("el 5/1"), which the slash-date parser reads whole.
  return u"(\\W|^)(?:el\\s+(?:d[ií]a\\s+)?|d[ií]a\\s+)([0-9]{1,2})(?:º|ª|°)?(?=\\W|$)(?![/.\\-][0-9])";
}

std::optional<int64_t> ESDayOfMonthParser::readDay(std::u16string_view text, const platform::Match& match) const {
  return platform::toInt(groupText(text, match, 2));
}

}  // namespace zarvo::chrono
