// Casual parts of the day: morning, afternoon, evening, noon, optionally after "this".
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// Implies the hour of the part of the day: the options morning, afternoon, evening and noon when
// present, else 6, 15, 18 and 12. Nothing else is set (no day shift, no meridiem). The word is compared
// without regard to case, so "This Morning" reads like "this morning". Reads the same in strict mode.
// Tag: enCasualTimeParser.
class ENCasualTimeParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
