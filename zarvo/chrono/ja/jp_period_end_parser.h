// Ends of periods and weekends: "月末", "今月末", "来月末", "年末", "週末", "今週末", "来週末".
#pragma once

#include "zarvo/chrono/period_end_parser.h"

namespace zarvo::chrono {

// The day PeriodEndParser gives the period (週末 is the weekend); the phrase is the word alone. Part
// of the extended configuration. Tag: jpPeriodEndParser.
class JPPeriodEndParser : public PeriodEndParser {
 public:
  using PeriodEndParser::PeriodEndParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::japanese; }

 protected:
  TagUnit tag() const override { return TagUnit::jpPeriodEndParser; }
  std::optional<Named> period(std::u16string_view text, const platform::Match& match) const override;
  bool hasLeadingContext() const override { return false; }
};

}  // namespace zarvo::chrono
