// A live CalendarIO next to todoman, another program writing the same vdir files: what todoman changes
// reaches the next fetch through the store's change notification, and neither side loses the other's
// tasks or fields.
#include <gtest/gtest.h>
#include <stdio.h>

#include <array>
#include <nlohmann/json.hpp>
#include <thread>

#include "zarvo/model/item.h"
#include "zarvo/platform/dispatch.h"
#include "zarvo/sync/calendar_io.h"
#include "zarvo/sync/internal/calendar_io_testing.h"
#include "zarvo/testing/reminders_store.h"
#include "zarvo/testing/todoman.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;
using TaskArray = CalendarIO::TaskArray;

template <class Condition>
bool eventually(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!condition()) {
    platform::MainQueue::drain();
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

class CalendarIOWithTodoman : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!zarvo::testing::todomanInstalled()) GTEST_SKIP() << "todoman is not installed";
    root_ = tmp_.path() / "store";
    config_ = tmp_.path() / "todoman_config.py";
    zarvo::testing::writeTodomanConfig(config_, root_, tmp_.path() / "cache.sqlite3");
    reminders::EventStoreOptions options;
    options.root = root_;
    options.coalescingDelay = std::chrono::milliseconds(20);
    io_ = CalendarIOTestAccess::make(options);  // watches the files, as the shared instance does
    std::promise<bool> granted;
    io_->requestAccess([&](bool ok, std::optional<reminders::StoreError>) { granted.set_value(ok); });
    ASSERT_TRUE(granted.get_future().get());
    context_ = openObjectContext((tmp_.path() / "records.sqlite").string());
    io_->setManagedContext(context_);
    io_->loadLists();
  }

  void TearDown() override {
    io_.reset();
    platform::MainQueue::drain();
  }

  std::string todoman(const std::string& arguments) {
    return zarvo::testing::runTodoman(config_, arguments);
  }

  std::map<std::string, nlohmann::json> todomanTasks() {
    return zarvo::testing::todomanTasksBySummary(config_);
  }

  TaskArray fetch(bool completedOnly) {
    std::promise<TaskArray> done;
    auto future = done.get_future();
    io_->fetch(std::nullopt, completedOnly, [&](const TaskArray& tasks) { done.set_value(tasks); });
    EXPECT_EQ(future.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    return future.get();
  }

  // The fetch after another program's change: once the store has announced a change, the cache is
  // stale and the fetch reads the files again.
  TaskArray fetchAfterChange(bool completedOnly) {
    EXPECT_TRUE(eventually([&] { return CalendarIOTestAccess::needsRefresh(*io_); }));
    return fetch(completedOnly);
  }

  static std::map<std::string, std::shared_ptr<Task>> byTitle(const TaskArray& tasks) {
    std::map<std::string, std::shared_ptr<Task>> out;
    for (auto& t : tasks) out[t->title().value_or("")] = t;
    return out;
  }

  reminders::testing::TempDir tmp_;
  fs::path root_, config_;
  std::shared_ptr<store::ObjectContext> context_;
  std::unique_ptr<CalendarIO> io_;
};

TEST_F(CalendarIOWithTodoman, ChangesFlowBothWaysWhileLive) {
  auto ours = io_->createTask("Ours to complete");
  io_->createTask("Ours to keep", nullptr, "our notes", true, 2);
  todoman("new -l Reminders --priority low 'Theirs to edit'");
  todoman("new -l Reminders 'Theirs to keep'");

  auto open = byTitle(fetchAfterChange(false));
  ASSERT_EQ(open.size(), 4u);
  EXPECT_EQ(open["Ours to complete"], ours) << "our task keeps its record";
  EXPECT_EQ(open["Theirs to edit"]->priority(), 1);

  // todoman completes our task and edits one of its own.
  auto listed = todomanTasks();
  ASSERT_EQ(listed.size(), 4u);
  EXPECT_EQ(listed["Ours to keep"]["description"].get<std::string>(), "our notes");
  todoman("done " + std::to_string(listed["Ours to complete"]["id"].get<int>()));
  todoman("edit " + std::to_string(listed["Theirs to edit"]["id"].get<int>()) + " --priority high -d 2027-01-20");

  open = byTitle(fetchAfterChange(false));
  ASSERT_EQ(open.size(), 3u);
  EXPECT_FALSE(open.contains("Ours to complete"));
  EXPECT_EQ(open["Theirs to edit"]->priority(), 2) << "todoman's high is 4";
  EXPECT_TRUE(open["Theirs to edit"]->dueDate().has_value());
  EXPECT_TRUE(open["Ours to keep"]->flagged()) << "what only the records hold stays";
  auto done = byTitle(fetch(true));
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(done["Ours to complete"], ours);
  EXPECT_TRUE(ours->isCompleted());

  // Our edit of todoman's task and a new task reach todoman, with everything it wrote kept.
  open["Theirs to keep"]->setNotes("added by us");
  io_->save(open["Theirs to keep"], false);
  io_->createTask("Ours later");
  listed = todomanTasks();
  ASSERT_EQ(listed.size(), 5u);
  EXPECT_EQ(listed["Theirs to keep"]["description"].get<std::string>(), "added by us");
  EXPECT_TRUE(listed["Ours to complete"]["completed"].get<bool>());
  EXPECT_EQ(listed["Theirs to edit"]["priority"].get<int>(), 4);
  EXPECT_FALSE(listed["Theirs to edit"]["due"].is_null());
  EXPECT_FALSE(listed["Ours later"]["completed"].get<bool>());

  open = byTitle(fetchAfterChange(false));
  EXPECT_EQ(open.size(), 4u);
  EXPECT_EQ(open["Theirs to keep"]->notes(), "added by us");
}

}  // namespace
}  // namespace zarvo
