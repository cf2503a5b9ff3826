#include "zarvo/chrono/fr/fr_weekday_parser.h"

#include "zarvo/chrono/fr/fr_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 "ce", 3 weekday, 4 "dernier"/"prochain".
const std::u16string& weekdayPattern() {
  static const std::u16string pattern = std::u16string(uR"re((\s|^)(?:(?:\,|\(|\（)\s*)?(?:(ce)\s*)?)re") + u"(" +
                                        fr::weekdays().alternation() + u")" + uR"re((?:\s*(?:\,|\)|\）))?)re" +
                                        uR"re((?:\s*(dernier|prochain)\s*)?(?=\W|$))re";
  return pattern;
}

}  // namespace

std::u16string_view FRWeekdayParser::pattern() const { return weekdayPattern(); }

const WordTable& FRWeekdayParser::weekdays() const { return fr::weekdays(); }

std::u16string_view FRWeekdayParser::modifier(std::u16string_view word) const {
  if (word == u"dernier") return u"last";
  if (word == u"prochain") return u"next";
  if (word == u"ce") return u"this";
  return {};
}

}  // namespace zarvo::chrono
