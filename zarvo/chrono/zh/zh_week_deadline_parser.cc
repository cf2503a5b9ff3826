#include "zarvo/chrono/zh/zh_week_deadline_parser.h"

#include "zarvo/chrono/zh/zh_words.h"

namespace zarvo::chrono {

std::u16string_view ZHWeekDeadlineParser::pattern() const {
  // Groups: 1 amount, 2 unit.
  static const std::u16string pattern =
      u"([0-9]+|" + zh::numeralClass() + u"+|半)\\s*(?:个|個)?\\s*(周|週)\\s*(?:之|以|过|過)?(?:后|後|内|內)";
  return pattern;
}

const DistanceWords& ZHWeekDeadlineParser::words() const {
  static const DistanceWords words{
      .amount = {.numbers = nullptr, .articles = nullptr, .emptyMeansOne = false, .few = {}, .half = u"半", .numeral = &zh::readNumeral}, .units = {}, .otherwise = RelativeUnit::week};
  return words;
}

}  // namespace zarvo::chrono
