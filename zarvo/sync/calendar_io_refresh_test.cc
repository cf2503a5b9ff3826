// CalendarIO: the refresh state machine, the cache, the Refreshed notification and the counts.
#include <gmock/gmock.h>

#include "zarvo/platform/date_calendar.h"
#include "zarvo/testing/calendar_io_fixture.h"
#include "zarvo/testing/event_loop.h"

namespace zarvo::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;
using LogLevel = platform::LogLevel;

enum class Refresh { stale, fresh, refreshing };

Refresh stateOf(const CalendarIO& io) {
  if (Access::isRefreshing(io)) return Refresh::refreshing;
  return Access::needsRefresh(io) ? Refresh::stale : Refresh::fresh;
}

TEST_F(CalendarIOTest, StaleToRefreshingToFreshAndBackOnAStoreChange) {
  addReminder(defaultCalendar(), "a task");
  EXPECT_EQ(stateOf(*io_), Refresh::stale) << "made stale";

  // Hold the context's queue: the worker takes the gate, then waits for the queue in loadLists.
  std::promise<void> release;
  auto released = release.get_future().share();
  context_->perform([released] { released.wait(); });
  std::atomic<bool> completed{false};
  io_->refresh(false, [&] { completed = true; });
  ASSERT_TRUE(eventually([&] { return stateOf(*io_) == Refresh::refreshing; }));
  EXPECT_TRUE(Access::needsRefresh(*io_));

  // A store change while refreshing changes nothing and logs nothing.
  io_->eventKitStoreChanged({});
  EXPECT_FALSE(logs_.sink().contains(LogLevel::info, "Received EventKit store changed notification"));
  release.set_value();
  ASSERT_TRUE(eventually([&] { return completed.load(); }));
  quiesce();
  EXPECT_EQ(stateOf(*io_), Refresh::fresh);
  EXPECT_EQ(Access::cachedTasks(*io_).size(), 1u);
  EXPECT_TRUE(logs_.sink().contains(LogLevel::info, "Refreshing all reminders from source"));
  EXPECT_TRUE(logs_.sink().contains(LogLevel::debug, "Finished refreshing all reminders from source"));
  EXPECT_TRUE(logs_.sink().contains(LogLevel::debug, "did not exist. Creating it now."));

  // With the default answer a change only marks the cache stale.
  io_->eventKitStoreChanged({});
  EXPECT_EQ(stateOf(*io_), Refresh::stale);
  EXPECT_TRUE(logs_.sink().contains(LogLevel::info,
                                    "Received EventKit store changed notification. Marking as needing refresh."));
}

TEST_F(CalendarIOTest, QueuedWorkerWaitsForTheGateThenRefreshesInFull) {
  fetch();
  Access::acquireGate(*io_);
  std::atomic<bool> completed{false};
  io_->refresh(true, [&] { completed = true; });
  ASSERT_TRUE(eventually([&] { return logs_.sink().contains(LogLevel::debug, "Waiting for current refresh operation to finish"); }));
  addReminder(defaultCalendar(), "added while waiting");
  EXPECT_EQ(stateOf(*io_), Refresh::fresh) << "a waiting worker is not refreshing yet";
  Access::releaseGate(*io_);
  ASSERT_TRUE(eventually([&] { return completed.load(); }));
  EXPECT_THAT(titles(Access::cachedTasks(*io_)), ElementsAre("added while waiting"));
}

TEST_F(CalendarIOTest, RefreshNeitherNeededNorForcedNeverCompletes) {
  fetch();
  bool completed = false;
  io_->refresh(false, [&] { completed = true; });
  EXPECT_TRUE(logs_.sink().contains(LogLevel::debug, "Refresh was requested but not needed or forced"));
  EXPECT_FALSE(completed);
  EXPECT_EQ(stateOf(*io_), Refresh::fresh);
}

TEST_F(CalendarIOTest, WithoutAuthorizationNothingRefreshes) {
  auto options = options_;
  options.root = tmp_.path() / "never-created";
  auto io = Access::make(options);
  io->setManagedContext(context_);
  bool completed = false;
  io->fetch(std::nullopt, false, [&](const CalendarIO::TaskArray&) { completed = true; });
  EXPECT_TRUE(logs_.sink().contains(LogLevel::info, "Not refreshing. Not authorized to access the EKEventStore"));
  EXPECT_FALSE(logs_.sink().contains(LogLevel::debug, "Waiting for current refresh"));
  EXPECT_EQ(stateOf(*io), Refresh::stale);
  EXPECT_FALSE(completed);
  EXPECT_EQ(io->authorizationStatus(), reminders::AuthorizationStatus::notDetermined);
}

// Calendars A, B and C with one open and one completed task each.
class Cache : public CalendarIOTest {
 protected:
  void SetUp() override {
    CalendarIOTest::SetUp();
    for (auto name : {"A", "B", "C"}) {
      auto calendar = addCalendar(name);
      addReminder(calendar, std::string(name) + " open");
      addReminder(calendar, std::string(name) + " done", true);
    }
    io_->loadLists();
    a_ = listTitled("A");
    b_ = listTitled("B");
    c_ = listTitled("C");
  }

  // The tasks and whether the completion ran at once on this thread (a cache hit).
  std::pair<std::vector<std::string>, bool> fetchNoting(std::optional<CalendarIO::ListArray> lists, bool completedOnly) {
    std::promise<std::pair<std::vector<std::string>, std::thread::id>> done;
    io_->fetch(std::move(lists), completedOnly, [&](const CalendarIO::TaskArray& tasks) {
      done.set_value({titles(tasks), std::this_thread::get_id()});
    });
    auto future = done.get_future();
    EXPECT_EQ(future.wait_for(kPatience), std::future_status::ready);
    quiesce();
    auto [tasks, thread] = future.get();
    return {tasks, thread == std::this_thread::get_id()};
  }

  std::shared_ptr<List> a_, b_, c_;
};

TEST_F(Cache, HitsAndMisses) {
  auto [ab, abHit] = fetchNoting(CalendarIO::ListArray{a_, b_}, false);
  EXPECT_FALSE(abHit) << "the first fetch always refreshes";
  EXPECT_THAT(ab, ElementsAre("A open", "B open"));
  EXPECT_THAT(*Access::cachedLists(*io_), ElementsAre(a_, b_));

  auto [a, aHit] = fetchNoting(CalendarIO::ListArray{a_}, false);
  EXPECT_TRUE(aHit);
  EXPECT_THAT(a, ElementsAre("A open", "B open")) << "the whole cached array";
  EXPECT_TRUE(logs_.sink().contains(LogLevel::debug, "Fetch returns cached tasks"));
  EXPECT_TRUE(fetchNoting(std::nullopt, false).second) << "no lists is always covered";
  EXPECT_TRUE(fetchNoting(CalendarIO::ListArray{}, false).second);

  auto [c, cHit] = fetchNoting(CalendarIO::ListArray{c_}, false);
  EXPECT_FALSE(cHit) << "a list outside the cache";
  EXPECT_THAT(c, ElementsAre("C open"));
  EXPECT_FALSE(fetchNoting(CalendarIO::ListArray{a_}, false).second) << "the cache now covers C only";

  auto [done, doneHit] = fetchNoting(CalendarIO::ListArray{a_}, true);
  EXPECT_FALSE(doneHit) << "another kind";
  EXPECT_THAT(done, ElementsAre("A done"));
  EXPECT_TRUE(Access::cachedCompletedOnly(*io_));
  EXPECT_FALSE(fetchNoting(CalendarIO::ListArray{a_}, false).second) << "and back";

  auto [all, allHit] = fetchNoting(std::nullopt, false);
  EXPECT_TRUE(allHit) << "no lists requested, same kind";
  EXPECT_THAT(all, ElementsAre("A open"));
}

TEST_F(Cache, NoListsMeansEveryCalendarAndStaysFreshUntilAChange) {
  auto [all, allHit] = fetchNoting(std::nullopt, false);
  EXPECT_FALSE(allHit);
  EXPECT_THAT(all, ElementsAre("A open", "B open", "C open"));
  EXPECT_FALSE(Access::cachedLists(*io_).has_value());
  EXPECT_TRUE(fetchNoting(CalendarIO::ListArray{a_, b_, c_}, false).second);
  io_->eventKitStoreChanged({});
  EXPECT_FALSE(fetchNoting(CalendarIO::ListArray{a_}, false).second) << "stale";
}

TEST_F(CalendarIOTest, TwoForcedRefreshesBothRunAndPostRefreshedTwiceOnTheMainQueue) {
  fetch();
  platform::MainQueue::drain();  // the first refresh's own announcement
  NotificationCounter refreshed(kCalendarIORefreshed, io_.get());
  std::atomic<int> completions{0};
  io_->refresh(true, [&] { ++completions; });
  io_->refresh(true, [&] { ++completions; });
  ASSERT_TRUE(eventually([&] { return refreshed.count() >= 2; }));
  quiesce();
  platform::MainQueue::drain();
  EXPECT_EQ(refreshed.count(), 2);
  EXPECT_EQ(completions.load(), 2);
  EXPECT_EQ(refreshed.onMainQueue(), 2);
}

// A GUI installs its event loop as the main queue's executor: the announcement then arrives there
// without anyone draining.
TEST_F(CalendarIOTest, RefreshedArrivesOnAnInstalledEventLoop) {
  fetch();
  platform::MainQueue::drain();
  NotificationCounter refreshed(kCalendarIORefreshed, io_.get());
  {
    ScopedEventLoop gui;
    std::promise<void> completed;
    io_->refresh(true, [&] { completed.set_value(); });
    completed.get_future().wait();
    quiesce();
    gui.loop().waitUntilIdle();
    EXPECT_EQ(refreshed.count(), 1);
    EXPECT_EQ(refreshed.onMainQueue(), 1);
  }
  EXPECT_EQ(platform::MainQueue::drain(), 0u);
}

TEST_F(CalendarIOTest, RefreshWithoutContextFinishesSoLaterRefreshesRun) {
  addReminder(defaultCalendar(), "waiting for a context");
  io_->setManagedContext(nullptr);
  bool completed = false;
  io_->fetch(std::nullopt, false, [&](const CalendarIO::TaskArray&) { completed = true; });
  ASSERT_TRUE(eventually([&] { return logs_.sink().contains(LogLevel::error, "no object context is set"); }));
  ASSERT_TRUE(eventually([&] { return stateOf(*io_) == Refresh::stale; }));
  EXPECT_FALSE(completed);

  // The cache was left as it was, and stays stale: the next refresh fills it.
  EXPECT_TRUE(Access::cachedTasks(*io_).empty());
  io_->setManagedContext(context_);
  std::atomic<bool> refreshed{false};
  io_->refresh(true, [&] { refreshed = true; });
  ASSERT_TRUE(eventually([&] { return refreshed.load(); }));
  EXPECT_THAT(titles(Access::cachedTasks(*io_)), ElementsAre("waiting for a context"));
}

class Watching : public CalendarIOTest {
 protected:
  void SetUp() override { setUpStore(/*watch=*/true); }
};

TEST_F(Watching, ChangesByAnotherHandleRefreshAtOnceWhenAsked) {
  addReminder(defaultCalendar(), "first");
  fetch();
  NotificationCounter refreshed(kCalendarIORefreshed, io_.get());
  io_->setShouldRefreshOnStoreChanged([] { return true; });
  addReminder(defaultCalendar(), "second");  // the watcher reports it; no call from us
  ASSERT_TRUE(eventually([&] { return Access::cachedTasks(*io_).size() == 2; }));
  ASSERT_TRUE(eventually([&] { return refreshed.count() >= 1; }));
}

TEST_F(CalendarIOTest, CountsOverTheCache) {
  platform::ScopedClock clock(std::make_shared<platform::FixedClock>(platform::Clock::currentNow()));
  const auto calendar = platform::DateCalendar::current();
  const Date now = platform::Clock::currentNow();
  const Date startOfToday = calendar.startOfDay(now);
  for (auto title : {"late today", "yesterday", "tomorrow", "no date"}) addReminder(defaultCalendar(), title);
  auto tasks = fetch();
  ASSERT_EQ(tasks.size(), 4u);
  for (auto& t : tasks) {
    if (t->title() == "late today") t->setDueDate(startOfToday + std::chrono::hours(23) + std::chrono::minutes(59));
    if (t->title() == "yesterday") t->setDueDate(startOfToday - std::chrono::hours(12));
    if (t->title() == "tomorrow") t->setDueDate(startOfToday + std::chrono::hours(36));
  }
  EXPECT_EQ(io_->totalTaskCount(), 4u);
  EXPECT_EQ(io_->overdueTaskCount(), 2u);
}

}  // namespace
}  // namespace zarvo::testing
