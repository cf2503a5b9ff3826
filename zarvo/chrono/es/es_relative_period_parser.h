// Weeks and months ahead: "la semana que viene", "la próxima semana", "el mes que viene", "el próximo mes".
#pragma once

#include "zarvo/chrono/relative_period_parser.h"

namespace zarvo::chrono {

// As RelativePeriodParser reads them. Part of the extended configuration. Tag: esRelativePeriodParser.
class ESRelativePeriodParser : public RelativePeriodParser {
 public:
  using RelativePeriodParser::RelativePeriodParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::spanish; }

 protected:
  TagUnit tag() const override { return TagUnit::esRelativePeriodParser; }
  const WordTable& weeks() const override;
  const WordTable& months() const override;
};

}  // namespace zarvo::chrono
