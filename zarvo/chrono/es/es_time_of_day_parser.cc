#include "zarvo/chrono/es/es_time_of_day_parser.h"

namespace zarvo::chrono {

std::u16string_view ESTimeOfDayParser::pattern() const {
  // Groups: 1 leading context, 2 hour, 3 minute, 4 part of the day.
  return u"(^|\\s|T)(?:(?:a\\s+las?|al?|desde|de)\\s*)?([0-9]{1,2})(?:[:.]([0-9]{2}))?\\s+(?:de|por)\\s+la\\s+"
         u"(mañana|madrugada|tarde|noche)(?=\\W|$)";
}

std::optional<int64_t> ESTimeOfDayParser::meridiem(std::u16string_view part, int64_t hour) const {
  if (part == u"mañana" || part == u"madrugada") return 0;
  if (part == u"noche") return hour >= 6 && hour < 12 ? 1 : 0;
  return 1;
}

}  // namespace zarvo::chrono
