// French casual day words and times of day: "maintenant", "aujourd'hui", "ajd", "demain", "hier",
// "demain matin", "hier soir", "ce matin", "ce soir", "cet aprem", "cet après-midi", "cette nuit",
// "la veille".
//
// Assigns the day, month and year the phrase names ("demain" from 02:00 on is the next day). Fixed
// hours are implied: "matin" 8, "après-midi"/"aprem" 14, "soir" 18, "cette nuit" 22 with PM, "la
// veille" 0 (the day before once the reference is past 06:59); the options are not read. Tag:
// frCasualDateParser.
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

class FRCasualDateParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::french; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
