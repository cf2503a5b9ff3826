// A clock time with the part of the day after it: "5 in the afternoon", "at 8 in the morning",
// "9:30 in the evening", "11 at night".
#pragma once

#include "zarvo/chrono/time_of_day_parser.h"

namespace zarvo::chrono {

// Morning is AM; afternoon, evening and night are PM (TimeOfDayParser). Part of the extended
// configuration. Tag: enTimeOfDayParser.
class ENTimeOfDayParser : public TimeOfDayParser {
 public:
  using TimeOfDayParser::TimeOfDayParser;
  std::u16string_view pattern() const override;

 protected:
  TagUnit tag() const override { return TagUnit::enTimeOfDayParser; }
  std::optional<int64_t> meridiem(std::u16string_view part, int64_t hour) const override;
};

}  // namespace zarvo::chrono
