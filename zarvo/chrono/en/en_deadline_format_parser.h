// Reads a distance ahead of the reference: "in 3 days", "within an hour", "in half a year".
//
// Day and longer units make the target date known; hours, minutes and seconds make the time known and
// leave the date implied. The strict pattern admits only digits, number words and "a"/"an" with
// seconds, minutes, hours and days (no "few", "half", weeks, months or years).
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

class ENDeadlineFormatParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
