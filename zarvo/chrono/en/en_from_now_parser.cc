#include "zarvo/chrono/en/en_from_now_parser.h"

#include "zarvo/chrono/en/en_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 number, 3 unit.
const std::u16string& fromNowPattern() {
  static const std::u16string pattern =
      u"(\\W|^)" + en::amountAndUnitPiece(u"seconds?|min(?:ute)?s?|hours?|days?|weeks?|months?|years?") +
      u"\\s+from\\s+(?:now|today)(?=\\W|$)";
  return pattern;
}

}  // namespace

std::u16string_view ENFromNowParser::pattern() const { return fromNowPattern(); }

const DistanceWords& ENFromNowParser::words() const { return en::distanceWords(); }

}  // namespace zarvo::chrono
