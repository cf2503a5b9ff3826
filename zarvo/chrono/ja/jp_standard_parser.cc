#include "zarvo/chrono/ja/jp_standard_parser.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/ja/jp_util.h"
#include "zarvo/platform/date_calendar.h"

namespace zarvo::chrono {

using U = ComponentUnit;

namespace {

// Groups: 1 year phrase ("同" or a year), 2 era and year, 3 era, 4 year number, 5 month, 6 day.
constexpr std::u16string_view kPattern =
    u"(?:(同|((昭和|平成)?([0-9０-９]{2,4})))年\\s*)?([0-9０-９]{1,2})月\\s*([0-9０-９]{1,2})日";

}  // namespace

std::u16string_view JPStandardParser::pattern() const { return kPattern; }

std::optional<ParsedResult> JPStandardParser::extract(std::u16string_view text, Date ref,
                                                      const platform::Match& match, const Options&) const {
  // The groups admit ASCII and full-width digits only, so they always read.
  const std::optional<int64_t> month = ja::readDigits(groupText(text, match, 5));
  const std::optional<int64_t> day = ja::readDigits(groupText(text, match, 6));
  if (!month || !day) return std::nullopt;

  ParsedResult result = wholeMatchOpening(text, ref, match);
  ParsedComponents& start = result.start();
  // The reference's date moved to that month and day; the calendar carries an impossible day over.
  // Noon, which every day has whatever its zone transitions.
  CalendarFields moved;
  {
    platform::DateComponents c;
    c.year = calendarFields(ref).year;
    c.month = *month;
    c.day = *day;
    c.hour = 12;
    moved = calendarFields(platform::DateCalendar::current().date(c));
  }
  start.assign(U::month, moved.month);
  start.assign(U::day, moved.day);

  // A written year stands as written: a phrase that has one cannot also hold "同年", and the rest of
  // the line does not change it.
  if (match.took(2)) {
    std::optional<int64_t> year = ja::readDigits(groupText(text, match, 4));
    if (!year) return std::nullopt;
    if (match.took(3)) *year += ja::eraOffsets().find(groupText(text, match, 3)).value_or(0);
    start.assign(U::year, *year);
  } else {
    start.imply(U::year, nearestYear(ref, moved.month, moved.day));
  }
  result.tags().set(TagUnit::jpStandardParser);
  return result;
}

}  // namespace zarvo::chrono
