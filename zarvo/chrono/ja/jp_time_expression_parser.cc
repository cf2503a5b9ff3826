#include "zarvo/chrono/ja/jp_time_expression_parser.h"

#include "zarvo/chrono/ja/jp_util.h"

namespace zarvo::chrono {

std::u16string_view JPTimeExpressionParser::pattern() const {
  return u"(?:(午前|午後|朝|夕方|夜|昼)\\s*)?(?:([0-9０-９]{1,2}|[一二三四五六七八九十]{1,3})\\s*時(?!間)\\s*"
         u"(?:(半)|([0-9０-９]{1,2}|[一二三四五六七八九十]{1,3})\\s*分)?"
         u"|(?<![0-9０-９:：])([0-9０-９]{1,2})[:：]([0-9０-９]{2})(?![0-9０-９:：]))";
}

std::optional<TimeExpressionParser::Clock> JPTimeExpressionParser::readClock(std::u16string_view text,
                                                                            const platform::Match& match,
                                                                            Date) const {
  const bool colon = match.took(5);
  const std::optional<int64_t> hour = ja::readNumber(groupText(text, match, colon ? 5 : 2));
  if (!hour) return std::nullopt;
  Clock clock;
  clock.hour = *hour;
  if (colon) {
    const std::optional<int64_t> minute = ja::readNumber(groupText(text, match, 6));
    if (!minute) return std::nullopt;
    clock.minute = *minute;
  }
  if (match.took(3)) clock.minute = 30;
  if (match.took(4)) {
    const std::optional<int64_t> minute = ja::readNumber(groupText(text, match, 4));
    if (!minute) return std::nullopt;
    clock.minute = *minute;
  }
  if (match.took(1)) {
    const std::u16string_view part = groupText(text, match, 1);
    clock.meridiem = part == u"午前" || part == u"朝" ? 0 : 1;
  }
  return clock;
}

}  // namespace zarvo::chrono
