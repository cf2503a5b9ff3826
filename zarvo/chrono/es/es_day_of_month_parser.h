// A day of the month without its month: "el día 1", "el 18", "para el 5", "día 20".
#pragma once

#include "zarvo/chrono/day_of_month_parser.h"

namespace zarvo::chrono {

// The day's digits after "el", "el día" or "día" (with º, ª or ° after them, or nothing): the next
// such day (DayOfMonthParser). Part of the extended configuration. Tag: esDayOfMonthParser.
class ESDayOfMonthParser : public DayOfMonthParser {
 public:
  using DayOfMonthParser::DayOfMonthParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::spanish; }

 protected:
  TagUnit tag() const override { return TagUnit::esDayOfMonthParser; }
  std::optional<int64_t> readDay(std::u16string_view text, const platform::Match& match) const override;
};

}  // namespace zarvo::chrono
