// A day of the month without its month: "on the 15th", "the 1st", "on the 3".
#pragma once

#include "zarvo/chrono/day_of_month_parser.h"

namespace zarvo::chrono {

// "the" and the day's digits, with an ordinal ending ("st", "nd", "rd", "th") or after "on": the next
// such day (DayOfMonthParser). Ordinal words are left alone ("the first draft"). Part of the
// extended configuration. Tag: enDayOfMonthParser.
class ENDayOfMonthParser : public DayOfMonthParser {
 public:
  using DayOfMonthParser::DayOfMonthParser;
  std::u16string_view pattern() const override;

 protected:
  TagUnit tag() const override { return TagUnit::enDayOfMonthParser; }
  std::optional<int64_t> readDay(std::u16string_view text, const platform::Match& match) const override;
};

}  // namespace zarvo::chrono
