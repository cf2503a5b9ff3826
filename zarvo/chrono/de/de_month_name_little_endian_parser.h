// German day-month-year dates with a month name: "3. Mai", "am 3. Mai 24", "Montag, den 12. März",
// "dritten Mai", "3. bis 5. Mai" (a range of days in one month), "15. März 44 v. Chr.".
//
// Without a year, the year is implied as the one that puts the date nearest to the reference. A year
// without era below 10 gives no result, 10 to 99 means 2010 to 2099; with an era the year is as
// written, negative before Christ ("v. Chr."). Tag: deMonthNameLittleEndianParser.
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

class DEMonthNameLittleEndianParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::german; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
