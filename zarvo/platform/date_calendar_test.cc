#include "zarvo/platform/date_calendar.h"

#include <gtest/gtest.h>
#include <unicode/basictz.h>
#include <unicode/gregocal.h>
#include <unicode/tztrans.h>

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "zarvo/testing/dates.h"

namespace zarvo::platform {
namespace {

using zarvo::testing::ScopedTimeZone;

Date at(const char* zone, int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return DateCalendar::inZone(zone)->date({.year = y, .month = mo, .day = d, .hour = h, .minute = mi, .second = s});
}

TEST(DateCalendarTest, UnknownZoneIsRefused) {
  EXPECT_FALSE(DateCalendar::setProcessTimeZone("Mars/Olympus"));
  EXPECT_FALSE(DateCalendar::inZone("nowhere"));
  EXPECT_TRUE(DateCalendar::isKnownTimeZone("Europe/Berlin"));
}

TEST(DateCalendarTest, CurrentFollowsProcessZoneSetLater) {
  DateCalendar cal = DateCalendar::current();
  const Date instant = at("UTC", 2024, 3, 10, 23, 30);
  {
    ScopedTimeZone g("Asia/Tokyo");
    EXPECT_EQ(cal.component(CalendarUnit::day, instant), 11);
    EXPECT_EQ(cal.component(CalendarUnit::hour, instant), 8);
  }
  {
    ScopedTimeZone g("America/New_York");
    EXPECT_EQ(cal.component(CalendarUnit::day, instant), 10);
  }
}

TEST(DateCalendarTest, LenientComponentsCarryOver) {
  ScopedTimeZone g("Europe/Berlin");
  auto cal = DateCalendar::current();
  auto c = cal.components(cal.date({.year = 2023, .month = 2, .day = 30, .hour = 12}));
  EXPECT_EQ(*c.month, 3);
  EXPECT_EQ(*c.day, 2);
  c = cal.components(cal.date({.year = 2024, .month = 3, .day = 12, .hour = 24}));
  EXPECT_EQ(*c.day, 13);
  EXPECT_EQ(*c.hour, 0);
  c = cal.components(cal.date({.year = 2024, .month = 13, .day = 1}));
  EXPECT_EQ(*c.year, 2025);
  EXPECT_EQ(*c.month, 1);
}

// A Date counts microseconds: finer nanoseconds are dropped (rounding down), microseconds survive.
TEST(DateCalendarTest, MicrosecondsSurviveComponentsAndArithmetic) {
  auto cal = DateCalendar::gregorianUTC();
  Date d = cal.date({.year = 2024, .month = 1, .day = 1, .nanosecond = 5'123'456});
  EXPECT_EQ(*cal.components(d).nanosecond, 5'123'000);
  EXPECT_EQ(*cal.components(cal.adding(CalendarUnit::day, 1, d)).nanosecond, 5'123'000);
  EXPECT_EQ(*cal.components(cal.adding(CalendarUnit::nanosecond, 2'000, d)).nanosecond, 5'125'000);
}

TEST(DateCalendarTest, DayArithmeticKeepsWallClockAcrossDst) {
  ScopedTimeZone g("Europe/Berlin");
  auto cal = DateCalendar::current();
  // 2024-03-31 is the spring-forward day in Berlin (23 hours long).
  Date before = cal.date({.year = 2024, .month = 3, .day = 30, .hour = 12});
  Date after = cal.adding(CalendarUnit::day, 1, before);
  EXPECT_EQ(cal.component(CalendarUnit::hour, after), 12);
  EXPECT_EQ(after - before, std::chrono::hours(23));
  EXPECT_EQ(cal.utcOffsetSeconds(before), 3600);
  EXPECT_EQ(cal.utcOffsetSeconds(after), 7200);
  EXPECT_EQ(cal.adding(CalendarUnit::minute, 90, before) - before, std::chrono::minutes(90));
}

TEST(DateCalendarTest, StartOfDayAndToday) {
  ScopedTimeZone g("America/Sao_Paulo");
  auto cal = DateCalendar::current();
  Date noon = cal.date({.year = 2024, .month = 6, .day = 15, .hour = 12});
  Date start = cal.startOfDay(noon);
  EXPECT_EQ(cal.component(CalendarUnit::hour, start), 0);
  EXPECT_EQ(noon - start, std::chrono::hours(12));
  EXPECT_TRUE(cal.isDateInToday(start, noon));
  EXPECT_FALSE(cal.isDateInToday(start - std::chrono::seconds(1), noon));
  EXPECT_TRUE(cal.isDateInYesterday(start - std::chrono::seconds(1), noon));
  EXPECT_TRUE(cal.isDateInTomorrow(start + std::chrono::hours(24), noon));
  EXPECT_EQ(cal.daysBetween(noon, cal.date({.year = 2024, .month = 7, .day = 1})), 16);
}

TEST(DateCalendarTest, WeekdayAndMonthLength) {
  auto cal = DateCalendar::gregorianUTC();
  EXPECT_EQ(cal.weekday(at("UTC", 2024, 3, 10)), 1);  // a Sunday
  EXPECT_EQ(cal.daysInMonth(at("UTC", 2024, 2, 10)), 29);
  EXPECT_EQ(cal.daysInMonth(at("UTC", 2023, 2, 10)), 28);
}

TEST(DateCalendarTest, IsoStringHasMillisecondsAndOffset) {
  auto berlin = *DateCalendar::inZone("Europe/Berlin");
  Date d = berlin.date({.year = 2024, .month = 3, .day = 11, .hour = 17, .nanosecond = 7'000'000});
  EXPECT_EQ(isoString(d, berlin), "2024-03-11T17:00:00.007+01:00");
  auto kolkata = *DateCalendar::inZone("Asia/Kolkata");
  EXPECT_EQ(isoString(d, kolkata), "2024-03-11T21:30:00.007+05:30");
  auto ny = *DateCalendar::inZone("America/New_York");
  EXPECT_EQ(isoString(d, ny), "2024-03-11T12:00:00.007-04:00");
  // Every field at both ends of its width, and an offset with minutes west of UTC.
  auto stJohns = *DateCalendar::inZone("America/St_Johns");
  const Date early = stJohns.date({.year = 2024, .month = 1, .day = 2, .hour = 3, .minute = 4, .second = 5,
                                   .nanosecond = 987'654'321});
  EXPECT_EQ(isoString(early, stJohns), "2024-01-02T03:04:05.987-03:30");
  const Date late = berlin.date({.year = 2024, .month = 12, .day = 31, .hour = 23, .minute = 59, .second = 59});
  EXPECT_EQ(isoString(late, berlin), "2024-12-31T23:59:59.000+01:00");
  // Years beyond four digits take a sign, as ISO 8601's expanded years do.
  const auto utc = DateCalendar::gregorianUTC();
  EXPECT_EQ(isoString(Date::min(), utc), "-290308-12-21T19:59:05.224+00:00");
  EXPECT_EQ(isoString(Date::max(), utc), "+294247-01-10T04:00:54.775+00:00");
  EXPECT_EQ(isoString(utc.date({.year = 1, .month = 1, .day = 1}), utc), "0001-01-01T00:00:00.000+00:00");
  EXPECT_EQ(isoString(utc.date({.year = 0, .month = 12, .day = 31}), utc), "0000-12-31T00:00:00.000+00:00");
  EXPECT_EQ(isoString(utc.date({.year = -43, .month = 3, .day = 15}), utc), "-0043-03-15T00:00:00.000+00:00");
  EXPECT_EQ(isoString(utc.date({.year = 10000, .month = 1, .day = 1}), utc), "+10000-01-01T00:00:00.000+00:00");
  EXPECT_EQ(isoDayString(utc.date({.year = -43, .month = 3, .day = 15}), utc), "-0043-03-15");
  EXPECT_EQ(isoDayString(utc.date({.year = 2024, .month = 3, .day = 11, .hour = 23}), *DateCalendar::inZone("Asia/Tokyo")),
            "2024-03-12");
}

// Far dates are counted as iCalendar counts them: proleptic Gregorian, no Julian days before 1582,
// years astronomical. Weekdays and leap days checked against known dates.
TEST(DateCalendarTest, FarDatesAreProlepticGregorian) {
  const auto utc = DateCalendar::gregorianUTC();
  struct Row {
    DateComponents day;
    int weekday;  // 1 = Sunday
    int daysInMonth;
    int64_t daysSince1970;
  };
  const Row rows[] = {
      {{.year = 1, .month = 1, .day = 1}, 2, 31, -719'162},
      {{.year = 1582, .month = 10, .day = 4}, 2, 31, -141'438},  // Julian calendars would say Thursday
      {{.year = 1600, .month = 2, .day = 1}, 3, 29, -135'109},
      {{.year = 1700, .month = 2, .day = 1}, 2, 28, -98'584},
      {{.year = 2263, .month = 1, .day = 1}, 5, 31, 107'016},
      {{.year = 2326, .month = 3, .day = 5}, 6, 31, 130'089},
      {{.year = 9999, .month = 12, .day = 31}, 6, 31, 2'932'896},
      {{.year = 0, .month = 2, .day = 1}, 3, 29, -719'497},
      {{.year = -43, .month = 3, .day = 15}, 6, 31, -735'160},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(*row.day.year);
    const Date d = utc.date(row.day);
    EXPECT_EQ(std::chrono::floor<std::chrono::days>(d).time_since_epoch().count(), row.daysSince1970);
    EXPECT_EQ(utc.weekday(d), row.weekday);
    EXPECT_EQ(utc.daysInMonth(d), row.daysInMonth);
    const DateComponents back = utc.components(d);
    EXPECT_EQ(back.year, row.day.year);
    EXPECT_EQ(back.month, row.day.month);
    EXPECT_EQ(back.day, row.day.day);
    EXPECT_EQ(utc.startOfDay(utc.adding(CalendarUnit::hour, 13, d)), d);
    EXPECT_EQ(utc.components(utc.adding(CalendarUnit::month, 1, d)).day, row.day.day);
  }
}

// What a task can keep: years 1 to 9999 both in UTC and in the zone; the message names the local day.
TEST(DateCalendarTest, KeptYearsAndTheirRefusal) {
  const auto tokyo = *DateCalendar::inZone("Asia/Tokyo");
  const auto utc = DateCalendar::gregorianUTC();
  struct Row {
    Date date;
    bool kept;
    const char* message;
  };
  const Row rows[] = {
      {utc.date({.year = 1, .month = 1, .day = 1, .hour = 12}), true, nullptr},
      {utc.date({.year = 9999, .month = 12, .day = 31, .hour = 12}), true, nullptr},
      {utc.date({.year = 2263, .month = 1, .day = 1}), true, nullptr},
      {utc.date({.year = 10000, .month = 1, .day = 1, .hour = 12}), false,
       "the date 10000-01-01 is outside the dates zarvo can keep (years 1 to 9999)"},
      {utc.date({.year = 0, .month = 1, .day = 1, .hour = 12}), false,
       "the date 0000-01-01 is outside the dates zarvo can keep (years 1 to 9999)"},
      // Tokyo is already in year 10000 while UTC is not.
      {utc.date({.year = 9999, .month = 12, .day = 31, .hour = 20}), false,
       "the date 10000-01-01 is outside the dates zarvo can keep (years 1 to 9999)"},
      // UTC is still in year 0 while Tokyo is not: the UTC day is named.
      {utc.date({.year = 0, .month = 12, .day = 31, .hour = 20}), false,
       "the date 0000-12-31 is outside the dates zarvo can keep (years 1 to 9999)"},
      {Date::max(), false, "the date 294247-01-10 is outside the dates zarvo can keep (years 1 to 9999)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(isoString(row.date, utc));
    EXPECT_EQ(isKeptDate(row.date, tokyo), row.kept);
    if (row.message) {
      EXPECT_EQ(outsideKeptYearsMessage(row.date, tokyo), row.message);
    }
  }
  EXPECT_EQ(outsideKeptYearsMessage(-43, 3, 15), "the date -0043-03-15 is outside the dates zarvo can keep (years 1 to 9999)");
}

// ---- Agreement with ICU's own calendar ------------------------------------------------------------
//
// Fields, offsets and instants are worked out by arithmetic on the zone's offsets; ICU's Gregorian
// calendar, asked directly, is the reference. The zones have local mean times whose offsets have
// seconds (Kolkata, Lord Howe before standard time), half- and quarter-hour offsets, a half-hour DST
// (Lord Howe), a day skipped (Apia, end of 2011), double summer time (London in the 1940s), and
// transitions at midnight (Sao Paulo).

const char* const kZones[] = {"UTC",           "Europe/Berlin",    "America/St_Johns", "Asia/Kolkata",
                              "Australia/Lord_Howe", "Asia/Kathmandu", "Pacific/Apia",  "America/Sao_Paulo",
                              "Europe/London", "America/New_York", "Pacific/Kiritimati", "America/Adak"};

std::unique_ptr<icu::Calendar> icuCalendar(const char* zone) {
  UErrorCode status = U_ZERO_ERROR;
  auto cal = std::make_unique<icu::GregorianCalendar>(
      icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(zone)), status);
  EXPECT_TRUE(U_SUCCESS(status));
  cal->setLenient(true);
  cal->setGregorianChange(-std::numeric_limits<double>::max(), status);
  return cal;
}

int64_t millisOf(Date d) {
  const int64_t us = d.time_since_epoch().count();
  return us / 1000 - (us % 1000 < 0 ? 1 : 0);
}

// ISO 8601 as the reference writes it: a sign and more digits outside years 0000 to 9999.
std::string isoYear(int64_t year) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%04lld", static_cast<long long>(year < 0 ? -year : year));
  std::string out(year < 0 ? "-" : year > 9999 ? "+" : "");
  out += digits;
  return out;
}

// Instants to compare at: every transition of the zone between 1850 and 2100 and an hour and a
// minute around each, plus seeded random instants from about 10,000 BC to AD 20,000.
std::vector<Date> instantsFor(const icu::Calendar& cal) {
  std::vector<Date> out;
  const auto* zone = dynamic_cast<const icu::BasicTimeZone*>(&cal.getTimeZone());
  icu::TimeZoneTransition transition;
  UDate t = -3'786'825'600'000.0;  // 1850
  while (zone != nullptr && zone->getNextTransition(t, false, transition) && transition.getTime() < 4'102'444'800'000.0) {
    t = transition.getTime();
    for (const int64_t delta : {-3'600'000LL, -60'000LL, -1LL, 0LL, 60'000LL, 3'600'000LL}) {
      out.push_back(Date(std::chrono::milliseconds(static_cast<int64_t>(t) + delta)));
    }
  }
  std::mt19937_64 random(20241206);
  std::uniform_int_distribution<int64_t> micros(-378'000'000'000'000'000, 569'000'000'000'000'000);
  for (int i = 0; i < 500; ++i) out.push_back(Date(Date::duration(micros(random))));
  out.push_back(Date{});
  out.push_back(Date{} - std::chrono::microseconds(1));
  // Far instants whose local milliseconds ICU's double still holds exactly (below 2^53).
  out.push_back(Date(Date::duration(-9'000'000'000'000'000'000)));
  out.push_back(Date(Date::duration(9'000'000'000'000'000'999)));
  return out;
}

TEST(DateCalendarTest, FieldsAndOffsetsAgreeWithIcu) {
  for (const char* name : kZones) {
    const DateCalendar calendar = *DateCalendar::inZone(name);
    auto cal = icuCalendar(name);
    int compared = 0;
    for (const Date d : instantsFor(*cal)) {
      UErrorCode status = U_ZERO_ERROR;
      cal->setTime(static_cast<UDate>(millisOf(d)), status);
      const int64_t subMillis = d.time_since_epoch().count() - millisOf(d) * 1000;
      const DateComponents c = calendar.components(d);
      const int64_t offset = (cal->get(UCAL_ZONE_OFFSET, status) + cal->get(UCAL_DST_OFFSET, status)) / 1000;
      const DateComponents expected{.timeZone = name,
                                    .year = cal->get(UCAL_EXTENDED_YEAR, status),
                                    .month = cal->get(UCAL_MONTH, status) + 1,
                                    .day = cal->get(UCAL_DATE, status),
                                    .hour = cal->get(UCAL_HOUR_OF_DAY, status),
                                    .minute = cal->get(UCAL_MINUTE, status),
                                    .second = cal->get(UCAL_SECOND, status),
                                    .nanosecond = (cal->get(UCAL_MILLISECOND, status) * 1000LL + subMillis) * 1000,
                                    .weekday = cal->get(UCAL_DAY_OF_WEEK, status)};
      ASSERT_TRUE(U_SUCCESS(status));
      const auto at = [&] { return std::string(name) + " at " + std::to_string(d.time_since_epoch().count()); };
      ASSERT_EQ(c, expected) << at();
      EXPECT_EQ(calendar.component(CalendarUnit::year, d), *expected.year) << at();
      EXPECT_EQ(calendar.component(CalendarUnit::weekday, d), *expected.weekday) << at();
      EXPECT_EQ(calendar.component(CalendarUnit::nanosecond, d), *expected.nanosecond) << at();
      EXPECT_EQ(calendar.utcOffsetSeconds(d), offset) << at();
      char iso[64];
      std::snprintf(iso, sizeof iso, "%s-%02lld-%02lldT%02lld:%02lld:%02lld.%03lld%c%02lld:%02lld",
                    isoYear(*c.year).c_str(), static_cast<long long>(*c.month),
                    static_cast<long long>(*c.day), static_cast<long long>(*c.hour),
                    static_cast<long long>(*c.minute), static_cast<long long>(*c.second),
                    static_cast<long long>(*c.nanosecond / 1'000'000), offset < 0 ? '-' : '+',
                    static_cast<long long>(std::abs(offset) / 3600), static_cast<long long>(std::abs(offset) % 3600 / 60));
      EXPECT_EQ(isoString(d, calendar), iso) << at();
      ++compared;
    }
    EXPECT_GT(compared, 500) << name;
  }
}

// Wall-clock fields to instants: every field set of the hours around each transition (skipped and
// repeated wall-clock times included), random ordinary ones, and lenient ones (31 April, hour 24,
// minute -1) that carry over.
TEST(DateCalendarTest, InstantsFromFieldsAgreeWithIcu) {
  std::mt19937_64 random(7);
  for (const char* name : kZones) {
    const DateCalendar calendar = *DateCalendar::inZone(name);
    auto cal = icuCalendar(name);
    std::vector<DateComponents> cases;
    for (const Date d : instantsFor(*cal)) {
      DateComponents c = calendar.components(d);
      c.timeZone.reset();
      c.era.reset();
      c.weekday.reset();
      for (int minutes : {-90, -30, 0, 30, 90}) {
        DateComponents moved = c;
        moved.minute = (*c.minute + minutes % 60 + 60) % 60;
        moved.hour = ((*c.hour + minutes / 60) % 24 + 24) % 24;
        cases.push_back(moved);
      }
    }
    for (int i = 0; i < 300; ++i) {
      cases.push_back({.year = std::uniform_int_distribution<int64_t>(1, 9999)(random),
                       .month = std::uniform_int_distribution<int64_t>(1, 12)(random),
                       .day = std::uniform_int_distribution<int64_t>(1, 31)(random),
                       .hour = std::uniform_int_distribution<int64_t>(0, 23)(random),
                       .minute = std::uniform_int_distribution<int64_t>(0, 59)(random),
                       .second = std::uniform_int_distribution<int64_t>(0, 59)(random),
                       .nanosecond = std::uniform_int_distribution<int64_t>(0, 999'999'999)(random)});
    }
    cases.push_back({.year = 2024, .month = 4, .day = 31});
    cases.push_back({.year = 2024, .month = 2, .day = 29, .hour = 24});
    cases.push_back({.year = 2024, .month = 3, .day = 1, .minute = -1});
    cases.push_back({.year = 2024, .month = 13, .day = 1});
    cases.push_back({.year = 2024, .month = 1});
    for (const DateComponents& c : cases) {
      cal->clear();
      if (c.year) cal->set(UCAL_EXTENDED_YEAR, static_cast<int32_t>(*c.year));
      if (c.month) cal->set(UCAL_MONTH, static_cast<int32_t>(*c.month - 1));
      if (c.day) cal->set(UCAL_DATE, static_cast<int32_t>(*c.day));
      if (c.hour) cal->set(UCAL_HOUR_OF_DAY, static_cast<int32_t>(*c.hour));
      if (c.minute) cal->set(UCAL_MINUTE, static_cast<int32_t>(*c.minute));
      if (c.second) cal->set(UCAL_SECOND, static_cast<int32_t>(*c.second));
      if (c.nanosecond) cal->set(UCAL_MILLISECOND, static_cast<int32_t>(*c.nanosecond / 1'000'000));
      UErrorCode status = U_ZERO_ERROR;
      const auto millis = static_cast<int64_t>(cal->getTime(status));
      ASSERT_TRUE(U_SUCCESS(status));
      const int64_t expected = millis * 1000 + c.nanosecond.value_or(0) % 1'000'000 / 1000;
      EXPECT_EQ(calendar.date(c).time_since_epoch().count(), expected)
          << name << ' ' << c.year.value_or(-1) << '-' << c.month.value_or(-1) << '-' << c.day.value_or(-1) << ' '
          << c.hour.value_or(-1) << ':' << c.minute.value_or(-1);
    }
  }
}

// A Date counts microseconds in 64 bits: -290308-12-21T19:59:05.224192Z to +294247-01-10T04:00:54.775807Z.
// Fields and moves beyond that come out as its ends; the last whole seconds inside stay exact, and
// so do far dates a task can hold (year 4048 and 1414 came from date phrases the fuzzer found).
TEST(DateCalendarTest, InstantsBeyondADateSaturate) {
  using std::chrono::seconds;
  const auto utc = DateCalendar::gregorianUTC();
  struct FieldsRow {
    DateComponents fields;
    Date expected;
  };
  const FieldsRow fieldRows[] = {
      {{.year = 4048, .month = 4, .day = 1}, Date(seconds(65'583'216'000))},
      {{.year = 1414, .month = 1, .day = 1}, Date(seconds(-17'545'680'000))},
      {{.year = 300'000, .month = 1, .day = 1}, Date::max()},
      {{.year = -300'000, .month = 1, .day = 1}, Date::min()},
      {{.year = 294'247, .month = 1, .day = 10, .hour = 4, .minute = 0, .second = 55}, Date::max()},
      {{.year = 294'247, .month = 1, .day = 10, .hour = 4, .minute = 0, .second = 54}, Date(seconds(9'223'372'036'854))},
      {{.year = -290'308, .month = 12, .day = 21, .hour = 19, .minute = 59, .second = 5}, Date::min()},
      {{.year = -290'308, .month = 12, .day = 21, .hour = 19, .minute = 59, .second = 6},
       Date(seconds(-9'223'372'036'854))},
  };
  for (const FieldsRow& row : fieldRows) {
    SCOPED_TRACE(*row.fields.year);
    EXPECT_EQ(utc.date(row.fields), row.expected);
  }

  const Date ref = utc.date({.year = 2024, .month = 3, .day = 11, .hour = 10});
  struct MoveRow {
    CalendarUnit unit;
    int64_t value;
    Date from;
    Date expected;
  };
  const MoveRow moveRows[] = {
      {CalendarUnit::hour, 9'999'999'999, ref, Date::max()},
      {CalendarUnit::hour, -9'999'999'999, ref, Date::min()},
      {CalendarUnit::second, std::numeric_limits<int64_t>::min(), ref, Date::min()},
      {CalendarUnit::minute, 1, Date::max(), Date::max()},
      {CalendarUnit::nanosecond, -1'000, Date::min(), Date::min()},
      {CalendarUnit::nanosecond, 1'000, Date::max() - std::chrono::microseconds(1), Date::max()},
      {CalendarUnit::day, 1, Date::max(), Date::max()},
      {CalendarUnit::year, 1'000'000, ref, Date::max()},
      {CalendarUnit::year, 300, ref, utc.date({.year = 2324, .month = 3, .day = 11, .hour = 10})},
      {CalendarUnit::year, 7975, ref, utc.date({.year = 9999, .month = 3, .day = 11, .hour = 10})},
      {CalendarUnit::year, -2023, ref, utc.date({.year = 1, .month = 3, .day = 11, .hour = 10})},
      {CalendarUnit::year, -1'000'000, ref, Date::min()},
      {CalendarUnit::year, 400'000, ref, Date::max()},
      {CalendarUnit::month, 999'999'999'999, ref, Date::max()},
      {CalendarUnit::weekOfYear, std::numeric_limits<int64_t>::max(), ref, Date::max()},
      {CalendarUnit::day, -9'999'999'999, ref, Date::min()},
  };
  for (const MoveRow& row : moveRows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(utc.adding(row.unit, row.value, row.from), row.expected);
  }
}

}  // namespace
}  // namespace zarvo::platform
