// Far dates in task files: every year from 1 to 9999 is kept exactly through the files and the
// process's file cache; a year outside them is never written, and one another program wrote leaves
// that value out of a task that still shows.
#include <gtest/gtest.h>

#include "zarvo/platform/date_calendar.h"
#include "zarvo/reminders/event_store.h"
#include "zarvo/reminders/internal/file_cache.h"
#include "zarvo/reminders/internal/ical_file.h"
#include "zarvo/testing/reminders_store.h"

namespace zarvo::reminders {
namespace {

namespace fs = std::filesystem;
using platform::DateCalendar;
using platform::DateComponents;
using testing::readFile;
using testing::snapshot;
using testing::TempDir;
using testing::writeFile;

Date utc(int64_t y, int64_t mo, int64_t d, int64_t h = 0, int64_t mi = 0, int64_t s = 0) {
  return DateCalendar::gregorianUTC().date({.year = y, .month = mo, .day = d, .hour = h, .minute = mi, .second = s});
}

class FarDatesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store_ = std::make_unique<EventStore>(testing::optionsFor(root_));
    testing::createStore(*store_);
    calendar_ = store_->defaultCalendarForNewReminders();
    ASSERT_NE(calendar_, nullptr);
  }

  std::shared_ptr<Reminder> newReminder(const std::string& title) {
    auto r = Reminder::reminderWithEventStore(*store_);
    r->setCalendar(calendar_);
    r->setTitle(title);
    return r;
  }

  // What another process reads: the files alone (no file cache), or with the cache a first process saved.
  std::shared_ptr<Reminder> readBack(const std::string& uid, bool throughCache) {
    clearSharedFileCache();
    EventStoreOptions options = testing::optionsFor(root_);
    if (throughCache) {
      options.fileCachePath = tmp_.path() / "reminders.cache";
      {
        EventStore first(options);
        (void)first.remindersMatchingPredicate(first.predicateForCompletedReminders({}, {}, {}));
        (void)first.remindersMatchingPredicate(first.predicateForIncompleteReminders({}, {}, {}));
        first.saveFileCache();
      }
      EXPECT_TRUE(fs::exists(options.fileCachePath));
      clearSharedFileCache();
    }
    EventStore other(options);
    (void)other.remindersMatchingPredicate(other.predicateForCompletedReminders({}, {}, {}));
    return other.reminderWithExternalIdentifier(uid);
  }

  fs::path folder() const { return root_ / calendar_->calendarIdentifier(); }

  TempDir tmp_;
  fs::path root_ = tmp_.path() / "store";
  std::unique_ptr<EventStore> store_;
  std::shared_ptr<Calendar> calendar_;
};

// Years at both ends of what a file holds and at both ends of what a nanosecond clock held.
TEST_F(FarDatesTest, YearsOneToNineThousandRoundTripThroughFilesAndTheCache) {
  struct Row {
    int64_t year;
    const char* dueLine;
  };
  const Row rows[] = {
      {1, "DUE;TZID=Europe/Berlin:00010305T103015"},
      {1677, "DUE;TZID=Europe/Berlin:16770305T103015"},
      {2263, "DUE;TZID=Europe/Berlin:22630305T103015"},
      {9999, "DUE;TZID=Europe/Berlin:99990305T103015"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.year);
    const DateComponents due{.timeZone = "Europe/Berlin", .year = row.year, .month = 3, .day = 5, .hour = 10,
                             .minute = 30, .second = 15};
    const Date at = utc(row.year, 3, 4, 23, 59, 58);
    auto r = newReminder("far " + std::to_string(row.year));
    r->setDueDateComponents(due);
    r->addAlarm(Alarm::alarmWithAbsoluteDate(at));
    r->setCompleted(true);
    r->setCompletionDate(at);
    store_->saveReminder(r, true);
    const std::string file = readFile(folder() / (r->calendarItemExternalIdentifier() + ".ics"));
    EXPECT_NE(file.find(row.dueLine), std::string::npos) << file;
    for (const bool throughCache : {false, true}) {
      SCOPED_TRACE(throughCache ? "through the cache" : "from the file");
      const auto back = readBack(r->calendarItemExternalIdentifier(), throughCache);
      ASSERT_NE(back, nullptr);
      EXPECT_EQ(back->dueDateComponents(), due);
      EXPECT_EQ(back->completionDate(), at);
      ASSERT_EQ(back->alarms().size(), 1u);
      EXPECT_EQ(back->alarms()[0]->absoluteDate(), at);
      EXPECT_TRUE(back->datesLeftOut().empty());
    }
  }
}

// Nothing outside years 1 to 9999 reaches a file: the save is refused with the one message, and the
// folder stays as it was.
TEST_F(FarDatesTest, DatesOutsideTheKeptYearsAreRefusedBeforeAnythingIsWritten) {
  struct Row {
    const char* name;
    std::optional<DateComponents> due;
    std::optional<Date> alarm;
    const char* message;
  };
  const Row rows[] = {
      {"due in year 0", DateComponents{.year = 0, .month = 1, .day = 1}, std::nullopt,
       "the date 0000-01-01 is outside the dates zarvo can keep (years 1 to 9999)"},
      {"due in year 10000", DateComponents{.timeZone = "UTC", .year = 10000, .month = 1, .day = 1, .hour = 9},
       std::nullopt, "the date 10000-01-01 is outside the dates zarvo can keep (years 1 to 9999)"},
      {"due carried into year 10000", DateComponents{.year = 9999, .month = 13, .day = 1}, std::nullopt,
       "the date 10000-01-01 is outside the dates zarvo can keep (years 1 to 9999)"},
      {"due 44 BC", DateComponents{.era = 0, .year = 44, .month = 3, .day = 15}, std::nullopt,
       "the date -0043-03-15 is outside the dates zarvo can keep (years 1 to 9999)"},
      {"alarm in year 10000", std::nullopt, utc(10000, 1, 1, 9),
       "the date 10000-01-01 is outside the dates zarvo can keep (years 1 to 9999)"},
      {"alarm in year 0", std::nullopt, utc(0, 12, 31, 23),
       "the date 0000-12-31 is outside the dates zarvo can keep (years 1 to 9999)"},
  };
  const auto before = snapshot(root_);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EventStore handle(testing::optionsFor(root_));  // a refused save stays pending in its handle
    auto r = Reminder::reminderWithEventStore(handle);
    r->setCalendar(handle.defaultCalendarForNewReminders());
    r->setTitle(row.name);
    r->setDueDateComponents(row.due);
    if (row.alarm) r->addAlarm(Alarm::alarmWithAbsoluteDate(*row.alarm));
    std::string message;
    EXPECT_EQ(testing::failureOf([&] { handle.saveReminder(r, true); }, message), StoreErrorCode::invalid);
    EXPECT_EQ(message, row.message);
  }
  EXPECT_EQ(snapshot(root_), before);
}

// A file another program wrote with a time no task can keep: the task shows without that value and
// says which; a rewrite for another change keeps the line as written.
TEST_F(FarDatesTest, TimesOutsideTheKeptYearsInAFileAreLeftOutNotTheTask) {
  struct Row {
    const char* name;
    const char* lines;
    std::vector<std::string> leftOut;
  };
  const Row rows[] = {
      {"due in year 0", "DUE;VALUE=DATE:00000101\r\n", {"DUE 0000-01-01"}},
      {"timed due in year 0", "DUE:00000101T120000Z\r\n", {"DUE 0000-01-01"}},
      {"completed and created in year 0", "STATUS:COMPLETED\r\nCOMPLETED:00000101T000000Z\r\nCREATED:00000101T000000Z\r\n",
       {"COMPLETED 0000-01-01", "CREATED 0000-01-01"}},
      {"alarm in year 0",
       "DUE:20270101T090000Z\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER;VALUE=DATE-TIME:00000101T000000Z\r\n"
       "END:VALARM\r\n",
       {"TRIGGER 0000-01-01"}},
  };
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string uid = "far-" + std::to_string(++n);
    const fs::path path = folder() / (uid + ".ics");
    writeFile(path, testing::otherClientTask(uid, row.name, row.lines));
    for (const bool throughCache : {false, true}) {
      const auto back = readBack(uid, throughCache);
      ASSERT_NE(back, nullptr) << "the task vanished";
      EXPECT_EQ(back->title(), row.name);
      EXPECT_EQ(back->datesLeftOut(), row.leftOut);
    }
    EXPECT_TRUE(store_->skippedFiles().empty());

    EventStore writer(testing::optionsFor(root_));
    auto mine = writer.reminderWithExternalIdentifier(uid);
    ASSERT_NE(mine, nullptr);
    mine->setTitle(std::string(row.name) + ", renamed");
    writer.saveReminder(mine, true);
    const std::string after = readFile(path);
    const std::string lines = row.lines;
    for (size_t at = 0; at < lines.size();) {
      const size_t end = lines.find("\r\n", at) + 2;
      EXPECT_NE(after.find("\r\n" + lines.substr(at, end - at)), std::string::npos) << after;
      at = end;
    }
  }
}

// Setting the due to none on a task whose due was left out removes that line and keeps the others;
// changing anything else keeps it.
TEST_F(FarDatesTest, RemovingTheDueRemovesADueLeftOut) {
  const fs::path path = folder() / "far.ics";
  writeFile(path, testing::otherClientTask("far", "Far", "DUE;VALUE=DATE:00000101\r\nDESCRIPTION:kept\r\n"));
  EventStore writer(testing::optionsFor(root_));
  auto mine = writer.reminderWithExternalIdentifier("far");
  ASSERT_NE(mine, nullptr);
  mine->setTitle("Far, renamed");
  writer.saveReminder(mine, true);
  EXPECT_NE(readFile(path).find("\r\nDUE;VALUE=DATE:00000101\r\n"), std::string::npos);
  mine->setDueDateComponents(std::nullopt);
  EXPECT_TRUE(mine->datesLeftOut().empty());
  writer.saveReminder(mine, true);
  const std::string after = readFile(path);
  EXPECT_EQ(after.find("DUE"), std::string::npos) << after;
  EXPECT_NE(after.find("\r\nDESCRIPTION:kept\r\n"), std::string::npos) << after;
  EXPECT_NE(after.find("\r\nSUMMARY:Far\\, renamed\r\n"), std::string::npos) << after;
}

}  // namespace
}  // namespace zarvo::reminders
