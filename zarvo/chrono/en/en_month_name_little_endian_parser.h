// Reads day-month-year dates with a month name: "12th of March 2024", "Tue 5 Mar", "5 - 7 Jan"
// (a range of days in one month), "twenty-first of June 300 BC".
//
// Without a year, the year is implied as the one that puts the date nearest to the reference. A year
// below 10 written without an era is not taken for a year ("12 March 5" gives no result).
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

class ENMonthNameLittleEndianParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
