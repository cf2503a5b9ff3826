// Spanish numeric dates, day first: "15/03/2024", "lunes 5/3", "3-12-24". The first number reads at
// most 19.
//
// The day-first reading of DayFirstSlashDateParser with the Spanish weekdays. Tag:
// esSlashDateFormatParser.
#pragma once

#include "zarvo/chrono/slash_date.h"

namespace zarvo::chrono {

class ESSlashDateFormatParser : public DayFirstSlashDateParser {
 public:
  using DayFirstSlashDateParser::DayFirstSlashDateParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::spanish; }

 protected:
  TagUnit tag() const override { return TagUnit::esSlashDateFormatParser; }
  const WordTable& weekdays() const override;
};

}  // namespace zarvo::chrono
