// Japanese day words: "今日", "当日", "明日", "昨日", "今夜", "今夕", "今晩", "今朝".
#pragma once

#include "zarvo/chrono/parser.h"

namespace zarvo::chrono {

// Assigns the day, month and year the word names. "明日" is the next day only from 05:00 on; earlier
// in the night it still names the reference day. "今夜", "今夕" and "今晩" imply 22:00 PM and "今朝"
// 06:00 AM on the reference day. The phrase is the word alone. Casual configuration only. Tag:
// jpCasualDateParser.
class JPCasualDateParser : public Parser {
 public:
  using Parser::Parser;
  std::u16string_view pattern() const override;
  Language language() const override { return Language::japanese; }
  std::optional<ParsedResult> extract(std::u16string_view text, Date ref, const platform::Match& match,
                                      const Options& opt) const override;
};

}  // namespace zarvo::chrono
