// Weekday names with an optional modifier before or after, read the same way in every language:
// "next Friday", "Friday next week", "nächsten Dienstag", "el próximo lunes", "lundi prochain".
//
// A language supplies its pattern, tag, weekday table and the meaning of its modifier words; the date
// follows updateParsedComponent. Stateless; safe to use from any thread.
#pragma once

#include <string_view>

#include "zarvo/chrono/parser.h"
#include "zarvo/chrono/word_table.h"

namespace zarvo::chrono {

class WeekdayParser : public Parser {
 public:
  using Parser::Parser;
  // REQUIRES: pattern() has groups 1 leading context, 2 modifier before the weekday, 3 weekday,
  // 4 modifier after it. A weekday the table lacks gives no result. The modifier is group 2 when it
  // took part, else group 4.
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const final;

 protected:
  virtual TagUnit tag() const = 0;
  virtual const WordTable& weekdays() const = 0;
  // The modifier updateParsedComponent understands ("this", "last", "past", "next") that the
  // lower-cased `word` of this language means; anything else (empty) for none. May return `word`
  // itself.
  virtual std::u16string_view modifier(std::u16string_view word) const = 0;
};

}  // namespace zarvo::chrono
