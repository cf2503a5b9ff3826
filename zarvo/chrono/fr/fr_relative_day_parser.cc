#include "zarvo/chrono/fr/fr_relative_day_parser.h"

namespace zarvo::chrono {

std::u16string_view FRRelativeDayParser::pattern() const {
  return u"(\\W|^)(apr[èe]s[\\s-]*demain|avant[\\s-]*hier)(?=\\W|$)";
}

const WordTable& FRRelativeDayParser::days() const {
  static const WordTable table{{u"après demain", 2}, {u"apres demain", 2}, {u"avant hier", -2}};
  return table;
}

}  // namespace zarvo::chrono
