// Calendar arithmetic on ICU: the user's calendar in the process time zone, and Gregorian UTC.
//
// Every calendar here is proleptic Gregorian (no switch to the Julian calendar in 1582, as iCalendar
// counts), and years count astronomically: 1 BC is year 0, 44 BC is year -43.
//
// A DateCalendar is a small value naming a calendar (Gregorian) and a zone. `current()` follows the
// process time zone at the moment of each call, so a zone set later (the CLI's --tz, a test) is seen
// by calendars made earlier. Every operation is thread-safe: each thread works on its own ICU calendar.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "zarvo/platform/clock.h"

namespace zarvo::platform {

enum class CalendarUnit { era, year, month, day, hour, minute, second, nanosecond, weekday, weekOfYear };

// Date components as the calendar reads and builds them. Absent fields are std::nullopt.
// month 1-12, day 1-31, weekday 1 = Sunday ... 7 = Saturday. Without an era the year is astronomical
// (year 0 is 1 BC); with one it is the year of that era (era 0 BC, 1 AD), as ICU counts.
struct DateComponents {
  std::optional<std::string> timeZone{};  // IANA identifier; absent means "the calendar's zone"
  std::optional<int64_t> era{};
  std::optional<int64_t> year{};
  std::optional<int64_t> month{};
  std::optional<int64_t> day{};
  std::optional<int64_t> hour{};
  std::optional<int64_t> minute{};
  std::optional<int64_t> second{};
  std::optional<int64_t> nanosecond{};
  std::optional<int64_t> weekday{};

  friend bool operator==(const DateComponents&, const DateComponents&) = default;
};

class DateCalendar {
 public:
  // The user's calendar (Gregorian) in the process time zone, resolved on every call.
  static DateCalendar current();
  // Gregorian calendar in UTC.
  static DateCalendar gregorianUTC();
  // Gregorian calendar in a fixed zone. Nothing when the zone is unknown.
  static std::optional<DateCalendar> inZone(std::string_view zoneId);

  // The process time zone: initially the system's (TZ, /etc/localtime). Returns false and changes
  // nothing when `zoneId` is not a known IANA zone or fixed offset ("GMT+05:30").
  static bool setProcessTimeZone(std::string_view zoneId);
  static std::string processTimeZone();
  // Moves whenever the process time zone is set: a cheap way to tell that values computed in the
  // process zone may be stale.
  static uint64_t processTimeZoneGeneration();
  static bool isKnownTimeZone(std::string_view zoneId);

  // The zone this calendar computes in (the process zone now, for `current()`).
  std::string timeZone() const;

  // All components of `date`: year (astronomical; the era is left out), month, day, hour, minute,
  // second, nanosecond, weekday and the zone.
  DateComponents components(Date date) const;
  int64_t component(CalendarUnit unit, Date date) const;

  // The instant of `c`, read leniently: out-of-range values carry over (30 February -> early March,
  // hour 24 -> next day). Absent fields take the calendar's lowest values (1 January 1970, 00:00); a
  // zone in `c` overrides the calendar's.
  Date date(const DateComponents& c) const;

  // `date` moved by `value` units. Day and larger units keep the wall-clock time across DST changes;
  // hour and smaller units are exact durations.
  //
  // Here and in `date`, an instant beyond what a Date holds (about 290,000 years either side of
  // 1970) comes out as Date::min() or Date::max(), never as a wrapped-around date.
  Date adding(CalendarUnit unit, int64_t value, Date date) const;

  Date startOfDay(Date date) const;
  bool isDateInToday(Date date, Date now = Clock::currentNow()) const;
  bool isDateInTomorrow(Date date, Date now = Clock::currentNow()) const;
  bool isDateInYesterday(Date date, Date now = Clock::currentNow()) const;
  // Whole calendar days from the day of `from` to the day of `to` (negative when `to` is earlier).
  int64_t daysBetween(Date from, Date to) const;

  // 1 = Sunday ... 7 = Saturday.
  int weekday(Date date) const;
  int daysInMonth(Date date) const;
  // Offset of the zone from UTC at `date`, in seconds, east positive (DST included).
  int64_t utcOffsetSeconds(Date date) const;

 private:
  enum class Kind { processZone, fixedZone };
  DateCalendar(Kind kind, std::string zone) : kind_(kind), zone_(std::move(zone)) {}

  Kind kind_;
  std::string zone_;  // used when kind_ == fixedZone
};

// ISO 8601 with milliseconds and the numeric UTC offset of `calendar`'s zone at that instant:
// 2024-03-11T17:00:00.000+01:00. A year outside 0000 to 9999 takes a sign (-0044-03-15T..., +10000-...).
std::string isoString(Date date, const DateCalendar& calendar = DateCalendar::current());
// The day alone, as isoString begins: 2024-03-11, -0043-03-15.
std::string isoDayString(Date date, const DateCalendar& calendar = DateCalendar::current());

// The years a task can keep: those an iCalendar date holds (four digits, from year 1). A Date holds
// far more, so the date engine reads any year; whatever turns a date into a task's due date, an alarm
// or a reference date checks it first and refuses it with outsideKeptYearsMessage.
inline constexpr int64_t kFirstKeptYear = 1;
inline constexpr int64_t kLastKeptYear = 9999;

// Whether an astronomical year lies in kFirstKeptYear to kLastKeptYear.
bool isKeptYear(int64_t year);
// Whether `date` lies in the kept years both in UTC (as files write instants) and in `calendar`'s
// zone (as they write a due date's wall-clock time).
bool isKeptDate(Date date, const DateCalendar& calendar = DateCalendar::current());
// The one wording of the refusal: "the date 10000-01-01 is outside the dates zarvo can keep (years 1
// to 9999)", naming the day of `date` in `calendar`'s zone (in UTC when only that is outside).
std::string outsideKeptYearsMessage(Date date, const DateCalendar& calendar = DateCalendar::current());
// The same for a civil day (astronomical year).
std::string outsideKeptYearsMessage(int64_t year, int64_t month, int64_t day);

}  // namespace zarvo::platform
