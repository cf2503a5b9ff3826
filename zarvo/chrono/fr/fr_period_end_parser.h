// Ends of periods and weekends: "à la fin du mois", "fin de mois", "en fin de semaine", "fin d'année",
// "ce week-end", "le week-end prochain", "le prochain week-end".
#pragma once

#include "zarvo/chrono/period_end_parser.h"

namespace zarvo::chrono {

// The day PeriodEndParser gives the period ("fin de semaine" is the end of the working week).
// Part of the extended configuration. Tag: frPeriodEndParser.
class FRPeriodEndParser : public PeriodEndParser {
 public:
  using PeriodEndParser::PeriodEndParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::french; }

 protected:
  TagUnit tag() const override { return TagUnit::frPeriodEndParser; }
  std::optional<Named> period(std::u16string_view text, const platform::Match& match) const override;
};

}  // namespace zarvo::chrono
