#include "zarvo/platform/date_calendar.h"

#include <unicode/calendar.h>
#include <unicode/gregocal.h>
#include <unicode/timezone.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <type_traits>

#include "zarvo/platform/text.h"

namespace zarvo::platform {

namespace {

// ---- Process time zone ---------------------------------------------------------------------------

std::mutex& zoneMutex() {
  static std::mutex m;
  return m;
}
std::string& processZoneSlot() {
  static std::string zone = [] {
    std::unique_ptr<icu::TimeZone> tz(icu::TimeZone::detectHostTimeZone());
    icu::UnicodeString id;
    if (tz) tz->getID(id);
    std::string out;
    id.toUTF8String(out);
    if (out.empty() || out == "Etc/Unknown") out = "UTC";
    return out;
  }();
  return zone;
}
std::atomic<uint64_t> zoneGeneration{1};

std::unique_ptr<icu::TimeZone> makeZone(std::string_view id) {
  icu::UnicodeString uid = icu::UnicodeString::fromUTF8(icu::StringPiece(id.data(), static_cast<int32_t>(id.size())));
  std::unique_ptr<icu::TimeZone> tz(icu::TimeZone::createTimeZone(uid));
  if (!tz) return nullptr;
  icu::UnicodeString got;
  tz->getID(got);
  if (got == UNICODE_STRING_SIMPLE("Etc/Unknown")) return nullptr;
  return tz;
}

// ---- Per-thread calendars ------------------------------------------------------------------------

// ICU calendars are not thread-safe and costly to create, so each thread keeps one per zone.
struct ThreadCalendars {
  uint64_t generation = 0;
  std::string processZone;
  std::map<std::string, std::unique_ptr<icu::Calendar>, std::less<>> byZone;
};

icu::Calendar& calendarFor(std::string_view zone) {
  thread_local ThreadCalendars cache;
  auto it = cache.byZone.find(zone);
  if (it == cache.byZone.end()) {
    auto tz = makeZone(zone);
    if (!tz) tz.reset(icu::TimeZone::getGMT()->clone());
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> cal(new icu::GregorianCalendar(tz.release(), status));
    if (U_FAILURE(status)) cal.reset(new icu::GregorianCalendar(status));
    cal->setLenient(true);
    // ISO-like week settings are not needed; keep Gregorian defaults, Sunday first.
    it = cache.byZone.emplace(std::string(zone), std::move(cal)).first;
  }
  return *it->second;
}

std::string currentProcessZone() {
  thread_local uint64_t seen = 0;
  thread_local std::string zone;
  const uint64_t gen = zoneGeneration.load(std::memory_order_acquire);
  if (gen != seen) {
    std::lock_guard lock(zoneMutex());
    zone = processZoneSlot();
    seen = gen;
  }
  return zone;
}

// Date <-> ICU milliseconds. ICU works in whole milliseconds here; the sub-millisecond rest of a Date
// is carried separately so no precision is lost through arithmetic.
struct SplitDate {
  UDate millis;
  int64_t subMillisNanos;
};

SplitDate split(Date date) {
  using namespace std::chrono;
  const int64_t ns = duration_cast<nanoseconds>(date.time_since_epoch()).count();
  int64_t ms = ns / 1'000'000;
  int64_t rest = ns % 1'000'000;
  if (rest < 0) {
    rest += 1'000'000;
    ms -= 1;
  }
  return {static_cast<UDate>(ms), rest};
}

// A Date counts nanoseconds in 64 bits, so it holds about 1677-09-21 to 2262-04-11. Instants beyond
// (a phrase's year 4048, a far move) saturate at those ends instead of wrapping into an unrelated date.
// `extraNanos` is below one millisecond in magnitude.
static_assert(std::is_same_v<Date::duration, std::chrono::nanoseconds>, "a Date counts nanoseconds");

Date fromMillis(UDate millis, int64_t extraNanos = 0) {
  constexpr int64_t kNanosPerMilli = 1'000'000;
  constexpr auto kMaxMillis = static_cast<double>(Date::duration::max().count() / kNanosPerMilli);
  constexpr auto kMinMillis = static_cast<double>(Date::duration::min().count() / kNanosPerMilli);
  const double floored = std::floor(millis);
  // Strictly inside, so a sub-millisecond remainder cannot carry past the end either.
  if (!(floored < kMaxMillis)) return Date::max();
  if (!(floored > kMinMillis)) return Date::min();
  const auto ms = static_cast<int64_t>(floored);
  return Date(Date::duration(ms * kNanosPerMilli + extraNanos));
}

// `date` moved by `value` units of `nanosPerUnit` nanoseconds, saturating at Date's ends.
Date addingExactly(Date date, int64_t value, int64_t nanosPerUnit) {
  int64_t delta = 0;
  int64_t moved = 0;
  if (__builtin_mul_overflow(value, nanosPerUnit, &delta) ||
      __builtin_add_overflow(date.time_since_epoch().count(), delta, &moved)) {
    return value < 0 ? Date::min() : Date::max();
  }
  return Date(Date::duration(moved));
}

int32_t clampField(int64_t v) {
  if (v > INT32_MAX / 2) return INT32_MAX / 2;
  if (v < INT32_MIN / 2) return INT32_MIN / 2;
  return static_cast<int32_t>(v);
}

UCalendarDateFields icuField(CalendarUnit unit) {
  switch (unit) {
    case CalendarUnit::era: return UCAL_ERA;
    case CalendarUnit::year: return UCAL_EXTENDED_YEAR;
    case CalendarUnit::month: return UCAL_MONTH;
    case CalendarUnit::day: return UCAL_DATE;
    case CalendarUnit::hour: return UCAL_HOUR_OF_DAY;
    case CalendarUnit::minute: return UCAL_MINUTE;
    case CalendarUnit::second: return UCAL_SECOND;
    case CalendarUnit::nanosecond: return UCAL_MILLISECOND;
    case CalendarUnit::weekday: return UCAL_DAY_OF_WEEK;
    case CalendarUnit::weekOfYear: return UCAL_WEEK_OF_YEAR;
  }
  return UCAL_DATE;
}

}  // namespace

DateCalendar DateCalendar::current() { return DateCalendar(Kind::processZone, {}); }
DateCalendar DateCalendar::gregorianUTC() { return DateCalendar(Kind::fixedZone, "UTC"); }

std::optional<DateCalendar> DateCalendar::inZone(std::string_view zoneId) {
  if (!isKnownTimeZone(zoneId)) return std::nullopt;
  return DateCalendar(Kind::fixedZone, std::string(zoneId));
}

bool DateCalendar::isKnownTimeZone(std::string_view zoneId) {
  if (zoneId.empty()) return false;
  // Asked for the zone of every due date read, and answering means building an ICU zone. The answer
  // depends only on the zone data loaded into the process, so each thread keeps its answers.
  thread_local std::map<std::string, bool, std::less<>> known;
  if (auto it = known.find(zoneId); it != known.end()) return it->second;
  const bool isKnown = makeZone(zoneId) != nullptr;
  if (known.size() < 1024) known.emplace(std::string(zoneId), isKnown);  // bounded: ids may come from files
  return isKnown;
}

bool DateCalendar::setProcessTimeZone(std::string_view zoneId) {
  if (!isKnownTimeZone(zoneId)) return false;
  {
    std::lock_guard lock(zoneMutex());
    processZoneSlot() = std::string(zoneId);
  }
  zoneGeneration.fetch_add(1, std::memory_order_acq_rel);
  return true;
}

uint64_t DateCalendar::processTimeZoneGeneration() { return zoneGeneration.load(std::memory_order_acquire); }

std::string DateCalendar::processTimeZone() {
  std::lock_guard lock(zoneMutex());
  return processZoneSlot();
}

std::string DateCalendar::timeZone() const {
  return kind_ == Kind::processZone ? currentProcessZone() : zone_;
}

DateComponents DateCalendar::components(Date date) const {
  const std::string zone = timeZone();
  icu::Calendar& cal = calendarFor(zone);
  const SplitDate d = split(date);
  UErrorCode status = U_ZERO_ERROR;
  cal.setTime(d.millis, status);
  DateComponents c;
  c.timeZone = zone;
  c.era = cal.get(UCAL_ERA, status);
  c.year = cal.get(UCAL_YEAR, status);
  c.month = cal.get(UCAL_MONTH, status) + 1;
  c.day = cal.get(UCAL_DATE, status);
  c.hour = cal.get(UCAL_HOUR_OF_DAY, status);
  c.minute = cal.get(UCAL_MINUTE, status);
  c.second = cal.get(UCAL_SECOND, status);
  c.nanosecond = static_cast<int64_t>(cal.get(UCAL_MILLISECOND, status)) * 1'000'000 + d.subMillisNanos;
  c.weekday = cal.get(UCAL_DAY_OF_WEEK, status);
  return c;
}

int64_t DateCalendar::component(CalendarUnit unit, Date date) const {
  icu::Calendar& cal = calendarFor(timeZone());
  const SplitDate d = split(date);
  UErrorCode status = U_ZERO_ERROR;
  cal.setTime(d.millis, status);
  switch (unit) {
    case CalendarUnit::year: return cal.get(UCAL_YEAR, status);
    case CalendarUnit::month: return cal.get(UCAL_MONTH, status) + 1;
    case CalendarUnit::nanosecond:
      return static_cast<int64_t>(cal.get(UCAL_MILLISECOND, status)) * 1'000'000 + d.subMillisNanos;
    default: return cal.get(icuField(unit), status);
  }
}

Date DateCalendar::date(const DateComponents& c) const {
  icu::Calendar& cal = calendarFor(c.timeZone ? *c.timeZone : timeZone());
  cal.clear();
  // A year below 1 is read as an extended (astronomical) year; with an era, as a year of that era.
  if (c.era && c.year) {
    cal.set(UCAL_ERA, clampField(*c.era));
    cal.set(UCAL_YEAR, clampField(*c.year));
  } else if (c.year) {
    cal.set(UCAL_EXTENDED_YEAR, clampField(*c.year));
  }
  if (c.month) cal.set(UCAL_MONTH, clampField(*c.month - 1));
  if (c.day) cal.set(UCAL_DATE, clampField(*c.day));
  if (c.hour) cal.set(UCAL_HOUR_OF_DAY, clampField(*c.hour));
  if (c.minute) cal.set(UCAL_MINUTE, clampField(*c.minute));
  if (c.second) cal.set(UCAL_SECOND, clampField(*c.second));
  int64_t nanos = 0;
  if (c.nanosecond) {
    cal.set(UCAL_MILLISECOND, clampField(*c.nanosecond / 1'000'000));
    nanos = *c.nanosecond % 1'000'000;
  }
  UErrorCode status = U_ZERO_ERROR;
  const UDate millis = cal.getTime(status);
  return fromMillis(millis, nanos);
}

Date DateCalendar::adding(CalendarUnit unit, int64_t value, Date date) const {
  using namespace std::chrono;
  switch (unit) {
    case CalendarUnit::hour: return addingExactly(date, value, nanoseconds(hours(1)).count());
    case CalendarUnit::minute: return addingExactly(date, value, nanoseconds(minutes(1)).count());
    case CalendarUnit::second: return addingExactly(date, value, nanoseconds(seconds(1)).count());
    case CalendarUnit::nanosecond: return addingExactly(date, value, 1);
    default: break;
  }
  // A Date spans under 600 years, so a longer move ends past its end from any start. Answering that
  // here keeps huge counts away from ICU, whose field arithmetic wraps (a billion months forward
  // came out in the past).
  constexpr int64_t kSpanYears = 600;
  int64_t limit = kSpanYears * 366;  // days
  if (unit == CalendarUnit::era || unit == CalendarUnit::year) limit = kSpanYears;
  if (unit == CalendarUnit::month) limit = kSpanYears * 12;
  if (unit == CalendarUnit::weekOfYear) limit = kSpanYears * 53;
  if (value > limit) return Date::max();
  if (value < -limit) return Date::min();
  icu::Calendar& cal = calendarFor(timeZone());
  const SplitDate d = split(date);
  UErrorCode status = U_ZERO_ERROR;
  cal.setTime(d.millis, status);
  UCalendarDateFields field = icuField(unit);
  if (unit == CalendarUnit::weekday) field = UCAL_DATE;
  if (unit == CalendarUnit::weekOfYear) {
    field = UCAL_DATE;
    value *= 7;
  }
  if (unit == CalendarUnit::year) field = UCAL_YEAR;
  cal.add(field, clampField(value), status);
  return fromMillis(cal.getTime(status), d.subMillisNanos);
}

Date DateCalendar::startOfDay(Date date) const {
  icu::Calendar& cal = calendarFor(timeZone());
  UErrorCode status = U_ZERO_ERROR;
  cal.setTime(split(date).millis, status);
  const int32_t year = cal.get(UCAL_EXTENDED_YEAR, status);
  const int32_t month = cal.get(UCAL_MONTH, status);
  const int32_t day = cal.get(UCAL_DATE, status);
  cal.clear();
  cal.set(UCAL_EXTENDED_YEAR, year);
  cal.set(UCAL_MONTH, month);
  cal.set(UCAL_DATE, day);
  // In zones whose DST change happens at midnight, 00:00 does not exist; ICU then moves forward to
  // the first valid instant of the day, which is the day's start. Where midnight repeats (clocks go
  // back from 01:00 to 00:00) the day starts at the first of the two.
  const UCalendarWallTimeOption repeated = cal.getRepeatedWallTimeOption();
  cal.setRepeatedWallTimeOption(UCAL_WALLTIME_FIRST);
  const UDate start = cal.getTime(status);
  cal.setRepeatedWallTimeOption(repeated);
  return fromMillis(start);
}

int64_t DateCalendar::daysBetween(Date from, Date to) const {
  // A moment's civil day is its local time in whole days since the epoch. Taking the zone's offset
  // at each moment means a DST change cannot make a day 23 or 25 hours long; it is also far cheaper
  // than splitting both moments into fields.
  const icu::TimeZone& zone = calendarFor(timeZone()).getTimeZone();
  auto civil = [&](Date d) {
    const SplitDate s = split(d);
    int32_t raw = 0, dst = 0;
    UErrorCode status = U_ZERO_ERROR;
    zone.getOffset(s.millis, false, raw, dst, status);
    const int64_t local = static_cast<int64_t>(s.millis) + raw + dst;
    constexpr int64_t kDay = 86'400'000;
    return local / kDay - (local % kDay < 0 ? 1 : 0);
  };
  return civil(to) - civil(from);
}

bool DateCalendar::isDateInToday(Date date, Date now) const { return daysBetween(now, date) == 0; }
bool DateCalendar::isDateInTomorrow(Date date, Date now) const { return daysBetween(now, date) == 1; }
bool DateCalendar::isDateInYesterday(Date date, Date now) const { return daysBetween(now, date) == -1; }

int DateCalendar::weekday(Date date) const {
  return static_cast<int>(component(CalendarUnit::weekday, date));
}

int DateCalendar::daysInMonth(Date date) const {
  icu::Calendar& cal = calendarFor(timeZone());
  UErrorCode status = U_ZERO_ERROR;
  cal.setTime(split(date).millis, status);
  return cal.getActualMaximum(UCAL_DATE, status);
}

int64_t DateCalendar::utcOffsetSeconds(Date date) const {
  icu::Calendar& cal = calendarFor(timeZone());
  UErrorCode status = U_ZERO_ERROR;
  cal.setTime(split(date).millis, status);
  const int64_t ms = static_cast<int64_t>(cal.get(UCAL_ZONE_OFFSET, status)) + cal.get(UCAL_DST_OFFSET, status);
  return ms / 1000;
}

std::string isoString(Date date, const DateCalendar& calendar) {
  const DateComponents c = calendar.components(date);
  int64_t year = *c.year;
  if (c.era && *c.era == 0) year = 1 - year;
  const int64_t offset = calendar.utcOffsetSeconds(date);
  const int64_t absOffset = offset < 0 ? -offset : offset;
  const int64_t millis = *c.nanosecond / 1'000'000;
  if (year < 0 || year > 9999) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lld.%03lld%c%02lld:%02lld",
                  static_cast<long long>(year), static_cast<long long>(*c.month), static_cast<long long>(*c.day),
                  static_cast<long long>(*c.hour), static_cast<long long>(*c.minute),
                  static_cast<long long>(*c.second), static_cast<long long>(millis), offset < 0 ? '-' : '+',
                  static_cast<long long>(absOffset / 3600), static_cast<long long>((absOffset % 3600) / 60));
    return buf;
  }
  // Every field has a fixed width here: written digit by digit, as a list of ten thousand tasks
  // writes three dates each and a formatted print costs more than the calendar.
  std::string out(29, '0');
  auto put = [&out](size_t at, int64_t value, int digits) {
    for (int i = digits - 1; i >= 0; --i) {
      out[at + static_cast<size_t>(i)] = static_cast<char>('0' + value % 10);
      value /= 10;
    }
  };
  put(0, year, 4);
  out[4] = '-';
  put(5, *c.month, 2);
  out[7] = '-';
  put(8, *c.day, 2);
  out[10] = 'T';
  put(11, *c.hour, 2);
  out[13] = ':';
  put(14, *c.minute, 2);
  out[16] = ':';
  put(17, *c.second, 2);
  out[19] = '.';
  put(20, millis, 3);
  out[23] = offset < 0 ? '-' : '+';
  put(24, absOffset / 3600, 2);
  out[26] = ':';
  put(27, (absOffset % 3600) / 60, 2);
  return out;
}

}  // namespace zarvo::platform
