// Reads a distance named by "next", "last" or "past": "next week", "last 2 months", "past hour".
//
// How much becomes known depends on the unit: "next week" leaves the date implied, "next month"
// knows year and month, "next year" only the year, while days and clock units fix the date (and the
// time up to the unit). The same pattern serves both modes.
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

class ENRelativeDateFormatParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
