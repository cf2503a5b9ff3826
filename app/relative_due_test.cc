#include "app/relative_due.h"

#include <gtest/gtest.h>

#include <ostream>
#include <tuple>
#include <vector>

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

// One writer for a whole table: what it remembers of the last date written never leaks into the next
// task's, whatever order the tasks come in.
TEST(RelativeDueTest, OneWriterForManyTasksWritesEachAsAlone) {
  ScopedTimeZone zone("Europe/Berlin");
  const Date now = localDate(2024, 3, 11, 10, 0);
  const DateStyle style;
  const RelativeDue many(now, style);
  std::string appended = "|";
  for (const auto& [month, day, hour, withTime] : std::vector<std::tuple<int, int, int, bool>>{
           {4, 2, 8, true}, {4, 2, 9, false}, {5, 1, 8, true}, {4, 2, 17, true}, {3, 12, 8, true},
           {4, 2, 8, true}, {1, 5, 8, true}, {5, 1, 23, true}}) {
    const auto task = taskDue(localDate(2024, month, day, hour, 0), withTime);
    const std::string alone = relativeDue(*task, now, style);
    EXPECT_EQ(many(*task), alone) << month << "-" << day << " " << hour;
    many.appendTo(appended, *task);
    appended += alone + "|";
  }
  // appendTo adds to what is there; each task's text is followed by the same text made alone.
  std::vector<std::string> parts;
  for (size_t start = 1, bar; (bar = appended.find('|', start)) != std::string::npos; start = bar + 1) {
    parts.push_back(appended.substr(start, bar - start));
  }
  ASSERT_EQ(parts.size(), 8u) << appended;
  EXPECT_EQ(parts[0], "2024-04-02 08:002024-04-02 08:00");
  EXPECT_EQ(parts[1], "2024-04-022024-04-02");
  EXPECT_EQ(parts[2], "2024-05-01 08:002024-05-01 08:00");
  EXPECT_EQ(parts[3], "2024-04-02 17:002024-04-02 17:00");
  EXPECT_EQ(parts[4], "tomorrow 08:00tomorrow 08:00");
  EXPECT_EQ(parts[6], "66 days overdue66 days overdue");
}

TEST(RelativeDueTest, NoDueDateIsEmpty) {
  const auto task = Task::create(std::make_shared<reminders::Reminder>("uid"), nullptr);
  EXPECT_EQ(relativeDue(*task, localDate(2024, 3, 11)), "");
}

}  // namespace
}  // namespace zarvo::app
