// Weeks and months ahead named alone: "来週" (next week), "再来週" (the week after), "来月" (next
// month), "再来月".
#pragma once

#include "zarvo/chrono/relative_period_parser.h"

namespace zarvo::chrono {

// As RelativePeriodParser reads them, as the English "next week" and "next month" read; the phrase is
// the word alone. Part of the extended configuration. Tag: jpRelativeWeekParser.
class JPRelativeWeekParser : public RelativePeriodParser {
 public:
  using RelativePeriodParser::RelativePeriodParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::japanese; }

 protected:
  TagUnit tag() const override { return TagUnit::jpRelativeWeekParser; }
  const WordTable& weeks() const override;
  const WordTable& months() const override;
  size_t wordGroup() const override { return 1; }
  bool hasLeadingContext() const override { return false; }
};

}  // namespace zarvo::chrono
