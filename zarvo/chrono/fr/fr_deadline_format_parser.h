// French distances ahead of the reference: "dans une semaine", "dans 3 jours", "en deux heures",
// "dans quelques minutes", "dans demi heure".
//
// Read like the English deadline phrases; "un"/"une" count one, "quelques" three, "demi" half a
// unit. The strict pattern admits only digits and number words with seconds, minutes, hours and days.
// Tag: frDeadlineFormatParser.
#pragma once

#include "zarvo/chrono/distance_format_parser.h"

namespace zarvo::chrono {

class FRDeadlineFormatParser : public DeadlineFormatParser {
 public:
  using DeadlineFormatParser::DeadlineFormatParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::french; }

 protected:
  TagUnit tag() const override { return TagUnit::frDeadlineFormatParser; }
  const DistanceWords& words() const override;
};

}  // namespace zarvo::chrono
