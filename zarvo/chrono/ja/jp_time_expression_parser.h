// Japanese clock times: "15時", "午後3時", "午前10時", "3時半", "10時30分", "朝9時", "夜7時", "14:30".
#pragma once

#include "zarvo/chrono/time_expression_parser.h"

namespace zarvo::chrono {

// The hour and minute (半 is 30) in digits (full-width too) or kanji numerals, or "14:30" in digits, so
// a Japanese reading of "火曜 14:30" is as whole as any other language's; 午前 and 朝 state AM,
// 午後, 夕方, 夜 and 昼 PM. "時間" (hours, a duration) is no time. A range is joined by the Japanese
// range refiner ("から"), not read here. The phrase is the whole match. Part of the extended
// configuration. Tag: jpTimeExpressionParser.
class JPTimeExpressionParser : public TimeExpressionParser {
 public:
  using TimeExpressionParser::TimeExpressionParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::japanese; }

 protected:
  TagUnit tag() const override { return TagUnit::jpTimeExpressionParser; }
  std::u16string_view rangeEndPattern() const override { return u"(?!)"; }
  // Groups: 1 part of the day, 2 hour, 3 半, 4 minute; or 5 hour and 6 minute of "14:30".
  std::optional<Clock> readClock(std::u16string_view text, const platform::Match& match, Date ref) const override;
  bool hasLeadingContext() const override { return false; }
};

}  // namespace zarvo::chrono
