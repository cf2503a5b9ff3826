#include "zarvo/chrono/en/en_time_ago_format_parser.h"

#include "zarvo/chrono/en/en_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 number, 3 unit.
const std::u16string& casualPattern() {
  static const std::u16string pattern =
      std::u16string(uR"re((\W|^)(?:within\s*)?)re") +
      en::amountAndUnitPiece(uR"re(seconds?|min(?:ute)?s?|hours?|weeks?|days?|months?|years?)re") +
      uR"re(\s*(?:ago|before|earlier)(?=(?:\W|$)))re";
  return pattern;
}

constexpr std::u16string_view kStrictPattern =
    uR"re((\W|^)(?:within\s*)?([0-9]+|an?)\s*(seconds?|minutes?|hours?|days?)\s*ago(?=(?:\W|$)))re";

}  // namespace

std::u16string_view ENTimeAgoFormatParser::pattern() const {
  return strictMode() ? kStrictPattern : std::u16string_view(casualPattern());
}

const DistanceWords& ENTimeAgoFormatParser::words() const { return en::distanceWords(); }

}  // namespace zarvo::chrono
