// Weeks and months ahead: "la semaine prochaine", "le mois prochain".
#pragma once

#include "zarvo/chrono/relative_period_parser.h"

namespace zarvo::chrono {

// As RelativePeriodParser reads them. Part of the extended configuration. Tag: frRelativePeriodParser.
class FRRelativePeriodParser : public RelativePeriodParser {
 public:
  using RelativePeriodParser::RelativePeriodParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::french; }

 protected:
  TagUnit tag() const override { return TagUnit::frRelativePeriodParser; }
  const WordTable& weeks() const override;
  const WordTable& months() const override;
};

}  // namespace zarvo::chrono
