// German clock times: "um 17 Uhr", "17:30", "um 5", "um Mittag", "Mitternacht", "14:30 bis 16 Uhr".
//
// "Uhr" after the time carries no meaning; "bis" joins a range like "-". "Mittag" is 12 (PM, like any
// hour above 11); "Mitternacht" is hour 0 with AM only implied. Tag: deTimeExpressionParser.
#pragma once

#include "zarvo/chrono/time_expression_parser.h"

namespace zarvo::chrono {

class DETimeExpressionParser : public TimeExpressionParser {
 public:
  using TimeExpressionParser::TimeExpressionParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::german; }

 protected:
  TagUnit tag() const override { return TagUnit::deTimeExpressionParser; }
  std::u16string_view rangeEndPattern() const override;
  std::span<const NamedHour> namedHours() const override;
};

}  // namespace zarvo::chrono
