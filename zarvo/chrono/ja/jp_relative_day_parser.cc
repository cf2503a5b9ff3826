#include "zarvo/chrono/ja/jp_relative_day_parser.h"

namespace zarvo::chrono {

std::u16string_view JPRelativeDayParser::pattern() const {
  return u"(明々後日|明明後日|しあさって|明後日|あさって|一昨日|おととい)";
}

const WordTable& JPRelativeDayParser::days() const {
  static const WordTable table{{u"明後日", 2},   {u"あさって", 2}, {u"明々後日", 3}, {u"明明後日", 3},
                               {u"しあさって", 3}, {u"一昨日", -2},  {u"おととい", -2}};
  return table;
}

}  // namespace zarvo::chrono
