// CalendarIO: the shared instance, the object-context handler, and list loading and order.
#include "zarvo/sync/calendar_io.h"

#include <gmock/gmock.h>

#include <array>

#include "zarvo/testing/calendar_io_fixture.h"

namespace zarvo::testing {
namespace {

using reminders::testing::TempDir;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

TEST(CalendarIOShared, IsMadeOnceUnderConcurrentFirstUseWithTheConfiguredStore) {
  TempDir tmp;
  reminders::EventStoreOptions options;
  options.root = tmp.path() / "shared-store";
  options.watchForChanges = false;
  if (!CalendarIO::configureShared(options)) GTEST_SKIP() << "shared() was already made in this process";
  std::vector<CalendarIO*> seen(8);
  {
    std::vector<std::jthread> threads;
    for (size_t i = 0; i < seen.size(); ++i) threads.emplace_back([&, i] { seen[i] = &CalendarIO::shared(); });
  }
  for (auto* io : seen) EXPECT_EQ(io, seen.front());
  EXPECT_EQ(CalendarIO::shared().eventStore().root(), options.root);
  EXPECT_FALSE(CalendarIO::configureShared(reminders::EventStoreOptions{})) << "too late once made";
  EXPECT_FALSE(CalendarIO::shared().isAuthorized()) << "the root does not exist yet";
  EXPECT_FALSE(CalendarIO::shared().shouldRefreshOnStoreChanged()());
}

// ---- The object-context handler ----

class ContextHandler : public CalendarIOTest {
 protected:
  void SetUp() override {
    CalendarIOTest::SetUp();
    for (auto title : {"one", "two", "three"}) addReminder(defaultCalendar(), title);
    tasks_ = fetch();
    ASSERT_EQ(tasks_.size(), 3u);
  }
  std::shared_ptr<Task> cached(const std::string& title) {
    for (auto& t : tasks_) {
      if (t->title() == title) return t;
    }
    return nullptr;
  }
  CalendarIO::TaskArray tasks_;
};

TEST_F(ContextHandler, CompletionFlipsLeaveTheCacheAndPostOnce) {
  NotificationCounter changed(kCalendarIOStoreChanged, io_.get());
  cached("one")->setIsCompleted(true);
  cached("two")->setIsCompleted(true);
  // Set and set back within one event: the value before the event equals the current one.
  cached("three")->setCompleted(true);
  cached("three")->setCompleted(false);
  context_->processPendingChanges();
  EXPECT_EQ(changed.count(), 1);
  EXPECT_THAT(titles(Access::cachedTasks(*io_)), ElementsAre("three"));
}

TEST_F(ContextHandler, FlagChangesPostNothing) {
  NotificationCounter changed(kCalendarIOStoreChanged, io_.get());
  cached("one")->setFlagged(true);
  context_->processPendingChanges();
  EXPECT_EQ(changed.count(), 0);
  EXPECT_EQ(Access::cachedTasks(*io_).size(), 3u);
}

TEST_F(ContextHandler, InsertionsCountOnlyWithAContextButFlipsAlways) {
  NotificationCounter changed(kCalendarIOStoreChanged, io_.get());
  for (int i = 0; i < 3; ++i) Task::create(addReminder(defaultCalendar(), "new " + std::to_string(i)), context_);
  context_->processPendingChanges();
  EXPECT_EQ(changed.count(), 1) << "three insertions, one notification";

  io_->setManagedContext(nullptr);
  Task::create(addReminder(defaultCalendar(), "unseen"), context_);
  context_->deleteObject(cached("two"));
  context_->processPendingChanges();
  EXPECT_EQ(changed.count(), 1) << "without a managed context insertions and deletions are not counted";

  cached("one")->setIsCompleted(true);
  context_->processPendingChanges();
  EXPECT_EQ(changed.count(), 2);
  EXPECT_THAT(titles(Access::cachedTasks(*io_)), UnorderedElementsAre("two", "three"));
}

// ---- Lists ----

TEST_F(CalendarIOTest, LoadListsWithoutContextStaysEmptyAndOnlySaysSo) {
  io_->setManagedContext(nullptr);
  io_->setLists({List::create(nullptr, nullptr)});
  io_->loadLists();
  EXPECT_TRUE(io_->lists().empty());
  EXPECT_TRUE(logs_.sink().contains(platform::LogLevel::info, "Reloading all lists"));
  EXPECT_FALSE(logs_.sink().contains(platform::LogLevel::debug, "Fetching calendars"));
}

TEST_F(CalendarIOTest, LoadListsNumbersNewListsAndKeepsStoreOrderAmongEqualPlaces) {
  addCalendar("Work");
  addCalendar("Home");
  std::vector<std::string> storeOrder;
  for (auto& c : io_->eventStore().calendarsForEntityType(reminders::EntityType::reminder)) storeOrder.push_back(c->title());
  ASSERT_EQ(storeOrder.size(), 3u);

  io_->loadLists();
  EXPECT_EQ(titles(io_->lists()), storeOrder);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(io_->lists()[i]->order(), static_cast<int16_t>(i));
  EXPECT_TRUE(logs_.sink().contains(platform::LogLevel::debug, "did not exist. Creating it now."));

  // The records are found again (not made anew), and their places decide the order.
  auto first = io_->lists()[0], second = io_->lists()[1], third = io_->lists()[2];
  first->setOrder(5);
  second->setOrder(0);
  third->setOrder(0);
  io_->loadLists();
  EXPECT_THAT(io_->lists(), ElementsAre(second, third, first));

  // A new calendar enters at its store position; it may share a place, and store order breaks the tie.
  addCalendar("Zzz");
  io_->eventStore().refreshSourcesIfNecessary();
  io_->loadLists();
  ASSERT_EQ(io_->lists().size(), 4u);
  auto added = listTitled("Zzz");
  ASSERT_TRUE(added);
  EXPECT_NE(added->order(), -1);
  EXPECT_EQ(io_->lists().back(), first) << "place 5 stays last";
}

TEST_F(CalendarIOTest, AListWhoseCalendarVanishedDropsOutButIsNotDeleted) {
  auto doomed = addCalendar("Doomed");
  io_->loadLists();
  auto list = listTitled("Doomed");
  ASSERT_TRUE(list);
  store_->removeCalendar(doomed, true);
  io_->eventStore().refreshSourcesIfNecessary();
  io_->loadLists();
  auto lists = io_->lists();
  EXPECT_EQ(lists.size(), 1u);
  EXPECT_EQ(std::find(lists.begin(), lists.end(), list), lists.end());
  EXPECT_FALSE(list->isDeleted());
  EXPECT_EQ(list->managedObjectContext(), context_);
}

TEST_F(CalendarIOTest, SetDefaultListMatchesIdentifierThenTitleExactly) {
  addCalendar("Work");
  addCalendar("Cafe\u0301");  // decomposed accent
  io_->loadLists();
  auto work = listTitled("Work");
  auto reminders = listTitled("Reminders");

  EXPECT_EQ(io_->setDefaultList(std::string_view(""), std::string_view("Work")), work);
  EXPECT_EQ(io_->defaultList(), work);
  EXPECT_EQ(io_->setDefaultList(*reminders->calendarId(), std::string_view("Work")), reminders);
  EXPECT_EQ(io_->setDefaultList(std::nullopt, std::string_view("Caf\u00e9")), listTitled("Cafe\u0301"))
      << "canonically equivalent titles are equal";

  io_->setDefaultList(work);
  EXPECT_EQ(io_->setDefaultList(std::nullopt, std::nullopt), nullptr);
  EXPECT_EQ(io_->setDefaultList(std::string_view("local/none"), std::string_view("work")), nullptr) << "case matters";
  EXPECT_EQ(io_->defaultList(), work) << "a miss keeps the previous default";

  EXPECT_EQ(io_->list("work"), work);
  EXPECT_EQ(io_->list("WORK"), work);
  EXPECT_EQ(io_->list("Wor"), nullptr);
}

// Four lists at places 0, 10, 20, 30 and no calendars (reorder needs neither store nor titles),
// handed over out of order: reorder sorts them, moves the list to the target's place and numbers
// them 0..3; with a list or target it does not hold, it only sorts.
TEST_F(CalendarIOTest, ReorderLandsAfterATargetAheadAndBeforeOneBehind) {
  struct Case {
    const char* what;
    int moved, target;  // indexes of the lists; -1: a list that is not among them
    std::array<int, 4> after;
  };
  const Case cases[] = {
      {"forwards lands after the target", 0, 2, {1, 2, 0, 3}},
      {"backwards lands before the target", 3, 1, {0, 3, 1, 2}},
      {"onto itself only renumbers", 1, 1, {0, 1, 2, 3}},
      {"onto a stranger only sorts", 0, -1, {0, 1, 2, 3}},
      {"a stranger only sorts", -1, 0, {0, 1, 2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CalendarIO::ListArray lists;
    for (int i = 0; i < 4; ++i) {
      lists.push_back(List::create(nullptr, context_));
      lists.back()->setOrder(static_cast<int16_t>(10 * i));
    }
    io_->setLists({lists[0], lists[2], lists[1], lists[3]});
    const auto stranger = List::create(nullptr, context_);
    const auto at = [&](int i) { return i < 0 ? stranger : lists[i]; };
    io_->reorder(at(c.moved), at(c.target));
    const bool moved = c.moved >= 0 && c.target >= 0;
    EXPECT_THAT(io_->lists(), ElementsAre(lists[c.after[0]], lists[c.after[1]], lists[c.after[2]], lists[c.after[3]]));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(io_->lists()[i]->order(), moved ? i : 10 * c.after[i]);
    EXPECT_EQ(stranger->order(), -1);
  }
}

}  // namespace
}  // namespace zarvo::testing
