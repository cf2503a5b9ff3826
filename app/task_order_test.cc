#include "app/task_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "zarvo/platform/clock.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/reminders/records.h"

namespace zarvo::app {
namespace {

// Tasks with many ties (few distinct due days, priorities and titles), due dates around now and
// missing ones, and titles that differ only in their Unicode form: the cases where an order that
// looks right on distinct keys goes wrong.
std::vector<std::shared_ptr<Task>> mixedTasks(unsigned seed, Date now) {
  static const std::vector<std::string> kTitles = {"Call mom", "call mom", "Café", "Cafe\u0301", "", "Zebra",
                                                   "\u00e9clair", "B", "\U0001F600 party"};
  std::mt19937 random(seed);
  std::vector<std::shared_ptr<Task>> tasks;
  for (int i = 0; i < 60; ++i) {
    auto task = Task::create(std::make_shared<reminders::Reminder>("uid-" + std::to_string(i)), nullptr);
    task->setTitle(kTitles[random() % kTitles.size()]);
    task->setPriority(static_cast<int>(random() % 4));
    if (random() % 4 != 0) {
      // Whole hours from two days ago to two days ahead: past, today and later, with repeats.
      const auto hours = static_cast<int>(random() % 97) - 48;
      task->setDueDate(now + std::chrono::hours(hours));
    }
    tasks.push_back(std::move(task));
  }
  return tasks;
}

struct Case {
  TaskOrder order;
  bool ascending;
  Task::Sorter (*sorter)(bool);
};

// The orders must place every task exactly where the library's sorters do: `ls` output stays the
// same whichever way it is sorted.
TEST(TaskOrderTest, SamePermutationAsTheLibrarySorters) {
  const Date now = platform::DateCalendar::current().date(platform::DateComponents{
      .year = 2024, .month = 3, .day = 10, .hour = 18, .minute = 45});
  const platform::ScopedClock clock(std::make_shared<platform::FixedClock>(now));
  const std::vector<Case> cases = {
      {TaskOrder::priority, true, Task::sorterForPriority},
      {TaskOrder::priority, false, Task::sorterForPriority},
      {TaskOrder::dueDate, true, Task::sorterForDueDate},
      {TaskOrder::dueDate, false, Task::sorterForDueDate},
      {TaskOrder::creationDate, true, Task::sorterForCreationDate},
      {TaskOrder::title, true, [](bool) { return Task::sorterForTitle(); }},
      {TaskOrder::overdueOnTop, true, [](bool) { return Task::sorterForOverdueOnTop(); }},
  };
  for (unsigned seed = 1; seed <= 20; ++seed) {
    const auto tasks = mixedTasks(seed, now);
    for (const Case& c : cases) {
      const auto expected = sorted(tasks, c.sorter(c.ascending));
      const auto actual = sortedTasks(tasks, c.order, c.ascending);
      ASSERT_EQ(actual, expected) << "seed " << seed << ", order " << static_cast<int>(c.order) << ", ascending "
                                  << c.ascending;
    }
    // Dated tasks first: the library's due order, then the undated tasks moved behind, each part in
    // its place.
    for (const bool ascending : {true, false}) {
      auto expected = sorted(tasks, Task::sorterForDueDate(ascending));
      std::stable_partition(expected.begin(), expected.end(), [](const auto& t) { return t->dueDate().has_value(); });
      ASSERT_EQ(sortedByDueDatedFirst(tasks, ascending), expected) << "seed " << seed << ", ascending " << ascending;
    }
  }
}

}  // namespace
}  // namespace zarvo::app
