// Chinese weekdays beyond the formal ones: written with 周 or 週 ("周五", "下周一", "这周六", "本周三",
// "上週二", "下下周一"), and any weekday with the part of the day after it ("星期五下午", "周六晚上").
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// The weekday (日 and 天 are Sunday) with its modifier, 上 (last), 下 (next), 这 這 本 (this),
// completed by the weekday rule every language shares: with 上 or 下 the date is known, otherwise
// only implied. 下下 is a week beyond 下. A part of the day right after the weekday implies its hour
// (as the Chinese casual phrases do: 上午 6, 下午 15 PM, 晚上 22 PM ...), unless a clock follows it
// ("周五晚上7点半" leaves "晚上7点半" to the time parser and the two are joined). The phrase is the
// whole match. Part of the extended configuration. Tag: zhWeekdayPhraseParser.
class ZHWeekdayPhraseParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::chinese; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
