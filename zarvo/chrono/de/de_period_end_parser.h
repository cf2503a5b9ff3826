// Ends of periods and weekends: "Ende des Monats", "Ende dieser Woche", "Ende nächsten Monats",
// "Monatsende", "Jahresende", "am Wochenende", "nächstes Wochenende".
#pragma once

#include "zarvo/chrono/period_end_parser.h"

namespace zarvo::chrono {

// The day PeriodEndParser gives the period ("Wochenende" is the weekend, not the end of the week).
// Part of the extended configuration. Tag: dePeriodEndParser.
class DEPeriodEndParser : public PeriodEndParser {
 public:
  using PeriodEndParser::PeriodEndParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::german; }

 protected:
  TagUnit tag() const override { return TagUnit::dePeriodEndParser; }
  std::optional<Named> period(std::u16string_view text, const platform::Match& match) const override;
};

}  // namespace zarvo::chrono
