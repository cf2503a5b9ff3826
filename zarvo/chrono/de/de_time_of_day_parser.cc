#include "zarvo/chrono/de/de_time_of_day_parser.h"

namespace zarvo::chrono {

std::u16string_view DETimeOfDayParser::pattern() const {
  // Groups: 1 leading context, 2 hour, 3 minute, 4 part of the day.
  return u"(^|\\s|T)(?:(?:um|gegen|ab)\\s*)?([0-9]{1,2})(?:[:.]([0-9]{2}))?\\s*(?:uhr\\s*)?"
         u"(morgens|früh|vormittags|mittags|nachmittags|abends|nachts)(?=\\W|$)";
}

std::optional<int64_t> DETimeOfDayParser::meridiem(std::u16string_view part, int64_t hour) const {
  if (part == u"morgens" || part == u"früh" || part == u"vormittags") return 0;
  if (part == u"nachts") return hour >= 9 && hour < 12 ? 1 : 0;
  return 1;
}

}  // namespace zarvo::chrono
