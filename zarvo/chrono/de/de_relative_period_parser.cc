#include "zarvo/chrono/de/de_relative_period_parser.h"

namespace zarvo::chrono {

const WordTable& DERelativePeriodParser::weeks() const {
  static const WordTable table{{u"nächste woche", 1},     {u"nächsten woche", 1},     {u"kommende woche", 1},
                               {u"kommenden woche", 1},   {u"übernächste woche", 2}, {u"übernächsten woche", 2}};
  return table;
}

const WordTable& DERelativePeriodParser::months() const {
  static const WordTable table{{u"nächsten monat", 1},  {u"nächster monat", 1}, {u"kommenden monat", 1},
                               {u"übernächsten monat", 2}};
  return table;
}

std::u16string_view DERelativePeriodParser::pattern() const {
  // Groups: 1 leading context, 2 the phrase.
  static const std::u16string pattern = u"(\\W|^)(" + weeks().alternation({.suffix = {}, .blank = u"\\s+"}) + u"|" +
                                        months().alternation({.suffix = {}, .blank = u"\\s+"}) + u")(?=\\W|$)";
  return pattern;
}

}  // namespace zarvo::chrono
