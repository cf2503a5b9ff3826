// French day-month-year dates with a month name: "1er mai", "3 mai 24", "lundi 5 février 2024",
// "3 au 5 mai" (a range of days in one month), "14 juil.", "15 mars 44 AC".
//
// Without a year, the year is implied as the one that puts the date nearest to the reference. A year
// without era of 99 or less means 2000 to 2099; with an era the year is as written, negative before
// Christ (an era with an "a": "AC", "a.c.n."). Tag: frMonthNameLittleEndianParser.
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

class FRMonthNameLittleEndianParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::french; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
