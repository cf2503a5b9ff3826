// Days two or three away: "übermorgen", "überübermorgen", "vorgestern".
#pragma once

#include "zarvo/chrono/relative_day_parser.h"

namespace zarvo::chrono {

// The day becomes known, as RelativeDayParser reads it. Part of the extended configuration. Tag:
// deRelativeDayParser.
class DERelativeDayParser : public RelativeDayParser {
 public:
  using RelativeDayParser::RelativeDayParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::german; }

 protected:
  TagUnit tag() const override { return TagUnit::deRelativeDayParser; }
  const WordTable& days() const override;
};

}  // namespace zarvo::chrono
