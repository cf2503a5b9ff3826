// German weekday names with an optional modifier: "Montag", "am Mi", "nächsten Dienstag",
// "letzten Freitag", "diese Woche Donnerstag", "Dienstag nächste Woche".
//
// "letzte..." means last, "nächste..." and "kommende..." next, "diese..." this; the date follows
// updateParsedComponent. Tag: deWeekdayParser.
#pragma once

#include "zarvo/chrono/weekday_parser.h"

namespace zarvo::chrono {

class DEWeekdayParser : public WeekdayParser {
 public:
  using WeekdayParser::WeekdayParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::german; }

 protected:
  TagUnit tag() const override { return TagUnit::deWeekdayParser; }
  const WordTable& weekdays() const override;
  std::u16string_view modifier(std::u16string_view word) const override;
};

}  // namespace zarvo::chrono
