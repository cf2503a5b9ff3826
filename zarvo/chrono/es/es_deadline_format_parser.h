// Spanish distances ahead of the reference: "en 2 días", "dentro de media hora", "en una hora",
// "dentro de 10 minutos".
//
// Read like the English deadline phrases, with minutes, hours and days only; "un"/"una" count one,
// "medio"/"media" half a unit. Tag: esDeadlineFormatParser.
#pragma once

#include "zarvo/chrono/distance_format_parser.h"

namespace zarvo::chrono {

class ESDeadlineFormatParser : public DeadlineFormatParser {
 public:
  using DeadlineFormatParser::DeadlineFormatParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::spanish; }

 protected:
  TagUnit tag() const override { return TagUnit::esDeadlineFormatParser; }
  const DistanceWords& words() const override;
};

}  // namespace zarvo::chrono
