// A part of the day after a day: "明日の朝", "金曜日の夜", "今日の夕方", "土曜日の午後".
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// Implies the hour of the part of the day on the reference day, as the Japanese casual words do (no
// option chooses it): 朝 6 AM, 午前 and 午前中 9 AM, 昼 12 PM, 午後 15 PM, 夕方 18 PM, 夜 and 晩 22 PM (as
// 今夜). Read only when a blank, punctuation, a particle (に, は, の, も, まで) or the end
// follows, so 朝ごはん (breakfast) and 夜景 (night view) are no time. A day next to it is joined to it
// by the date-time refiners. Part of the extended configuration. Tag: jpPartOfDayParser.
class JPPartOfDayParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::japanese; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
