#include "zarvo/reminders/event_store.h"

#include <gtest/gtest.h>

#include <cctype>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <random>
#include <thread>

#include "zarvo/platform/log.h"
#include "zarvo/platform/notifications.h"
#include "zarvo/reminders/internal/ical_file.h"
#include "zarvo/testing/fake_file_watcher.h"
#include "zarvo/testing/paths.h"
#include "zarvo/testing/reminders_store.h"

namespace zarvo::reminders {
namespace {

namespace fs = std::filesystem;
using platform::DateComponents;
using testing::linesExcept;
using testing::readFile;
using testing::snapshot;
using testing::TempDir;
using testing::writeFile;

Date utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return Date(std::chrono::sys_days(std::chrono::year_month_day(std::chrono::year(y), std::chrono::month(mo),
                                                                std::chrono::day(d)))) +
         std::chrono::hours(h) + std::chrono::minutes(mi) + std::chrono::seconds(s);
}

class RemindersStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store_ = std::make_unique<EventStore>(testing::optionsFor(dir_.path()));
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

  // What a second handle reads after the process-wide cache is dropped: the files alone.
  std::vector<std::shared_ptr<Reminder>> readBack(bool completed = false) {
    clearSharedFileCache();
    EventStore other(testing::optionsFor(dir_.path()));
    return other.remindersMatchingPredicate(completed ? other.predicateForCompletedReminders({}, {}, {})
                                                      : other.predicateForIncompleteReminders({}, {}, {}));
  }

  std::shared_ptr<Reminder> readBackOne(const std::string& uid) {
    clearSharedFileCache();
    EventStore other(testing::optionsFor(dir_.path()));
    return other.reminderWithExternalIdentifier(uid);
  }

  fs::path fileOf(const std::shared_ptr<Reminder>& r) {
    for (const auto& e : fs::directory_iterator(dir_.path() / r->calendar()->calendarIdentifier())) {
      if (e.path().extension() == ".ics" && readFile(e.path()).find(r->calendarItemExternalIdentifier()) != std::string::npos) {
        return e.path();
      }
    }
    return {};
  }

  TempDir tmp_;
  struct Root {
    fs::path p;
    const fs::path& path() const { return p; }
  } dir_{tmp_.path() / "store"};
  std::unique_ptr<EventStore> store_;
  std::shared_ptr<Calendar> calendar_;
};

TEST_F(RemindersStoreTest, RequestAccessMakesLocalSourceAndDefaultCalendar) {
  TempDir other;
  const fs::path root = other.path() / "nested" / "root";
  EXPECT_EQ(EventStore::authorizationStatusForEntityType(EntityType::reminder, root),
            AuthorizationStatus::notDetermined);
  EventStore store(testing::optionsFor(root));
  std::promise<std::thread::id> answeredOn;
  store.requestAccessToEntityType(EntityType::reminder, [&](bool granted, std::optional<StoreError> error) {
    EXPECT_TRUE(granted);
    EXPECT_FALSE(error);
    answeredOn.set_value(std::this_thread::get_id());
  });
  EXPECT_NE(answeredOn.get_future().get(), std::this_thread::get_id());
  EXPECT_EQ(store.authorizationStatus(EntityType::reminder), AuthorizationStatus::authorized);
  auto calendars = store.calendarsForEntityType(EntityType::reminder);
  ASSERT_EQ(calendars.size(), 1u);
  EXPECT_EQ(calendars[0]->title(), "Reminders");
  EXPECT_EQ(store.defaultCalendarForNewReminders(), calendars[0]);  // same object within a handle
  ASSERT_EQ(store.sources().size(), 1u);
  EXPECT_EQ(store.sources()[0]->sourceType(), SourceType::local);
  EXPECT_EQ(calendars[0]->source(), store.sources()[0]);
  EXPECT_TRUE(store.calendarsForEntityType(EntityType::event).empty());
}

TEST_F(RemindersStoreTest, EveryMappedFieldRoundTrips) {
  const std::string longTitle =
      "Ünïcödé títle that is long enough to be folded more than once: ä ö ü € 😀 日本語のテキスト, "
      "commas; semicolons \\ backslashes and more text to pass one hundred and fifty octets";
  struct Case {
    std::string title;
    std::optional<std::string> notes;
    int priority;
    std::optional<DateComponents> due;
  };
  std::vector<Case> cases = {
      {longTitle, "Line one\nline two, with comma; and semicolon", 1, DateComponents{.timeZone = "Europe/Berlin", .year = 2027, .month = 3, .day = 28, .hour = 9, .minute = 30, .second = 0}},
      {"Floating", std::nullopt, 5, DateComponents{.year = 2027, .month = 1, .day = 10, .hour = 17, .minute = 0, .second = 0}},
      {"Date only", "", 9, DateComponents{.year = 2027, .month = 2, .day = 28}},
      {"UTC", std::nullopt, 0, DateComponents{.timeZone = "UTC", .year = 2027, .month = 6, .day = 1, .hour = 23, .minute = 59, .second = 58}},
      {"No due", std::nullopt, 3, std::nullopt},
  };
  for (int p = 0; p <= 9; ++p) cases.push_back({"Priority " + std::to_string(p), std::nullopt, p, std::nullopt});

  std::vector<std::string> uids;
  for (const auto& c : cases) {
    auto r = newReminder(c.title);
    r->setNotes(c.notes);
    r->setPriority(c.priority);
    r->setDueDateComponents(c.due);
    r->addAlarm(Alarm::alarmWithAbsoluteDate(utc(2027, 1, 9, 8, 0)));
    store_->saveReminder(r, true);
    EXPECT_TRUE(r->creationDate().has_value());
    uids.push_back(r->calendarItemExternalIdentifier());
  }
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].title);
    auto back = readBackOne(uids[i]);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->title(), cases[i].title);
    EXPECT_EQ(back->notes(), cases[i].notes);
    EXPECT_EQ(back->priority(), cases[i].priority);
    EXPECT_EQ(back->dueDateComponents(), cases[i].due);
    EXPECT_FALSE(back->isCompleted());
    EXPECT_TRUE(back->creationDate().has_value());
    ASSERT_EQ(back->alarms().size(), 1u);
    EXPECT_EQ(back->alarms()[0]->absoluteDate(), utc(2027, 1, 9, 8, 0));
    EXPECT_EQ(back->calendar()->calendarIdentifier(), calendar_->calendarIdentifier());
  }
  // A zone needs its VTIMEZONE in the file, once.
  auto berlin = readFile(fileOf(readBackOne(uids[0])));
  EXPECT_NE(berlin.find("DUE;TZID=Europe/Berlin:20270328T093000"), std::string::npos);
  EXPECT_NE(berlin.find("BEGIN:VTIMEZONE"), berlin.rfind("BEGIN:VTIMEZONE") + 1);
}

// Reminders read from one file version share its values until they change: a change to one is its
// own, the other still shows the file; a value read before a change and a save stays readable.
TEST_F(RemindersStoreTest, RemindersOfOneFileVersionChangeApart) {
  platform::ScopedClock clock(std::make_shared<platform::FixedClock>(utc(2026, 12, 5, 10, 0, 0)));
  auto r = newReminder("As saved");
  r->setNotes("notes");
  r->setPriority(5);
  r->setDueDateComponents(DateComponents{.year = 2027, .month = 3, .day = 1});
  r->setFlagged(true);
  r->setOrder(3);
  r->setCategories({"home", "errand"});
  store_->saveReminder(r, true);
  const std::string uid = r->calendarItemExternalIdentifier();
  r.reset();  // nothing but the store holds the version saved
  auto asSaved = [](const Reminder& x) {
    return x.title() == "As saved" && x.notes() == "notes" && x.priority() == 5 &&
           x.dueDateComponents() == DateComponents{.year = 2027, .month = 3, .day = 1} && !x.isCompleted() &&
           !x.completionDate() && x.flagged() == true && x.order() == 3 &&
           x.categories() == std::vector<std::string>{"home", "errand"} && x.datesLeftOut().empty();
  };
  const std::vector<std::pair<const char*, std::function<void(Reminder&)>>> changes = {
      {"title", [](Reminder& x) { x.setTitle("Changed"); }},
      {"notes", [](Reminder& x) { x.setNotes(std::nullopt); }},
      {"priority", [](Reminder& x) { x.setPriority(1); }},
      {"due", [](Reminder& x) { x.setDueDateComponents(std::nullopt); }},
      {"completed", [](Reminder& x) { x.setCompleted(true); }},
      {"completion date", [](Reminder& x) { x.setCompletionDate(utc(2026, 1, 1)); }},
      {"flag", [](Reminder& x) { x.setFlagged(false); }},
      {"order", [](Reminder& x) { x.setOrder(std::nullopt); }},
      {"tags", [](Reminder& x) { x.setCategories({}); }},
  };
  for (const auto& [what, change] : changes) {
    SCOPED_TRACE(what);
    auto a = store_->reminderWithExternalIdentifier(uid);
    auto b = store_->reminderWithExternalIdentifier(uid);
    ASSERT_TRUE(a && b);
    ASSERT_NE(a, b);
    ASSERT_TRUE(asSaved(*a) && asSaved(*b));
    change(*a);
    EXPECT_FALSE(asSaved(*a)) << "the change shows on the reminder changed";
    EXPECT_TRUE(asSaved(*b)) << "and on no other";
    EXPECT_TRUE(asSaved(*store_->reminderWithExternalIdentifier(uid))) << "nor on one read afterwards";
  }

  auto a = store_->reminderWithExternalIdentifier(uid);
  const std::string& title = a->title();
  const std::vector<std::string>& tags = a->categories();
  a->setNotes("other notes");
  store_->saveReminder(a, true);
  // Another save replaces the version a was read from everywhere but in a.
  auto b = store_->reminderWithExternalIdentifier(uid);
  b->setTitle("Saved again");
  store_->saveReminder(b, true);
  EXPECT_EQ(title, "As saved");
  EXPECT_EQ(tags, (std::vector<std::string>{"home", "errand"}));
  EXPECT_EQ(a->notes(), "other notes");
  EXPECT_EQ(readBackOne(uid)->title(), "Saved again");
}

TEST_F(RemindersStoreTest, CompletionRoundTripsAndUndoClearsIt) {
  platform::ScopedClock clock(std::make_shared<platform::FixedClock>(utc(2026, 12, 5, 10, 0, 0)));
  auto r = newReminder("Finish");
  r->addAlarm(Alarm::alarmWithAbsoluteDate(utc(2027, 1, 1)));
  store_->saveReminder(r, true);
  r->setCompleted(true);
  r->removeAlarm(r->alarms()[0]);
  store_->saveReminder(r, true);

  auto completed = readBack(true);
  ASSERT_EQ(completed.size(), 1u);
  EXPECT_TRUE(completed[0]->isCompleted());
  EXPECT_EQ(completed[0]->completionDate(), utc(2026, 12, 5, 10, 0, 0));
  EXPECT_TRUE(completed[0]->alarms().empty());
  EXPECT_TRUE(readBack(false).empty());
  std::string text = readFile(fileOf(r));
  EXPECT_NE(text.find("STATUS:COMPLETED"), std::string::npos);
  EXPECT_NE(text.find("COMPLETED:20261205T100000Z"), std::string::npos);

  r->setCompleted(false);
  store_->saveReminder(r, true);
  text = readFile(fileOf(r));
  EXPECT_NE(text.find("STATUS:NEEDS-ACTION"), std::string::npos);
  EXPECT_EQ(text.find("COMPLETED:"), std::string::npos);
  EXPECT_EQ(readBack(false).size(), 1u);
}

TEST_F(RemindersStoreTest, PendingWritesStayInTheirHandleUntilCommit) {
  EventStore second(testing::optionsFor(dir_.path()));
  auto all = [](EventStore& s) { return s.remindersMatchingPredicate(s.predicateForIncompleteReminders({}, {}, {})); };
  for (int i = 0; i < 5; ++i) store_->saveReminder(newReminder("Batch " + std::to_string(i)), false);
  EXPECT_EQ(all(*store_).size(), 5u);  // the writing handle sees its own pending writes
  EXPECT_TRUE(all(second).empty());
  EXPECT_TRUE(snapshot(dir_.path() / calendar_->calendarIdentifier()).size() == 1);  // displayname only
  store_->commit();
  EXPECT_EQ(all(second).size(), 5u);

  auto victim = all(*store_)[0];
  store_->removeReminder(victim, false);
  EXPECT_EQ(all(*store_).size(), 4u);
  EXPECT_EQ(all(second).size(), 5u);
  store_->reset();  // drops the pending removal
  store_->commit();
  EXPECT_EQ(all(second).size(), 5u);
}

TEST_F(RemindersStoreTest, FetchAnswersOnAStoreThreadInStableOrderFilteredByCalendarAndDates) {
  auto other = Calendar::calendarForEntityType(EntityType::reminder, *store_);
  other->setTitle("Other");
  store_->saveCalendar(other, true);
  for (int i = 0; i < 4; ++i) {
    auto r = newReminder("R" + std::to_string(i));
    r->setDueDateComponents(DateComponents{.timeZone = "UTC", .year = 2027, .month = 1, .day = 10 + i, .hour = 12});
    if (i % 2 == 1) r->setCalendar(other);
    store_->saveReminder(r, true);
  }
  std::promise<std::pair<std::thread::id, std::vector<std::shared_ptr<Reminder>>>> answer;
  store_->fetchRemindersMatchingPredicate(store_->predicateForIncompleteReminders({}, {}, {other}),
                                          [&](auto reminders) {
                                            answer.set_value({std::this_thread::get_id(), std::move(reminders)});
                                          });
  auto [thread, inOther] = answer.get_future().get();
  EXPECT_NE(thread, std::this_thread::get_id());
  ASSERT_EQ(inOther.size(), 2u);
  for (const auto& r : inOther) EXPECT_EQ(r->calendar(), other);

  auto first = store_->remindersMatchingPredicate(store_->predicateForIncompleteReminders({}, {}, {}));
  auto second = store_->remindersMatchingPredicate(store_->predicateForIncompleteReminders({}, {}, {}));
  ASSERT_EQ(first.size(), 4u);
  for (size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(first[i]->calendarItemExternalIdentifier(), second[i]->calendarItemExternalIdentifier());
  }
  auto ranged = store_->remindersMatchingPredicate(
      store_->predicateForIncompleteReminders(utc(2027, 1, 11), utc(2027, 1, 12, 12), {}));
  ASSERT_EQ(ranged.size(), 2u);
}

TEST_F(RemindersStoreTest, CalendarsAreCreatedRenamedColouredAndRemoved) {
  auto work = Calendar::calendarForEntityType(EntityType::reminder, *store_);
  work->setTitle("Work");
  work->setColor(Color{0x11, 0x22, 0x33, 0x80});
  store_->saveCalendar(work, true);
  EXPECT_EQ(work->calendarIdentifier().substr(0, 6), "local/");
  EXPECT_EQ(store_->calendarWithIdentifier(work->calendarIdentifier()), work);
  const fs::path dir = dir_.path() / work->calendarIdentifier();
  EXPECT_EQ(readFile(dir / "color"), "#11223380\n");

  work->setTitle("Office");
  store_->saveCalendar(work, true);
  EXPECT_EQ(readFile(dir / "displayname"), "Office\n");

  // Another program adds a calendar: seen after refreshSourcesIfNecessary, same objects kept.
  writeFile(dir_.path() / "local" / "shopping" / "displayname", "Shopping\n");
  writeFile(dir_.path() / "local" / "shopping" / "color", "#ff2968\n");
  EXPECT_EQ(store_->calendarsForEntityType(EntityType::reminder).size(), 2u);
  store_->refreshSourcesIfNecessary();
  auto shopping = store_->calendarWithIdentifier("local/shopping");
  ASSERT_NE(shopping, nullptr);
  EXPECT_EQ(shopping->title(), "Shopping");
  EXPECT_EQ(shopping->color(), (Color{0xFF, 0x29, 0x68, 0xFF}));
  EXPECT_EQ(store_->calendarWithIdentifier(work->calendarIdentifier()), work);

  // Removing a calendar deletes its tasks, metadata and folder.
  auto r = newReminder("In work");
  r->setCalendar(work);
  store_->saveReminder(r, true);
  writeFile(dir / "event.ics",
            readFile(zarvo::testing::fixtures("vtodo") / "other-clients/reminders/event-0005.ics"));
  // Another client's file that is no task (an event) stops the removal before anything goes: removing
  // the rest would leave a list named after its folder.
  const auto before = snapshot(dir);
  EXPECT_THROW(store_->removeCalendar(work, true), StoreError);
  EXPECT_EQ(snapshot(dir), before);
  fs::remove(dir / "event.ics");
  store_->removeCalendar(work, true);
  EXPECT_FALSE(fs::exists(dir));
  EXPECT_EQ(store_->calendarWithIdentifier(work->calendarIdentifier()), nullptr);

  store_->reset();
  EXPECT_NE(store_->calendarWithIdentifier("local/shopping"), shopping);  // fresh objects after reset
}

TEST_F(RemindersStoreTest, MovingToAnotherCalendarKeepsTheFileNameAndContents) {
  auto other = Calendar::calendarForEntityType(EntityType::reminder, *store_);
  other->setTitle("Other");
  store_->saveCalendar(other, true);
  const fs::path from = dir_.path() / calendar_->calendarIdentifier() / "odd name.ics";
  writeFile(from, "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:x\nBEGIN:VTODO\nUID:move-me\nSUMMARY:Move\nX-KEEP:1\nEND:VTODO\nEND:VCALENDAR\n");
  auto r = store_->reminderWithExternalIdentifier("move-me");
  ASSERT_NE(r, nullptr);
  r->setCalendar(other);
  store_->saveReminder(r, true);
  EXPECT_FALSE(fs::exists(from));
  const fs::path to = dir_.path() / other->calendarIdentifier() / "odd name.ics";
  ASSERT_TRUE(fs::exists(to));
  EXPECT_NE(readFile(to).find("X-KEEP:1\n"), std::string::npos);
  EXPECT_EQ(readBackOne("move-me")->calendar()->calendarIdentifier(), other->calendarIdentifier());
}

// A task as another program may have written it: every owned line spelled in one of the ways
// readers accept, and a stale second title that readers taking the first line never show.
std::string taskFileSpelled(std::string (*spell)(const std::string& name, const std::string& rest)) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//x//EN\r\nBEGIN:VTODO\r\n" + spell("UID", ":spelled") +
         spell("SUMMARY", ":Old title") + "SUMMARY:Stale title\r\n" + spell("DESCRIPTION", ":Old notes") +
         spell("PRIORITY", ":5") + spell("DUE", ";VALUE=DATE:20270101") + spell("STATUS", ":NEEDS-ACTION") +
         "X-KEEP:1\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
}

// Each change the store makes lands on the lines the reader reads, whatever their spelling: it
// reads back from the files, nothing else changes, and no old or stale value is left in the file.
TEST_F(RemindersStoreTest, ChangesLandOnOwnedLinesHoweverTheyAreSpelled) {
  using Spelling = std::string (*)(const std::string&, const std::string&);
  const std::pair<const char*, Spelling> spellings[] = {
      {"a blank before the separator", [](const std::string& n, const std::string& r) { return n + " " + r + "\r\n"; }},
      {"lower case",
       [](const std::string& n, const std::string& r) {
         std::string lower = n;
         for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
         return lower + r + "\r\n";
       }},
      {"a parameter", [](const std::string& n, const std::string& r) { return n + ";X-FROM=x" + r + "\r\n"; }},
      {"a folded name",
       [](const std::string& n, const std::string& r) { return n.substr(0, 2) + "\r\n " + n.substr(2) + r + "\r\n"; }},
      {"a fold before the separator", [](const std::string& n, const std::string& r) { return n + "\r\n\t" + r + "\r\n"; }},
  };
  struct Fields {
    std::string title;
    std::optional<std::string> notes;
    int priority = 0;
    std::optional<DateComponents> due;
    bool completed = false;
    std::string calendar;
    bool operator==(const Fields&) const = default;
  };
  auto fieldsOf = [](const Reminder& r) {
    return Fields{r.title(), r.notes(), r.priority(), r.dueDateComponents(), r.isCompleted(),
                  r.calendar()->calendarIdentifier()};
  };
  auto other = Calendar::calendarForEntityType(EntityType::reminder, *store_);
  other->setTitle("Other");
  store_->saveCalendar(other, true);
  struct Change {
    const char* what;
    void (*apply)(Reminder&, const std::shared_ptr<Calendar>& other, Fields& expected);
    std::vector<std::string> gone;  // values no line may hold afterwards
  };
  const Change changes[] = {
      {"title", [](Reminder& r, const auto&, Fields& e) { r.setTitle(e.title = "New title"); }, {"Old title"}},
      {"notes", [](Reminder& r, const auto&, Fields& e) { r.setNotes(e.notes = "New notes"); }, {"Old notes"}},
      {"no notes", [](Reminder& r, const auto&, Fields& e) { r.setNotes(e.notes = std::nullopt); }, {"Old notes"}},
      {"priority", [](Reminder& r, const auto&, Fields& e) { r.setPriority(e.priority = 1); }, {":5"}},
      {"due",
       [](Reminder& r, const auto&, Fields& e) {
         r.setDueDateComponents(e.due = DateComponents{.year = 2027, .month = 2, .day = 3});
       },
       {"20270101"}},
      {"done", [](Reminder& r, const auto&, Fields& e) { r.setCompleted(e.completed = true); }, {"NEEDS-ACTION"}},
      {"move",
       [](Reminder& r, const auto& to, Fields& e) {
         r.setCalendar(to);
         e.calendar = to->calendarIdentifier();
       },
       {}},
  };
  const fs::path file = dir_.path() / calendar_->calendarIdentifier() / "spelled.ics";
  for (const auto& [spelling, spell] : spellings) {
    for (const Change& change : changes) {
      SCOPED_TRACE(std::string(spelling) + ", " + change.what);
      for (const auto& e : fs::recursive_directory_iterator(dir_.path())) {
        if (e.path().extension() == ".ics") fs::remove(e.path());
      }
      writeFile(file, taskFileSpelled(spell));
      store_->reset();
      auto r = store_->reminderWithExternalIdentifier("spelled");
      ASSERT_NE(r, nullptr);
      Fields expected = fieldsOf(*r);
      ASSERT_EQ(expected, (Fields{"Old title", "Old notes", 5, DateComponents{.year = 2027, .month = 1, .day = 1}, false,
                                  calendar_->calendarIdentifier()}));
      change.apply(*r, other, expected);
      store_->saveReminder(r, true);

      auto back = readBackOne("spelled");
      ASSERT_NE(back, nullptr);
      EXPECT_EQ(fieldsOf(*back), expected);
      const std::string text = readFile(fileOf(back));
      EXPECT_NE(text.find("X-KEEP:1\r\n"), std::string::npos);
      EXPECT_EQ(text.find("Stale title"), std::string::npos) << text;
      for (const std::string& old : change.gone) EXPECT_EQ(text.find(old), std::string::npos) << text;
    }
  }
}

// --- Faults: each gives its error and leaves every file as it was. ---

class RemindersFaultTest : public RemindersStoreTest {
 protected:
  void SetUp() override {
    faulty_ = std::make_shared<platform::FaultInjectingFileSystem>(platform::FileSystem::posix());
    auto options = testing::optionsFor(dir_.path());
    options.fileSystem = faulty_;
    store_ = std::make_unique<EventStore>(options);
    testing::createStore(*store_);
    calendar_ = store_->defaultCalendarForNewReminders();
    ASSERT_NE(calendar_, nullptr);
    for (int i = 0; i < 3; ++i) {
      auto r = newReminder("Task " + std::to_string(i));
      store_->saveReminder(r, true);
      saved_.push_back(r);
    }
    before_ = snapshot(dir_.path());
  }

  void expectUnchanged() { EXPECT_EQ(snapshot(dir_.path()), before_); }

  template <typename F>
  StoreErrorCode failureOf(F&& f) {
    return testing::failureOf(std::forward<F>(f), message_);
  }

  std::shared_ptr<platform::FaultInjectingFileSystem> faulty_;
  std::vector<std::shared_ptr<Reminder>> saved_;
  std::map<std::string, std::string> before_;
  std::string message_;
};

TEST_F(RemindersFaultTest, WriteFailingHalfWayOrFullDiskChangesNothing) {
  saved_[0]->setTitle("Renamed");
  faulty_->failWritesAfter(40);
  EXPECT_EQ(failureOf([&] { store_->saveReminder(saved_[0], true); }), StoreErrorCode::io);
  EXPECT_NE(message_.find(".ics"), std::string::npos) << message_;
  expectUnchanged();
  faulty_->clearFaults();
  faulty_->setDiskFull(true);
  EXPECT_EQ(failureOf([&] { store_->commit(); }), StoreErrorCode::io);
  expectUnchanged();
  faulty_->clearFaults();
  store_->commit();  // the write stayed pending and goes through once the disk has room
  EXPECT_EQ(readBackOne(saved_[0]->calendarItemExternalIdentifier())->title(), "Renamed");
}

// A new file must reach the disk before it replaces the old one: after a power loss a renamed but
// unsynced file can come back empty. So a failing sync fails the save before any rename.
TEST_F(RemindersFaultTest, SyncFailingBeforeTheRenameChangesNothing) {
  saved_[0]->setTitle("Renamed");
  store_->saveReminder(saved_[0], false);
  store_->saveReminder(newReminder("New"), false);
  store_->removeReminder(saved_[1], false);
  const int renamesBefore = faulty_->renames();
  faulty_->failSyncs(true);
  EXPECT_EQ(failureOf([&] { store_->commit(); }), StoreErrorCode::io);
  EXPECT_EQ(faulty_->renames(), renamesBefore);
  expectUnchanged();

  auto list = Calendar::calendarForEntityType(EntityType::reminder, *store_);
  list->setTitle("Errands");
  EXPECT_EQ(failureOf([&] { store_->saveCalendar(list, true); }), StoreErrorCode::io);
  EXPECT_EQ(faulty_->renames(), renamesBefore);
  expectUnchanged();
  EXPECT_EQ(store_->calendarsForEntityType(EntityType::reminder).size(), 1u);

  faulty_->clearFaults();
  store_->commit();
  EXPECT_EQ(readBackOne(saved_[0]->calendarItemExternalIdentifier())->title(), "Renamed");
  EXPECT_EQ(readBack().size(), 3u);
}

TEST_F(RemindersFaultTest, BatchWhoseLaterFileFailsLeavesEarlierFilesAsTheyWere) {
  for (auto& r : saved_) {
    r->setTitle(r->title() + " edited");
    store_->saveReminder(r, false);
  }
  store_->removeReminder(saved_[2], false);
  faulty_->failRenames(true);  // every temporary file is written, then the first rename fails
  EXPECT_EQ(failureOf([&] { store_->commit(); }), StoreErrorCode::io);
  expectUnchanged();
  faulty_->clearFaults();

  // A rename failing after others succeeded: the files already replaced get their old contents back.
  faulty_->failRenamesAfter(1);
  EXPECT_EQ(failureOf([&] { store_->commit(); }), StoreErrorCode::io);
  expectUnchanged();
  faulty_->clearFaults();
  store_->commit();
  EXPECT_EQ(readBack().size(), 2u);
}

TEST_F(RemindersFaultTest, ReadOnlyCollectionRefusesWrites) {
  const fs::path dir = dir_.path() / calendar_->calendarIdentifier();
  faulty_->setReadOnly(dir);
  store_->refreshSourcesIfNecessary();
  EXPECT_FALSE(calendar_->allowsContentModifications());
  saved_[0]->setTitle("Nope");
  EXPECT_EQ(failureOf([&] { store_->saveReminder(saved_[0], true); }), StoreErrorCode::readOnly);
  EXPECT_NE(message_.find(calendar_->title()), std::string::npos) << message_;
  EXPECT_EQ(failureOf([&] { store_->removeReminder(saved_[1], true); }), StoreErrorCode::readOnly);
  EXPECT_EQ(failureOf([&] { store_->saveReminder(newReminder("New"), true); }), StoreErrorCode::readOnly);
  expectUnchanged();
}

TEST_F(RemindersFaultTest, FileChangedByAnotherProgramIsNotOverwritten) {
  const fs::path file = fileOf(saved_[0]);
  std::string theirs = readFile(file);
  theirs.insert(theirs.find("END:VTODO"), "X-THEIR-EDIT:yes\r\n");
  writeFile(file, theirs);
  saved_[0]->setTitle("Mine");
  EXPECT_EQ(failureOf([&] { store_->saveReminder(saved_[0], true); }), StoreErrorCode::conflict);
  EXPECT_NE(message_.find(file.filename().string()), std::string::npos) << message_;
  EXPECT_EQ(readFile(file), theirs);
  store_->reset();

  fs::remove(fileOf(saved_[1]));
  EXPECT_EQ(failureOf([&] { store_->removeReminder(saved_[1], true); }), StoreErrorCode::conflict);

  // Re-read, the edit applies on top of theirs.
  auto fresh = store_->reminderWithExternalIdentifier(saved_[0]->calendarItemExternalIdentifier());
  fresh->setTitle("Mine");
  store_->saveReminder(fresh, true);
  EXPECT_NE(readFile(file).find("X-THEIR-EDIT:yes\r\n"), std::string::npos);
  EXPECT_NE(readFile(file).find("SUMMARY:Mine"), std::string::npos);
}

TEST_F(RemindersFaultTest, MalformedFileIsSkippedLoggedAndNeverTouched) {
  using namespace std::string_literals;
  const fs::path dir = dir_.path() / calendar_->calendarIdentifier();
  const std::map<std::string, std::string> broken = {
      {"unclosed.ics", "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:unclosed\r\nSUMMARY:x\r\n"},
      {"garbage.ics", "this is not iCalendar at all\r\n"},
      {"bad-due.ics", "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:bad-due\r\nDUE:tomorrow\r\nEND:VTODO\r\nEND:VCALENDAR\r\n"},
      // libical reads no further than a NUL byte: the lines after it would be edited unread.
      {"nul.ics", "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:nul\r\nSUMMARY:a\0b\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
                  "TRIGGER:-PT5M\r\nEND:VALARM\r\nEND:VTODO\r\nEND:VCALENDAR\r\n"s},
  };
  for (const auto& [name, text] : broken) writeFile(dir / name, text);
  platform::ScopedLogCapture capture;
  auto all = store_->remindersMatchingPredicate(store_->predicateForIncompleteReminders({}, {}, {}));
  EXPECT_EQ(all.size(), 3u);
  for (const auto& [name, text] : broken) {
    EXPECT_TRUE(capture.sink().contains(platform::LogLevel::error, name)) << name;
  }
  for (auto& r : all) {
    r->setTitle("touched");
    store_->saveReminder(r, false);
  }
  store_->commit();
  // Removing the calendar would leave them behind as a list without its title: refused, whole.
  EXPECT_EQ(failureOf([&] { store_->removeCalendar(calendar_, true); }), StoreErrorCode::conflict);
  EXPECT_NE(message_.find("4 files"), std::string::npos) << message_;
  EXPECT_EQ(store_->remindersMatchingPredicate(store_->predicateForIncompleteReminders({}, {}, {})).size(), 3u);
  for (const auto& [name, text] : broken) EXPECT_EQ(readFile(dir / name), text) << name;
}

TEST_F(RemindersFaultTest, UidCannotNameAPathOutsideItsCollection) {
  const fs::path dir = dir_.path() / calendar_->calendarIdentifier();
  writeFile(dir / "evil.ics",
            "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:../../x\r\nSUMMARY:Evil\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
  auto other = Calendar::calendarForEntityType(EntityType::reminder, *store_);
  other->setTitle("Other");
  store_->saveCalendar(other, true);
  auto evil = store_->reminderWithExternalIdentifier("../../x");
  ASSERT_NE(evil, nullptr);
  // A copy under a name derived from the UID: a new reminder with the same UID text.
  auto copy = std::make_shared<Reminder>("../../x");
  copy->setCalendar(other);
  copy->setTitle("Copy");
  store_->saveReminder(copy, true);
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir_.path() / other->calendarIdentifier())) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"_.._.._x.ics", "displayname"}));
  EXPECT_FALSE(fs::exists(dir_.path() / "x.ics"));
  EXPECT_FALSE(fs::exists(dir_.path().parent_path() / "x.ics"));
  for (const char* uid : {"/etc/passwd", "..", ".hidden", "a/../../b", ""}) {
    auto name = fs::path(detail::fileNameForUid(uid));
    EXPECT_EQ(name.filename(), name) << uid;
    EXPECT_NE(name.string().front(), '.') << uid;
  }
}

// --- Change notification ---

class Announcements {
 public:
  explicit Announcements(const EventStore& store)
      : registration_(platform::NotificationCenter::defaultCenter().addObserver(
            std::string(kEventStoreChangedNotification), &store, [this](const platform::Notification&) {
              std::lock_guard lock(mu_);
              ++count_;
              cv_.notify_all();
            })) {}
  // Waits until at least `n` arrived (or 5 s), then a little longer for strays; returns the count.
  int waitFor(int n, std::chrono::milliseconds settle = std::chrono::milliseconds(600)) {
    std::unique_lock lock(mu_);
    cv_.wait_for(lock, std::chrono::seconds(5), [&] { return count_ >= n; });
    lock.unlock();
    std::this_thread::sleep_for(settle);
    lock.lock();
    return count_;
  }

 private:
  std::mutex mu_;
  std::condition_variable cv_;
  int count_ = 0;
  platform::NotificationCenter::Registration registration_;
};

TEST_F(RemindersStoreTest, ChangeByAnotherProcessIsAnnouncedOncePerBurst) {
  auto options = testing::optionsFor(dir_.path(), /*watch=*/true);
  options.coalescingDelay = std::chrono::milliseconds(400);  // generous: a loaded machine is slow
  EventStore watching(options);
  Announcements seen(watching);
  const fs::path dir = dir_.path() / calendar_->calendarIdentifier();
  const std::string command = "cd '" + dir.string() +
                              "' && for i in 1 2 3 4 5 6 7 8 9 10; do printf 'BEGIN:VCALENDAR\\r\\nBEGIN:VTODO\\r\\n"
                              "UID:ext-'$i'\\r\\nSUMMARY:External\\r\\nEND:VTODO\\r\\nEND:VCALENDAR\\r\\n' > ext-$i.ics; done";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(seen.waitFor(1, std::chrono::milliseconds(1500)), 1);
  EXPECT_EQ(watching.remindersMatchingPredicate(watching.predicateForIncompleteReminders({}, {}, {})).size(), 10u);

  // This process's own commit (through another handle) is announced to the watching handle too,
  // and to the committing handle when it watches.
  store_->saveReminder(newReminder("Own"), true);
  EXPECT_EQ(seen.waitFor(2, std::chrono::milliseconds(1500)), 2);
}

TEST_F(RemindersStoreTest, OwnCommitIsAnnouncedByANonWatchingHandle) {
  Announcements seen(*store_);
  store_->saveReminder(newReminder("Own"), false);
  EXPECT_EQ(seen.waitFor(0, std::chrono::milliseconds(0)), 0);  // nothing before the commit
  store_->commit();
  EXPECT_EQ(seen.waitFor(1, std::chrono::milliseconds(0)), 1);
}

TEST_F(RemindersStoreTest, WatchingHandleAnnouncesThroughItsWatcherOnly) {
  zarvo::testing::FakeFileWatcher watcher;
  auto options = testing::optionsFor(dir_.path(), /*watch=*/true);
  options.fileWatcher = watcher.factory();
  auto watching = std::make_unique<EventStore>(options);
  ASSERT_EQ(watcher.watchersMade(), 1);
  Announcements seen(*watching);

  // Its own writes go to the watcher (which coalesces them with the file events they cause), not
  // straight to observers; pending ones only at commit.
  auto r = Reminder::reminderWithEventStore(*watching);
  r->setCalendar(watching->defaultCalendarForNewReminders());
  r->setTitle("Own");
  watching->saveReminder(r, false);
  EXPECT_EQ(watcher.triggers(), 0);
  watching->commit();
  EXPECT_EQ(watcher.triggers(), 1);
  watching->setDefaultCalendarForNewReminders(watching->defaultCalendarForNewReminders());
  EXPECT_EQ(watcher.triggers(), 2);
  EXPECT_EQ(seen.waitFor(0, std::chrono::milliseconds(0)), 0);

  // What the watcher announces reaches observers of this handle, once per announcement.
  watcher.announce();
  watcher.announce();
  EXPECT_EQ(seen.waitFor(2, std::chrono::milliseconds(0)), 2);

  // The watcher goes with the handle: nothing can name the handle after it is gone.
  watching.reset();
  EXPECT_FALSE(watcher.watching());
  watcher.announce();
  EXPECT_EQ(seen.waitFor(2, std::chrono::milliseconds(0)), 2);
}

TEST_F(RemindersStoreTest, NonWatchingHandleMakesNoWatcher) {
  zarvo::testing::FakeFileWatcher watcher;
  auto options = testing::optionsFor(dir_.path(), /*watch=*/false);
  options.fileWatcher = watcher.factory();
  EventStore quiet(options);
  EXPECT_EQ(watcher.watchersMade(), 0);
}

// --- Random operations against the store and a model, then the files are read back. ---

TEST_F(RemindersStoreTest, RandomOperationsMatchAModel) {
  struct Model {
    std::string title;
    int priority;
    bool completed;
  };
  std::map<std::string, Model> committed, view;
  std::map<std::string, std::shared_ptr<Reminder>> live;
  std::mt19937 random(20261205);
  for (int step = 0; step < 300; ++step) {
    const int action = static_cast<int>(random() % 10);
    const bool commitNow = random() % 3 == 0;
    if (action < 3 || live.empty()) {
      auto r = newReminder("T" + std::to_string(step));
      r->setPriority(static_cast<int>(random() % 10));
      store_->saveReminder(r, commitNow);
      live[r->calendarItemExternalIdentifier()] = r;
      view[r->calendarItemExternalIdentifier()] = {r->title(), r->priority(), false};
    } else {
      auto it = std::next(live.begin(), static_cast<long>(random() % live.size()));
      auto r = it->second;
      const std::string uid = it->first;
      if (action < 5) {
        store_->removeReminder(r, commitNow);
        live.erase(it);
        view.erase(uid);
      } else {
        if (action < 7) r->setTitle("E" + std::to_string(step) + " ✓, ; \\");
        if (action == 7) r->setPriority(static_cast<int>(random() % 10));
        if (action >= 8) r->setCompleted(!r->isCompleted());
        store_->saveReminder(r, commitNow);
        view[uid] = {r->title(), r->priority(), r->isCompleted()};
      }
    }
    if (commitNow) committed = view;
    if (step % 50 == 49) {
      std::map<std::string, Model> onDisk;
      for (bool done : {false, true}) {
        for (const auto& r : readBack(done)) {
          onDisk[r->calendarItemExternalIdentifier()] = {r->title(), r->priority(), r->isCompleted()};
        }
      }
      ASSERT_EQ(onDisk.size(), committed.size()) << "step " << step;
      for (const auto& [uid, m] : committed) {
        ASSERT_TRUE(onDisk.contains(uid));
        EXPECT_EQ(onDisk[uid].title, m.title);
        EXPECT_EQ(onDisk[uid].priority, m.priority);
        EXPECT_EQ(onDisk[uid].completed, m.completed);
      }
    }
  }
}

}  // namespace
}  // namespace zarvo::reminders
