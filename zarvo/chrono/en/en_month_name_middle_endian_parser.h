// Reads month-day-year dates with a month name: "March 12, 2024", "Fri, Mar 15th", "Jan 5 - 7",
// "March 12, 2500 BE".
//
// Without a year, the year is implied as the one that puts the date nearest to the reference. A
// date followed by ":" and a digit is not read (it is the start of a clock time).
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

class ENMonthNameMiddleEndianParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
