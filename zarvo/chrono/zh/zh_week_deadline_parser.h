// Weeks ahead written with 周 or 週: "两周后", "一周后", "3周以后", "兩週後", "半周内".
#pragma once

#include "zarvo/chrono/distance_format_parser.h"

namespace zarvo::chrono {

// An amount (digits, numerals, 半) of weeks and 后/後 (after) or 内/內 (within), read as the deadline
// phrases of every language are (DeadlineFormatParser); the phrase is the whole match. Part of the
// extended configuration. Tag: zhWeekDeadlineParser.
class ZHWeekDeadlineParser : public DeadlineFormatParser {
 public:
  using DeadlineFormatParser::DeadlineFormatParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::chinese; }

 protected:
  TagUnit tag() const override { return TagUnit::zhWeekDeadlineParser; }
  const DistanceWords& words() const override;
  size_t amountGroup() const override { return 1; }
  bool hasLeadingContext() const override { return false; }
};

}  // namespace zarvo::chrono
