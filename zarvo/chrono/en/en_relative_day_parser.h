// Days named by their distance from today beyond the casual words: "the day after tomorrow", "the day
// before yesterday", and the short forms people type for tomorrow ("tmrw", "tmw", "2moro").
#pragma once

#include "zarvo/chrono/relative_day_parser.h"

namespace zarvo::chrono {

// The day becomes known, as RelativeDayParser reads it. Part of the extended configuration. Tag:
// enRelativeDayParser.
class ENRelativeDayParser : public RelativeDayParser {
 public:
  using RelativeDayParser::RelativeDayParser;
  std::u16string_view pattern() const override;

 protected:
  TagUnit tag() const override { return TagUnit::enRelativeDayParser; }
  const WordTable& days() const override;
};

}  // namespace zarvo::chrono
