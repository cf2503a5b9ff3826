// Reads a month name alone or with a four-digit year: "March", "March 2024", "Dec, 2023".
//
// The day is implied as the 1st. Without a year, the year is implied as the one that puts the 1st of
// that month nearest to the reference. A year below 10 without an era gives no result.
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

class ENMonthNameParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
