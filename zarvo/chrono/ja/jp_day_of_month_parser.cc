#include "zarvo/chrono/ja/jp_day_of_month_parser.h"

#include "zarvo/chrono/ja/jp_util.h"

namespace zarvo::chrono {

std::u16string_view JPDayOfMonthParser::pattern() const {
  // Groups: 1 the (empty) leading context, 2 the day.
  return u"()(?<![月0-9０-９一二三四五六七八九十])([0-9０-９]{1,2}|[一二三四五六七八九十]{1,3})日"
         u"(?![後前間以中ぶ])";
}

std::optional<int64_t> JPDayOfMonthParser::readDay(std::u16string_view text, const platform::Match& match) const {
  return ja::readNumber(groupText(text, match, 2));
}

}  // namespace zarvo::chrono
