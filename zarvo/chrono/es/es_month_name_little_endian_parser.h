// Spanish day-month-year dates with a month name: "3 de mayo", "3 de mayo 24", "3 de mayo de 2024",
// "lunes 5 de febrero", "3 al 5 de mayo" (a range of days in one month), "15 de marzo 44 a.C.".
//
// Without a year, the year is implied as the one that puts the date nearest to the reference. A year
// without era of 99 or less means 2000 to 2099; with an era the year is as written, negative before
// Christ ("a.C."). Tag: esMonthNameLittleEndianParser.
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

class ESMonthNameLittleEndianParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::spanish; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
