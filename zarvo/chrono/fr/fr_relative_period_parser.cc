#include "zarvo/chrono/fr/fr_relative_period_parser.h"

namespace zarvo::chrono {

const WordTable& FRRelativePeriodParser::weeks() const {
  static const WordTable table{{u"semaine prochaine", 1}};
  return table;
}

const WordTable& FRRelativePeriodParser::months() const {
  static const WordTable table{{u"mois prochain", 1}};
  return table;
}

std::u16string_view FRRelativePeriodParser::pattern() const {
  // Groups: 1 leading context, 2 the phrase without its article.
  static const std::u16string pattern = u"(\\W|^)(?:(?:la|le)\\s+)?(" + weeks().alternation({.suffix = {}, .blank = u"\\s+"}) +
                                        u"|" + months().alternation({.suffix = {}, .blank = u"\\s+"}) + u")(?=\\W|$)";
  return pattern;
}

}  // namespace zarvo::chrono
