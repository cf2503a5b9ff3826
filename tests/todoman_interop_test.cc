// Interoperability with todoman, a real client of the same vdir files: what the store writes,
// todoman lists; what todoman writes, the store reads.
#include <gtest/gtest.h>
#include <stdio.h>

#include <array>
#include <nlohmann/json.hpp>

#include "zarvo/reminders/event_store.h"
#include "zarvo/testing/reminders_store.h"
#include "zarvo/testing/todoman.h"

namespace zarvo::reminders {
namespace {

namespace fs = std::filesystem;
using platform::DateComponents;

int64_t epoch(int y, int mo, int d, int h = 0, int mi = 0) {
  return std::chrono::duration_cast<std::chrono::seconds>(
             (std::chrono::sys_days(std::chrono::year_month_day(std::chrono::year(y), std::chrono::month(mo),
                                                                std::chrono::day(d))) +
              std::chrono::hours(h) + std::chrono::minutes(mi))
                 .time_since_epoch())
      .count();
}

class TodomanInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!zarvo::testing::todomanInstalled()) GTEST_SKIP() << "todoman is not installed";
    root_ = tmp_.path() / "store";
    config_ = tmp_.path() / "todoman_config.py";  // todoman loads its configuration as a Python module
    // todoman's configuration is Python-like "key = value"; the glob makes every collection a list.
    zarvo::testing::writeTodomanConfig(config_, root_, tmp_.path() / "cache.sqlite3");
    store_ = std::make_unique<EventStore>(testing::optionsFor(root_));
    testing::createStore(*store_);
    calendar_ = store_->defaultCalendarForNewReminders();
  }

  // Runs todoman with the test's configuration in UTC; returns its standard output.
  std::string todoman(const std::string& arguments) {
    return zarvo::testing::runTodoman(config_, arguments);
  }

  std::map<std::string, nlohmann::json> listedBySummary() {
    return zarvo::testing::todomanTasksBySummary(config_);
  }

  testing::TempDir tmp_;
  fs::path root_, config_;
  std::unique_ptr<EventStore> store_;
  std::shared_ptr<Calendar> calendar_;
};

TEST_F(TodomanInterop, TodomanListsWhatTheStoreWrites) {
  auto add = [&](const std::string& title, int priority, std::optional<DateComponents> due, bool done) {
    auto r = Reminder::reminderWithEventStore(*store_);
    r->setCalendar(calendar_);
    r->setTitle(title);
    r->setNotes("Notes, with; punctuation\nand a second line");
    r->setPriority(priority);
    r->setDueDateComponents(due);
    r->setCompleted(done);
    store_->saveReminder(r, false);
  };
  add("Zoned ✓ ünïcödé", 1, DateComponents{.timeZone = "Europe/Berlin", .year = 2027, .month = 1, .day = 15, .hour = 9, .minute = 30}, false);
  add("Date only", 5, DateComponents{.year = 2027, .month = 2, .day = 1}, false);
  add("Floating", 9, DateComponents{.year = 2027, .month = 3, .day = 1, .hour = 17, .minute = 0}, false);
  add("Done", 0, std::nullopt, true);
  store_->commit();

  auto listed = listedBySummary();
  ASSERT_EQ(listed.size(), 4u);
  const auto& zoned = listed["Zoned ✓ ünïcödé"];
  EXPECT_EQ(zoned["due"].get<int64_t>(), epoch(2027, 1, 15, 8, 30));  // 09:30 in Berlin is 08:30 UTC
  EXPECT_EQ(zoned["priority"].get<int>(), 1);
  EXPECT_EQ(zoned["list"].get<std::string>(), "Reminders");
  EXPECT_EQ(zoned["description"].get<std::string>(), "Notes, with; punctuation\nand a second line");
  EXPECT_FALSE(zoned["completed"].get<bool>());
  EXPECT_EQ(listed["Date only"]["due"].get<int64_t>(), epoch(2027, 2, 1));
  EXPECT_EQ(listed["Date only"]["priority"].get<int>(), 5);
  EXPECT_EQ(listed["Floating"]["due"].get<int64_t>(), epoch(2027, 3, 1, 17, 0));
  EXPECT_TRUE(listed["Done"]["completed"].get<bool>());
  EXPECT_TRUE(listed["Done"]["due"].is_null());
}

TEST_F(TodomanInterop, StoreReadsWhatTodomanWrites) {
  todoman("new -l Reminders -d '2027-01-15 14:30' --priority high 'Call the dentist'");
  todoman("new -l Reminders -d 2027-01-20 'Pay rent'");
  todoman("new -l Reminders --priority low 'Buy groceries'");
  auto listed = listedBySummary();
  todoman("done " + std::to_string(listed["Buy groceries"]["id"].get<int>()));

  std::map<std::string, std::shared_ptr<Reminder>> read;
  for (bool done : {false, true}) {
    auto p = done ? store_->predicateForCompletedReminders({}, {}, {}) : store_->predicateForIncompleteReminders({}, {}, {});
    for (auto& r : store_->remindersMatchingPredicate(p)) read[r->title()] = r;
  }
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read["Call the dentist"]->dueDateComponents(),
            (DateComponents{.timeZone = "UTC", .year = 2027, .month = 1, .day = 15, .hour = 14, .minute = 30, .second = 0}));
  EXPECT_EQ(read["Call the dentist"]->priority(), 4);
  EXPECT_EQ(read["Call the dentist"]->calendar(), calendar_);
  EXPECT_EQ(read["Pay rent"]->dueDateComponents(), (DateComponents{.year = 2027, .month = 1, .day = 20}));
  EXPECT_FALSE(read["Pay rent"]->isCompleted());
  EXPECT_TRUE(read["Buy groceries"]->isCompleted());
  EXPECT_TRUE(read["Buy groceries"]->completionDate().has_value());
  EXPECT_EQ(read["Buy groceries"]->priority(), 9);

  // Our edit of a todoman task keeps what todoman wrote that we do not own, and todoman reads it.
  auto dentist = read["Call the dentist"];
  dentist->setTitle("Call the dentist again");
  dentist->setCompleted(true);
  store_->saveReminder(dentist, true);
  auto after = listedBySummary();
  ASSERT_TRUE(after.contains("Call the dentist again"));
  EXPECT_TRUE(after["Call the dentist again"]["completed"].get<bool>());
  EXPECT_EQ(after["Call the dentist again"]["due"].get<int64_t>(), epoch(2027, 1, 15, 14, 30));
}

}  // namespace
// Two tag changes made one after the other, and a file another client wrote with two CATEGORIES
// lines, each end with one CATEGORIES line holding every tag, which todoman reads.
TEST_F(TodomanInterop, TaggingTwiceLeavesOneCategoriesLineTodomanReads) {
  auto r = Reminder::reminderWithEventStore(*store_);
  r->setCalendar(calendar_);
  r->setTitle("Tagged twice");
  r->setCategories({"errands"});
  store_->saveReminder(r, true);
  r->setCategories({"errands", "urgent"});
  store_->saveReminder(r, true);

  const fs::path theirs = root_ / calendar_->calendarIdentifier() / "theirs.ics";
  testing::writeFile(theirs,
                     "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VTODO\r\nUID:theirs\r\n"
                     "SUMMARY:Two lines\r\nCATEGORIES:home\r\nCATEGORIES:garden\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
  clearSharedFileCache();
  store_->reset();
  auto two = store_->reminderWithExternalIdentifier("theirs");
  ASSERT_NE(two, nullptr);
  two->setTitle("Two lines, merged");
  store_->saveReminder(two, true);

  for (const auto& [file, tags] : {std::pair{root_ / calendar_->calendarIdentifier() / (r->calendarItemExternalIdentifier() + ".ics"),
                                             std::string("CATEGORIES:errands,urgent\r\n")},
                                   std::pair{theirs, std::string("CATEGORIES:home,garden\r\n")}}) {
    const std::string text = testing::readFile(file);
    EXPECT_EQ(text.find("CATEGORIES"), text.rfind("CATEGORIES")) << text;
    EXPECT_NE(text.find(tags), std::string::npos) << text;
  }
  const auto listed = listedBySummary();
  EXPECT_TRUE(listed.contains("Tagged twice"));
  EXPECT_TRUE(listed.contains("Two lines, merged"));
}

}  // namespace zarvo::reminders
