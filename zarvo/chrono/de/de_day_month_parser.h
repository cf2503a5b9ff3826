// A day and month written with a dot after each, without a year: "am 20.12.", "bis 31.12.", "3.1.".
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// The day and month become known and the year of the nearest such date is implied, as for month
// names. The phrase takes a word before it ("am", "bis", "zum", "bis zum", "ab", "vom", "den") and
// the final dot, so it outlasts the clock time "am 20.12" the time parser reads in it. A digit after
// the final dot makes it a longer date, left to the slash-date parser. Part of the extended
// configuration. Tag: deDayMonthParser.
class DEDayMonthParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::german; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
