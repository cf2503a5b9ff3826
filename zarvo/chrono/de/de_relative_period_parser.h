// Weeks and months ahead: "nächste Woche", "kommende Woche", "übernächste Woche", "nächsten Monat".
#pragma once

#include "zarvo/chrono/relative_period_parser.h"

namespace zarvo::chrono {

// As RelativePeriodParser reads them. Part of the extended configuration. Tag: deRelativePeriodParser.
class DERelativePeriodParser : public RelativePeriodParser {
 public:
  using RelativePeriodParser::RelativePeriodParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::german; }

 protected:
  TagUnit tag() const override { return TagUnit::deRelativePeriodParser; }
  const WordTable& weeks() const override;
  const WordTable& months() const override;
};

}  // namespace zarvo::chrono
