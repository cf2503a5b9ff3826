// Chinese clock times with an optional day word, part of the day and range end: "下午三點",
// "早上十二點", "明天下午3點半", "今晚八點到十點", "從10點30分至11點".
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// Hours, minutes (半 is 30, 正 and 整 0) and seconds are digits or numerals; an hour must be below 25
// and a minute or second below 60. A written am/pm marker decides the half of the day; otherwise a
// morning or small-hours word (上 朝 早 凌) makes it AM (12 becomes 0) and an afternoon or evening word
// (下 晏 晚) PM (12 is added to any hour but 12); noon and 夜 leave the clock as written. A day word
// (今, 明, 昨 ...) assigns the day it names; without one the reference day is implied.
//
// A range end ("到", "至", "-", "~" and another time) is read from the text right after the phrase the
// same way, and completed as the English time expressions complete theirs: it takes its day from the
// start, an end marker also settles the start's half of the day, and an end before the start moves to
// the next day. Unlike the English parser, a time glued to the word before it is read, since these
// scripts put no spaces between words. The phrase is the whole match plus the range end. Reads the
// same in strict mode. Tag: zhHantTimeExpressionParser.
class ZHTimeExpressionParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::chinese; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
