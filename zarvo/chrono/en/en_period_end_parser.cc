#include "zarvo/chrono/en/en_period_end_parser.h"

#include "zarvo/platform/text.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 "this"/"next" before an end, 3 week/month/year, 4 EOW/EOM/EOY,
// 5 "this"/"next"/"the" before the weekend.
constexpr std::u16string_view kPattern =
    u"(\\W|^)(?:(?:the\\s+)?end\\s+of\\s+(?:the\\s+)?(?:(this|next)\\s+)?(week|month|year)|(eow|eom|eoy)|"
    u"(?:on\\s+|over\\s+)?(this|next|the)\\s+weekend)(?=\\W|$)";

}  // namespace

std::u16string_view ENPeriodEndParser::pattern() const { return kPattern; }

std::optional<PeriodEndParser::Named> ENPeriodEndParser::period(std::u16string_view text,
                                                               const platform::Match& match) const {
  if (match.took(5)) {
    return Named{Period::weekend, platform::lowercased(groupText(text, match, 5)) == u"next" ? 1 : 0};
  }
  const std::u16string unit = platform::lowercased(groupText(text, match, match.took(3) ? 3 : 4));
  const int64_t ahead = platform::lowercased(groupText(text, match, 2)) == u"next" ? 1 : 0;
  if (unit == u"week" || unit == u"eow") return Named{Period::week, ahead};
  if (unit == u"month" || unit == u"eom") return Named{Period::month, ahead};
  return Named{Period::year, ahead};
}

}  // namespace zarvo::chrono
