#include "zarvo/platform/date_calendar.h"

#include <gtest/gtest.h>

#include <limits>

namespace zarvo::platform {
namespace {

class ZoneGuard {
 public:
  explicit ZoneGuard(std::string_view zone) : previous_(DateCalendar::processTimeZone()) {
    EXPECT_TRUE(DateCalendar::setProcessTimeZone(zone));
  }
  ~ZoneGuard() { DateCalendar::setProcessTimeZone(previous_); }

 private:
  std::string previous_;
};

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
    ZoneGuard g("Asia/Tokyo");
    EXPECT_EQ(cal.component(CalendarUnit::day, instant), 11);
    EXPECT_EQ(cal.component(CalendarUnit::hour, instant), 8);
  }
  {
    ZoneGuard g("America/New_York");
    EXPECT_EQ(cal.component(CalendarUnit::day, instant), 10);
  }
}

TEST(DateCalendarTest, LenientComponentsCarryOver) {
  ZoneGuard g("Europe/Berlin");
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

TEST(DateCalendarTest, NanosecondsSurviveComponentsAndArithmetic) {
  auto cal = DateCalendar::gregorianUTC();
  Date d = cal.date({.year = 2024, .month = 1, .day = 1, .nanosecond = 5'123'456});
  EXPECT_EQ(*cal.components(d).nanosecond, 5'123'456);
  EXPECT_EQ(*cal.components(cal.adding(CalendarUnit::day, 1, d)).nanosecond, 5'123'456);
}

TEST(DateCalendarTest, DayArithmeticKeepsWallClockAcrossDst) {
  ZoneGuard g("Europe/Berlin");
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
  ZoneGuard g("America/Sao_Paulo");
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
  EXPECT_EQ(isoString(Date::min(), DateCalendar::gregorianUTC()), "1677-09-21T00:12:43.145+00:00");
}

// A Date counts nanoseconds in 64 bits: 1677-09-21T00:12:43.145Z to 2262-04-11T23:47:16.854Z. Fields
// and moves beyond that come out as its ends; the last whole seconds inside stay exact. (Year 4048 and
// 1414 come from date phrases the fuzzer found; they used to wrap around into an unrelated date.)
TEST(DateCalendarTest, InstantsBeyondADateSaturate) {
  using std::chrono::seconds;
  const auto utc = DateCalendar::gregorianUTC();
  struct FieldsRow {
    DateComponents fields;
    Date expected;
  };
  const FieldsRow fieldRows[] = {
      {{.year = 4048, .month = 4, .day = 1}, Date::max()},
      {{.year = 1414, .month = 1, .day = 1}, Date::min()},
      {{.year = 2262, .month = 4, .day = 11, .hour = 23, .minute = 47, .second = 17}, Date::max()},
      {{.year = 2262, .month = 4, .day = 11, .hour = 23, .minute = 47, .second = 16}, Date(seconds(9'223'372'036))},
      {{.year = 1677, .month = 9, .day = 21, .hour = 0, .minute = 12, .second = 43}, Date::min()},
      {{.year = 1677, .month = 9, .day = 21, .hour = 0, .minute = 12, .second = 44}, Date(seconds(-9'223'372'036))},
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
      {CalendarUnit::nanosecond, -1, Date::min(), Date::min()},
      {CalendarUnit::nanosecond, 1, Date::max() - std::chrono::nanoseconds(1), Date::max()},
      {CalendarUnit::day, 1, Date::max(), Date::max()},
      {CalendarUnit::year, 1000, ref, Date::max()},
      {CalendarUnit::year, 200, ref, utc.date({.year = 2224, .month = 3, .day = 11, .hour = 10})},
      {CalendarUnit::year, -1000, ref, Date::min()},
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
