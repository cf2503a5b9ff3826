// Test fixture: a temporary reminders store with one calendar, a temporary records database, a fixed
// clock and a fixed process time zone.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <future>

#include "zarvo/model/list.h"
#include "zarvo/model/tag.h"
#include "zarvo/model/task.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/sync/reminders/event_store.h"

namespace zarvo::testing {

class RecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string templ = (std::filesystem::temp_directory_path() / "zarvo-model-XXXXXX").string();
    dir_ = mkdtemp(templ.data());
    previousZone_ = platform::DateCalendar::processTimeZone();
    platform::DateCalendar::setProcessTimeZone("Europe/Berlin");
    clock_->set(at(2024, 3, 11, 15, 0));

    reminders::EventStoreOptions options;
    options.root = dir_ / "reminders";
    options.watchForChanges = false;
    store_ = std::make_unique<reminders::EventStore>(options);
    std::promise<bool> granted;
    store_->requestAccessToEntityType(reminders::EntityType::reminder,
                                      [&](bool ok, std::optional<reminders::StoreError>) { granted.set_value(ok); });
    ASSERT_TRUE(granted.get_future().get());
    auto calendars = store_->calendarsForEntityType(reminders::EntityType::reminder);
    ASSERT_FALSE(calendars.empty());
    calendar_ = calendars.front();
    ASSERT_TRUE(calendar_->source());
    context_ = openObjectContext((dir_ / "records.sqlite").string());
  }

  void TearDown() override {
    context_.reset();
    store_.reset();
    platform::DateCalendar::setProcessTimeZone(previousZone_);
    std::filesystem::remove_all(dir_);
  }

  // A wall-clock time in the process zone (Europe/Berlin).
  static Date at(int year, int month, int day, int hour, int minute, int second = 0) {
    platform::DateComponents c;
    c.year = year;
    c.month = month;
    c.day = day;
    c.hour = hour;
    c.minute = minute;
    c.second = second;
    return platform::DateCalendar::current().date(c);
  }

  // A reminder saved in the store's calendar.
  std::shared_ptr<reminders::Reminder> reminder(const std::string& title) {
    auto r = reminders::Reminder::reminderWithEventStore(*store_);
    r->setCalendar(calendar_);
    r->setTitle(title);
    store_->saveReminder(r, true);
    return r;
  }

  // A task in the context linked to a new reminder, optionally due at `due`.
  std::shared_ptr<Task> task(const std::string& title, std::optional<Date> due = std::nullopt) {
    auto t = Task::create(reminder(title), context_);
    if (due) t->setDueDate(due);
    return t;
  }

  std::filesystem::path dir_;
  std::string previousZone_;
  std::shared_ptr<platform::FixedClock> clock_ = std::make_shared<platform::FixedClock>(Date{});
  platform::ScopedClock scopedClock_{clock_};
  std::unique_ptr<reminders::EventStore> store_;
  std::shared_ptr<reminders::Calendar> calendar_;
  std::shared_ptr<store::ObjectContext> context_;
};

}  // namespace zarvo::testing
