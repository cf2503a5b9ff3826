// Ends of periods and weekends: "a fin de mes", "a finales de mes", "fin del mes", "fin de año", "este
// fin de semana", "el próximo fin de semana", "el fin de semana que viene".
#pragma once

#include "zarvo/chrono/period_end_parser.h"

namespace zarvo::chrono {

// The day PeriodEndParser gives the period ("fin de semana" is the weekend). Part of the extended
// configuration. Tag: esPeriodEndParser.
class ESPeriodEndParser : public PeriodEndParser {
 public:
  using PeriodEndParser::PeriodEndParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::spanish; }

 protected:
  TagUnit tag() const override { return TagUnit::esPeriodEndParser; }
  std::optional<Named> period(std::u16string_view text, const platform::Match& match) const override;
};

}  // namespace zarvo::chrono
