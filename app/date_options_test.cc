#include "app/date_options.h"

#include <gtest/gtest.h>

#include <ostream>

#include "app/command_error.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/testing/dates.h"

namespace zarvo::app {
namespace {

using testing::localDate;
using testing::ScopedTimeZone;

struct Reading {
  const char* text;
  bool valid;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

std::ostream& operator<<(std::ostream& out, const Reading& r) { return out << '"' << r.text << '"'; }

class ParseReferenceTest : public ::testing::TestWithParam<Reading> {};

TEST_P(ParseReferenceTest, ReadsWallClockTimeInTheProcessZone) {
  ScopedTimeZone zone("Europe/Berlin");
  const Reading& c = GetParam();
  const auto date = parseReference(c.text);
  ASSERT_EQ(date.has_value(), c.valid) << c.text;
  if (!c.valid) return;
  EXPECT_EQ(platform::isoString(*date),
            platform::isoString(localDate(c.year, c.month, c.day, c.hour, c.minute, c.second, c.millisecond)))
      << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseReferenceTest,
    ::testing::Values(Reading{"2024-03-11", true, 2024, 3, 11},
                      Reading{"2024-03-11T17:05", true, 2024, 3, 11, 17, 5},
                      Reading{"2024-03-11 17:05", true, 2024, 3, 11, 17, 5},
                      Reading{"2024-03-11T17:05:09", true, 2024, 3, 11, 17, 5, 9},
                      Reading{"2024-03-11T17:05:09.250", true, 2024, 3, 11, 17, 5, 9, 250},
                      Reading{"2024-02-29", true, 2024, 2, 29},  // a leap day
                      Reading{"2023-02-29", false},              // not in a common year
                      Reading{"2024-04-31", false},
                      Reading{"2024-13-01", false},
                      Reading{"2024-00-10", false},
                      Reading{"2024-03-00", false},
                      Reading{"2024-03-11T24:00", false},
                      Reading{"2024-03-11T17:60", false},
                      Reading{"2024-03-11T17", false},           // minutes are required with an hour
                      Reading{"2024-03-11T17:05:", false},
                      Reading{"2024-03-11T17:05:09.25", false},  // milliseconds take three digits
                      Reading{"2024-03-11Z", false},
                      Reading{"2024-03-11T17:05+01:00", false},  // the zone comes from --tz
                      Reading{"2024-3-11", false},
                      Reading{"24-03-11", false},
                      Reading{"", false}));

TEST(DateOptionsTest, ZoneIsSetBeforeTheReferenceIsRead) {
  ScopedTimeZone restore("UTC");
  const Date ref = applyDateOptions(DateOptions{"2024-03-11T17:00", "Asia/Tokyo"});
  EXPECT_EQ(platform::DateCalendar::processTimeZone(), "Asia/Tokyo");
  EXPECT_EQ(platform::isoString(ref), "2024-03-11T17:00:00.000+09:00");
}

TEST(DateOptionsTest, BadZoneOrReferenceIsAUsageError) {
  ScopedTimeZone restore("UTC");
  EXPECT_THROW(applyDateOptions(DateOptions{std::nullopt, "Mars/Olympus"}), UsageError);
  EXPECT_THROW(applyDateOptions(DateOptions{"2024-03-11T25:00", std::nullopt}), UsageError);
}

}  // namespace
}  // namespace zarvo::app
