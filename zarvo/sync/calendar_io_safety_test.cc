// Regression tests: a purge always ends, a refresh that mirrored nothing stays stale, records of
// deleted tasks go, and list titles match whatever their normalisation.
#include "zarvo/testing/calendar_io_fixture.h"

namespace zarvo::testing {
namespace {

TEST_F(CalendarIOTest, PurgeWithNothingLeftToPurgeSaysSo) {
  fetch();
  std::atomic<int> purged{0}, nothing{0};
  io_->purgeCompleted([&] { ++purged; }, [&] { ++nothing; });
  ASSERT_TRUE(eventually([&] { return nothing.load() == 1; }));
  EXPECT_EQ(purged.load(), 0);
}

TEST_F(CalendarIOTest, RefreshThatFoundNoContextLeavesTheCacheStale) {
  addReminder(defaultCalendar(), "Waiting");
  io_->setManagedContext(nullptr);
  io_->refresh(true);
  ASSERT_TRUE(eventually([&] { return logs_.sink().contains(platform::LogLevel::error, "no object context"); }));
  io_->setManagedContext(context_);
  // Stale: this fetch reads the store rather than answering with the empty cache.
  EXPECT_EQ(titles(fetch()), std::vector<std::string>{"Waiting"});
}

TEST_F(CalendarIOTest, RecordsOfTasksDeletedByAnotherProgramArePruned) {
  auto kept = addReminder(defaultCalendar(), "Kept");
  auto doomed = addReminder(defaultCalendar(), "Deleted elsewhere");
  ASSERT_EQ(fetch().size(), 2u);
  context_->save();
  store_->removeReminder(doomed, true);  // another user of the store
  EXPECT_EQ(io_->pruneOrphanedTasks(), 1u);
  context_->save();
  const auto left = context_->fetch<Task>(Task::fetchRequest());
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0]->reminderId(), kept->calendarItemExternalIdentifier());
}

TEST_F(CalendarIOTest, ListTitlesDifferingOnlyInNormalisationAreOneList) {
  addCalendar("Caf\u00e9");
  io_->loadLists();
  ASSERT_NE(io_->list("cafe\u0301"), nullptr);
  EXPECT_EQ(io_->list("cafe\u0301")->title(), "Caf\u00e9");
}

}  // namespace
}  // namespace zarvo::testing
