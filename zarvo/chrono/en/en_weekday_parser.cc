#include "zarvo/chrono/en/en_weekday_parser.h"

#include "zarvo/chrono/en/en_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 modifier before, 3 weekday, 4 modifier after (before "week").
const std::u16string& weekdayPattern() {
  static const std::u16string pattern =
      std::u16string(uR"re((\W|^)(?:(?:\,|\(|\（)\s*)?(?:on\s*?)?(?:(this|last|past|next)\s*)?)re") + u"(" +
      en::weekdayPiece() + u")" + uR"re((?:\s*(?:\,|\)|\）))?)re" + uR"re((?:\s*(this|last|past|next)\s*week)?)re" +
      uR"re((?=\W|$))re";
  return pattern;
}

}  // namespace

std::u16string_view ENWeekdayParser::pattern() const { return weekdayPattern(); }

const WordTable& ENWeekdayParser::weekdays() const { return en::weekdays(); }

}  // namespace zarvo::chrono
