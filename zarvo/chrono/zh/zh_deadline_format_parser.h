// Chinese deadlines, a distance after the reference: "三天之後", "半小時內", "5分鐘後", "幾個月内".
#pragma once

#include "zarvo/chrono/distance_format_parser.h"

namespace zarvo::chrono {

// The amount is digits, a numeral, 半 (half a unit) or 幾/几 (a few: 3); the unit is told by its first
// character (日 天 days, 星 禮 礼 weeks, 月 months, 年 years, 秒 seconds, 分 minutes, 小 鐘 钟 hours).
// The phrase is the whole match. Reads the same in strict mode. Tag: zhHantDeadlineFormatParser.
class ZHDeadlineFormatParser : public DeadlineFormatParser {
 public:
  using DeadlineFormatParser::DeadlineFormatParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::chinese; }

 protected:
  TagUnit tag() const override { return TagUnit::zhHantDeadlineFormatParser; }
  const DistanceWords& words() const override;
  // Groups: 1 amount, 2 unit, 3 "within" mark.
  size_t amountGroup() const override { return 1; }
  bool hasLeadingContext() const override { return false; }
};

}  // namespace zarvo::chrono
