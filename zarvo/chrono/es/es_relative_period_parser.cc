#include "zarvo/chrono/es/es_relative_period_parser.h"

namespace zarvo::chrono {

const WordTable& ESRelativePeriodParser::weeks() const {
  static const WordTable table{{u"semana que viene", 1}, {u"próxima semana", 1}, {u"proxima semana", 1},
                               {u"semana próxima", 1},   {u"semana proxima", 1}};
  return table;
}

const WordTable& ESRelativePeriodParser::months() const {
  static const WordTable table{{u"mes que viene", 1}, {u"próximo mes", 1}, {u"proximo mes", 1},
                               {u"mes próximo", 1},   {u"mes proximo", 1}};
  return table;
}

std::u16string_view ESRelativePeriodParser::pattern() const {
  // Groups: 1 leading context, 2 the phrase without its article. "fin de semana que viene" is a
  // weekend, not a week.
  static const std::u16string pattern = u"(\\W|^)(?:(?:la|el)\\s+)?(?<!de\\s)(" +
                                        weeks().alternation({.suffix = {}, .blank = u"\\s+"}) + u"|" +
                                        months().alternation({.suffix = {}, .blank = u"\\s+"}) + u")(?=\\W|$)";
  return pattern;
}

}  // namespace zarvo::chrono
