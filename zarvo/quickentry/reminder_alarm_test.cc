#include "zarvo/quickentry/reminder_alarm.h"

#include <gtest/gtest.h>

#include "zarvo/testing/dates.h"

namespace zarvo {
namespace {

using Reminder = QuickTaskParser::TaskDescription::Reminder;
using std::chrono::seconds;
using testing::localDate;

TEST(QuickEntryAlarm, LengthsFollowTheDueMomentsStay) {
  const testing::ScopedTimeZone zone("Europe/Berlin");
  const Date now = localDate(2031, 3, 12, 14, 50);
  struct Row {
    const char* what;
    std::optional<int64_t> beforeDue;  // the phrase's length, in seconds
    std::optional<Date> moment;        // or its moment
    bool isDay;
    bool dueHasTime;
    std::optional<int64_t> offset;  // the alarm: seconds relative to the due
    std::optional<Date> at;         // or this moment
  };
  const Row rows[] = {
      {"before a due with a time", 3600, {}, false, true, -3600, {}},
      {"before an all-day due: from now", 3600, {}, false, false, {}, localDate(2031, 3, 12, 15, 50)},
      {"at a moment", {}, localDate(2031, 3, 13, 9, 30), false, true, {}, localDate(2031, 3, 13, 9, 30)},
      {"a day alone: at nine", {}, localDate(2031, 3, 14, 13, 0), true, false, {}, localDate(2031, 3, 14, 9, 0)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Reminder reminder;
    if (row.beforeDue) reminder.beforeDue = seconds(*row.beforeDue);
    reminder.at = row.moment;
    reminder.atIsDay = row.isDay;
    const auto alarm = quickEntryAlarm(reminder, row.dueHasTime, now);
    ASSERT_TRUE(alarm.hasValue());
    ASSERT_TRUE(alarm.value());
    EXPECT_EQ(alarm.value()->relativeOffset(), row.offset ? std::optional<seconds>(seconds(*row.offset)) : std::nullopt);
    EXPECT_EQ(alarm.value()->absoluteDate(), row.at);
  }
  // From now, past the last year a file can hold.
  Reminder tooLate;
  tooLate.beforeDue = seconds(int64_t(8000) * 366 * 86400);
  const auto refused = quickEntryAlarm(tooLate, false, now);
  EXPECT_FALSE(refused.hasValue());
  EXPECT_FALSE(refused.error().message().empty());
}

}  // namespace
}  // namespace zarvo
