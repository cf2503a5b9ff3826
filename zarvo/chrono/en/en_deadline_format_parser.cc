#include "zarvo/chrono/en/en_deadline_format_parser.h"

#include "zarvo/chrono/en/en_words.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 "within"/"in", 3 number, 4 unit.
const std::u16string& casualPattern() {
  static const std::u16string pattern =
      std::u16string(uR"re((\W|^)(within|in)\s*)re") +
      en::amountAndUnitPiece(uR"re(seconds?|min(?:ute)?s?|hours?|days?|weeks?|months?|years?)re") +
      uR"re(\s*(?=\W|$))re";
  return pattern;
}

const std::u16string& strictPattern() {
  static const std::u16string pattern = std::u16string(uR"re((\W|^)(within|in)\s*)re") + u"(" +
                                        en::integerWordPiece() + uR"re(|[0-9]+|an?)\s*)re" +
                                        uR"re((seconds?|minutes?|hours?|days?)\s*)re" + uR"re((?=\W|$))re";
  return pattern;
}

}  // namespace

std::u16string_view ENDeadlineFormatParser::pattern() const {
  return strictMode() ? strictPattern() : casualPattern();
}

const DistanceWords& ENDeadlineFormatParser::words() const { return en::distanceWords(); }

}  // namespace zarvo::chrono
