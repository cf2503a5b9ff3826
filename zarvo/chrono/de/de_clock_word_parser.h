// Clock times told in words: "halb vier" (3:30), "um viertel nach acht" (8:15), "viertel vor neun"
// (8:45), "dreiviertel zehn" (9:45).
#pragma once

#include "zarvo/chrono/time_expression_parser.h"

namespace zarvo::chrono {

// The hour is a word from eins to zwölf or digits; the half of the day is left open as a bare clock
// leaves it ("halb vier" is 3:30, AM implied). "halb eins" is 12:30. Part of the extended
// configuration. Tag: deClockWordParser.
class DEClockWordParser : public TimeExpressionParser {
 public:
  using TimeExpressionParser::TimeExpressionParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::german; }

 protected:
  TagUnit tag() const override { return TagUnit::deClockWordParser; }
  std::u16string_view rangeEndPattern() const override { return u"(?!)"; }
  // Groups: 1 leading context, 2 halb / viertel nach / viertel vor / dreiviertel, 3 the hour.
  std::optional<Clock> readClock(std::u16string_view text, const platform::Match& match, Date ref) const override;
};

}  // namespace zarvo::chrono
