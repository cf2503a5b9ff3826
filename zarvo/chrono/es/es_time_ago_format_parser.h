// Spanish distances back from the reference: "hace 2 días", "hace una hora", "hace media hora",
// "hace 3 semanas", "hace un mes", "hace 2 años".
//
// Read like the English time-ago phrases; "un"/"una" count one, "medio"/"media" half a unit. Tag:
// esTimeAgoFormatParser.
#pragma once

#include "zarvo/chrono/distance_format_parser.h"

namespace zarvo::chrono {

class ESTimeAgoFormatParser : public TimeAgoFormatParser {
 public:
  using TimeAgoFormatParser::TimeAgoFormatParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::spanish; }

 protected:
  TagUnit tag() const override { return TagUnit::esTimeAgoFormatParser; }
  const DistanceWords& words() const override;
};

}  // namespace zarvo::chrono
