// Spanish weekday names with an optional modifier: "lunes", "el próximo lunes", "este viernes",
// "pasado martes", "(mie)".
//
// "pasado" means last, "próximo" (or "proximo") next, "este" this; the date follows
// updateParsedComponent. Tag: esWeekdayParser.
#pragma once

#include "zarvo/chrono/weekday_parser.h"

namespace zarvo::chrono {

class ESWeekdayParser : public WeekdayParser {
 public:
  using WeekdayParser::WeekdayParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::spanish; }

 protected:
  TagUnit tag() const override { return TagUnit::esWeekdayParser; }
  const WordTable& weekdays() const override;
  std::u16string_view modifier(std::u16string_view word) const override;
};

}  // namespace zarvo::chrono
