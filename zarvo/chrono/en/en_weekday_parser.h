// Reads weekday names with an optional modifier before or after: "Mon", "next Friday",
// "Friday next week", "(on last tue)".
//
// The date follows updateParsedComponent: with "next", "last" or "past" it is known, otherwise
// the nearest such weekday is implied. Tag: enWeekdayParser.
#pragma once

#include "zarvo/chrono/weekday_parser.h"

namespace zarvo::chrono {

class ENWeekdayParser : public WeekdayParser {
 public:
  using WeekdayParser::WeekdayParser;
  std::u16string_view pattern() const override;

 protected:
  TagUnit tag() const override { return TagUnit::enWeekdayParser; }
  const WordTable& weekdays() const override;
  std::u16string_view modifier(std::u16string_view word) const override { return word; }
};

}  // namespace zarvo::chrono
