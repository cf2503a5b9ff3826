// A clock time with the part of the day after it: "8h du matin", "à 3h de l'après-midi", "9 heures du
// soir".
#pragma once

#include "zarvo/chrono/time_of_day_parser.h"

namespace zarvo::chrono {

// matin is AM; après-midi and soir PM (TimeOfDayParser). Part of the extended configuration. Tag:
// frTimeOfDayParser.
class FRTimeOfDayParser : public TimeOfDayParser {
 public:
  using TimeOfDayParser::TimeOfDayParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::french; }

 protected:
  TagUnit tag() const override { return TagUnit::frTimeOfDayParser; }
  std::optional<int64_t> meridiem(std::u16string_view part, int64_t hour) const override;
};

}  // namespace zarvo::chrono
