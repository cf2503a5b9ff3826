// Ends of periods and weekends: "月底", "月末", "这个月底", "下个月底", "年底", "年末", "周末", "下周末".
#pragma once

#include "zarvo/chrono/period_end_parser.h"

namespace zarvo::chrono {

// The day PeriodEndParser gives the period (周末 and 週末 are the weekend); 下 or 下个 puts it one
// period on. The phrase is the whole match. Part of the extended configuration. Tag:
// zhPeriodEndParser.
class ZHPeriodEndParser : public PeriodEndParser {
 public:
  using PeriodEndParser::PeriodEndParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::chinese; }

 protected:
  TagUnit tag() const override { return TagUnit::zhPeriodEndParser; }
  std::optional<Named> period(std::u16string_view text, const platform::Match& match) const override;
  bool hasLeadingContext() const override { return false; }
};

}  // namespace zarvo::chrono
