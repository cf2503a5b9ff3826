// Days two or three away, Simplified and Traditional: "后天", "後天", "大后天", "大後天", "前天", "大前天".
#pragma once

#include "zarvo/chrono/relative_day_parser.h"

namespace zarvo::chrono {

// The day becomes known, as RelativeDayParser reads it; the phrase is the word alone. Part of the
// extended configuration. Tag: zhRelativeDayParser.
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
};

}  // namespace zarvo::chrono
