// Ends of periods and weekends: "end of month", "the end of the week", "end of next month", "EOM",
// "EOW", "EOY", "this weekend", "next weekend", "over the weekend".
#pragma once

#include "zarvo/chrono/period_end_parser.h"

namespace zarvo::chrono {

// The day PeriodEndParser gives the period. Part of the extended configuration. Tag:
// enPeriodEndParser.
class ENPeriodEndParser : public PeriodEndParser {
 public:
  using PeriodEndParser::PeriodEndParser;
  std::u16string_view pattern() const override;

 protected:
  TagUnit tag() const override { return TagUnit::enPeriodEndParser; }
  std::optional<Named> period(std::u16string_view text, const platform::Match& match) const override;
};

}  // namespace zarvo::chrono
