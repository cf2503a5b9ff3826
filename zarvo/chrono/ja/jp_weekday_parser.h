// Japanese weekdays: "月曜日", "金曜", "来週の月曜日", "今週の土曜日", "再来週の金曜日", "先週の水曜".
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// The weekday (月 Monday ... 日 Sunday) completed by the weekday rule every language shares: 来週
// (next week) and 先週 (last week) make the date known, 今週 (this week) and no week word leave it
// implied. 再来週 (the week after next) is a week beyond 来週. Part of the extended configuration. Tag:
// jpWeekdayParser.
class JPWeekdayParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::japanese; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
