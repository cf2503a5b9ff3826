// Clock times with an optional range end: "at 5pm", "10:30", "noon", "0930", "7 - 9pm", "10pm to 2am".
// "noon" and "midnight" state their half of the day. Tag: enTimeExpressionParser.
#pragma once

#include "zarvo/chrono/time_expression_parser.h"

namespace zarvo::chrono {

class ENTimeExpressionParser : public TimeExpressionParser {
 public:
  using TimeExpressionParser::TimeExpressionParser;
  std::u16string_view pattern() const override;

 protected:
  TagUnit tag() const override { return TagUnit::enTimeExpressionParser; }
  std::u16string_view rangeEndPattern() const override;
  std::span<const NamedHour> namedHours() const override;
};

}  // namespace zarvo::chrono
