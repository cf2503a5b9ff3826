// Clock times with an optional range end: "at 5pm", "10:30", "noon", "0930", "7 - 9pm", "10pm to 2am".
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// Assigns hour and minute (second when stated, meridiem when determined) on the reference day; a range
// end becomes the result's end, moved to the next day when it would lie before the start. Rejects
// digits glued to a word character ("x2", "abc10:30", the "T10:00" of an ISO timestamp), out-of-range
// values ("10:75", "13pm") and a bare number without minutes or marker ("1230"). Reads the same in
// strict mode. Tag: enTimeExpressionParser.
class ENTimeExpressionParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
