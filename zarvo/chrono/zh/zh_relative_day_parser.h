// Days two or three away, Simplified and Traditional: "后天", "後天", "大后天", "大後天", "前天", "大前天",
// also with a part of the day ("后天早上").
#pragma once

#include "zarvo/chrono/relative_day_parser.h"

namespace zarvo::chrono {

// The day becomes known, as RelativeDayParser reads it; the phrase is the word alone, or the word and
// its part of the day, with the hour the casual Chinese phrases give it ("明天早上"). A part of the day
// followed by a clock time ("后天早上8点") is left to the time's reader. Part of the extended
// configuration. Tag: zhRelativeDayParser.
class ZHRelativeDayParser : public RelativeDayParser {
 public:
  using RelativeDayParser::RelativeDayParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::chinese; }

 protected:
  TagUnit tag() const override { return TagUnit::zhRelativeDayParser; }
  const WordTable& days() const override;
  size_t wordGroup() const override { return 1; }
  bool hasLeadingContext() const override { return false; }
  size_t partOfDayGroup() const override { return 2; }
  const PartOfDay* partOfDay(std::u16string_view word) const override;
};

}  // namespace zarvo::chrono
