// Distances ahead: "30分後", "2時間後", "3日後", "1週間後", "2ヶ月後", "１年後", "三日後", "半年後".
#pragma once

#include "zarvo/chrono/distance_format_parser.h"

namespace zarvo::chrono {

// An amount in digits (full-width too) or kanji numerals, or 半 (half), a unit from minutes to years
// and 後 (after), read as the deadline phrases of every language are (DeadlineFormatParser); the
// phrase is the whole match. Part of the extended configuration. Tag: jpDeadlineParser.
class JPDeadlineParser : public DeadlineFormatParser {
 public:
  using DeadlineFormatParser::DeadlineFormatParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::japanese; }

 protected:
  TagUnit tag() const override { return TagUnit::jpDeadlineParser; }
  const DistanceWords& words() const override;
  size_t amountGroup() const override { return 1; }
  bool hasLeadingContext() const override { return false; }
};

}  // namespace zarvo::chrono
