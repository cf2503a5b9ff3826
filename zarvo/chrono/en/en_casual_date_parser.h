// Casual day words: now, today, tonight, tomorrow (tmr), yesterday, last night.
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// Assigns the day, month and year the word names; "tonight", "last night" and "now" also imply a time.
// Reads the same in strict mode. Tag: enCasualDateParser.
class ENCasualDateParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
