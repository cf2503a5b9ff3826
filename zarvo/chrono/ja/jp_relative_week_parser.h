// Weeks and months ahead named alone: "来週" (next week), "再来週" (the week after), "来月" (next
// month), "再来月".
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// As the English "next week" and "next month" read: weeks move the reference 7 (14) days on with the
// date only implied; months move it one (two) months on with the month and year known and the day
// implied. Part of the extended configuration. Tag: jpRelativeWeekParser.
class JPRelativeWeekParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::japanese; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
