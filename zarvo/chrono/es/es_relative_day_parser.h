// Days two away: "pasado mañana", "anteayer", "antier", "antes de ayer", also with a part of the day
// ("pasado mañana por la tarde").
#pragma once

#include "zarvo/chrono/relative_day_parser.h"

namespace zarvo::chrono {

// The day becomes known, as RelativeDayParser reads it. Part of the extended configuration. Tag:
// esRelativeDayParser.
class ESRelativeDayParser : public RelativeDayParser {
 public:
  using RelativeDayParser::RelativeDayParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::spanish; }

 protected:
  TagUnit tag() const override { return TagUnit::esRelativeDayParser; }
  const WordTable& days() const override;
  size_t partOfDayGroup() const override { return 3; }
  const PartOfDay* partOfDay(std::u16string_view word) const override;
};

}  // namespace zarvo::chrono
