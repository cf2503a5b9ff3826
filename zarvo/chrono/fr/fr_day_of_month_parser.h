// A day of the month without its month: "le 1er", "le 15", "d'ici le 20".
#pragma once

#include "zarvo/chrono/day_of_month_parser.h"

namespace zarvo::chrono {

// "le" and the day's digits, or "1er": the next such day (DayOfMonthParser). Part of the extended
// configuration. Tag: frDayOfMonthParser.
class FRDayOfMonthParser : public DayOfMonthParser {
 public:
  using DayOfMonthParser::DayOfMonthParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::french; }

 protected:
  TagUnit tag() const override { return TagUnit::frDayOfMonthParser; }
  std::optional<int64_t> readDay(std::u16string_view text, const platform::Match& match) const override;
};

}  // namespace zarvo::chrono
