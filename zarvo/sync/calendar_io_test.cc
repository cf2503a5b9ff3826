// CalendarIO: the shared instance, the object-context handler, and list loading and order.
#include "zarvo/sync/calendar_io.h"

#include <gmock/gmock.h>

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

// Lists with places 0..3 and no calendars: reorder needs neither store nor titles.
class Reorder : public CalendarIOTest {
 protected:
  void SetUp() override {
    CalendarIOTest::SetUp();
    for (int i = 0; i < 4; ++i) {
      lists_.push_back(List::create(nullptr, context_));
      lists_.back()->setOrder(static_cast<int16_t>(i));
    }
    // Handed over out of order: reorder sorts first.
    io_->setLists({a(), c(), b(), d()});
  }
  std::shared_ptr<List> a() { return lists_[0]; }
  std::shared_ptr<List> b() { return lists_[1]; }
  std::shared_ptr<List> c() { return lists_[2]; }
  std::shared_ptr<List> d() { return lists_[3]; }
  void expectNumbered() {
    auto lists = io_->lists();
    for (size_t i = 0; i < lists.size(); ++i) EXPECT_EQ(lists[i]->order(), static_cast<int16_t>(i));
  }
  CalendarIO::ListArray lists_;
};

TEST_F(Reorder, ForwardsLandsAfterTheTarget) {
  io_->reorder(a(), c());
  EXPECT_THAT(io_->lists(), ElementsAre(b(), c(), a(), d()));
  expectNumbered();
}

TEST_F(Reorder, BackwardsLandsBeforeTheTarget) {
  io_->reorder(d(), b());
  EXPECT_THAT(io_->lists(), ElementsAre(a(), d(), b(), c()));
  expectNumbered();
}

TEST_F(Reorder, OntoItselfOnlyRenumbers) {
  for (auto& l : lists_) l->setOrder(static_cast<int16_t>(l->order() * 10));
  io_->reorder(b(), b());
  EXPECT_THAT(io_->lists(), ElementsAre(a(), b(), c(), d()));
  expectNumbered();
}

TEST_F(Reorder, UnknownListOrTargetOnlySorts) {
  auto stranger = List::create(nullptr, context_);
  io_->reorder(a(), stranger);
  EXPECT_THAT(io_->lists(), ElementsAre(a(), b(), c(), d()));
  io_->reorder(stranger, a());
  EXPECT_THAT(io_->lists(), ElementsAre(a(), b(), c(), d()));
  EXPECT_EQ(stranger->order(), -1);
}

}  // namespace
}  // namespace zarvo::testing
