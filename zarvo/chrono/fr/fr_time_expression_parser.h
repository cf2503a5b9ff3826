// French clock times: "à 17h", "14h30", "9h", "à 9h15", "17:30", "midi", "à minuit", "de 9h à 11h".
//
// An "h" after the hour is dropped before it is read, and "h" also separates hours from minutes;
// "à" joins a range like "-". "midi" is noon and "minuit" midnight, each stating its half of the day.
// Tag: frTimeExpressionParser.
#pragma once

#include "zarvo/chrono/time_expression_parser.h"

namespace zarvo::chrono {

class FRTimeExpressionParser : public TimeExpressionParser {
 public:
  using TimeExpressionParser::TimeExpressionParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::french; }

 protected:
  TagUnit tag() const override { return TagUnit::frTimeExpressionParser; }
  std::u16string_view rangeEndPattern() const override;
  std::span<const NamedHour> namedHours() const override;
  std::u16string_view hourDigits(std::u16string_view hourText) const override;
};

}  // namespace zarvo::chrono
