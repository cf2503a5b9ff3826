#include "zarvo/platform/date_calendar.h"

#include <unicode/basictz.h>
#include <unicode/calendar.h>
#include <unicode/gregocal.h>
#include <unicode/timezone.h>
#include <unicode/tztrans.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
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

// A stretch of time over which a zone's offset does not change: from one of its transitions to the
// next. Reading the offset from a span the thread already knows skips ICU's rule arithmetic, which
// dominated converting an instant once fields came from plain arithmetic.
struct OffsetSpan {
  double from = 0;  // first instant of the span, UTC milliseconds
  double to = 0;    // first instant after it
  int32_t offsetMillis = 0;
};

// ICU calendars are not thread-safe and costly to create, so each thread keeps one per zone, with
// the offset spans it met last in that zone.
struct ZoneState {
  std::unique_ptr<icu::Calendar> calendar;
  const icu::BasicTimeZone* transitions = nullptr;  // the calendar's zone, when it can list its transitions
  std::array<OffsetSpan, 4> spans{};
  size_t nextSpan = 0;  // the slot the next span replaces
};

struct ThreadCalendars {
  std::map<std::string, ZoneState, std::less<>> byZone;
  // The zone of the last look-up: nearly every call names the same one.
  const std::string* lastZone = nullptr;
  ZoneState* lastState = nullptr;
};

ZoneState& zoneState(std::string_view zone) {
  thread_local ThreadCalendars cache;
  if (cache.lastZone != nullptr && *cache.lastZone == zone) return *cache.lastState;
  auto it = cache.byZone.find(zone);
  if (it == cache.byZone.end()) {
    auto tz = makeZone(zone);
    if (!tz) tz.reset(icu::TimeZone::getGMT()->clone());
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::GregorianCalendar> cal(new icu::GregorianCalendar(tz.release(), status));
    if (U_FAILURE(status)) cal.reset(new icu::GregorianCalendar(status));
    cal->setLenient(true);
    // Gregorian all the way back, as iCalendar dates and the arithmetic below count them: by default
    // ICU switches to the Julian calendar before 15 October 1582, ten days off by then.
    UErrorCode changeStatus = U_ZERO_ERROR;
    cal->setGregorianChange(-std::numeric_limits<double>::max(), changeStatus);
    // ISO-like week settings are not needed; keep Gregorian defaults, Sunday first.
    ZoneState state;
    state.transitions = dynamic_cast<const icu::BasicTimeZone*>(&cal->getTimeZone());
    state.calendar = std::move(cal);
    it = cache.byZone.emplace(std::string(zone), std::move(state)).first;
  }
  // Entries are never erased, so both pointers stay valid for the thread's life.
  cache.lastZone = &it->first;
  cache.lastState = &it->second;
  return it->second;
}

icu::Calendar& calendarFor(std::string_view zone) { return *zoneState(zone).calendar; }

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
  UDate millis;  // as ICU takes them (a double: exact up to about year 287,000)
  int64_t wholeMillis;
  int64_t subMillisMicros;
};

constexpr int64_t kMicrosPerMilli = 1000;
static_assert(std::is_same_v<Date::duration, std::chrono::microseconds>, "a Date counts microseconds");

SplitDate split(Date date) {
  const int64_t us = date.time_since_epoch().count();
  int64_t ms = us / kMicrosPerMilli;
  int64_t rest = us % kMicrosPerMilli;
  if (rest < 0) {
    rest += kMicrosPerMilli;
    ms -= 1;
  }
  return {static_cast<UDate>(ms), ms, rest};
}

// A Date counts microseconds in 64 bits, so it holds about 292,000 years either side of 1970; ICU's
// calendar reaches further. Instants beyond (a phrase's year 300000, a far move) saturate at a
// Date's ends instead of wrapping into an unrelated date. `extraMicros` is below one millisecond in
// magnitude.
Date fromMillis(UDate millis, int64_t extraMicros = 0) {
  constexpr auto kMaxMillis = static_cast<double>(Date::duration::max().count() / kMicrosPerMilli);
  constexpr auto kMinMillis = static_cast<double>(Date::duration::min().count() / kMicrosPerMilli);
  const double floored = std::floor(millis);
  // Strictly inside, so a sub-millisecond remainder cannot carry past the end either.
  if (!(floored < kMaxMillis)) return Date::max();
  if (!(floored > kMinMillis)) return Date::min();
  const auto ms = static_cast<int64_t>(floored);
  return Date(Date::duration(ms * kMicrosPerMilli + extraMicros));
}

// `date` moved by `value` units of `microsPerUnit` microseconds, saturating at Date's ends.
Date addingExactly(Date date, int64_t value, int64_t microsPerUnit) {
  int64_t delta = 0;
  int64_t moved = 0;
  if (__builtin_mul_overflow(value, microsPerUnit, &delta) ||
      __builtin_add_overflow(date.time_since_epoch().count(), delta, &moved)) {
    return value < 0 ? Date::min() : Date::max();
  }
  return Date(Date::duration(moved));
}

// Nanoseconds (as date components count them) to a Date's microseconds, rounding down.
int64_t microsOfNanos(int64_t nanos) { return nanos >= 0 ? nanos / 1000 : -((-nanos + 999) / 1000); }

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

// ---- Civil time by arithmetic --------------------------------------------------------------------
//
// The calendars above are proleptic Gregorian, so an instant's fields follow from the zone's offset at
// the instant by plain arithmetic. That is what ICU's field computation does too, and at a fraction of
// its cost, which counts for the date engine (several conversions per result).

constexpr int64_t kMillisPerDay = 86'400'000;

constexpr double kForever = 1e300;

// The zone's offset at `millis`, DST included.
int32_t offsetMillisAt(ZoneState& zone, UDate millis) {
  for (const OffsetSpan& span : zone.spans) {
    if (millis >= span.from && millis < span.to) return span.offsetMillis;
  }
  int32_t raw = 0, dst = 0;
  UErrorCode status = U_ZERO_ERROR;
  zone.calendar->getTimeZone().getOffset(millis, false, raw, dst, status);
  if (zone.transitions != nullptr && U_SUCCESS(status)) {
    OffsetSpan span{-kForever, kForever, raw + dst};
    icu::TimeZoneTransition transition;
    if (zone.transitions->getPreviousTransition(millis, true, transition)) span.from = transition.getTime();
    if (zone.transitions->getNextTransition(millis, false, transition)) span.to = transition.getTime();
    if (millis >= span.from && millis < span.to) {
      zone.spans[zone.nextSpan] = span;
      zone.nextSpan = (zone.nextSpan + 1) % zone.spans.size();
    }
  }
  return raw + dst;
}

// The instant whose wall-clock time in the zone is `local`, when a known span settles it: the
// candidate lies in the span and at least two days from its ends, which no other offset (they differ
// by less than that) can reach, so the wall-clock time is neither skipped nor repeated.
std::optional<double> instantFromKnownSpan(const ZoneState& zone, double local) {
  constexpr double kMargin = 2.0 * 86'400'000;
  for (const OffsetSpan& span : zone.spans) {
    const double candidate = local - span.offsetMillis;
    if (candidate - kMargin >= span.from && candidate + kMargin < span.to) return candidate;
  }
  return std::nullopt;
}

// Wall-clock time of an instant in a zone.
struct LocalTime {
  int64_t days;          // since 1970-01-01 in local time
  int64_t millisInDay;   // 0 .. kMillisPerDay - 1
  int64_t subMillisMicros;
  int32_t offsetMillis;  // zone offset at the instant, DST included
};

LocalTime localTime(ZoneState& zone, Date date) {
  const SplitDate s = split(date);
  const int32_t offset = offsetMillisAt(zone, s.millis);
  const int64_t local = s.wholeMillis + offset;
  int64_t days = local / kMillisPerDay;
  int64_t inDay = local % kMillisPerDay;
  if (inDay < 0) {
    inDay += kMillisPerDay;
    days -= 1;
  }
  return {days, inDay, s.subMillisMicros, offset};
}

// The proleptic Gregorian day of a count of days since 1970-01-01, and back, for every day a Date
// holds (std::chrono::year stops at 32767). Years count astronomically: 1 BC is year 0.
struct CivilDay {
  int64_t year, month, day;
};

CivilDay civilDay(int64_t days) {
  // Counted in 400-year cycles from 0000-03-01, so that a leap day ends its year.
  const int64_t z = days + 719'468;
  const int64_t cycle = (z >= 0 ? z : z - 146'096) / 146'097;
  const int64_t dayOfCycle = z - cycle * 146'097;
  const int64_t yearOfCycle = (dayOfCycle - dayOfCycle / 1460 + dayOfCycle / 36'524 - dayOfCycle / 146'096) / 365;
  const int64_t dayOfYear = dayOfCycle - (365 * yearOfCycle + yearOfCycle / 4 - yearOfCycle / 100);
  const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // 0 = March
  const int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  return {yearOfCycle + cycle * 400 + (month <= 2 ? 1 : 0), month, dayOfYear - (153 * shiftedMonth + 2) / 5 + 1};
}

int64_t daysFromCivil(int64_t year, int64_t month, int64_t day) {
  const int64_t y = year - (month <= 2 ? 1 : 0);
  const int64_t cycle = (y >= 0 ? y : y - 399) / 400;
  const int64_t yearOfCycle = y - cycle * 400;
  const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  return cycle * 146'097 + yearOfCycle * 365 + yearOfCycle / 4 - yearOfCycle / 100 + dayOfYear - 719'468;
}

DateComponents componentsOf(const LocalTime& t) {
  const CivilDay civil = civilDay(t.days);
  DateComponents c;
  c.year = civil.year;
  c.month = civil.month;
  c.day = civil.day;
  c.hour = t.millisInDay / 3'600'000;
  c.minute = t.millisInDay / 60'000 % 60;
  c.second = t.millisInDay / 1000 % 60;
  c.nanosecond = (t.millisInDay % 1000 * kMicrosPerMilli + t.subMillisMicros) * 1000;
  // 1970-01-01 was a Thursday (5 counting Sunday as 1).
  c.weekday = (t.days % 7 + 7 + 4) % 7 + 1;
  return c;
}

// The local milliseconds `c` names, when every field is present or absent below the day and within
// its ordinary range in a year a task can keep; otherwise nothing, and ICU reads the fields leniently.
std::optional<int64_t> plainLocalMillis(const DateComponents& c) {
  auto within = [](const std::optional<int64_t>& v, int64_t low, int64_t high) {
    return !v || (*v >= low && *v <= high);
  };
  if (c.era || !c.year || !c.month || !c.day) return std::nullopt;
  if (!within(c.year, kFirstKeptYear, kLastKeptYear) || !within(c.month, 1, 12) || !within(c.day, 1, 31) ||
      !within(c.hour, 0, 23) || !within(c.minute, 0, 59) || !within(c.second, 0, 59) ||
      !within(c.nanosecond, 0, 999'999'999)) {
    return std::nullopt;
  }
  const int64_t days = daysFromCivil(*c.year, *c.month, 1) + *c.day - 1;  // 31 April is 1 May
  return days * kMillisPerDay + c.hour.value_or(0) * 3'600'000 + c.minute.value_or(0) * 60'000 +
         c.second.value_or(0) * 1000 + c.nanosecond.value_or(0) / 1'000'000;
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
  std::string zone = timeZone();
  DateComponents c = componentsOf(localTime(zoneState(zone), date));
  c.timeZone = std::move(zone);
  return c;
}

int64_t DateCalendar::component(CalendarUnit unit, Date date) const {
  ZoneState& zone = zoneState(timeZone());
  if (unit != CalendarUnit::weekOfYear) {
    const DateComponents c = componentsOf(localTime(zone, date));
    switch (unit) {
      case CalendarUnit::era: return *c.year >= 1 ? 1 : 0;
      case CalendarUnit::year: return *c.year;
      case CalendarUnit::month: return *c.month;
      case CalendarUnit::day: return *c.day;
      case CalendarUnit::hour: return *c.hour;
      case CalendarUnit::minute: return *c.minute;
      case CalendarUnit::second: return *c.second;
      case CalendarUnit::nanosecond: return *c.nanosecond;
      case CalendarUnit::weekday: return *c.weekday;
      case CalendarUnit::weekOfYear: break;
    }
  }
  UErrorCode status = U_ZERO_ERROR;
  zone.calendar->setTime(split(date).millis, status);
  return zone.calendar->get(UCAL_WEEK_OF_YEAR, status);
}

Date DateCalendar::date(const DateComponents& c) const {
  ZoneState& zone = zoneState(c.timeZone ? *c.timeZone : timeZone());
  icu::Calendar& cal = *zone.calendar;
  if (const auto local = plainLocalMillis(c)) {
    const int64_t extraMicros = microsOfNanos(c.nanosecond.value_or(0) % 1'000'000);
    if (const auto known = instantFromKnownSpan(zone, static_cast<double>(*local))) return fromMillis(*known, extraMicros);
    // A wall-clock time the clocks skip reads with the offset before the change (so 02:30 on a spring-
    // forward night comes out an hour later); one they repeat, with the offset after it. Those are the
    // calendar's own defaults, which the lenient path below keeps.
    if (zone.transitions != nullptr) {
      int32_t raw = 0, dst = 0;
      UErrorCode status = U_ZERO_ERROR;
      zone.transitions->getOffsetFromLocal(static_cast<UDate>(*local), UCAL_TZ_LOCAL_FORMER, UCAL_TZ_LOCAL_LATTER,
                                           raw, dst, status);
      if (U_SUCCESS(status)) {
        const auto instant = static_cast<UDate>(*local - raw - dst);
        offsetMillisAt(zone, instant);  // learns the span, for the next wall-clock time in it
        return fromMillis(instant, extraMicros);
      }
    }
  }
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
  int64_t micros = 0;
  if (c.nanosecond) {
    cal.set(UCAL_MILLISECOND, clampField(*c.nanosecond / 1'000'000));
    micros = microsOfNanos(*c.nanosecond % 1'000'000);
  }
  UErrorCode status = U_ZERO_ERROR;
  const UDate millis = cal.getTime(status);
  return fromMillis(millis, micros);
}

Date DateCalendar::adding(CalendarUnit unit, int64_t value, Date date) const {
  using namespace std::chrono;
  switch (unit) {
    case CalendarUnit::hour: return addingExactly(date, value, microseconds(hours(1)).count());
    case CalendarUnit::minute: return addingExactly(date, value, microseconds(minutes(1)).count());
    case CalendarUnit::second: return addingExactly(date, value, microseconds(seconds(1)).count());
    case CalendarUnit::nanosecond: return addingExactly(date, microsOfNanos(value), 1);
    default: break;
  }
  // A Date spans under 600,000 years, so a longer move ends past its end from any start. Answering
  // that here keeps huge counts away from ICU, whose field arithmetic wraps (a billion months forward
  // came out in the past).
  constexpr int64_t kSpanYears = 600'000;
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
  return fromMillis(cal.getTime(status), d.subMillisMicros);
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
  ZoneState& zone = zoneState(timeZone());
  return localTime(zone, to).days - localTime(zone, from).days;
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
  return offsetMillisAt(zoneState(timeZone()), split(date).millis) / 1000;
}

namespace {

// A year as ISO 8601 writes it: four digits from 0000 to 9999, a sign and at least four digits
// beyond (-0044, +10000).
void appendIsoYear(std::string& out, int64_t year) {
  if (year < 0 || year > 9999) out += year < 0 ? '-' : '+';
  const uint64_t magnitude = year < 0 ? 0 - static_cast<uint64_t>(year) : static_cast<uint64_t>(year);
  std::string digits = std::to_string(magnitude);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
  out += digits;
}

std::string isoDay(int64_t year, int64_t month, int64_t day) {
  std::string out;
  appendIsoYear(out, year);
  out += '-';
  appendZeroPadded(out, month, 2);
  out += '-';
  appendZeroPadded(out, day, 2);
  return out;
}

}  // namespace

bool isKeptYear(int64_t year) { return year >= kFirstKeptYear && year <= kLastKeptYear; }

bool isKeptDate(Date date, const DateCalendar& calendar) {
  return isKeptYear(DateCalendar::gregorianUTC().component(CalendarUnit::year, date)) &&
         isKeptYear(calendar.component(CalendarUnit::year, date));
}

std::string outsideKeptYearsMessage(int64_t year, int64_t month, int64_t day) {
  // For a person: no plus sign before a year of five digits.
  std::string date = isoDay(year, month, day);
  if (date.front() == '+') date.erase(0, 1);
  return "the date " + date + " is outside the dates zarvo can keep (years " +
         std::to_string(kFirstKeptYear) + " to " + std::to_string(kLastKeptYear) + ")";
}

std::string outsideKeptYearsMessage(Date date, const DateCalendar& calendar) {
  // The day the user named is the local one; when only UTC falls outside, that day is named.
  DateComponents c = calendar.components(date);
  if (isKeptYear(*c.year)) c = DateCalendar::gregorianUTC().components(date);
  return outsideKeptYearsMessage(*c.year, *c.month, *c.day);
}

std::string isoDayString(Date date, const DateCalendar& calendar) {
  const CivilDay civil = civilDay(localTime(zoneState(calendar.timeZone()), date).days);
  return isoDay(civil.year, civil.month, civil.day);
}

std::string isoString(Date date, const DateCalendar& calendar) {
  const LocalTime t = localTime(zoneState(calendar.timeZone()), date);
  const CivilDay civil = civilDay(t.days);
  // The printed offset keeps whole minutes of the offset's whole seconds (a local mean time such as
  // +05:21:10 prints +05:21), while the wall-clock fields include every second of it.
  const int64_t offset = t.offsetMillis / 1000;
  const int64_t absOffset = offset < 0 ? -offset : offset;
  // Written digit by digit: this runs once per date printed, and a formatted print cost as much as
  // working the date out.
  std::string out;
  out.reserve(29);
  if (civil.year >= 0 && civil.year <= 9999) {
    appendZeroPadded(out, civil.year, 4);
  } else {
    appendIsoYear(out, civil.year);
  }
  out += '-';
  appendZeroPadded(out, civil.month, 2);
  out += '-';
  appendZeroPadded(out, civil.day, 2);
  out += 'T';
  appendZeroPadded(out, t.millisInDay / 3'600'000, 2);
  out += ':';
  appendZeroPadded(out, t.millisInDay / 60'000 % 60, 2);
  out += ':';
  appendZeroPadded(out, t.millisInDay / 1000 % 60, 2);
  out += '.';
  appendZeroPadded(out, t.millisInDay % 1000, 3);
  out += offset < 0 ? '-' : '+';
  appendZeroPadded(out, absOffset / 3600, 2);
  out += ':';
  appendZeroPadded(out, absOffset % 3600 / 60, 2);
  return out;
}

}  // namespace zarvo::platform
