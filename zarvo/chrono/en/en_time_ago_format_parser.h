// Reads a distance back from the reference: "2 weeks ago", "a few days earlier", "5 minutes before".
//
// A match right after a letter or digit is rejected, so "abc 5 minutes ago" is read from "5" on.
// Weeks leave the date and its weekday implied; days, months and years make the date known; hours,
// minutes and seconds make the time known and leave the date implied. The strict pattern admits only
// digits and "a"/"an" with seconds, minutes, hours and days, followed by "ago".
#pragma once

#include "zarvo/chrono/distance_format_parser.h"

namespace zarvo::chrono {

class ENTimeAgoFormatParser : public TimeAgoFormatParser {
 public:
  using TimeAgoFormatParser::TimeAgoFormatParser;
  std::u16string_view pattern() const override;

 protected:
  TagUnit tag() const override { return TagUnit::enTimeAgoFormatParser; }
  const DistanceWords& words() const override;
};

}  // namespace zarvo::chrono
