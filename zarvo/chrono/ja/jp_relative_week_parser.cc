#include "zarvo/chrono/ja/jp_relative_week_parser.h"

namespace zarvo::chrono {

std::u16string_view JPRelativeWeekParser::pattern() const { return u"(再来週|来週|再来月|来月)"; }

const WordTable& JPRelativeWeekParser::weeks() const {
  static const WordTable table{{u"来週", 1}, {u"再来週", 2}};
  return table;
}

const WordTable& JPRelativeWeekParser::months() const {
  static const WordTable table{{u"来月", 1}, {u"再来月", 2}};
  return table;
}

}  // namespace zarvo::chrono
