// French distances back from the reference: "il y a 3 heures", "il y a une semaine", "il y a 2 jours",
// "il y a un mois", "il y a 5 ans".
//
// Read like the English time-ago phrases; "un"/"une" count one. Tag: frTimeAgoFormatParser.
#pragma once

#include "zarvo/chrono/distance_format_parser.h"

namespace zarvo::chrono {

class FRTimeAgoFormatParser : public TimeAgoFormatParser {
 public:
  using TimeAgoFormatParser::TimeAgoFormatParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::french; }

 protected:
  TagUnit tag() const override { return TagUnit::frTimeAgoFormatParser; }
  const DistanceWords& words() const override;
};

}  // namespace zarvo::chrono
