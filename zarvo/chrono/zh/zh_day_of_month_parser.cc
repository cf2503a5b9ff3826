#include "zarvo/chrono/zh/zh_day_of_month_parser.h"

#include "zarvo/chrono/zh/zh_words.h"

namespace zarvo::chrono {

std::u16string_view ZHDayOfMonthParser::pattern() const {
  // Groups: 1 the (empty) leading context, 2 the day.
  return u"()(?<![月0-9０-９一二三四五六七八九十两兩])([0-9]{1,2}|[一二三四五六七八九十]{1,3})[号號日]"
         u"(?![后後前内內间間线線楼樓码碼床房])";
}

std::optional<int64_t> ZHDayOfMonthParser::readDay(std::u16string_view text, const platform::Match& match) const {
  return zh::readNumber(groupText(text, match, 2));
}

}  // namespace zarvo::chrono
