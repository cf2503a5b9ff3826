#include <gtest/gtest.h>

#include "zarvo/testing/records_fixture.h"
#include "zarvo/testing/scoped_locale.h"

namespace zarvo::testing {
namespace {

using namespace std::chrono_literals;

using FiltersTest = RecordsTest;

TEST_F(FiltersTest, CompoundFilterDropsAbsentFiltersAndStopsAtFirstFalse) {
  auto t = task("t");
  EXPECT_TRUE(Task::CompoundFilter({std::nullopt, std::nullopt}).evaluate(*t));
  EXPECT_TRUE(Task::CompoundFilter().evaluate(*t));
  bool secondCalled = false;
  Task::CompoundFilter f({Task::Filter([](const Task&) { return false; }),
                          Task::Filter([&](const Task&) { return secondCalled = true; })});
  EXPECT_FALSE(f.evaluate(*t));
  EXPECT_FALSE(secondCalled);
  Task::CompoundFilter g({std::nullopt, Task::filterForSearch("t"), Task::filterForFlaggedTasks()});
  EXPECT_FALSE(g.evaluate(*t));
  t->setFlagged(true);
  EXPECT_TRUE(g.evaluate(*t));
}

TEST_F(FiltersTest, SearchIgnoresCaseAndAccentsAndFallsBackToNotes) {
  ScopedLocale french("fr_FR");  // restored even when an assertion below ends the test early
  EXPECT_FALSE(Task::filterForSearch(""));
  ASSERT_TRUE(Task::filterForSearch(" "));
  auto search = *Task::filterForSearch("creme brulee");
  auto title = task("Acheter la CRÈME BRÛLÉE");
  auto notes = task("Dessert");
  notes->setNotes("recette de crème brûlée");
  auto neither = task("Crêpes");
  auto noReminder = Task::create(nullptr, context_);
  EXPECT_TRUE(search(*title));
  EXPECT_TRUE(search(*notes));
  EXPECT_FALSE(search(*neither));
  EXPECT_FALSE(search(*noReminder));
  EXPECT_TRUE((*Task::filterForSearch(" "))(*title));
}

TEST_F(FiltersTest, TodayAndUpcomingAtTheEdgesOfTheDay) {
  auto lateToday = task("23:59 today", at(2024, 3, 11, 23, 59));
  auto midnight = task("exactly 24 h after midnight", at(2024, 3, 12, 0, 0));
  auto justBefore = task("a second before", at(2024, 3, 12, 0, 0) - 1s);
  auto overdue = task("last week", at(2024, 3, 4, 9, 0));
  auto none = task("no due date");
  auto today = Task::filterForTodayTasks();
  auto upcoming = Task::filterForUpcomingTasks();
  EXPECT_TRUE(today(*lateToday));
  EXPECT_FALSE(upcoming(*lateToday));
  EXPECT_FALSE(today(*midnight));
  EXPECT_TRUE(upcoming(*midnight));
  EXPECT_FALSE(upcoming(*justBefore));
  EXPECT_TRUE(today(*overdue));
  EXPECT_FALSE(upcoming(*overdue));
  EXPECT_FALSE(today(*none));
  EXPECT_FALSE(upcoming(*none));

  // The filters read the clock when called: a day later the same filter answers for the new day.
  clock_->advance(24h);
  EXPECT_TRUE(today(*midnight));
  EXPECT_FALSE(upcoming(*midnight));
}

TEST_F(FiltersTest, UpcomingAddsSecondsNotACalendarDay) {
  // 27 October 2024 in Berlin lasts 25 hours: start of day + 86,400 s is 23:00 that same day.
  clock_->set(at(2024, 10, 27, 9, 0));
  auto lateThatDay = task("23:30 on the long day", at(2024, 10, 27, 23, 30));
  auto before = task("22:30 on the long day", at(2024, 10, 27, 22, 30));
  EXPECT_TRUE(Task::filterForUpcomingTasks()(*lateThatDay));
  EXPECT_FALSE(Task::filterForUpcomingTasks()(*before));
  EXPECT_TRUE(Task::filterForTodayTasks()(*lateThatDay));
}

TEST_F(FiltersTest, PriorityFilters) {
  auto high = task("high");
  high->setPriority(3);
  auto low = task("low");
  low->setPriority(1);
  EXPECT_TRUE(Task::filterForTopTasks()(*high));
  EXPECT_FALSE(Task::filterForTopTasks()(*low));
  // The task's priority is the comparison's first argument.
  auto below2 = Task::filterForTasksBy(2, [](int a, int b) { return a < b; });
  EXPECT_TRUE(below2(*low));
  EXPECT_FALSE(below2(*high));
}

TEST_F(FiltersTest, SortersOnEqualKeys) {
  auto a = task("a", at(2024, 3, 11, 20, 0));
  auto b = task("b", at(2024, 3, 11, 21, 0));  // both later today, neither past due
  EXPECT_TRUE(Task::sorterForPriority(true)(*a, *b));
  EXPECT_TRUE(Task::sorterForPriority(true)(*b, *a));
  EXPECT_FALSE(Task::sorterForPriority(false)(*a, *b));
  EXPECT_FALSE(Task::sorterForPriority(false)(*b, *a));
  EXPECT_TRUE(Task::sorterForOverdueOnTop()(*a, *b));
  EXPECT_TRUE(Task::sorterForOverdueOnTop()(*b, *a));
  auto overdue = task("overdue", at(2024, 3, 11, 9, 0));
  EXPECT_FALSE(Task::sorterForOverdueOnTop()(*a, *overdue));
  EXPECT_TRUE(Task::sorterForOverdueOnTop()(*overdue, *a));
}

TEST_F(FiltersTest, MissingDatesSortAsTheMomentTheSorterWasMade) {
  auto earlier = task("earlier", clock_->now() - 1h);
  auto undated = task("undated");
  auto later = task("later", clock_->now() + 1h);
  auto ascending = Task::sorterForDueDate(true);
  auto descending = Task::sorterForDueDate(false);
  clock_->advance(48h);  // the sorters keep the moment they were made
  EXPECT_TRUE(ascending(*earlier, *undated));
  EXPECT_TRUE(ascending(*undated, *later));
  EXPECT_FALSE(ascending(*later, *undated));
  EXPECT_TRUE(descending(*later, *undated));
  EXPECT_FALSE(descending(*undated, *undated));
  EXPECT_TRUE(ascending(*undated, *undated));

  auto byCreation = Task::sorterForCreationDate(true);
  auto neverSaved = Task::create(nullptr, context_);  // no creation date: sorts at "now"
  EXPECT_TRUE(byCreation(*earlier, *neverSaved));
  EXPECT_FALSE(byCreation(*neverSaved, *earlier));
}

TEST_F(FiltersTest, TitleOrderIsCanonicalCodePointOrder) {
  auto composed = task("Caf\u00e9");
  auto decomposed = task("Cafe\u0301");
  auto upper = task("Zebra");
  auto lower = task("apple");
  auto untitled = Task::create(nullptr, context_);
  auto byTitle = Task::sorterForTitle();
  EXPECT_TRUE(byTitle(*composed, *decomposed));
  EXPECT_TRUE(byTitle(*decomposed, *composed));
  EXPECT_TRUE(byTitle(*upper, *lower));
  EXPECT_FALSE(byTitle(*lower, *upper));
  EXPECT_TRUE(byTitle(*untitled, *lower));
}

TEST_F(FiltersTest, SortedAcceptsTheNonStrictSorters) {
  std::vector<std::shared_ptr<Task>> tasks;
  for (int i = 0; i < 60; ++i) {
    std::string title = "t";  // (not "t" + ...: GCC 12 warns falsely about that concatenation)
    title += std::to_string(i);
    auto t = task(title, at(2024, 3, 11, 20, 0));
    t->setPriority(i % 3 == 0 ? 3 : 1);
    tasks.push_back(t);
  }
  auto byPriority = sorted(tasks, Task::sorterForPriority(false));
  for (size_t i = 1; i < byPriority.size(); ++i) EXPECT_GE(byPriority[i - 1]->priority(), byPriority[i]->priority());
  // Equal keys keep their order, whichever way the sorter answers for them.
  auto overdue = sorted(tasks, Task::sorterForOverdueOnTop());
  EXPECT_EQ(overdue, tasks);
  auto ascending = sorted(tasks, Task::sorterForPriority(true));
  EXPECT_EQ(ascending.front(), tasks[1]);
  EXPECT_EQ(ascending.back(), tasks[57]);
}

}  // namespace
}  // namespace zarvo::testing
