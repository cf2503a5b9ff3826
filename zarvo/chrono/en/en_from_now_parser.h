// A distance ahead written after its amount: "2 weeks from now", "three days from today", "an hour
// from now".
#pragma once

#include "zarvo/chrono/distance_format_parser.h"

namespace zarvo::chrono {

// Read as "in 2 weeks" is (ENDeadlineFormatParser). Part of the extended configuration. Tag:
// enFromNowParser.
class ENFromNowParser : public DeadlineFormatParser {
 public:
  using DeadlineFormatParser::DeadlineFormatParser;
  std::u16string_view pattern() const override;

 protected:
  TagUnit tag() const override { return TagUnit::enFromNowParser; }
  const DistanceWords& words() const override;
  size_t amountGroup() const override { return 2; }
};

}  // namespace zarvo::chrono
