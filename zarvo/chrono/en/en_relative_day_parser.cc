#include "zarvo/chrono/en/en_relative_day_parser.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 the words ("the" before them stays out of the group but in the phrase).
constexpr std::u16string_view kPattern =
    u"(\\W|^)(?:the\\s+)?(day\\s+after\\s+tomorrow|day\\s+before\\s+yesterday|tmrw|tmw|tomorow|tommorow|2moro)"
    u"(?=\\W|$)";

}  // namespace

std::u16string_view ENRelativeDayParser::pattern() const { return kPattern; }

const WordTable& ENRelativeDayParser::days() const {
  static const WordTable table{{u"day after tomorrow", 2}, {u"day before yesterday", -2}, {u"tmrw", 1},
                               {u"tmw", 1}, {u"tomorow", 1}, {u"tommorow", 1}, {u"2moro", 1}};
  return table;
}

}  // namespace zarvo::chrono
