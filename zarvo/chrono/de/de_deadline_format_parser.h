// German distances ahead of the reference: "in drei Tagen", "innerhalb einer Woche",
// "in einer halben Stunde", "in ein paar Minuten", "innerhalb von 2 Jahren".
//
// Read like the English deadline phrases; "wenige", "einige" and "paar" count three, "halbe" half a
// unit. Tag: deDeadlineFormatParser.
#pragma once

#include "zarvo/chrono/distance_format_parser.h"

namespace zarvo::chrono {

class DEDeadlineFormatParser : public DeadlineFormatParser {
 public:
  using DeadlineFormatParser::DeadlineFormatParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::german; }

 protected:
  TagUnit tag() const override { return TagUnit::deDeadlineFormatParser; }
  const DistanceWords& words() const override;
};

}  // namespace zarvo::chrono
