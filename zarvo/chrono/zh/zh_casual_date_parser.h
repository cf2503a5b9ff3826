// Chinese day words and parts of the day: "今天", "明天下午", "今晚", "昨日", "下午", "而家" (now).
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// Assigns the day, month and year of the day named (the reference day when no day word is written)
// and implies the hour of a part of the day: morning 6, afternoon 15 PM, noon 12 PM, evening 22 PM,
// small hours 0. "Now" implies the reference's time of day. "明天" (tomorrow) is the next day only
// from 02:00 on. The phrase is the whole match. In both configurations; reads the same in strict
// mode. Tag: zhHantCasualDateParser.
class ZHCasualDateParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::chinese; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
