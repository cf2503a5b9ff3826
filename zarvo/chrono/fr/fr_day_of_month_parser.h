// A day of the month without its month: "le 1er", "le 15", "d'ici le 20".
#pragma once

#include "zarvo/chrono/day_of_month_parser.h"

namespace zarvo::chrono {

// "le" and the day's digits, or "1er": the next such day (DayOfMonthParser), with the hour when one
// follows with "à" ("le 3 à 10h", "le 15 à 14h30"), which would otherwise be read as a range of hours
// ("3 à 10h"). Part of the extended configuration. Tag: frDayOfMonthParser.
class FRDayOfMonthParser : public DayOfMonthParser {
 public:
  using DayOfMonthParser::DayOfMonthParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::french; }

 protected:
  TagUnit tag() const override { return TagUnit::frDayOfMonthParser; }
  std::optional<int64_t> readDay(std::u16string_view text, const platform::Match& match) const override;
  bool readTime(std::u16string_view text, const platform::Match& match, ParsedComponents& start) const override;
};

}  // namespace zarvo::chrono
