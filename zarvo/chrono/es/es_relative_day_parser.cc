#include "zarvo/chrono/es/es_relative_day_parser.h"

#include "zarvo/chrono/es/es_part_of_day_parser.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

std::u16string_view ESRelativeDayParser::pattern() const {
  // Groups: 1 leading context, 2 the day, 3 the part of the day.
  return u"(\\W|^)(pasado\\s+mañana|anteayer|antier|antes\\s+de\\s+ayer)"
         u"(?:\\s+por\\s+la\\s+(mañana|tarde|noche))?(?=\\W|$)";
}

const PartOfDay* ESRelativeDayParser::partOfDay(std::u16string_view word) const {
  return findPartOfDay(es::partsOfDay(), platform::lowercased(word));
}

const WordTable& ESRelativeDayParser::days() const {
  static const WordTable table{
      {u"pasado mañana", 2}, {u"anteayer", -2}, {u"antier", -2}, {u"antes de ayer", -2}};
  return table;
}

}  // namespace zarvo::chrono
