// German numeric dates, day first: "12.03.2024", "3.5.", "am Montag, den 12.03.", "25.12.99",
// "12-03" and "2024-12-03" (the dashed form also reads day before month).
//
// Two-digit years below 51 fall in the 2000s, 51 to 99 in the 1900s; without a year the reference's
// year is assigned. Shapes of decimal or version numbers ("1.5", "1.1.20") alone give no result. Tag:
// deSlashDateFormatParser.
#pragma once

#include "zarvo/chrono/slash_date.h"

namespace zarvo::chrono {

class DESlashDateFormatParser : public DayFirstSlashDateParser {
 public:
  using DayFirstSlashDateParser::DayFirstSlashDateParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::german; }

 protected:
  TagUnit tag() const override { return TagUnit::deSlashDateFormatParser; }
  const WordTable& weekdays() const override;
  Groups groups(const platform::Match& match) const override;
};

}  // namespace zarvo::chrono
