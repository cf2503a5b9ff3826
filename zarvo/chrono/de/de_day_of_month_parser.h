// A day of the month without its month: "am 15.", "zum 1.", "bis zum 20.", "ab dem 3.".
#pragma once

#include "zarvo/chrono/day_of_month_parser.h"

namespace zarvo::chrono {

// The day's digits and a dot after "am", "zum", "bis zum", "bis", "ab dem" or "den", with no digit
// after the dot: the next such day (DayOfMonthParser). Part of the extended configuration. Tag:
// deDayOfMonthParser.
class DEDayOfMonthParser : public DayOfMonthParser {
 public:
  using DayOfMonthParser::DayOfMonthParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::german; }

 protected:
  TagUnit tag() const override { return TagUnit::deDayOfMonthParser; }
  std::optional<int64_t> readDay(std::u16string_view text, const platform::Match& match) const override;
};

}  // namespace zarvo::chrono
