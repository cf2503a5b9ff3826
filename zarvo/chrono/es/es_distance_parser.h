// Distances ahead beyond the formal deadline phrases: "en dos semanas", "dentro de una semana", "en 3
// meses", "en un año", "dentro de cinco días".
#pragma once

#include "zarvo/chrono/distance_format_parser.h"

namespace zarvo::chrono {

// "en" or "dentro de", an amount (digits, un/uno/una, dos to doce, medio/media) and a unit from
// minutes to years, read as the deadline phrases of every language are (DeadlineFormatParser). Part
// of the extended configuration. Tag: esDistanceParser.
class ESDistanceParser : public DeadlineFormatParser {
 public:
  using DeadlineFormatParser::DeadlineFormatParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::spanish; }

 protected:
  TagUnit tag() const override { return TagUnit::esDistanceParser; }
  const DistanceWords& words() const override;
};

}  // namespace zarvo::chrono
