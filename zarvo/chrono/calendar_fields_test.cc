#include "zarvo/chrono/calendar_fields.h"

#include <gtest/gtest.h>

#include "zarvo/chrono/test_util.h"

namespace zarvo::chrono {
namespace {

// The same instant read again after the process zone changed gives the new zone's fields, not the
// remembered ones.
TEST(CalendarFieldsTest, ReadingsFollowAChangeOfTheProcessZone) {
  const Date instant = testing::utcDate(2024, 3, 10, 23, 30);
  {
    testing::ScopedTimeZone zone("UTC");
    EXPECT_EQ(calendarFields(instant).day, 10);
    EXPECT_EQ(currentComponents(instant).hour, 23);
  }
  testing::ScopedTimeZone zone("Europe/Berlin");
  EXPECT_EQ(calendarFields(instant).day, 11);
  EXPECT_EQ(currentComponents(instant).hour, 0);
}

}  // namespace
}  // namespace zarvo::chrono
