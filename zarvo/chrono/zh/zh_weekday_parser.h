// Chinese weekdays: "星期一", "下星期一", "上個禮拜五", "這星期天", "礼拜日".
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// The weekday (天 and 日 are Sunday) with its modifier, 上 (last), 下 (next) or 今 這 呢 这 (this),
// completed by the weekday rule every language shares: with 上 or 下 the date is known, otherwise only
// implied. The phrase is the whole match. Reads the same in strict mode. Tag: zhHantWeekdayParser.
class ZHWeekdayParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::chinese; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
