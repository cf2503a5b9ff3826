// French weekday names with an optional modifier: "lundi", "ce lundi", "lundi prochain",
// "vendredi dernier", "(mer)".
//
// "dernier" means last, "prochain" next, "ce" this; the date follows updateParsedComponent. The name
// must follow a blank or start the text. Tag: frWeekdayParser.
#pragma once

#include "zarvo/chrono/weekday_parser.h"

namespace zarvo::chrono {

class FRWeekdayParser : public WeekdayParser {
 public:
  using WeekdayParser::WeekdayParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::french; }

 protected:
  TagUnit tag() const override { return TagUnit::frWeekdayParser; }
  const WordTable& weekdays() const override;
  std::u16string_view modifier(std::u16string_view word) const override;
};

}  // namespace zarvo::chrono
