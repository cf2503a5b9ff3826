#include "app/task_view.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <ostream>

#include "app/command_error.h"
#include "zarvo/reminders/records.h"
#include "zarvo/testing/dates.h"

namespace zarvo::app {
namespace {

using testing::localDate;
using testing::ScopedTimeZone;

// A task due at a wall-clock time; `withTime` false leaves the hour out (a date-only due).
std::shared_ptr<Task> taskDue(Date due, bool withTime = true) {
  auto task = Task::create(std::make_shared<reminders::Reminder>("uid"), nullptr);
  task->setDueDate(due);
  if (!withTime) {
    auto components = *task->reminder()->dueDateComponents();
    components.hour.reset();
    components.minute.reset();
    components.second.reset();
    task->reminder()->setDueDateComponents(components);
  }
  return task;
}

struct Due {
  const char* expected;
  int month, day, hour, minute;
  bool withTime = true;
};

std::ostream& operator<<(std::ostream& out, const Due& d) { return out << '"' << d.expected << '"'; }

class RelativeDueTest : public ::testing::TestWithParam<Due> {};

// "Now" is Monday 2024-03-11 10:00 in Berlin.
TEST_P(RelativeDueTest, CountsCalendarDaysNotHours) {
  ScopedTimeZone zone("Europe/Berlin");
  const Due& c = GetParam();
  const auto task = taskDue(localDate(2024, c.month, c.day, c.hour, c.minute), c.withTime);
  EXPECT_EQ(relativeDue(*task, localDate(2024, 3, 11, 10, 0)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RelativeDueTest,
    ::testing::Values(Due{"today 09:00", 3, 11, 9, 0},        // earlier today is still today
                      Due{"today 23:59", 3, 11, 23, 59},
                      Due{"tomorrow 00:05", 3, 12, 0, 5},     // less than a day away, but tomorrow
                      Due{"yesterday 17:00", 3, 10, 17, 0},
                      Due{"2 days overdue", 3, 9, 23, 0},
                      Due{"Wed 08:30", 3, 13, 8, 30},
                      Due{"Sun 12:00", 3, 17, 12, 0},
                      Due{"next Mon 12:00", 3, 18, 12, 0},    // the week after this one
                      Due{"next Sun 12:00", 3, 24, 12, 0},
                      Due{"2024-03-25 12:00", 3, 25, 12, 0},  // later: the date
                      Due{"2024-04-01 09:00", 4, 1, 9, 0},    // across the change to summer time
                      Due{"tomorrow", 3, 12, 0, 0, false},    // no time for a date-only due
                      Due{"Fri", 3, 15, 0, 0, false}));

// The first day of the week decides where "next" begins; the date format writes the rest.
TEST(RelativeDueTest, FollowsTheDateStyle) {
  ScopedTimeZone zone("Europe/Berlin");
  const Date saturday = localDate(2024, 3, 16, 10, 0);
  const DateStyle monday{"%d.%m.%Y", 2}, sunday{"%a %e %b", 1};
  EXPECT_EQ(relativeDue(*taskDue(localDate(2024, 3, 17, 9, 0), false), saturday, monday), "tomorrow");
  EXPECT_EQ(relativeDue(*taskDue(localDate(2024, 3, 18, 9, 0)), saturday, monday), "next Mon 09:00");
  EXPECT_EQ(relativeDue(*taskDue(localDate(2024, 3, 24, 9, 0)), saturday, monday), "next Sun 09:00");
  EXPECT_EQ(relativeDue(*taskDue(localDate(2024, 3, 25, 9, 0)), saturday, monday), "25.03.2024 09:00");
  EXPECT_EQ(relativeDue(*taskDue(localDate(2024, 3, 18, 9, 0)), saturday, sunday), "next Mon 09:00");
  EXPECT_EQ(relativeDue(*taskDue(localDate(2024, 3, 23, 9, 0)), saturday, sunday), "next Sat 09:00");
  EXPECT_EQ(relativeDue(*taskDue(localDate(2024, 3, 24, 9, 0)), saturday, sunday), "Sun 24 Mar 09:00");
}

TEST(RelativeDueTest, ACompletedTaskIsNeverOverdue) {
  ScopedTimeZone zone("Europe/Berlin");
  const auto task = taskDue(localDate(2024, 3, 8, 9, 0));
  EXPECT_EQ(relativeDue(*task, localDate(2024, 3, 11, 10, 0)), "3 days overdue");
  task->setIsCompleted(true);
  EXPECT_EQ(relativeDue(*task, localDate(2024, 3, 11, 10, 0)), "2024-03-08 09:00");
  EXPECT_EQ(relativeDue(*task, localDate(2024, 3, 9, 10, 0)), "yesterday 09:00");
}

TEST(TaskViewTest, ControlCharactersAreShownEscaped) {
  EXPECT_EQ(shownText("Buy\nmilk\tnow\r"), "Buy\\nmilk\\tnow\\r");
  EXPECT_EQ(shownText("\x1b[31mred\x7f"), "\\x1B[31mred\\x7F");
  EXPECT_EQ(shownText("next\xC2\x85line\u2028sep"), "next\\u0085line\\u2028sep");
  EXPECT_EQ(shownText("Café 明日 👍 ✓"), "Café 明日 👍 ✓");
  // Each kind alone in a title, so none hides behind another.
  EXPECT_EQ(shownText("a\u2029b"), "a\\u2029b");
  EXPECT_EQ(shownText("a\xC2\x9B" "b"), "a\\u009Bb");
  EXPECT_EQ(shownText("a\x7F"), "a\\x7F");
}

TEST(RelativeDueTest, NoDueDateIsEmpty) {
  const auto task = Task::create(std::make_shared<reminders::Reminder>("uid"), nullptr);
  EXPECT_EQ(relativeDue(*task, localDate(2024, 3, 11)), "");
}

TEST(TaskViewTest, DisplayWidthCountsTerminalColumns) {
  EXPECT_EQ(displayWidth("Call mom"), 8u);
  EXPECT_EQ(displayWidth("caf\xC3\xA9"), 4u);          // é precomposed
  EXPECT_EQ(displayWidth("cafe\xCC\x81"), 4u);         // e + combining acute
  EXPECT_EQ(displayWidth("\xE6\x97\xA5\xE6\x9C\xAC"), 4u);  // 日本: two wide characters
  EXPECT_EQ(displayWidth("\xEF\xBC\xA1"), 2u);         // fullwidth A
  EXPECT_EQ(displayWidth("a\xFF" "b"), 3u);            // an invalid byte still takes a column
}

TEST(TaskViewTest, WithoutColourMarksSurviveAPipe) {
  EXPECT_EQ(paint("late", platform::Colour::systemRed(), false), "late");
  EXPECT_EQ(highlight("tomorrow", false), "[tomorrow]");
  EXPECT_THROW(useColour("sometimes"), UsageError);
}

}  // namespace
// The table pads dates and times with platform::appendZeroPadded: it writes what fmt's "{:0N}"
// writes, for every width and sign of value.
TEST(TaskViewTest, ZeroPaddingAgreesWithFmt) {
  for (const int64_t value : {int64_t{0}, int64_t{7}, int64_t{10}, int64_t{99}, int64_t{100}, int64_t{2024},
                              int64_t{123456789}, INT64_MAX, int64_t{-3}, int64_t{-2024}, INT64_MIN}) {
    for (const int digits : {1, 2, 4}) {
      std::string out = "x", expected = "x";
      platform::appendZeroPadded(out, value, digits);
      fmt::format_to(std::back_inserter(expected), "{:0{}}", value, digits);
      EXPECT_EQ(out, expected) << value << " in " << digits;
    }
  }
}

}  // namespace zarvo::app
