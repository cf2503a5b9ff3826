// Test fixture for CalendarIO: a temporary reminders store (with a fault-injecting file system), a
// temporary records database, an instance made through the test seam, and waits on conditions.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "zarvo/model/item.h"
#include "zarvo/platform/dispatch.h"
#include "zarvo/platform/filesystem.h"
#include "zarvo/platform/log.h"
#include "zarvo/sync/calendar_io.h"
#include "zarvo/sync/internal/calendar_io_testing.h"
#include "zarvo/testing/reminders_store.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo::testing {

using Access = CalendarIOTestAccess;
using reminders::Calendar;
using reminders::Reminder;

// Generous: the waits end as soon as the condition holds; the limit only turns a hang into a failure.
inline constexpr auto kPatience = std::chrono::seconds(30);

// Polls `condition`, draining the main queue between polls, until it holds or kPatience has passed.
template <class Condition>
bool eventually(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!condition()) {
    platform::MainQueue::drain();
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Counts one notification name from one sender; the count may be read from any thread.
class NotificationCounter {
 public:
  NotificationCounter(std::string_view name, const void* object)
      : registration_(platform::NotificationCenter::defaultCenter().addObserver(
            std::string(name), object, [this](const platform::Notification&) {
              ++count_;
              if (platform::MainQueue::queue().isCurrent()) ++onMain_;
            })) {}
  int count() const { return count_; }
  int onMainQueue() const { return onMain_; }

 private:
  std::atomic<int> count_{0};
  std::atomic<int> onMain_{0};
  platform::NotificationCenter::Registration registration_;
};

class CalendarIOTest : public ::testing::Test {
 protected:
  void SetUp() override { setUpStore(/*watch=*/false); }

  void setUpStore(bool watch) {
    root_ = tmp_.path() / "reminders";
    fs_ = std::make_shared<platform::FaultInjectingFileSystem>(platform::FileSystem::posix());
    options_ = reminders::testing::optionsFor(root_, watch);
    options_.fileSystem = fs_;
    options_.coalescingDelay = std::chrono::milliseconds(20);
    // The test's own handle plays "another user of the store": its commits are not the instance's.
    auto mine = options_;
    mine.watchForChanges = false;
    store_ = std::make_unique<reminders::EventStore>(mine);
    reminders::testing::createStore(*store_);
    context_ = openObjectContext((tmp_.path() / "records.sqlite").string());
    io_ = Access::make(options_);
    io_->setManagedContext(context_);
  }

  void TearDown() override {
    io_.reset();  // waits for its background work
    context_.reset();
    store_.reset();
    platform::MainQueue::drain();
  }

  std::shared_ptr<Calendar> addCalendar(const std::string& title) {
    auto calendar = Calendar::calendarForEntityType(reminders::EntityType::reminder, *store_);
    calendar->setTitle(title);
    store_->saveCalendar(calendar, true);
    return calendar;
  }

  std::shared_ptr<Calendar> defaultCalendar() { return store_->defaultCalendarForNewReminders(); }

  std::shared_ptr<Reminder> addReminder(const std::shared_ptr<Calendar>& calendar, const std::string& title,
                                        bool completed = false) {
    auto r = Reminder::reminderWithEventStore(*store_);
    r->setCalendar(calendar);
    r->setTitle(title);
    r->setCompleted(completed);
    store_->saveReminder(r, true);
    return r;
  }

  // The tasks a fetch hands over, waiting for a refresh when there is one.
  CalendarIO::TaskArray fetch(std::optional<CalendarIO::ListArray> lists = std::nullopt, bool completedOnly = false) {
    std::promise<CalendarIO::TaskArray> done;
    auto future = done.get_future();
    io_->fetch(std::move(lists), completedOnly, [&](const CalendarIO::TaskArray& tasks) { done.set_value(tasks); });
    EXPECT_EQ(future.wait_for(kPatience), std::future_status::ready) << "fetch never completed";
    quiesce();
    return future.valid() ? future.get() : CalendarIO::TaskArray{};
  }

  // Returns once the context's queue has finished what was queued on it, including announcing the
  // changes of its last item: a perform() item announces after its work, still holding the queue, so
  // waiting for the work alone would let that announcement run later, on a loaded machine while the
  // test is already making the changes of its next event. Holding the queue once more waits it out.
  void quiesce() {
    std::promise<void> reached;
    context_->perform([&] { reached.set_value(); });
    reached.get_future().wait();
    context_->performAndWait([] {});
  }

  std::shared_ptr<List> listTitled(const std::string& title) {
    for (const auto& l : io_->lists()) {
      if (l->title() == title) return l;
    }
    return nullptr;
  }

  static std::vector<std::string> titles(const CalendarIO::TaskArray& tasks) {
    std::vector<std::string> out;
    for (const auto& t : tasks) out.push_back(t->title().value_or("<none>"));
    std::sort(out.begin(), out.end());
    return out;
  }

  static std::vector<std::string> titles(const CalendarIO::ListArray& lists) {
    std::vector<std::string> out;
    for (const auto& l : lists) out.push_back(l->title());
    return out;
  }

  TempDir tmp_{"zarvo-io"};
  std::filesystem::path root_;
  std::shared_ptr<platform::FaultInjectingFileSystem> fs_;
  reminders::EventStoreOptions options_;
  std::unique_ptr<reminders::EventStore> store_;
  std::shared_ptr<store::ObjectContext> context_;
  platform::ScopedLogCapture logs_;
  std::unique_ptr<CalendarIO> io_;
};

}  // namespace zarvo::testing
