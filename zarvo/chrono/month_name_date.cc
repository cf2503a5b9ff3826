#include "zarvo/chrono/month_name_date.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/platform/text.h"

namespace zarvo::chrono {

void setMonthNameDate(ParsedResult& result, Date ref, const MonthNameDate& date) {
  ParsedComponents& start = result.start();
  start.assign(ComponentUnit::day, date.day);
  start.assign(ComponentUnit::month, date.month);
  if (date.year) {
    start.assign(ComponentUnit::year, *date.year);
  } else {
    start.imply(ComponentUnit::year, nearestYear(ref, date.month, date.day));
  }
  if (date.weekday) start.assign(ComponentUnit::weekday, *date.weekday);
  if (date.endDay) {
    ParsedComponents end = start.clone();
    end.assign(ComponentUnit::day, *date.endDay);
    result.setEnd(std::move(end));
  }
}

std::optional<int64_t> yearWithOptionalEra(std::u16string_view yearText, bool hasEra, bool beforeChrist) {
  const std::optional<int64_t> written = platform::toInt(platform::trimmed(yearText));
  if (!written) return std::nullopt;
  if (!hasEra) return *written <= 99 ? *written + 2000 : *written;
  return beforeChrist ? -*written : *written;
}

std::optional<int64_t> monthNumber(const WordTable& months, std::u16string_view word) {
  const std::u16string lower = platform::lowercased(word);
  if (auto month = months.find(lower)) return month;
  if (!lower.empty() && lower.back() == u'.') return months.find(std::u16string_view(lower).substr(0, lower.size() - 1));
  return std::nullopt;
}

}  // namespace zarvo::chrono
