// A day of the month without its month: "20号", "5號", "15日".
#pragma once

#include "zarvo/chrono/day_of_month_parser.h"

namespace zarvo::chrono {

// The day in digits or Chinese numerals before 号, 號 or 日: the next such day (DayOfMonthParser).
// Not a count of days ("3日后"), a line or a room ("3号线", "5号楼"), nor the day of a written month
// ("12月20号", read whole by the date parsers). Part of the extended configuration. Tag:
// zhDayOfMonthParser.
class ZHDayOfMonthParser : public DayOfMonthParser {
 public:
  using DayOfMonthParser::DayOfMonthParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::chinese; }

 protected:
  TagUnit tag() const override { return TagUnit::zhDayOfMonthParser; }
  std::optional<int64_t> readDay(std::u16string_view text, const platform::Match& match) const override;
};

}  // namespace zarvo::chrono
