#include "zarvo/chrono/zh/zh_relative_day_parser.h"

namespace zarvo::chrono {

std::u16string_view ZHRelativeDayParser::pattern() const { return u"(大后天|大後天|后天|後天|大前天|前天)"; }

const WordTable& ZHRelativeDayParser::days() const {
  static const WordTable table{{u"后天", 2},   {u"後天", 2},   {u"大后天", 3},
                               {u"大後天", 3}, {u"前天", -2}, {u"大前天", -3}};
  return table;
}

}  // namespace zarvo::chrono
