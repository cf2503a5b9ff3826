#include "zarvo/chrono/relative_move.h"

#include "zarvo/chrono/pattern_cache.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

using platform::CalendarUnit;
using platform::DateCalendar;

std::optional<Amount> readAmount(std::u16string_view numberText, const AmountWords& words) {
  const std::u16string lower = platform::lowercased(numberText);
  for (const WordTable* table : {words.numbers, words.articles}) {
    if (table == nullptr) continue;
    if (auto value = table->find(lower)) return Amount{*value, false};
  }
  if (words.emptyMeansOne && lower.empty()) return Amount{1, false};
  if (!words.few.empty() && patternMatches(words.few, lower)) return Amount{3, false};
  if (!words.half.empty() && patternMatches(words.half, lower)) return Amount{1, true};
  if (auto value = platform::toInt(lower)) return Amount{*value, false};
  if (words.numeral != nullptr) {
    if (auto value = words.numeral(lower)) return Amount{*value, false};
  }
  return std::nullopt;
}

std::optional<RelativeUnit> readUnit(std::u16string_view unitText, std::span<const UnitWord> words,
                                     std::optional<RelativeUnit> otherwise) {
  for (const UnitWord& word : words) {
    if (patternMatches(word.pattern, unitText)) return word.unit;
  }
  return otherwise;
}

Date moveBy(Date ref, RelativeUnit unit, Amount amount, int sign) {
  const DateCalendar calendar = DateCalendar::current();
  if (!amount.half) {
    const int64_t n = sign * amount.count;
    switch (unit) {
      case RelativeUnit::second: return calendar.adding(CalendarUnit::second, n, ref);
      case RelativeUnit::minute: return calendar.adding(CalendarUnit::minute, n, ref);
      case RelativeUnit::hour: return calendar.adding(CalendarUnit::hour, n, ref);
      case RelativeUnit::day: return calendar.adding(CalendarUnit::day, n, ref);
      // Weeks of 7 days, counted by the calendar: `7 * n` overflows for a long enough phrase.
      case RelativeUnit::week: return calendar.adding(CalendarUnit::weekOfYear, n, ref);
      case RelativeUnit::month: return calendar.adding(CalendarUnit::month, n, ref);
      case RelativeUnit::year: return calendar.adding(CalendarUnit::year, n, ref);
    }
    return ref;
  }
  switch (unit) {
    case RelativeUnit::second: return calendar.adding(CalendarUnit::nanosecond, sign * 500'000'000LL, ref);
    case RelativeUnit::minute: return calendar.adding(CalendarUnit::second, sign * 30, ref);
    case RelativeUnit::hour: return calendar.adding(CalendarUnit::minute, sign * 30, ref);
    case RelativeUnit::day: return calendar.adding(CalendarUnit::hour, sign * 12, ref);
    case RelativeUnit::week:
      return calendar.adding(CalendarUnit::hour, sign * 12, calendar.adding(CalendarUnit::day, sign * 3, ref));
    case RelativeUnit::month: {
      const int days = calendar.daysInMonth(ref);
      const int64_t length = days > 0 ? days : 30;
      return calendar.adding(CalendarUnit::day, (sign * length) / 2, ref);
    }
    case RelativeUnit::year: return calendar.adding(CalendarUnit::month, sign * 6, ref);
  }
  return ref;
}

}  // namespace zarvo::chrono
