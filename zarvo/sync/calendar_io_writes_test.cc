// CalendarIO: writes, their fallbacks, and what stays done when the reminders store throws.
#include <gmock/gmock.h>

#include "zarvo/testing/calendar_io_fixture.h"

namespace zarvo::testing {
namespace {

using ::testing::ElementsAre;
using LogLevel = platform::LogLevel;

class Writes : public CalendarIOTest {
 protected:
  // What a fresh handle finds on disk: committed writes only.
  std::vector<std::string> onDisk(bool completed = false) {
    auto options = options_;
    options.watchForChanges = false;
    reminders::EventStore fresh(options);
    auto predicate = completed ? fresh.predicateForCompletedReminders({}, {}, {})
                               : fresh.predicateForIncompleteReminders({}, {}, {});
    std::vector<std::string> out;
    for (auto& r : fresh.remindersMatchingPredicate(predicate)) out.push_back(r->calendar()->title() + ":" + r->title());
    std::sort(out.begin(), out.end());
    return out;
  }

  bool cached(const std::shared_ptr<Task>& task) {
    auto tasks = Access::cachedTasks(*io_);
    return std::find(tasks.begin(), tasks.end(), task) != tasks.end();
  }

  // Marked deleted, or (never saved) forgotten by the context.
  static bool deleted(const std::shared_ptr<store::ManagedObject>& o) {
    return o->isDeleted() || !o->managedObjectContext();
  }

  bool insertedInContext(const std::string& title) {
    for (auto& o : context_->insertedObjects()) {
      if (auto t = std::dynamic_pointer_cast<Task>(o); t && t->title() == title) return true;
    }
    return false;
  }
};

// ---- createTask and its calendar fallbacks ----

TEST_F(Writes, CreateTaskUsesTheGivenListAndWritesEveryField) {
  addCalendar("Work");
  io_->loadLists();
  const Date due = platform::Clock::currentNow() + std::chrono::hours(30);
  auto task = io_->createTask("Report", listTitled("Work"), "draft first", true, 3, due);
  ASSERT_TRUE(task);
  EXPECT_TRUE(cached(task));
  EXPECT_TRUE(task->flagged());
  EXPECT_EQ(task->reminder()->priority(), 1);
  EXPECT_EQ(task->notes(), "draft first");
  EXPECT_EQ(task->reminder()->alarms().size(), 1u);
  EXPECT_EQ(task->managedObjectContext(), context_);
  EXPECT_THAT(onDisk(), ElementsAre("Work:Report"));
}

// A task made due all day and repeating: a date-only DUE and the RRULE in its file, read back as such
// by a fresh handle; completing it moves it to the next occurrence, still a day.
TEST_F(Writes, CreateTaskDueAllDayWithARecurrenceRule) {
  addCalendar("Work");
  io_->loadLists();
  const Date due = platform::Clock::currentNow() + std::chrono::hours(30);
  auto task = io_->createTask("Trash", listTitled("Work"), std::nullopt, false, 0, due, true, "FREQ=WEEKLY;INTERVAL=2");
  ASSERT_TRUE(task);
  EXPECT_TRUE(task->isAllDay());
  EXPECT_TRUE(task->reminder()->alarms().empty());
  EXPECT_EQ(task->recurrenceRule(), "FREQ=WEEKLY;INTERVAL=2");

  auto options = options_;
  options.watchForChanges = false;
  reminders::EventStore fresh(options);
  const auto read = fresh.remindersMatchingPredicate(fresh.predicateForIncompleteReminders({}, {}, {}));
  ASSERT_EQ(read.size(), 1u);
  ASSERT_TRUE(read[0]->dueDateComponents());
  EXPECT_FALSE(read[0]->dueDateComponents()->hour);
  EXPECT_EQ(read[0]->recurrenceRule(), "FREQ=WEEKLY;INTERVAL=2");

  const platform::DateComponents before = *task->reminder()->dueDateComponents();
  task->setIsCompleted(true);
  io_->save(task, false);
  EXPECT_FALSE(task->isCompleted());
  EXPECT_TRUE(task->isAllDay());
  const auto calendar = platform::DateCalendar::current();
  EXPECT_EQ(calendar.daysBetween(calendar.date(before), calendar.date(*task->reminder()->dueDateComponents())), 14);
}

// A rule that does not read is refused, and no file is left behind.
TEST_F(Writes, CreateTaskWithAnUnreadableRuleThrows) {
  addCalendar("Work");
  io_->loadLists();
  EXPECT_THROW(io_->createTask("Odd", listTitled("Work"), std::nullopt, false, 0, std::nullopt, false, "EVERY=DAY"),
               reminders::StoreError);
  EXPECT_TRUE(onDisk().empty());
}

TEST_F(Writes, CreateTaskFallsBackToDefaultListThenStoreDefaultThenFirstList) {
  addCalendar("Work");
  addCalendar("Home");
  io_->loadLists();
  io_->setDefaultList(listTitled("Home"));
  auto calendarOf = [&](const std::shared_ptr<Task>& t) { return t->reminder()->calendar()->title(); };

  EXPECT_EQ(calendarOf(io_->createTask("to default list")), "Home");
  EXPECT_EQ(calendarOf(io_->createTask("list without calendar", List::create(nullptr, context_))), "Home");

  io_->setDefaultList(nullptr);
  EXPECT_EQ(calendarOf(io_->createTask("to store default")), "Reminders");

  std::filesystem::remove(root_ / ".default-calendar");
  io_->reorder(listTitled("Work"), io_->lists().front());
  ASSERT_EQ(io_->lists().front()->title(), "Work");
  EXPECT_EQ(calendarOf(io_->createTask("to first list")), "Work");
}

TEST_F(Writes, CreateTaskWithNoCalendarAnywhereMakesNothing) {
  std::filesystem::remove(root_ / ".default-calendar");
  ASSERT_TRUE(io_->lists().empty());
  EXPECT_EQ(io_->createTask("homeless"), nullptr);
  EXPECT_TRUE(logs_.sink().contains(
      LogLevel::error, "No calendar was specified and the event store has no default calendar for reminders"));
  EXPECT_TRUE(context_->insertedObjects().empty());
  EXPECT_TRUE(onDisk().empty());
}

TEST_F(Writes, CreateTaskWhoseSaveFailsLeavesTheRecordInTheContextButNotInTheCache) {
  io_->loadLists();
  fs_->setDiskFull(true);
  EXPECT_THROW(io_->createTask("too big"), reminders::StoreError);
  fs_->setDiskFull(false);
  EXPECT_TRUE(insertedInContext("too big"));
  EXPECT_TRUE(Access::cachedTasks(*io_).empty());
  EXPECT_TRUE(onDisk().empty());
}

// ---- save, move, commit ----

TEST_F(Writes, BatchedSavesWaitForCommit) {
  io_->loadLists();
  auto task = io_->createTask("draft");
  task->setTitle("final");
  io_->save(task, /*batch=*/true);
  EXPECT_THAT(onDisk(), ElementsAre("Reminders:draft"));
  io_->commit();
  EXPECT_THAT(onDisk(), ElementsAre("Reminders:final"));
}

TEST_F(Writes, MissingLinksAreLoggedNoOps) {
  auto bare = Task::create(nullptr, context_);
  auto noCalendar = List::create(nullptr, context_);
  io_->save(bare, false);
  io_->remove(bare, true);
  EXPECT_TRUE(logs_.sink().contains(LogLevel::defaultLevel, "has no associated reminder"));
  EXPECT_FALSE(deleted(bare));
  io_->setLists({noCalendar});
  io_->save(noCalendar);
  io_->remove(noCalendar);
  EXPECT_THAT(io_->lists(), ElementsAre(noCalendar));
  EXPECT_TRUE(logs_.sink().contains(LogLevel::defaultLevel, "has no associated calendar"));

  io_->loadLists();
  auto task = io_->createTask("stays put");
  io_->move(task, noCalendar);
  EXPECT_EQ(task->reminder()->calendar()->title(), "Reminders");
  EXPECT_THAT(onDisk(), ElementsAre("Reminders:stays put"));
}

TEST_F(Writes, MoveCommitsAndKeepsTheTaskCached) {
  addCalendar("Work");
  io_->loadLists();
  auto task = io_->createTask("wander");
  io_->move(task, listTitled("Work"));
  EXPECT_THAT(onDisk(), ElementsAre("Work:wander"));
  EXPECT_TRUE(cached(task));
}

TEST_F(Writes, SaveListRenamesAndReattachesTheStoresCalendar) {
  io_->loadLists();
  auto list = listTitled("Reminders");
  list->setTitle("Inbox");
  io_->save(list);
  EXPECT_EQ(list->calendar(), io_->eventStore().calendarWithIdentifier(*list->calendarId()));
  io_->eventStore().refreshSourcesIfNecessary();
  EXPECT_EQ(io_->eventStore().calendarWithIdentifier(*list->calendarId())->title(), "Inbox");
}

TEST_F(Writes, CreateListSavesACalendarInTheLocalSourceAndAppendsIt) {
  io_->loadLists();
  auto list = io_->createList("Groceries");
  EXPECT_EQ(io_->lists().back(), list);
  EXPECT_EQ(list->order(), -1);
  EXPECT_EQ(list->calendar()->source()->sourceType(), reminders::SourceType::local);
  store_->refreshSourcesIfNecessary();
  EXPECT_TRUE(store_->calendarWithIdentifier(*list->calendarId()));
  io_->loadLists();
  EXPECT_NE(listTitled("Groceries")->order(), -1);
}

// ---- removals ----

TEST_F(Writes, RemoveTaskWhoseRemovalFailsStaysOutOfTheCacheWithItsRecord) {
  auto work = addCalendar("Work");
  addReminder(work, "locked");
  addReminder(defaultCalendar(), "free");
  fs_->setReadOnly(root_ / work->calendarIdentifier());
  auto tasks = fetch();
  ASSERT_EQ(tasks.size(), 2u);
  auto locked = tasks[0]->title() == "locked" ? tasks[0] : tasks[1];
  auto free = tasks[0]->title() == "free" ? tasks[0] : tasks[1];

  io_->remove(free, true);
  EXPECT_FALSE(cached(free));
  EXPECT_TRUE(deleted(free));
  EXPECT_THAT(onDisk(), ElementsAre("Work:locked"));

  EXPECT_THROW(io_->remove(locked, true), reminders::StoreError);
  EXPECT_FALSE(cached(locked));
  EXPECT_FALSE(deleted(locked));
  EXPECT_THAT(onDisk(), ElementsAre("Work:locked"));
}

TEST_F(Writes, RemoveListDeletesItsCachedTasksEvenWhenTheCalendarIsAlreadyGone) {
  auto work = addCalendar("Work");
  addReminder(work, "w1");
  addReminder(work, "w2");
  addReminder(defaultCalendar(), "keep");
  auto tasks = fetch();
  ASSERT_EQ(tasks.size(), 3u);
  auto list = listTitled("Work");
  store_->removeCalendar(work, true);

  io_->remove(list);
  EXPECT_THAT(titles(Access::cachedTasks(*io_)), ElementsAre("keep"));
  for (auto& t : tasks) EXPECT_EQ(deleted(t), t->title() != "keep") << *t->title();
  auto lists = io_->lists();
  EXPECT_EQ(std::find(lists.begin(), lists.end(), list), lists.end());
  EXPECT_TRUE(deleted(list));
}

TEST_F(Writes, RemoveListRemovesTheCalendarAndItsUncachedTasks) {
  auto work = addCalendar("Work");
  addReminder(work, "not cached");
  io_->loadLists();
  io_->remove(listTitled("Work"));
  EXPECT_TRUE(onDisk().empty());
  store_->refreshSourcesIfNecessary();
  EXPECT_FALSE(store_->calendarWithIdentifier(work->calendarIdentifier()));
}

TEST_F(Writes, RemoveListThatCannotBeRemovedKeepsTheListButNotItsCachedTasks) {
  auto work = addCalendar("Work");
  addReminder(work, "w");
  fetch();
  auto list = listTitled("Work");
  fs_->setReadOnly(root_ / work->calendarIdentifier());
  EXPECT_THROW(io_->remove(list), reminders::StoreError);
  EXPECT_TRUE(Access::cachedTasks(*io_).empty());
  auto lists = io_->lists();
  EXPECT_NE(std::find(lists.begin(), lists.end(), list), lists.end());
  EXPECT_FALSE(deleted(list));
}

// ---- purgeCompleted ----

class Purge : public Writes {
 protected:
  // Calls purgeCompleted and waits until the store, the context and the main queue are idle.
  int purge() {
    auto completions = std::make_shared<std::atomic<int>>(0);
    io_->purgeCompleted([completions] { ++*completions; });
    // Store answers run one at a time: once this one has run, the purge's has too.
    std::promise<void> storeIdle;
    io_->eventStore().fetchRemindersMatchingPredicate(io_->eventStore().predicateForCompletedReminders({}, {}, {}),
                                                      [&](auto) { storeIdle.set_value(); });
    storeIdle.get_future().wait();
    quiesce();
    platform::MainQueue::drain();
    return completions->load();
  }
};

TEST_F(Purge, WithNothingCompletedNeverCompletes) {
  addReminder(defaultCalendar(), "open");
  io_->loadLists();
  EXPECT_EQ(purge(), 0);
  EXPECT_THAT(onDisk(), ElementsAre("Reminders:open"));
}

TEST_F(Purge, RemovesCompletedRemindersThatHaveRecordsAndCommits) {
  addReminder(defaultCalendar(), "open");
  addReminder(defaultCalendar(), "done", true);
  addReminder(defaultCalendar(), "done, no record", true);
  auto done = fetch(std::nullopt, true);
  ASSERT_EQ(done.size(), 2u);
  for (auto& t : done) {
    if (t->title() == "done, no record") context_->deleteObject(t);
  }
  EXPECT_EQ(purge(), 1);
  EXPECT_THAT(onDisk(true), ElementsAre("Reminders:done, no record"));
  EXPECT_THAT(onDisk(), ElementsAre("Reminders:open"));
}

TEST_F(Purge, ASecondRemovalThatFailsStopsBeforeCommitAndStillCompletesOnce) {
  auto x = addCalendar("X");
  auto y = addCalendar("Y");
  auto [first, second] = x->calendarIdentifier() < y->calendarIdentifier() ? std::pair(x, y) : std::pair(y, x);
  addReminder(first, "done first", true);
  addReminder(second, "done second", true);
  fs_->setReadOnly(root_ / second->calendarIdentifier());
  auto done = fetch(std::nullopt, true);
  ASSERT_EQ(done.size(), 2u);

  EXPECT_EQ(purge(), 1);
  EXPECT_TRUE(logs_.sink().contains(LogLevel::error, "Failed to purge reminder with error: "));
  EXPECT_EQ(onDisk(true).size(), 2u) << "the first removal was never committed";
  for (auto& t : done) EXPECT_EQ(deleted(t), t->title() == "done first") << *t->title();
}

}  // namespace
}  // namespace zarvo::testing
