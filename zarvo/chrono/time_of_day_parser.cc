#include "zarvo/chrono/time_of_day_parser.h"

#include "zarvo/platform/text.h"

namespace zarvo::chrono {

std::optional<TimeExpressionParser::Clock> TimeOfDayParser::readClock(std::u16string_view text,
                                                                     const platform::Match& match, Date) const {
  const std::optional<int64_t> hour = platform::toInt(groupText(text, match, 2));
  const std::optional<int64_t> minute = match.took(3) ? platform::toInt(groupText(text, match, 3)) : 0;
  if (!hour || !minute || *hour > 12) return std::nullopt;
  Clock clock;
  clock.hour = *hour;
  clock.minute = *minute;
  clock.meridiem = meridiem(platform::lowercased(groupText(text, match, 4)), *hour);
  return clock;
}

}  // namespace zarvo::chrono
