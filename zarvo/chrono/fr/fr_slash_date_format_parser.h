// French numeric dates, day first: "15/03/2024", "le 5/3", "lundi 05.03.24".
//
// The day-first reading of DayFirstSlashDateParser with the French weekdays ("le" names none). Tag:
// frSlashDateFormatParser.
#pragma once

#include "zarvo/chrono/slash_date.h"

namespace zarvo::chrono {

class FRSlashDateFormatParser : public DayFirstSlashDateParser {
 public:
  using DayFirstSlashDateParser::DayFirstSlashDateParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::french; }

 protected:
  TagUnit tag() const override { return TagUnit::frSlashDateFormatParser; }
  const WordTable& weekdays() const override;
};

}  // namespace zarvo::chrono
