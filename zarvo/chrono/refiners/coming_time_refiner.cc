#include "zarvo/chrono/refiners/coming_time_refiner.h"

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/casual_day.h"

namespace zarvo::chrono {

using U = ComponentUnit;

namespace {

bool countsBack(const ParsedResult& result) {
  const TagSet& tags = result.tags();
  return tags.contains(TagUnit::enTimeAgoFormatParser) || tags.contains(TagUnit::deTimeAgoFormatParser) ||
         tags.contains(TagUnit::esTimeAgoFormatParser) || tags.contains(TagUnit::frTimeAgoFormatParser);
}

bool namesADay(const ParsedComponents& c) {
  return c.isCertain(U::day) || c.isCertain(U::month) || c.isCertain(U::year) || c.isCertain(U::weekday);
}

void nextDay(ParsedComponents& c) { implyDate(c, calendarFields(daysFrom(c.moment(), 1))); }

}  // namespace

std::vector<ParsedResult> ComingTimeRefiner::refine(std::u16string_view, std::vector<ParsedResult> results,
                                                    const Options&) const {
  for (ParsedResult& result : results) {
    ParsedComponents& start = result.start();
    if (!start.isCertain(U::hour) || namesADay(start) || countsBack(result) || !(start.moment() < result.ref())) {
      continue;
    }
    nextDay(start);
    if (result.end() && !result.end()->isCertain(U::day)) nextDay(*result.end());
    result.tags().set(TagUnit::comingTimeRefiner);
  }
  return results;
}

}  // namespace zarvo::chrono
