#include "app/date_options.h"

#include <cctype>

#include "app/command_error.h"
#include "app/messages.h"
#include "zarvo/platform/date_calendar.h"

namespace zarvo::app {

using platform::DateCalendar;

void addDateOptions(CLI::App& command, DateOptions& options) {
  command.add_option("--ref", options.ref,
                     "Reference time, local wall-clock time in the zone (2024-03-11T17:00; default: now)");
  command.add_option("--tz", options.tz, "Time zone, an IANA name such as Europe/Berlin (default: the system's)");
}

namespace {

// Reads exactly `width` ASCII digits at `pos`.
std::optional<int64_t> digits(const std::string& s, size_t pos, size_t width) {
  if (pos + width > s.size()) return std::nullopt;
  int64_t value = 0;
  for (size_t i = pos; i < pos + width; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return std::nullopt;
    value = value * 10 + (s[i] - '0');
  }
  return value;
}

}  // namespace

std::optional<Date> parseReference(const std::string& s) {
  // YYYY-MM-DD
  const auto year = digits(s, 0, 4);
  const auto month = digits(s, 5, 2);
  const auto day = digits(s, 8, 2);
  if (!year || !month || !day || s[4] != '-' || s[7] != '-') return std::nullopt;
  int64_t hour = 0, minute = 0, second = 0, millisecond = 0;
  size_t pos = 10;
  if (pos < s.size()) {
    // [T ]HH:MM[:SS[.mmm]]
    if (s[pos] != 'T' && s[pos] != ' ') return std::nullopt;
    const auto h = digits(s, pos + 1, 2);
    const auto m = digits(s, pos + 4, 2);
    if (!h || !m || s.size() < pos + 6 || s[pos + 3] != ':') return std::nullopt;
    hour = *h;
    minute = *m;
    pos += 6;
    if (pos < s.size()) {
      const auto sec = digits(s, pos + 1, 2);
      if (s[pos] != ':' || !sec) return std::nullopt;
      second = *sec;
      pos += 3;
      if (pos < s.size()) {
        const auto ms = digits(s, pos + 1, 3);
        if (s[pos] != '.' || !ms) return std::nullopt;
        millisecond = *ms;
        pos += 4;
      }
    }
    if (pos != s.size()) return std::nullopt;
  }
  if (*month < 1 || *month > 12 || *day < 1 || hour > 23 || minute > 59 || second > 59) return std::nullopt;

  const DateCalendar calendar = DateCalendar::current();
  platform::DateComponents firstOfMonth{.year = *year, .month = *month, .day = 1};
  if (*day > calendar.daysInMonth(calendar.date(firstOfMonth))) return std::nullopt;

  platform::DateComponents c{.year = *year, .month = *month, .day = *day, .hour = hour, .minute = minute,
                             .second = second, .nanosecond = millisecond * 1'000'000};
  return calendar.date(c);
}

Date applyDateOptions(const DateOptions& options) {
  if (options.tz && !DateCalendar::setProcessTimeZone(*options.tz)) {
    throw UsageError(trf("unknown time zone '{}'", *options.tz));
  }
  if (!options.ref) return platform::Clock::currentNow();
  auto ref = parseReference(*options.ref);
  if (!ref) {
    throw UsageError(trf("malformed --ref '{}' (expected e.g. 2024-03-11T17:00 or 2024-03-11)", *options.ref));
  }
  return *ref;
}

}  // namespace zarvo::app
