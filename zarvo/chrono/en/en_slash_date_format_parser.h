// Reads numeric dates month first: "3/12", "12.03.2024", "Tue 3-12-24"; day first when the
// first number cannot be a month ("25/12").
//
// A match that is part of a longer slash run ("1/2/3/4") is skipped as a whole; version numbers
// ("1.2", "1.2.3") and dot or dash pairs without a year ("5.12") are not dates. Two-digit years
// below 51 are 20xx, from 51 on 19xx.
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

class ENSlashDateFormatParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
