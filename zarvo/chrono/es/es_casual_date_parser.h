// Spanish casual day words and times of day: "ahora", "hoy", "mañana", "ayer", "anoche",
// "esta mañana/tarde/noche", "mañana por la mañana", "ayer por la noche".
//
// Assigns the day, month and year the phrase names. "mañana" alone is the next day from 02:00 on;
// "mañana por la ..." is always the next day. Fixed hours are implied: "esta mañana" 6, "esta tarde"
// 18, "por la mañana" 9, "por la tarde" 18, any "noche" 22 with PM, "anoche" 0 (the day before once the
// reference is past 06:59); the options are not read. Tag: esCasualDateParser.
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

class ESCasualDateParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::spanish; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
