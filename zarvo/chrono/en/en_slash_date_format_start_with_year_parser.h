// Reads numeric dates year first: "2024/3/12", "2024.03.12", "2024-3-12".
//
// A month outside 1-12 or a day outside 1-31 gives no result.
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

class ENSlashDateFormatStartWithYearParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
