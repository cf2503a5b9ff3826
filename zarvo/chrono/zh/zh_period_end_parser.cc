#include "zarvo/chrono/zh/zh_period_end_parser.h"

namespace zarvo::chrono {

std::u16string_view ZHPeriodEndParser::pattern() const {
  // Groups: 1 modifier, 2 the period word.
  return u"(这个|這個|本|下个|下個|下)?(月底|月末|年底|年末|周末|週末)";
}

std::optional<PeriodEndParser::Named> ZHPeriodEndParser::period(std::u16string_view text,
                                                               const platform::Match& match) const {
  const int64_t ahead = groupText(text, match, 1).starts_with(u"下") ? 1 : 0;
  const std::u16string_view word = groupText(text, match, 2);
  if (word.starts_with(u"月")) return Named{Period::month, ahead};
  if (word.starts_with(u"年")) return Named{Period::year, ahead};
  return Named{Period::weekend, ahead};
}

}  // namespace zarvo::chrono
