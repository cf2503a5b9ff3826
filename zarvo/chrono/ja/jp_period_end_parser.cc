#include "zarvo/chrono/ja/jp_period_end_parser.h"

namespace zarvo::chrono {

std::u16string_view JPPeriodEndParser::pattern() const { return u"(今月末|来月末|月末|年末|今週末|来週末|週末)"; }

std::optional<PeriodEndParser::Named> JPPeriodEndParser::period(std::u16string_view text,
                                                               const platform::Match& match) const {
  const std::u16string_view word = groupText(text, match, 1);
  const int64_t ahead = word.starts_with(u"来") ? 1 : 0;
  if (word.ends_with(u"月末")) return Named{Period::month, ahead};
  if (word == u"年末") return Named{Period::year, 0};
  return Named{Period::weekend, ahead};
}

}  // namespace zarvo::chrono
