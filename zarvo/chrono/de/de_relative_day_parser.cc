#include "zarvo/chrono/de/de_relative_day_parser.h"

namespace zarvo::chrono {

std::u16string_view DERelativeDayParser::pattern() const {
  return u"(\\W|^)(überübermorgen|übermorgen|vorgestern)(?=\\W|$)";
}

const WordTable& DERelativeDayParser::days() const {
  static const WordTable table{{u"übermorgen", 2}, {u"überübermorgen", 3}, {u"vorgestern", -2}};
  return table;
}

}  // namespace zarvo::chrono
