// A day of the month without its month: "20日", "３日に", "十五日まで".
#pragma once

#include "zarvo/chrono/day_of_month_parser.h"

namespace zarvo::chrono {

// The day in digits (full-width too) or kanji numerals before 日: the next such day
// (DayOfMonthParser). Not a count of days ("3日後", "5日間", "3日以内", "1日中") nor the day of a
// written month ("12月20日", read whole by the date parsers). Part of the extended configuration.
// Tag: jpDayOfMonthParser.
class JPDayOfMonthParser : public DayOfMonthParser {
 public:
  using DayOfMonthParser::DayOfMonthParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::japanese; }

 protected:
  TagUnit tag() const override { return TagUnit::jpDayOfMonthParser; }
  std::optional<int64_t> readDay(std::u16string_view text, const platform::Match& match) const override;
};

}  // namespace zarvo::chrono
