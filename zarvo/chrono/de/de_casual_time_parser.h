// German parts of the day, optionally after "heute" or "diese(n/r/m/s)": "früh", "Nachmittag",
// "heute Abend", "diesen Mittag".
//
// Implies the hour (the options morning, afternoon, evening and noon choose it; 6, 15, 18 and 12 by
// default) on the reference day; afternoon and evening also imply PM. The word is compared in lower
// case, so "Heute Früh" reads like "heute früh". Tag: deCasualTimeParser.
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

class DECasualTimeParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::german; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
