// Japanese calendar dates: "12月25日", "2016年12月25日", "平成28年12月25日", "２０１６年１２月２５日"
// (full-width digits), "同年3月1日".
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// Assigns the month and day as the calendar carries them from the reference's year (so "2月30日"
// becomes 1 March). A written year is assigned: Gregorian, or an era year of 昭和 or 平成. Without a
// year, and for "同年" ("the same year"), the year of the occurrence nearest to the reference is
// implied. The phrase is the whole match. Reads the same in strict mode. Tag: jpStandardParser.
class JPStandardParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::japanese; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
