// A clock time with the part of the day after it: "8 Uhr abends", "um 7 morgens", "3 Uhr
// nachmittags", "2 Uhr nachts".
#pragma once

#include "zarvo/chrono/time_of_day_parser.h"

namespace zarvo::chrono {

// morgens, früh and vormittags are AM; mittags, nachmittags and abends PM; nachts PM from 9 o'clock
// on and AM before (TimeOfDayParser). Part of the extended configuration. Tag: deTimeOfDayParser.
class DETimeOfDayParser : public TimeOfDayParser {
 public:
  using TimeOfDayParser::TimeOfDayParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::german; }

 protected:
  TagUnit tag() const override { return TagUnit::deTimeOfDayParser; }
  std::optional<int64_t> meridiem(std::u16string_view part, int64_t hour) const override;
};

}  // namespace zarvo::chrono
