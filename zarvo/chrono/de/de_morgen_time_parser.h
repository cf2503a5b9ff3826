// German mornings, where "Morgen" (morning) is not "morgen" (tomorrow): "heute Morgen", "letzten
// Morgen", "Morgen früh", "Montag Morgen".
//
// Implies the morning hour (option morning, 6 by default). "letzten Morgen" implies the day before
// the reference, "Morgen früh" the day after (the day number only: day 0 or 32 is carried over by the
// calendar). A weekday in front is assigned as the weekday while the day stays the reference's. Tag:
// deMorgenTimeParser.
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

class DEMorgenTimeParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::german; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
