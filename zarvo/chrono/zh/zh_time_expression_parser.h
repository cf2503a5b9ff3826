// Chinese clock times with an optional day word, part of the day and range end: "下午三點",
// "早上十二點", "明天下午3點半", "今晚八點到十點", "從10點30分至11點".
#pragma once

#include "zarvo/chrono/time_expression_parser.h"

namespace zarvo::chrono {

// Hours, minutes (半 is 30, 正 and 整 0) and seconds are digits or numerals. A morning or small-hours
// word (上 朝 早 凌) states AM and an afternoon or evening word (下 晏 晚) PM; noon and 夜 state
// nothing. A day word (今, 明, 昨 ...) assigns the day it names. A range end ("到", "至", "-", "~" and
// another time, with its own day word and part of the day) is read from the text right after the
// phrase. Unlike the parsers of languages written with spaces, a time glued to the word before it is
// read, and the phrase is the whole match (blanks before the clock included) plus the range end.
// Tag: zhHantTimeExpressionParser.
class ZHTimeExpressionParser : public TimeExpressionParser {
 public:
  using TimeExpressionParser::TimeExpressionParser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::chinese; }

 protected:
  TagUnit tag() const override { return TagUnit::zhHantTimeExpressionParser; }
  std::u16string_view rangeEndPattern() const override;
  // Groups of both patterns: 1 day character, 2 short part of the day, 3 part of the day, 4 day
  // character before 日/天, 5 part of the day after it, 6 hour, 7 minute, 8 second, 9 am/pm marker.
  std::optional<Clock> readClock(std::u16string_view text, const platform::Match& match, Date ref) const override;
  bool hasLeadingContext() const override { return false; }
};

}  // namespace zarvo::chrono
