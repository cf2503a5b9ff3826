// Reads ISO 8601 dates and timestamps: "2024-03-12", "2024-03-12T10:30",
// "2024-03-12T10:30:00.250+09:00".
//
// A timestamp with a time but no offset, or with "Z", is read in UTC (offset 0 becomes known); a
// date alone states no time and no offset. Results carry the enCasualTimeParser tag.
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

class ENISOFormatParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
