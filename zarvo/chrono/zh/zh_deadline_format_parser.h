// Chinese deadlines, a distance after the reference: "三天之後", "半小時內", "5分鐘後", "幾個月内".
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// The amount is digits, a numeral, 半 (half a unit) or 幾/几 (a few: 3); the unit is told by its first
// character (日 天 days, 星 禮 礼 weeks, 月 months, 年 years, 秒 seconds, 分 minutes, 小 鐘 钟 hours).
// Days and longer: the day, month and year of the moved reference are assigned. Hours and shorter:
// its day, month and year are implied and its hour, minute and second assigned. The phrase is the
// whole match. Reads the same in strict mode. Tag: zhHantDeadlineFormatParser.
class ZHDeadlineFormatParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::chinese; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
