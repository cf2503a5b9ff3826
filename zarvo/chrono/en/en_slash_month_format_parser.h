// Reads a month and a year: "3/2024", "12/2023". The day is implied as the 1st.
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

class ENSlashMonthFormatParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
