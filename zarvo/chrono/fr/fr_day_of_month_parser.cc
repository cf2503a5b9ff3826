#include "zarvo/chrono/fr/fr_day_of_month_parser.h"

#include "zarvo/platform/text.h"

namespace zarvo::chrono {

std::u16string_view FRDayOfMonthParser::pattern() const {
  // Groups: 1 leading context, 2 the day ("1er" is day 1), 3 and 4 the hour and minute of "à 10h30". A
  // day followed by "/1", "-1" or ".1" starts a numeric date ("le 5/1"), which the slash-date parser
  // reads whole.
  return u"(\\W|^)le\\s+([0-9]{1,2}|1er)(?=\\W|$)(?![/.\\-][0-9])"
         u"(?:\\s+[àa]\\s+([0-9]{1,2})\\s*h\\s*([0-9]{2})?(?=\\W|$))?";
}

bool FRDayOfMonthParser::readTime(std::u16string_view text, const platform::Match& match,
                                  ParsedComponents& start) const {
  if (!match.took(3)) return true;
  const std::optional<int64_t> hour = platform::toInt(groupText(text, match, 3));
  const std::optional<int64_t> minute =
      match.took(4) ? platform::toInt(groupText(text, match, 4)) : std::optional<int64_t>(0);
  if (!hour || !minute || *hour > 23 || *minute > 59) return false;
  start.assign(ComponentUnit::hour, *hour);
  start.assign(ComponentUnit::minute, *minute);
  if (*hour >= 12) {
    start.assign(ComponentUnit::meridiem, 1);
  } else {
    start.imply(ComponentUnit::meridiem, 0);
  }
  return true;
}

std::optional<int64_t> FRDayOfMonthParser::readDay(std::u16string_view text, const platform::Match& match) const {
  const std::u16string day = platform::lowercased(groupText(text, match, 2));
  return day == u"1er" ? std::optional<int64_t>(1) : platform::toInt(day);
}

}  // namespace zarvo::chrono
