#include "zarvo/reminders/internal/ical_support.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "zarvo/platform/date_calendar.h"
#include "zarvo/reminders/store_error.h"

#include "zarvo/reminders/internal/ical_lines.h"

namespace zarvo::reminders::detail::ical {

using std::chrono::days;

const platform::Log& log() {
  static const platform::Log instance("org.zarvo.ZarvoKit", "reminders");
  return instance;
}

size_t ownedIndex(std::string_view name) {
  for (size_t i = 0; i < kOwnedCount; ++i) {
    if (kOwned[i].name == name) return i;
  }
  return kOwnedCount;
}

bool isUtcZone(std::string_view zone) {
  return zone == "UTC" || zone == "GMT" || zone == "Etc/UTC" || zone == "Etc/GMT" || zone == "Z" ||
         zone == "Etc/Universal" || zone == "Universal" || zone == "Zulu" || zone == "Etc/Zulu";
}

namespace {

// Hands libical the text one line at a time, at most `size` - 1 bytes at a step, as fgets would:
// each step looks only at the bytes it hands over.
struct LineSource {
  const char* pos;
  const char* end;
};

char* nextLine(char* out, size_t size, void* data) {
  auto& source = *static_cast<LineSource*>(data);
  if (source.pos >= source.end || size < 2) return nullptr;
  const size_t most = std::min(size - 1, static_cast<size_t>(source.end - source.pos));
  const void* newline = std::memchr(source.pos, '\n', most);
  const size_t n = newline != nullptr ? static_cast<size_t>(static_cast<const char*>(newline) - source.pos) + 1 : most;
  std::memcpy(out, source.pos, n);
  out[n] = '\0';
  source.pos += n;
  return out;
}

}  // namespace

icaltimezone* utcZone() {
  static icaltimezone* const zone = icaltimezone_get_utc_timezone();
  return zone;
}

ComponentPtr parseComponent(std::string_view text) {
  (void)utcZone();
  // libical's string reader stops at a NUL byte; so does this one.
  const size_t length = std::min(text.size(), text.find('\0'));
  LineSource source{text.data(), text.data() + length};
  icalparser* parser = icalparser_new();
  if (parser == nullptr) return nullptr;
  icalparser_set_gen_data(parser, &source);
  const icalerrorstate was = icalerror_get_error_state(ICAL_MALFORMEDDATA_ERROR);
  icalerror_set_error_state(ICAL_MALFORMEDDATA_ERROR, ICAL_ERROR_NONFATAL);
  ComponentPtr component(icalparser_parse(parser, nextLine));
  icalerror_set_error_state(ICAL_MALFORMEDDATA_ERROR, was);
  icalparser_free(parser);
  return component;
}

std::string takeString(char* s) {
  std::string out = s != nullptr ? s : "";
  std::free(s);
  return out;
}

std::string serialize(PropertyPtr p, std::string_view newline) {
  return withNewline(takeString(icalproperty_as_ical_string_r(p.get())), newline);
}

struct icaltimetype utcTime(Date date) {
  const auto utc = platform::DateCalendar::gregorianUTC();
  if (!platform::isKeptYear(utc.component(platform::CalendarUnit::year, date))) {
    throw StoreError(StoreErrorCode::invalid, platform::outsideKeptYearsMessage(date, utc));
  }
  auto secs = std::chrono::floor<std::chrono::seconds>(date);
  auto day = std::chrono::floor<days>(secs);
  std::chrono::year_month_day ymd(day);
  std::chrono::hh_mm_ss hms(secs - day);
  struct icaltimetype t = icaltime_null_time();
  t.year = static_cast<int>(ymd.year());
  t.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  t.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  t.hour = static_cast<int>(hms.hours().count());
  t.minute = static_cast<int>(hms.minutes().count());
  t.second = static_cast<int>(hms.seconds().count());
  t.zone = utcZone();
  return t;
}

PropertyPtr timeProperty(std::string_view name, const struct icaltimetype& t, std::string_view parameters) {
  char value[32];
  if (t.is_date) {
    std::snprintf(value, sizeof value, "%04d%02d%02d", t.year, t.month, t.day);
  } else {
    std::snprintf(value, sizeof value, "%04d%02d%02dT%02d%02d%02d%s", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, icaltime_is_utc(t) ? "Z" : "");
  }
  std::string line(name);
  if (t.is_date) line += ";VALUE=DATE";
  line += parameters;
  line += ':';
  line += value;
  (void)utcZone();
  return PropertyPtr(icalproperty_new_from_string(line.c_str()));
}

std::optional<std::string> tzidOf(icalproperty* p) {
  icalparameter* param = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER);
  if (param == nullptr) return std::nullopt;
  const char* tzid = icalparameter_get_tzid(param);
  if (tzid == nullptr) return std::nullopt;
  return std::string(tzid);
}

std::chrono::sys_seconds civilSeconds(int year, int month, int day, int hour, int minute, int second) {
  // A year_month_day that is not ok() converts to an unspecified day: months and days are carried
  // over here, from the first day of a valid month.
  const int64_t months = static_cast<int64_t>(year) * 12 + (month - 1);
  const int64_t y = months >= 0 ? months / 12 : (months - 11) / 12;
  const auto m = static_cast<unsigned>(months - y * 12 + 1);
  const std::chrono::sys_days first = std::chrono::year_month_day(
      std::chrono::year(static_cast<int>(y)), std::chrono::month(m), std::chrono::day(1));
  return first + std::chrono::days(day - 1) + std::chrono::hours(hour) + std::chrono::minutes(minute) +
         std::chrono::seconds(second);
}

bool civilInRange(const struct icaltimetype& t) {
  const auto day = std::chrono::floor<days>(civilSeconds(t.year, t.month, t.day, t.hour, t.minute, t.second));
  return platform::isKeptYear(static_cast<int>(std::chrono::year_month_day(day).year()));
}

std::string leftOutDate(const char* property, const struct icaltimetype& t) {
  char day[32];
  std::snprintf(day, sizeof day, "%04d-%02d-%02d", t.year, t.month, t.day);
  return std::string(property) + " " + day;
}

void requireInRange(const char* property, const struct icaltimetype& t) {
  if (civilInRange(t)) return;
  throw OutOfRange(leftOutDate(property, t));
}

bool sameAbsolute(const std::optional<Date>& a, const std::optional<Date>& b) {
  if (a.has_value() != b.has_value()) return false;
  if (!a) return true;
  return std::chrono::floor<std::chrono::seconds>(*a) == std::chrono::floor<std::chrono::seconds>(*b);
}

}  // namespace zarvo::reminders::detail::ical
