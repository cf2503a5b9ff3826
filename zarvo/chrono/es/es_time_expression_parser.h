// Spanish clock times: "a las 5", "a las 5 pm", "17:30", "al mediodía", "a medianoche",
// "de 9 a 11", "desde las 8 a las 10".
//
// "a" or "a las" joins a range like "-"; "mediodía" (or "mediodia") is noon and "medianoche"
// midnight, each stating its half of the day. Tag: esTimeExpressionParser.
#pragma once

#include "zarvo/chrono/time_expression_parser.h"

namespace zarvo::chrono {

class ESTimeExpressionParser : public TimeExpressionParser {
 public:
  using TimeExpressionParser::TimeExpressionParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::spanish; }

 protected:
  TagUnit tag() const override { return TagUnit::esTimeExpressionParser; }
  std::u16string_view rangeEndPattern() const override;
  std::span<const NamedHour> namedHours() const override;
};

}  // namespace zarvo::chrono
