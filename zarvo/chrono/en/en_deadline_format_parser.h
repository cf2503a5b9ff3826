// Reads a distance ahead of the reference: "in 3 days", "within an hour", "in half a year".
//
// Day and longer units make the target date known; hours, minutes and seconds make the time known and
// leave the date implied. The strict pattern admits only digits, number words and "a"/"an" with
// seconds, minutes, hours and days (no "few", "half", weeks, months or years).
#pragma once

#include "zarvo/chrono/distance_format_parser.h"

namespace zarvo::chrono {

class ENDeadlineFormatParser : public DeadlineFormatParser {
 public:
  using DeadlineFormatParser::DeadlineFormatParser;
  std::u16string_view pattern() const override;

 protected:
  TagUnit tag() const override { return TagUnit::enDeadlineFormatParser; }
  const DistanceWords& words() const override;
};

}  // namespace zarvo::chrono
