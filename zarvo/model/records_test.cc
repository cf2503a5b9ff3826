#include <gtest/gtest.h>

#include <array>

#include "zarvo/testing/records_fixture.h"

namespace zarvo::testing {
namespace {

using namespace std::chrono_literals;
using platform::Colour;

TEST_F(RecordsTest, TaskWithoutReminderFallsBack) {
  auto t = Task::create(nullptr, context_);
  EXPECT_EQ(t->calendarId(), "NO CALENDAR");
  EXPECT_EQ(t->priority(), 0);
  EXPECT_FALSE(t->title());
  EXPECT_FALSE(t->notes());
  EXPECT_FALSE(t->dueDate());
  EXPECT_EQ(t->dueDays(), 0);
  EXPECT_FALSE(t->isPastDue());
  EXPECT_FALSE(t->isDueTodayOrEarlier());
  EXPECT_FALSE(t->isCompleted());
  EXPECT_EQ(t->notesColor(), Colour::secondaryLabel());
  EXPECT_EQ(t->titleColor(), Colour::label());
  t->setTitle("ignored");
  t->setPriority(3);
  t->setDueDate(clock_->now());
  EXPECT_FALSE(t->title());
  t->setIsCompleted(true);  // still records the stored copy
  EXPECT_TRUE(t->completed());
  EXPECT_FALSE(t->isCompleted());
}

TEST_F(RecordsTest, TextAndDatesReadAndWriteThroughTheReminder) {
  auto t = task("first");
  auto r = t->reminder();
  EXPECT_EQ(t->title(), "first");
  t->setTitle("second");
  EXPECT_EQ(r->title(), "second");
  EXPECT_FALSE(t->notes());
  t->setNotes("some notes");
  EXPECT_EQ(r->notes(), "some notes");
  t->setNotes(std::nullopt);
  EXPECT_FALSE(r->notes());
  ASSERT_TRUE(r->creationDate());  // stamped by the store's first save
  EXPECT_EQ(t->creationDate(), r->creationDate());
  EXPECT_FALSE(t->completionDate());
  r->setCompleted(true);
  EXPECT_EQ(t->completionDate(), clock_->now());
  EXPECT_EQ(t->calendarId(), calendar_->calendarIdentifier());
  r->setCalendar(nullptr);
  EXPECT_EQ(t->calendarId(), "NO CALENDAR");
}

TEST_F(RecordsTest, PriorityScaleBothWays) {
  auto t = task("p");
  // {stored, read by default, read on the RFC 5545 scale}
  const std::array<int, 3> reads[] = {{0, 0, 0}, {1, 3, 3}, {2, 3, 3}, {3, 2, 3}, {4, 2, 3}, {5, 2, 2}, {6, 1, 1},
                                      {7, 1, 1}, {8, 1, 1}, {9, 1, 1}, {10, 0, 0}, {-1, 0, 0}};
  for (const auto& [stored, read, rfc] : reads) {
    t->reminder()->setPriority(stored);
    EXPECT_EQ(t->priority(), read) << stored;
    Task::setRfcPriorityScale(true);
    EXPECT_EQ(t->priority(), rfc) << stored << " on the RFC scale";
    Task::setRfcPriorityScale(false);
  }
  const std::pair<int, int> writes[] = {{0, 0}, {1, 9}, {2, 5}, {3, 1}, {4, 0}, {-1, 0}};
  for (auto [written, stored] : writes) {
    t->setPriority(written);
    EXPECT_EQ(t->reminder()->priority(), stored) << written;
  }
  t->setPriority(3);
  EXPECT_EQ(t->nextPriority(), 3);
  EXPECT_EQ(t->previousPriority(), 2);
  t->setPriority(0);
  EXPECT_EQ(t->previousPriority(), 0);
  EXPECT_EQ(t->nextPriority(), 1);
}

TEST_F(RecordsTest, DueDateWritingReplacesAlarms) {
  auto t = task("due");
  auto r = t->reminder();
  r->addAlarm(reminders::Alarm::alarmWithAbsoluteDate(at(2024, 3, 1, 9, 0)));
  r->addAlarm(reminders::Alarm::alarmWithAbsoluteDate(at(2024, 3, 2, 9, 0)));

  const Date due = at(2024, 3, 12, 17, 30, 15);
  t->setDueDate(due);
  ASSERT_TRUE(r->dueDateComponents());
  const auto& c = *r->dueDateComponents();
  EXPECT_EQ(c.timeZone, "Europe/Berlin");
  EXPECT_EQ(c.year, 2024);
  EXPECT_EQ(c.month, 3);
  EXPECT_EQ(c.day, 12);
  EXPECT_EQ(c.hour, 17);
  EXPECT_EQ(c.minute, 30);
  EXPECT_EQ(c.second, 15);
  ASSERT_EQ(r->alarms().size(), 1u);
  EXPECT_EQ(r->alarms()[0]->absoluteDate(), due);
  EXPECT_EQ(t->dueDate(), due);

  // Survives the reminders store: written to the file and read back.
  store_->saveReminder(r, true);
  store_->reset();
  auto reread = store_->reminderWithExternalIdentifier(r->calendarItemExternalIdentifier());
  ASSERT_TRUE(reread);
  t->setReminder(reread);
  EXPECT_EQ(t->dueDate(), due);

  t->setDueDate(std::nullopt);
  EXPECT_FALSE(reread->dueDateComponents());
  EXPECT_TRUE(reread->alarms().empty());
  EXPECT_FALSE(t->dueDate());
}

TEST_F(RecordsTest, DueDateNeedsYearMonthAndDay) {
  auto t = task("partial");
  platform::DateComponents c;
  c.hour = 9;
  t->reminder()->setDueDateComponents(c);
  EXPECT_FALSE(t->dueDate());
  c.year = 2024;
  c.month = 3;
  c.day = 14;
  c.hour.reset();  // a date-only due date is the start of that day
  t->reminder()->setDueDateComponents(c);
  EXPECT_EQ(t->dueDate(), at(2024, 3, 14, 0, 0));
}

TEST_F(RecordsTest, FloatingDueDateFollowsTheProcessZoneAfterItWasRead) {
  auto t = task("floating");
  platform::DateComponents c;
  c.year = 2024;
  c.month = 3;
  c.day = 12;
  c.hour = 9;
  t->reminder()->setDueDateComponents(c);  // no zone: 09:00 wherever the user is
  EXPECT_EQ(t->dueDate(), at(2024, 3, 12, 9, 0));
  platform::DateCalendar::setProcessTimeZone("America/New_York");
  EXPECT_EQ(t->dueDate(), at(2024, 3, 12, 9, 0));  // `at` reads the new zone too
  // 09:00 in New York (UTC-4 after its DST change) is 14:00 in Berlin (UTC+1).
  EXPECT_EQ(*t->dueDate(), platform::DateCalendar::inZone("Europe/Berlin")->date(c) + std::chrono::hours(5));
}

// A task keeps the instant of its due date between calls; a change of any component the instant
// depends on, made on the reminder behind the task's back, must still be seen on the next call.
TEST_F(RecordsTest, DueDateFollowsEveryChangeOfTheReminderComponents) {
  using Change = void (*)(platform::DateComponents&);
  const std::pair<const char*, Change> changes[] = {
      {"year", [](platform::DateComponents& c) { c.year = 2025; }},
      {"month", [](platform::DateComponents& c) { c.month = 4; }},
      {"day", [](platform::DateComponents& c) { c.day = 13; }},
      {"hour", [](platform::DateComponents& c) { c.hour = 10; }},
      {"minute", [](platform::DateComponents& c) { c.minute = 31; }},
      {"second", [](platform::DateComponents& c) { c.second = 1; }},
      {"nanosecond", [](platform::DateComponents& c) { c.nanosecond = 500'000'000; }},
      {"zone to another", [](platform::DateComponents& c) { c.timeZone = "America/Los_Angeles"; }},
      {"zone dropped", [](platform::DateComponents& c) { c.timeZone.reset(); }},
      // Out of any small field's range: must not be taken for the month 256 less.
      {"month past a byte", [](platform::DateComponents& c) { c.month = *c.month + 256; }},
      {"year past 32 bits", [](platform::DateComponents& c) { c.year = *c.year + (int64_t{1} << 32); }},
  };
  platform::DateComponents first;
  first.timeZone = "America/Argentina/Buenos_Aires";  // longer than a short string's own room
  first.year = 2024;
  first.month = 3;
  first.day = 12;
  first.hour = 9;
  first.minute = 30;
  for (const auto& [what, change] : changes) {
    auto t = task(what);
    t->reminder()->setDueDateComponents(first);
    const auto before = t->dueDate();
    ASSERT_TRUE(before) << what;
    EXPECT_EQ(t->dueDate(), before) << what;  // kept, and the same
    platform::DateComponents next = first;
    change(next);
    t->reminder()->setDueDateComponents(next);
    const auto fresh = task(std::string(what) + " fresh");
    fresh->reminder()->setDueDateComponents(next);
    const auto expected = fresh->dueDate();
    EXPECT_NE(expected, before) << what << ": the change must move the due date";
    EXPECT_EQ(t->dueDate(), expected) << what;
    // Back again: a stale answer from the second reading must not stick either.
    t->reminder()->setDueDateComponents(first);
    EXPECT_EQ(t->dueDate(), before) << what << " undone";
  }
}

TEST_F(RecordsTest, CompletionNeedsFlagAndDateAndClearsAlarms) {
  auto t = task("done");
  auto r = t->reminder();
  r->setCompleted(true);
  r->setCompletionDate(std::nullopt);
  EXPECT_FALSE(t->isCompleted());
  EXPECT_EQ(t->titleColor(), Colour::tertiaryLabel());  // the colour looks at the flag only
  EXPECT_EQ(t->notesColor(), Colour::tertiaryLabel());

  r->setCompleted(false);
  t->setDueDate(at(2024, 3, 12, 9, 0));
  std::vector<std::string> told;
  auto a = t->observe("titleColor", [&](const std::string& k) { told.push_back(k); });
  auto b = t->observe("notesColor", [&](const std::string& k) { told.push_back(k); });
  auto c = t->observe("filteredCountTitle", [&](const std::string& k) { told.push_back(k); });
  t->setIsCompleted(true);
  EXPECT_TRUE(r->isCompleted());
  EXPECT_EQ(r->completionDate(), clock_->now());
  EXPECT_TRUE(t->completed());
  EXPECT_TRUE(t->isCompleted());
  EXPECT_TRUE(r->alarms().empty());
  EXPECT_EQ(told, (std::vector<std::string>{"titleColor", "notesColor"}));

  t->setIsCompleted(false);
  EXPECT_FALSE(t->completed());
  EXPECT_FALSE(r->completionDate());
}

TEST_F(RecordsTest, PastDueAndWholeDueDays) {
  auto t = task("days", clock_->now());
  EXPECT_TRUE(t->isPastDue());  // due exactly now
  EXPECT_EQ(t->dueDays(), 0);
  t->setDueDate(clock_->now() + 1s);
  EXPECT_FALSE(t->isPastDue());
  EXPECT_TRUE(t->isDueTodayOrEarlier());
  t->setDueDate(at(2024, 3, 10, 16, 0));  // 23 hours ago: not a whole day
  EXPECT_EQ(t->dueDays(), 0);
  t->setDueDate(at(2024, 3, 10, 15, 0));
  EXPECT_EQ(t->dueDays(), 1);
  t->setDueDate(at(2024, 3, 13, 14, 0));  // 47 hours ahead
  EXPECT_EQ(t->dueDays(), -1);
  EXPECT_FALSE(t->isDueTodayOrEarlier());
  t->setDueDate(at(2024, 3, 11, 23, 59));
  EXPECT_TRUE(t->isDueTodayOrEarlier());
}

TEST_F(RecordsTest, TitleColourRules) {
  struct Case { Date due; bool colorize; Colour expected; };
  const Case cases[] = {
      {at(2024, 3, 8, 15, 0), true, Colour::systemOrange()},   // 3 days ago
      {at(2024, 3, 4, 15, 0), true, Colour::systemRed()},      // 7 days ago
      {at(2024, 3, 4, 16, 0), true, Colour::systemOrange()},   // 6 days 23 hours ago
      {at(2024, 3, 12, 15, 0), true, Colour::label()},         // tomorrow
      {at(2024, 3, 11, 23, 0), true, Colour::systemOrange()},  // later today
      {at(2024, 3, 4, 15, 0), false, Colour::label()},
      {at(2024, 3, 11, 23, 0), false, Colour::label()},
  };
  for (const auto& c : cases) {
    Task::setColorizeTitles(c.colorize);
    auto t = task("colour", c.due);
    EXPECT_EQ(t->titleColor(), c.expected) << t->dueDays();
  }
  Task::setColorizeTitles(true);
  auto done = task("done", at(2024, 3, 4, 15, 0));
  done->setIsCompleted(true);
  EXPECT_EQ(done->titleColor(), Colour::tertiaryLabel());
  Task::setColorizeTitles(false);
}

TEST_F(RecordsTest, ListPropertiesThroughTheCalendar) {
  auto bare = List::create(nullptr, context_);
  EXPECT_EQ(bare->title(), "");
  EXPECT_EQ(bare->color(), Colour::label());
  EXPECT_EQ(bare->order(), -1);
  bare->setTitle("ignored");
  EXPECT_EQ(bare->title(), "");

  auto list = List::create(calendar_, context_);
  EXPECT_EQ(list->title(), calendar_->title());
  list->setTitle("Groceries");
  EXPECT_EQ(calendar_->title(), "Groceries");
  calendar_->setColor(std::nullopt);
  EXPECT_EQ(list->color(), Colour::label());
  list->setColor(Colour::rgb({0x12, 0x34, 0x56, 255}));
  EXPECT_EQ(calendar_->color()->hex(), "#123456");
  EXPECT_EQ(list->color(), Colour::rgb({0x12, 0x34, 0x56, 255}));
  list->setColor(Colour::systemRed());  // a semantic colour is stored as its light value
  EXPECT_EQ(calendar_->color()->hex(), "#FF3B30");
}

TEST_F(RecordsTest, FilteredCountTitleIsLocalizedAndObserved) {
  auto list = List::create(calendar_, context_);
  EXPECT_EQ(list->filteredCountTitle(), "0 tasks");
  int told = 0;
  auto token = list->observe("filteredCountTitle", [&](const std::string&) { ++told; });
  list->setFilteredCount(1);
  EXPECT_EQ(list->filteredCountTitle(), "1 task");
  list->setFilteredCount(12);
  EXPECT_EQ(list->filteredCountTitle(), "12 tasks");
  EXPECT_EQ(told, 2);
  token.reset();
  list->setFilteredCount(13);
  EXPECT_EQ(told, 2);
}

TEST_F(RecordsTest, StoredAttributesSurviveSaveAndReopen) {
  const std::string path = (dir_ / "records.sqlite").string();
  {
    auto t = task("stored");
    t->setFlagged(true);
    t->setImportant(true);
    t->setHexColor("#ABCDEF");
    t->setOrder(-7);
    auto tag = Tag::fetchOrCreate("home", context_);
    t->setTags({tag});
    auto list = List::create(calendar_, context_);
    list->setOrder(4);
    list->setVisible(false);
    list->setCollapsed(true);
    list->setFilteredCount(9);
    context_->save();
  }
  context_.reset();
  auto reopened = openObjectContext(path);
  auto tasks = reopened->fetch<Task>(Task::fetchRequest());
  ASSERT_EQ(tasks.size(), 1u);
  auto& t = *tasks[0];
  EXPECT_EQ(t.timestamp(), clock_->now());
  EXPECT_EQ(t.sourceId(), calendar_->source()->title());
  EXPECT_TRUE(t.reminderId());
  EXPECT_TRUE(t.flagged());
  EXPECT_TRUE(t.important());
  EXPECT_FALSE(t.completed());
  EXPECT_EQ(t.hexColor(), "#ABCDEF");
  EXPECT_EQ(t.order(), -7);
  EXPECT_FALSE(t.reminder());  // the link is never stored
  ASSERT_EQ(t.tags().size(), 1u);
  EXPECT_EQ(t.tags()[0]->title(), "home");
  EXPECT_EQ(t.tags()[0]->tasks(), tasks);

  auto lists = reopened->fetch<List>(List::fetchRequest());
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0]->calendarId(), calendar_->calendarIdentifier());
  EXPECT_EQ(lists[0]->order(), 4);
  EXPECT_FALSE(lists[0]->visible());
  EXPECT_TRUE(lists[0]->collapsed());
  EXPECT_EQ(lists[0]->filteredCount(), 9);
}

}  // namespace
}  // namespace zarvo::testing
