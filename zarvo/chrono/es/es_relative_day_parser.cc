#include "zarvo/chrono/es/es_relative_day_parser.h"

namespace zarvo::chrono {

std::u16string_view ESRelativeDayParser::pattern() const {
  return u"(\\W|^)(pasado\\s+mañana|anteayer|antier|antes\\s+de\\s+ayer)(?=\\W|$)";
}

const WordTable& ESRelativeDayParser::days() const {
  static const WordTable table{
      {u"pasado mañana", 2}, {u"anteayer", -2}, {u"antier", -2}, {u"antes de ayer", -2}};
  return table;
}

}  // namespace zarvo::chrono
