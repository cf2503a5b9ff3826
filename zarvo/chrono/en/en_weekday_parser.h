// Reads weekday names with an optional modifier before or after: "Mon", "next Friday",
// "Friday next week", "(on last tue)".
//
// The date follows updateParsedComponent: with "next", "last" or "past" it is known, otherwise
// the nearest such weekday is implied.
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

class ENWeekdayParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
