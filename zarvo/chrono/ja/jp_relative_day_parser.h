// Days two or three away: "明後日", "あさって", "明々後日", "しあさって", "一昨日", "おととい".
#pragma once

#include "zarvo/chrono/relative_day_parser.h"

namespace zarvo::chrono {

// The day becomes known, as RelativeDayParser reads it; the phrase is the word alone. Part of the
// extended configuration. Tag: jpRelativeDayParser.
class JPRelativeDayParser : public RelativeDayParser {
 public:
  using RelativeDayParser::RelativeDayParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::japanese; }

 protected:
  TagUnit tag() const override { return TagUnit::jpRelativeDayParser; }
  const WordTable& days() const override;
  size_t wordGroup() const override { return 1; }
  bool hasLeadingContext() const override { return false; }
};

}  // namespace zarvo::chrono
