#include "zarvo/chrono/es/es_weekday_parser.h"

#include "zarvo/chrono/es/es_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 modifier before, 3 weekday, 4 modifier after (before "week", as the
// pattern is written).
const std::u16string& weekdayPattern() {
  static const std::u16string pattern =
      std::u16string(uR"re((\W|^)(?:(?:\,|\(|\（)\s*)?(?:(este|pasado|pr[oó]ximo)\s*)?)re") + u"(" +
      es::weekdays().alternation() + u")" + uR"re((?:\s*(?:\,|\)|\）))?)re" +
      uR"re((?:\s*(este|pasado|pr[óo]ximo)\s*week)?(?=\W|$))re";
  return pattern;
}

}  // namespace

std::u16string_view ESWeekdayParser::pattern() const { return weekdayPattern(); }

const WordTable& ESWeekdayParser::weekdays() const { return es::weekdays(); }

std::u16string_view ESWeekdayParser::modifier(std::u16string_view word) const {
  if (word == u"pasado") return u"last";
  if (word == u"próximo" || word == u"proximo") return u"next";
  if (word == u"este") return u"this";
  return {};
}

}  // namespace zarvo::chrono
