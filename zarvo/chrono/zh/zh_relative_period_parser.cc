#include "zarvo/chrono/zh/zh_relative_period_parser.h"

namespace zarvo::chrono {

const WordTable& ZHRelativePeriodParser::weeks() const {
  static const WordTable table{{u"下周", 1},     {u"下週", 1},   {u"下星期", 1},   {u"下个星期", 1},
                               {u"下個星期", 1}, {u"下下周", 2}, {u"下下週", 2}};
  return table;
}

const WordTable& ZHRelativePeriodParser::months() const {
  static const WordTable table{{u"下个月", 1}, {u"下個月", 1}, {u"下月", 1}, {u"下下个月", 2}, {u"下下個月", 2}};
  return table;
}

std::u16string_view ZHRelativePeriodParser::pattern() const {
  // Group 1: the phrase. A week followed by its day ("下周五", "下个星期五") or its end ("下周末") is
  // the weekday's or the weekend's reader's.
  static const std::u16string pattern = u"((?:" + weeks().alternation() + u")(?![一二三四五六日天末1-7１-７])|" +
                                        months().alternation() + u")";
  return pattern;
}

}  // namespace zarvo::chrono
