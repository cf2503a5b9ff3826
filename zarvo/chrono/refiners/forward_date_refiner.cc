#include "zarvo/chrono/refiners/forward_date_refiner.h"

#include "zarvo/platform/date_calendar.h"

namespace zarvo::chrono {

using platform::CalendarUnit;
using platform::DateCalendar;
using U = ComponentUnit;

std::vector<ParsedResult> ForwardDateRefiner::refine(std::u16string_view, std::vector<ParsedResult> results,
                                                     const Options& opt) const {
  if (!opt.contains(OptionType::forwardDate)) return results;
  const DateCalendar calendar = DateCalendar::current();

  for (ParsedResult& result : results) {
    const Date ref = result.ref();
    ParsedComponents& start = result.start();
    const bool knowsDay = start.isCertain(U::day);
    const bool knowsMonth = start.isCertain(U::month);
    const bool knowsYear = start.isCertain(U::year);

    if (knowsDay && knowsMonth && !knowsYear && start.moment() < ref) {
      for (int i = 0; i < 3 && start.moment() < ref; ++i) {
        // A start built without a reference has no year to count from; it is left where it is.
        const auto year = start[U::year];
        if (!year) break;
        start.imply(U::year, *year + 1);
        if (result.end() && !result.end()->isCertain(U::year)) {
          if (auto endYear = (*result.end())[U::year]) result.end()->imply(U::year, *endYear + 1);
        }
      }
      result.tags().set(TagUnit::forwardDateRefiner);
    } else if (!knowsDay && !knowsMonth && !knowsYear && start.isCertain(U::weekday) && start.moment() < ref) {
      int64_t w = *start[U::weekday];          // 0 = Sunday
      const int64_t r = calendar.weekday(ref);  // 1 = Sunday
      if (w < r - 1) w += 7;
      const Date day = calendar.adding(CalendarUnit::day, w - (r - 1), ref);
      const platform::DateComponents c = calendar.components(day);
      start.imply(U::day, c.day);
      start.imply(U::month, c.month);
      start.imply(U::year, c.year);
      result.tags().set(TagUnit::forwardDateRefiner);
    }
  }
  return results;
}

}  // namespace zarvo::chrono
