#include "zarvo/reminders/internal/ical_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "zarvo/reminders/event_store.h"
#include "zarvo/testing/reminders_store.h"

namespace zarvo::reminders {
namespace {

namespace fs = std::filesystem;
using platform::DateComponents;
using testing::readFile;

Date utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return detail::utcDate(y, mo, d, h, mi, s); }

fs::path fixtures() { return fs::path(std::getenv("ZARVO_SOURCE_DIR")) / "tests" / "fixtures" / "vtodo"; }

// The fixture collections laid out as a store: <root>/todoman/{personal,work}, <root>/other/{...}.
class RemindersFixtureStore : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& [from, to] : std::map<std::string, std::string>{{"todoman/personal", "todoman/personal"},
                                                                     {"todoman/work", "todoman/work"},
                                                                     {"other-clients/reminders", "other/reminders"},
                                                                     {"other-clients/edge", "other/edge"}}) {
      fs::create_directories(dir_.path() / to);
      fs::copy(fixtures() / from, dir_.path() / to, fs::copy_options::recursive);
    }
    clearSharedFileCache();
    store_ = std::make_unique<EventStore>(testing::optionsFor(dir_.path()));
    for (bool completed : {false, true}) {
      auto p = completed ? store_->predicateForCompletedReminders({}, {}, {})
                         : store_->predicateForIncompleteReminders({}, {}, {});
      for (auto& r : store_->remindersMatchingPredicate(p)) byUid_[r->calendarItemExternalIdentifier()] = r;
    }
  }

  std::shared_ptr<Reminder> get(const std::string& uid) {
    auto it = byUid_.find(uid);
    return it == byUid_.end() ? nullptr : it->second;
  }

  testing::TempDir dir_;
  std::unique_ptr<EventStore> store_;
  std::map<std::string, std::shared_ptr<Reminder>> byUid_;
};

TEST_F(RemindersFixtureStore, EveryFixtureReadsAsItsReadmeSays) {
  EXPECT_EQ(byUid_.size(), 22u);  // every VTODO, both of the two-VTODO file; no event
  EXPECT_EQ(get("event-0005@example"), nullptr);
  EXPECT_EQ(store_->calendarWithIdentifier("other/reminders")->title(), "Reminders");
  EXPECT_EQ(store_->calendarWithIdentifier("other/reminders")->color(), Color::fromHex("#FF2968"));
  EXPECT_EQ(store_->calendarWithIdentifier("todoman/work")->title(), "work");

  auto rent = get("058567fc03e94264b4754aa90cc71437@vm");
  ASSERT_NE(rent, nullptr);
  EXPECT_EQ(rent->title(), "Pay rent");
  EXPECT_EQ(rent->dueDateComponents(), (DateComponents{.year = 2027, .month = 1, .day = 20}));
  EXPECT_EQ(get("081ecb06435e4343bfaea6ecab18462a@vm")->dueDateComponents(),
            (DateComponents{.timeZone = "UTC", .year = 2027, .month = 1, .day = 15, .hour = 13, .minute = 30, .second = 0}));
  auto groceries = get("6751c126eb354be2acf9b6f97a9d5f3f@vm");
  EXPECT_TRUE(groceries->isCompleted());
  EXPECT_EQ(groceries->completionDate(), utc(2026, 12, 5, 17, 16, 39));
  EXPECT_EQ(groceries->priority(), 5);
  EXPECT_EQ(get("a4becd11772e40c8a1e8a688dcfc59f9@vm")->title(),
            "Ünïcödé title long enough to be folded at the seventy-five octet limit: ä ö ü € 😀 end");
  EXPECT_EQ(get("d40f645557a64a7ba87dbb3ec82e1b90@vm")->priority(), 4);
  EXPECT_EQ(get("003765c08f0348709e6d63f9df66f5c1@vm")->notes(),
            "Bring the signed contract.\n\nSecond line: comma, semicolon; backslash \\ end.\n");
  EXPECT_EQ(get("6ec449f3572a4ced9c03becde68a9e8d@vm")->priority(), 9);
  EXPECT_FALSE(get("6ec449f3572a4ced9c03becde68a9e8d@vm")->dueDateComponents());
  EXPECT_EQ(get("6ec449f3572a4ced9c03becde68a9e8d@vm")->creationDate(), utc(2026, 12, 5, 17, 16, 38));

  auto passport = get("A1B2C3D4-0001-4E5F-9A8B-000000000001");
  EXPECT_EQ(passport->notes(), "Bring two photos.\nAppointment at the Bürgeramt.");
  EXPECT_EQ(passport->dueDateComponents(),
            (DateComponents{.timeZone = "Europe/Berlin", .year = 2027, .month = 1, .day = 15, .hour = 9, .minute = 30, .second = 0}));
  EXPECT_EQ(passport->priority(), 1);
  ASSERT_EQ(passport->alarms().size(), 1u);
  EXPECT_EQ(passport->alarms()[0]->absoluteDate(), utc(2027, 1, 15, 7, 30));

  auto tax = get("completed-0003@reminders.example");
  EXPECT_TRUE(tax->isCompleted());
  EXPECT_EQ(tax->completionDate(), utc(2026, 12, 3, 10, 15));
  EXPECT_EQ(tax->dueDateComponents(), (DateComponents{.year = 2026, .month = 11, .day = 30, .hour = 17, .minute = 0, .second = 0}));
  EXPECT_TRUE(get("multi-categories-0006@reminders.example")->isCompleted());
  auto bins = get("date-only-0002@reminders.example");
  EXPECT_EQ(bins->dueDateComponents(), (DateComponents{.year = 2027, .month = 1, .day = 8}));
  EXPECT_EQ(bins->alarms()[0]->absoluteDate(), utc(2027, 1, 7, 18, 0));

  auto flights = get("4f1c5e2a-9d3b-4b8e-8a8e-thunderbird04");
  EXPECT_FALSE(flights->isCompleted());  // IN-PROCESS
  EXPECT_EQ(flights->priority(), 3);
  EXPECT_EQ(flights->dueDateComponents()->timeZone, "America/New_York");
  ASSERT_EQ(flights->alarms().size(), 2u);
  EXPECT_EQ(flights->alarms()[0]->absoluteDate(), utc(2027, 2, 19, 22, 0));
  EXPECT_EQ(flights->alarms()[1]->relativeOffset(), std::chrono::seconds(-3600));

  EXPECT_EQ(get("edge-mixed-types")->dueDateComponents(), (DateComponents{.year = 2027, .month = 1, .day = 5}));
  EXPECT_EQ(get("edge-floating-1")->dueDateComponents(),
            (DateComponents{.year = 2027, .month = 1, .day = 10, .hour = 17, .minute = 0, .second = 0}));
  EXPECT_NE(get("edge-nodtstamp-2"), nullptr);
  EXPECT_EQ(get("no-uid")->title(), "Edge: no UID at all");  // identity from the file name
  EXPECT_NE(get("edge-rrule"), nullptr);
  EXPECT_NE(get("edge-two-a"), nullptr);
  EXPECT_NE(get("edge-two-b"), nullptr);
  EXPECT_EQ(get("edge-tzid-novtz")->dueDateComponents()->timeZone, "Asia/Kolkata");
  EXPECT_EQ(get("edge-tzid-novtz")->title(), "Edge: Olson TZID without VTIMEZONE, explicit PRIORITY 0");
  EXPECT_EQ(get("edge-badtz")->dueDateComponents(),  // an unknown zone reads as floating
            (DateComponents{.year = 2027, .month = 1, .day = 10, .hour = 17, .minute = 0, .second = 0}));
}

TEST_F(RemindersFixtureStore, EditingATitleKeepsEveryOtherLineByteForByte) {
  auto before = testing::snapshot(dir_.path());
  for (auto& [uid, r] : byUid_) {
    if (uid == "edge-two-b") continue;
    r->setTitle("Edited ✓ " + uid);
    store_->saveReminder(r, false);
  }
  store_->commit();
  const std::vector<std::string> owned = {"SUMMARY", "DTSTAMP", "LAST-MODIFIED", "UID"};
  auto after = testing::snapshot(dir_.path());
  ASSERT_EQ(after.size(), before.size());  // no file added, none renamed
  for (const auto& [name, text] : before) {
    SCOPED_TRACE(name);
    if (!name.ends_with(".ics") || name.find("event-0005") != std::string::npos) {
      EXPECT_EQ(after[name], text);
      continue;
    }
    EXPECT_EQ(testing::linesExcept(after[name], owned), testing::linesExcept(text, owned));
    EXPECT_NE(after[name].find("SUMMARY:Edited ✓ "), std::string::npos);
  }
  // The second task of the two-task file was read before the first one's edit changed that file.
  auto second = get("edge-two-b");
  second->setTitle("Second");
  EXPECT_THROW(store_->saveReminder(second, true), StoreError);
  store_->reset();
  second = store_->reminderWithExternalIdentifier("edge-two-b");
  second->setTitle("Second");
  store_->saveReminder(second, true);
  const std::string both = readFile(dir_.path() / "other/edge/two-vtodos.ics");
  EXPECT_NE(both.find("SUMMARY:Edited ✓ edge-two-a\r\n"), std::string::npos);
  EXPECT_NE(both.find("SUMMARY:Second\r\n"), std::string::npos);
}

TEST(RemindersIcalFile, TitleEditPreservesUnownedLinesOfEveryFixture) {
  for (const auto& entry : fs::recursive_directory_iterator(fixtures())) {
    if (entry.path().extension() != ".ics") continue;
    SCOPED_TRACE(entry.path().string());
    std::string error;
    auto file = detail::parseTodoFile(entry.path(), readFile(entry.path()), {}, error);
    ASSERT_NE(file, nullptr) << error;
    for (size_t i = 0; i < file->todos.size(); ++i) {
      const auto& f = file->todos[i].fields;
      detail::DesiredTodo want{.uid = f.hasUid ? f.uid : "synthetic", .title = "New title ✓", .notes = f.notes,
                               .priority = f.priority, .due = f.due, .completed = f.completed,
                               .completionDate = f.completionDate, .alarms = file->todos[i].alarms,
                               .now = utc(2026, 12, 5, 12)};
      std::string edited = detail::editTodo(*file, i, want);
      const std::vector<std::string> owned = {"SUMMARY", "DTSTAMP", "LAST-MODIFIED", "UID"};
      if (file->todos.size() == 1) {
        EXPECT_EQ(testing::linesExcept(edited, owned), testing::linesExcept(file->content, owned));
      }
      EXPECT_NE(edited.find("SUMMARY:New title ✓" + file->newline), std::string::npos);
      EXPECT_NE(edited.find("DTSTAMP:20261205T120000Z"), std::string::npos);
      std::string again;
      auto reread = detail::parseTodoFile(entry.path(), edited, {}, again);
      ASSERT_NE(reread, nullptr) << again;
      EXPECT_EQ(reread->todos[i].fields.title, "New title ✓");
      EXPECT_EQ(reread->todos[i].fields.due, f.due);
    }
  }
}

TEST(RemindersIcalFile, OwnedLinesAreReplacedInsertedAndRemovedInPlace) {
  const std::string text =
      "BEGIN:VCALENDAR\nVERSION:2.0\nBEGIN:VTODO\nUID:u\nX-A:1\nSUMMARY:Old\nPRIORITY:5\nX-B;P=\"q\":a\\,b\n"
      "PERCENT-COMPLETE:100\nSTATUS:COMPLETED\nCOMPLETED:20261201T000000Z\nBEGIN:VALARM\nACTION:DISPLAY\n"
      "TRIGGER:-PT5M\nEND:VALARM\nEND:VTODO\nEND:VCALENDAR\n";
  std::string error;
  auto file = detail::parseTodoFile("x.ics", text, {}, error);
  ASSERT_NE(file, nullptr) << error;
  EXPECT_EQ(file->newline, "\n");
  detail::DesiredTodo want{.uid = "u", .title = "Old", .notes = {}, .priority = 0,
                           .due = DateComponents{.year = 2027, .month = 1, .day = 2}, .completed = false,
                           .completionDate = {}, .alarms = {}, .now = utc(2026, 12, 5)};
  std::string out = detail::editTodo(*file, 0, want);
  EXPECT_EQ(out,
            "BEGIN:VCALENDAR\nVERSION:2.0\nBEGIN:VTODO\nUID:u\nX-A:1\nSUMMARY:Old\nX-B;P=\"q\":a\\,b\n"
            "STATUS:NEEDS-ACTION\nDUE;VALUE=DATE:20270102\nDTSTAMP:20261205T000000Z\n"
            "LAST-MODIFIED:20261205T000000Z\nEND:VTODO\nEND:VCALENDAR\n");
}

// A line inserted where a removed VALARM began must land before the removal, not corrupt it.
TEST(RemindersIcalFile, InsertionAtARemovedAlarmKeepsTheFileWellFormed) {
  const std::string text =
      "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:u\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT5M\r\n"
      "END:VALARM\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
  std::string error;
  auto file = detail::parseTodoFile("x.ics", text, {}, error);
  ASSERT_NE(file, nullptr) << error;
  detail::DesiredTodo want{.uid = "u", .title = "Titled", .notes = {}, .priority = 2, .due = {},
                           .completed = false, .completionDate = {}, .alarms = {}, .now = utc(2026, 12, 5)};
  EXPECT_EQ(detail::editTodo(*file, 0, want),
            "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:u\r\nSUMMARY:Titled\r\nPRIORITY:2\r\n"
            "DTSTAMP:20261205T000000Z\r\nLAST-MODIFIED:20261205T000000Z\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
}

// Times a Date cannot hold (it spans about 1677 to 2262) read as its ends instead of wrapping around;
// the file stays editable. LAST-MODIFIED is the line of a damaged file the fuzzer found.
TEST(RemindersIcalFile, TimesBeyondWhatADateHoldsSaturate) {
  const std::string text =
      "BEGIN:VCALENDAR\nBEGIN:VTODO\nUID:far\nCREATED:00010101T000000Z\nLAST-MODIFIED:61611149T150500Z\n"
      "STATUS:COMPLETED\nCOMPLETED:99991231T235959Z\nBEGIN:VALARM\nACTION:DISPLAY\n"
      "TRIGGER;VALUE=DATE-TIME:30000101T000000Z\nEND:VALARM\nEND:VTODO\nEND:VCALENDAR\n";
  std::string error;
  auto file = detail::parseTodoFile("x.ics", text, {}, error);
  ASSERT_NE(file, nullptr) << error;
  const detail::TodoFields& f = file->todos.at(0).fields;
  EXPECT_EQ(f.creationDate, Date::min());
  EXPECT_EQ(f.lastModified, Date::max());
  EXPECT_EQ(f.completionDate, Date::max());
  ASSERT_EQ(file->todos[0].alarms.size(), 1u);
  EXPECT_EQ(file->todos[0].alarms[0].absolute, Date::max());

  detail::DesiredTodo want{.uid = "far", .title = "Renamed", .notes = {}, .priority = 0, .due = {},
                           .completed = true, .completionDate = f.completionDate,
                           .alarms = file->todos[0].alarms, .now = utc(2026, 12, 5)};
  auto edited = detail::parseTodoFile("x.ics", detail::editTodo(*file, 0, want), {}, error);
  ASSERT_NE(edited, nullptr) << error;
  EXPECT_EQ(edited->todos.at(0).fields.title, "Renamed");
}

TEST(RemindersIcalFile, TzidsResolveThroughPrefixesWindowsNamesAndVtimezones) {
  EXPECT_EQ(detail::resolveTzid("Europe/Berlin"), "Europe/Berlin");
  EXPECT_EQ(detail::resolveTzid("/mozilla.org/20050126_1/America/New_York"), "America/New_York");
  EXPECT_EQ(detail::resolveTzid("/freeassociation.sourceforge.net/Tzfile/Europe/Paris"), "Europe/Paris");
  EXPECT_TRUE(detail::resolveTzid("W. Europe Standard Time").has_value());
  EXPECT_EQ(detail::resolveTzid("My Zone", "BEGIN:VTIMEZONE\r\nTZID:My Zone\r\nX-LIC-LOCATION:Asia/Tokyo\r\n"),
            "Asia/Tokyo");
  EXPECT_FALSE(detail::resolveTzid("Custom/Nowhere").has_value());
}

}  // namespace
}  // namespace zarvo::reminders
