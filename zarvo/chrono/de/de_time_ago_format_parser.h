// German distances back from the reference: "vor zwei Stunden", "vor 3 Tagen", "vor einer halben
// Stunde", "vor ein paar Wochen".
//
// Read like the English time-ago phrases; "wenige", "einige" and "paar" count three, "halbe" half a
// unit. Tag: deTimeAgoFormatParser.
#pragma once

#include "zarvo/chrono/distance_format_parser.h"

namespace zarvo::chrono {

class DETimeAgoFormatParser : public TimeAgoFormatParser {
 public:
  using TimeAgoFormatParser::TimeAgoFormatParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::german; }

 protected:
  TagUnit tag() const override { return TagUnit::deTimeAgoFormatParser; }
  const DistanceWords& words() const override;
};

}  // namespace zarvo::chrono
