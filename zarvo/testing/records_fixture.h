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
#include "zarvo/reminders/event_store.h"
#include "zarvo/testing/dates.h"
#include "zarvo/testing/reminders_store.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo::testing {

class RecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clock_->set(at(2024, 3, 11, 15, 0));

    reminders::EventStoreOptions options;
    options.root = dir_ / "reminders";
    options.watchForChanges = false;
    store_ = std::make_unique<reminders::EventStore>(options);
    reminders::testing::createStore(*store_);
    if (HasFatalFailure()) return;
    auto calendars = store_->calendarsForEntityType(reminders::EntityType::reminder);
    ASSERT_FALSE(calendars.empty());
    calendar_ = calendars.front();
    ASSERT_TRUE(calendar_->source());
    context_ = openObjectContext((dir_ / "records.sqlite").string());
  }

  void TearDown() override {
    context_.reset();
    store_.reset();
  }

  // A wall-clock time in the process zone (Europe/Berlin).
  static Date at(int year, int month, int day, int hour, int minute, int second = 0) {
    return localDate(year, month, day, hour, minute, second);
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

  TempDir tmp_{"zarvo-model"};
  std::filesystem::path dir_ = tmp_.path();
  ScopedTimeZone zone_{"Europe/Berlin"};
  std::shared_ptr<platform::FixedClock> clock_ = std::make_shared<platform::FixedClock>(Date{});
  platform::ScopedClock scopedClock_{clock_};
  std::unique_ptr<reminders::EventStore> store_;
  std::shared_ptr<reminders::Calendar> calendar_;
  std::shared_ptr<store::ObjectContext> context_;
};

}  // namespace zarvo::testing
