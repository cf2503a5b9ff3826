// Days two away: "après-demain", "après demain", "avant-hier", also with a part of the day
// ("après-demain après-midi").
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
  size_t partOfDayGroup() const override { return 3; }
  const PartOfDay* partOfDay(std::u16string_view word) const override;
};

}  // namespace zarvo::chrono
