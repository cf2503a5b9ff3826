#include "zarvo/chrono/de/de_weekday_parser.h"

#include "zarvo/chrono/de/de_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 modifier before, 3 weekday, 4 modifier after (before "Woche").
const std::u16string& weekdayPattern() {
  static const std::u16string pattern =
      std::u16string(
          uR"re((\W|^)(?:(?:\,|\(|\（)\s*)?(?:a[mn]\s*?)?(?:(diese[nmrs]?|letzte[nmr]?|nächste[nmr]?|kommende[nrm]?)\s*(?:woche[nr]?)?\s*)?)re") +
      u"(" + de::weekdays().alternation() + u")" + uR"re((?:\s*(?:\,|\)|\）))?)re" +
      uR"re((?:\s*(dieser?|letzte[nr]?|nächste[nr]?|kommende[nr]?)\s*Woche)?)re" + uR"re((?=\W|$))re";
  return pattern;
}

}  // namespace

std::u16string_view DEWeekdayParser::pattern() const { return weekdayPattern(); }

const WordTable& DEWeekdayParser::weekdays() const { return de::weekdays(); }

std::u16string_view DEWeekdayParser::modifier(std::u16string_view word) const {
  if (word.starts_with(u"letzte")) return u"last";
  if (word.starts_with(u"nächste") || word.starts_with(u"kommende")) return u"next";
  if (word.starts_with(u"diese")) return u"this";
  return {};
}

}  // namespace zarvo::chrono
