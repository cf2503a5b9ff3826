#include "zarvo/chrono/fr/fr_time_of_day_parser.h"

namespace zarvo::chrono {

std::u16string_view FRTimeOfDayParser::pattern() const {
  // Groups: 1 leading context, 2 hour, 3 minute, 4 part of the day.
  return u"(^|\\s|T)(?:[àa]\\s*)?([0-9]{1,2})\\s*(?:h|heures?)\\s*([0-9]{2})?\\s*(?:du|de\\s+l['’])\\s*"
         u"(matin|apr[èe]s-midi|soir)(?=\\W|$)";
}

std::optional<int64_t> FRTimeOfDayParser::meridiem(std::u16string_view part, int64_t) const {
  return part == u"matin" ? 0 : 1;
}

}  // namespace zarvo::chrono
