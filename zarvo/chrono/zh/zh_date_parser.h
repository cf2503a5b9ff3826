// Chinese calendar dates in digits or numerals: "2016年12月25日", "二零一六年十二月二十日", "十二月三日",
// "12月25號", "3月".
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// Assigns the month, and the day and year where written; without them the reference's day and year
// are implied. A day or month takes at most two characters, so "二十五日" reads as day 20. Values are
// not range-checked here (strict mode drops impossible dates). The phrase is the whole match. Tag:
// zhHantDateParser.
class ZHDateParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::chinese; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
