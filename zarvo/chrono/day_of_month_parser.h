// A day of the month named without its month, read the same way in every language: "on the 15th",
// "am 15.", "el día 1", "le 1er".
//
// A language supplies its pattern, tag and how the day is read from a match. Stateless; safe to use
// from any thread.
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// The next day with that number, the reference's own day included: read on 6 December, "the 15th"
// is 15 December and "the 1st" 1 January. A month too short for the day is passed over ("the 31st"
// read in November is 31 December). The day becomes known; the month and year stay implied.
class DayOfMonthParser : public Parser {
 public:
  using Parser::Parser;
  // REQUIRES: pattern() has the leading context in group 1. A day outside 1 to 31 gives no result.
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const final;

 protected:
  virtual TagUnit tag() const = 0;
  // The day `match` names; nothing rejects the match.
  virtual std::optional<int64_t> readDay(std::u16string_view text, const platform::Match& match) const = 0;
  // Adds to `start` the clock time the match names with the day, if the language's pattern reads one
  // ("le 3 à 10h"); false rejects the match. The base reads none.
  virtual bool readTime(std::u16string_view, const platform::Match&, ParsedComponents&) const { return true; }
};

}  // namespace zarvo::chrono
