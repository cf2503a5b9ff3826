// A clock time with the part of the day after it: "a las 5 de la tarde", "7 de la mañana", "a las
// 11 de la noche", "3 de la madrugada".
#pragma once

#include "zarvo/chrono/time_of_day_parser.h"

namespace zarvo::chrono {

// mañana and madrugada are AM, tarde PM, noche PM from 6 o'clock on and AM before (TimeOfDayParser).
// Part of the extended configuration. Tag: esTimeOfDayParser.
class ESTimeOfDayParser : public TimeOfDayParser {
 public:
  using TimeOfDayParser::TimeOfDayParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::spanish; }

 protected:
  TagUnit tag() const override { return TagUnit::esTimeOfDayParser; }
  std::optional<int64_t> meridiem(std::u16string_view part, int64_t hour) const override;
};

}  // namespace zarvo::chrono
