#include "zarvo/chrono/de/de_slash_date_format_parser.h"

#include "zarvo/chrono/de/de_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 weekday phrase, 3 and 4 day and month of the dotted form, 5 its year,
// 6 the year of the dashed form, 7 and 8 its day and month, 9 the character after the date.
const std::u16string& slashPattern() {
  static const std::u16string pattern =
      std::u16string(uR"re((\W|^)(?:(?:(?:am)\s*?)?()re") + de::weekdays().alternation() +
      uR"re((?:.?,?\s*de[rnms])?)\s*\,?\s*)?)re" +
      uR"re((?:([0-3]{0,1}[0-9]{1})\.([0-3]{0,1}[0-9]{1})(?:\.([0-9]{4}|[0-9]{2}))?)re" +
      uR"re(|(?:([0-9]{4}|[0-9]{2})\-)?([0-3]{0,1}[0-9]{1})\-([0-3]{0,1}[0-9]{1}))?(\W|$))re";
  return pattern;
}

}  // namespace

std::u16string_view DESlashDateFormatParser::pattern() const { return slashPattern(); }

const WordTable& DESlashDateFormatParser::weekdays() const { return de::weekdays(); }

DESlashDateFormatParser::Groups DESlashDateFormatParser::groups(const platform::Match& match) const {
  if (match.took(3)) return Groups{.day = 3, .month = 4, .year = 5, .trailing = 9};
  return Groups{.day = 7, .month = 8, .year = 6, .trailing = 9};
}

}  // namespace zarvo::chrono
