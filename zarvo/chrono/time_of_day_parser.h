// A clock time followed by the part of the day it falls in, read the same way in every language:
// "5 in the afternoon", "8 Uhr abends", "a las 5 de la tarde", "8h du soir".
//
// A language supplies its pattern, tag and which half of the day each part-of-day word means.
// Stateless; safe to use from any thread.
#pragma once

#include "zarvo/chrono/time_expression_parser.h"

namespace zarvo::chrono {

// The clock is read as TimeExpressionParser reads one, in the half of the day the words give it: "5 in
// the afternoon" is 17:00, "8 Uhr morgens" 8:00. No range end is read.
class TimeOfDayParser : public TimeExpressionParser {
 public:
  using TimeExpressionParser::TimeExpressionParser;

 protected:
  // REQUIRES: pattern() has the leading context in group 1, the hour digits in group 2, the minute
  // digits (optional) in group 3 and the part-of-day words in group 4.
  std::optional<Clock> readClock(std::u16string_view text, const platform::Match& match, Date ref) const final;
  std::u16string_view rangeEndPattern() const final { return u"(?!)"; }
  // The half of the day (0 AM, 1 PM) that `part` (lower case) gives the clock `hour`; nothing leaves
  // the clock as a time-expression reads it.
  virtual std::optional<int64_t> meridiem(std::u16string_view part, int64_t hour) const = 0;
};

}  // namespace zarvo::chrono
