// German casual day words: jetzt, heute, morgen, gestern, letzte Nacht.
//
// Assigns the day, month and year the word names ("morgen" from 02:00 on is the next day, before
// that the day that has just begun); "letzte Nacht" and "jetzt" also imply a time. German has no
// word here for "tonight". Reads the same in strict mode. Tag: deCasualDateParser.
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

class DECasualDateParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::german; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
