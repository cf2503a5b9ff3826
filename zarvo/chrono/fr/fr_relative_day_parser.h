// Days two away: "après-demain", "après demain", "avant-hier".
#pragma once

#include "zarvo/chrono/relative_day_parser.h"

namespace zarvo::chrono {

// The day becomes known, as RelativeDayParser reads it. Part of the extended configuration. Tag:
// frRelativeDayParser.
class FRRelativeDayParser : public RelativeDayParser {
 public:
  using RelativeDayParser::RelativeDayParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::french; }

 protected:
  TagUnit tag() const override { return TagUnit::frRelativeDayParser; }
  const WordTable& days() const override;
};

}  // namespace zarvo::chrono
