#include "zarvo/chrono/en/en_time_of_day_parser.h"

namespace zarvo::chrono {

namespace {

// Groups: 1 leading context, 2 hour, 3 minute, 4 part of the day.
constexpr std::u16string_view kPattern =
    u"(^|\\s|T)(?:(?:at|from)\\s*)?([0-9]{1,2})(?:[:.]([0-9]{2}))?\\s+"
    u"(in\\s+the\\s+(?:morning|afternoon|evening)|at\\s+night)(?=\\W|$)";

}  // namespace

std::u16string_view ENTimeOfDayParser::pattern() const { return kPattern; }

std::optional<int64_t> ENTimeOfDayParser::meridiem(std::u16string_view part, int64_t hour) const {
  if (part.ends_with(u"morning")) return 0;
  if (part.ends_with(u"night") && (hour < 5 || hour == 12)) return 0;  // "2 at night", "12 at night"
  return 1;
}

}  // namespace zarvo::chrono
