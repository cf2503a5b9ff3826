#include "zarvo/chrono/fr/fr_relative_day_parser.h"

#include "zarvo/chrono/fr/fr_part_of_day_parser.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

std::u16string_view FRRelativeDayParser::pattern() const {
  // Groups: 1 leading context, 2 the day, 3 the part of the day.
  return u"(\\W|^)(apr[èe]s[\\s-]*demain|avant[\\s-]*hier)(?:\\s+(matin|apr[èe]s-midi|aprem|soir))?(?=\\W|$)";
}

const PartOfDay* FRRelativeDayParser::partOfDay(std::u16string_view word) const {
  return findPartOfDay(fr::partsOfDay(), platform::lowercased(word));
}

const WordTable& FRRelativeDayParser::days() const {
  static const WordTable table{{u"après demain", 2}, {u"apres demain", 2}, {u"avant hier", -2}};
  return table;
}

}  // namespace zarvo::chrono
