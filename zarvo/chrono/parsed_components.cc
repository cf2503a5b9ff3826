#include "zarvo/chrono/parsed_components.h"

#include <bit>

#include "zarvo/chrono/calendar_fields.h"
#include "zarvo/chrono/settings.h"
#include "zarvo/platform/date_calendar.h"

namespace zarvo::chrono {

using platform::CalendarUnit;
using platform::DateCalendar;
using platform::DateComponents;

size_t ComponentMap::size() const { return static_cast<size_t>(std::popcount(present_)); }

ParsedComponents::ParsedComponents(std::optional<ComponentMap> components, std::optional<Date> ref) {
  if (components) known_ = std::move(*components);
  if (ref) {
    const DateComponents c = currentComponents(*ref);
    imply(ComponentUnit::day, c.day);
    imply(ComponentUnit::month, c.month);
    imply(ComponentUnit::year, c.year);
  }
  imply(ComponentUnit::hour, ChronoSettings::defaultImpliedHour());
  imply(ComponentUnit::minute, ChronoSettings::defaultImpliedMinute());
  imply(ComponentUnit::second, ChronoSettings::defaultImpliedSecond());
  imply(ComponentUnit::millisecond, ChronoSettings::defaultImpliedMillisecond());
}

void ParsedComponents::imply(ComponentUnit unit, std::optional<int64_t> value) {
  if (!value || known_.contains(unit)) return;
  implied_.set(unit, *value);
}

void ParsedComponents::assign(ComponentUnit unit, std::optional<int64_t> value) {
  if (!value) return;
  known_.set(unit, *value);
  implied_.erase(unit);
}

std::optional<int64_t> ParsedComponents::operator[](ComponentUnit unit) const {
  if (auto v = known_.get(unit)) return v;
  return implied_.get(unit);
}

Date ParsedComponents::moment() const {
  DateComponents fields;
  fields.year = get(ComponentUnit::year);
  fields.month = get(ComponentUnit::month);
  fields.day = get(ComponentUnit::day);
  fields.hour = get(ComponentUnit::hour);
  fields.minute = get(ComponentUnit::minute);
  fields.second = get(ComponentUnit::second);
  if (auto ms = get(ComponentUnit::millisecond)) fields.nanosecond = *ms * 1'000'000;

  const DateCalendar calendar = DateCalendar::current();
  Date instant = calendar.date(fields);

  const int64_t localOffset = calendar.utcOffsetSeconds(instant) / 60;
  const int64_t targetOffset = known_.get(ComponentUnit::timeZoneOffset).value_or(localOffset);
  instant = calendar.adding(CalendarUnit::minute, -(targetOffset - localOffset), instant);

  if (ChronoSettings::sixMinutesFixBefore1900() &&
      DateCalendar::gregorianUTC().component(CalendarUnit::year, instant) < 1900) {
    instant = calendar.adding(CalendarUnit::minute, 6, instant);
  }
  return instant;
}

bool ParsedComponents::isPossibleDate() const {
  Date instant = moment();
  DateComponents readBack;
  if (auto offset = known_.get(ComponentUnit::timeZoneOffset)) {
    // Through the calendar, which saturates at Date's ends rather than overflowing.
    instant = DateCalendar::gregorianUTC().adding(CalendarUnit::minute, *offset, instant);
    readBack = DateCalendar::gregorianUTC().components(instant);
  } else {
    readBack = DateCalendar::current().components(instant);
  }
  auto same = [&](ComponentUnit unit, const std::optional<int64_t>& field) {
    const auto value = get(unit);
    return value.has_value() && value == field;
  };
  return same(ComponentUnit::year, readBack.year) && same(ComponentUnit::month, readBack.month) &&
         same(ComponentUnit::day, readBack.day) && same(ComponentUnit::hour, readBack.hour) &&
         same(ComponentUnit::minute, readBack.minute);
}

}  // namespace zarvo::chrono
