#include "zarvo/reminders/internal/ical_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>

#include "zarvo/reminders/event_store.h"
#include "zarvo/testing/paths.h"
#include "zarvo/testing/reminders_store.h"

namespace zarvo::reminders {
namespace {

namespace fs = std::filesystem;
using platform::DateComponents;
using testing::readFile;

Date utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return *detail::utcDate(y, mo, d, h, mi, s); }

fs::path fixtures() { return zarvo::testing::fixtures("vtodo"); }

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
  // CATEGORIES lines are compared on their own: several of them are merged into one on a rewrite.
  const std::vector<std::string> owned = {"SUMMARY", "DTSTAMP", "LAST-MODIFIED", "UID", "CATEGORIES"};
  auto categoryLines = [](const std::string& text) {
    std::vector<std::string> lines = testing::linesExcept(text, {});
    std::erase_if(lines, [](const std::string& l) { return !l.starts_with("CATEGORIES"); });
    return lines;
  };
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
    const auto had = categoryLines(text);
    if (had.size() <= 1) EXPECT_EQ(categoryLines(after[name]), had);
    else EXPECT_EQ(categoryLines(after[name]).size(), 1u);
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
        EXPECT_EQ(testing::linesExcept(edited, owned), testing::linesExcept(file->content.str(), owned));
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

// Properties a save adds go before the task's alarms, which stay byte for byte: other clients expect
// a component's own properties ahead of its subcomponents.
TEST(RemindersIcalFile, AddedPropertiesGoBeforeKeptAlarms) {
  const std::string alarm =
      "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:alarm\r\nTRIGGER;VALUE=DATE-TIME:20270101T090000Z\r\n"
      "END:VALARM\r\n";
  const std::string text =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VTODO\r\nUID:u\r\nSUMMARY:Old\r\n" + alarm + "END:VTODO\r\nEND:VCALENDAR\r\n";
  std::string error;
  auto file = detail::parseTodoFile("x.ics", text, {}, error);
  ASSERT_NE(file, nullptr) << error;
  detail::DesiredTodo want{.uid = "u", .title = "Old", .notes = "notes", .priority = 1,
                           .due = DateComponents{.year = 2027, .month = 1, .day = 2}, .completed = false,
                           .completionDate = {}, .alarms = file->todos[0].alarms, .now = utc(2026, 12, 5)};
  const std::string out = detail::editTodo(*file, 0, want);
  const size_t alarmAt = out.find(alarm);
  ASSERT_NE(alarmAt, std::string::npos) << out;
  EXPECT_EQ(out.substr(alarmAt + alarm.size()), "END:VTODO\r\nEND:VCALENDAR\r\n");
  for (const char* line : {"\r\nDESCRIPTION:notes\r\n", "\r\nPRIORITY:1\r\n", "\r\nDUE;VALUE=DATE:20270102\r\n",
                           "\r\nDTSTAMP:", "\r\nLAST-MODIFIED:"}) {
    EXPECT_LT(out.find(line), alarmAt) << line << " in\n" << out;
  }
}

// The record's lines: the categories of a rewrite end on one CATEGORIES line, the first one (its
// parameters and the escapes of its values kept), whatever happened before; the flag and order lines
// change only when their value changes. Every output reads back as what was asked.
TEST(RemindersIcalFile, ARewriteLeavesOneCategoriesLineAndChangesFlagAndOrderOnlyWhenTheyChange) {
  const std::string text =
      "BEGIN:VCALENDAR\nBEGIN:VTODO\nUID:u\nSUMMARY:T\nCATEGORIES;LANGUAGE=de:Arbeit,x\\,y\nX-OTHER:1\n"
      "CATEGORIES:home\nX-ZARVO-FLAGGED:false\nEND:VTODO\nEND:VCALENDAR\n";
  std::string error;
  auto file = detail::parseTodoFile("x.ics", text, {}, error);
  ASSERT_NE(file, nullptr) << error;
  const detail::TodoFields& had = file->todos.at(0).fields;
  EXPECT_EQ(had.categories, (std::vector<std::string>{"Arbeit", "x,y", "home"}));
  EXPECT_EQ(had.flagged, false);
  EXPECT_EQ(had.order, std::nullopt);

  const std::string head = "BEGIN:VCALENDAR\nBEGIN:VTODO\nUID:u\nSUMMARY:T\n";
  const std::string stamps = "DTSTAMP:20261205T000000Z\nLAST-MODIFIED:20261205T000000Z\n";
  struct Case {
    const char* what;
    std::vector<std::string> categories;
    std::optional<bool> flagged;
    std::optional<int> order;
    std::string body;  // between SUMMARY and END:VTODO
  };
  const Case cases[] = {
      {"same set in another order", {"home", "x,y", "Arbeit"}, false, {},
       "CATEGORIES;LANGUAGE=de:Arbeit,x\\,y,home\nX-OTHER:1\nX-ZARVO-FLAGGED:false\n" + stamps},
      {"one value of a line goes", {"Arbeit", "home"}, std::nullopt, {},
       "CATEGORIES;LANGUAGE=de:Arbeit,home\nX-OTHER:1\nX-ZARVO-FLAGGED:false\n" + stamps},
      {"a line's only value goes, a new one comes", {"Arbeit", "x,y", "new;tag"}, false, {},
       "CATEGORIES;LANGUAGE=de:Arbeit,x\\,y,new\\;tag\nX-OTHER:1\nX-ZARVO-FLAGGED:false\n" + stamps},
      {"every value goes", {}, false, {}, "X-OTHER:1\nX-ZARVO-FLAGGED:false\n" + stamps},
      {"flag and order set", {"Arbeit", "x,y", "home"}, true, 3,
       "CATEGORIES;LANGUAGE=de:Arbeit,x\\,y,home\nX-OTHER:1\nX-ZARVO-FLAGGED:TRUE\nX-ZARVO-ORDER:3\n" + stamps},
  };
  for (const Case& c : cases) {
    detail::DesiredTodo want{.uid = "u", .title = "T", .notes = {}, .priority = 0, .due = {}, .completed = false,
                             .completionDate = {}, .alarms = {}, .flagged = c.flagged, .order = c.order,
                             .categories = c.categories, .now = utc(2026, 12, 5)};
    const std::string out = detail::editTodo(*file, 0, want);
    EXPECT_EQ(out, head + c.body + "END:VTODO\nEND:VCALENDAR\n") << c.what;
    auto again = detail::parseTodoFile("x.ics", out, {}, error);
    ASSERT_NE(again, nullptr) << c.what << ": " << error;
    const auto& read = again->todos.at(0).fields;
    EXPECT_EQ(std::set<std::string>(read.categories.begin(), read.categories.end()),
              std::set<std::string>(c.categories.begin(), c.categories.end()))
        << c.what;
    EXPECT_EQ(read.flagged, c.flagged.value_or(false)) << c.what;
    EXPECT_EQ(read.order, c.order) << c.what;
  }
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

// Another client's open task may still carry a completion time (STATUS wins: the task is open). An
// edit that leaves completion alone keeps it; completing and reopening write and remove it.
TEST(RemindersIcalFile, CompletionTimeOfAnOpenTaskStaysUntilCompletionChanges) {
  const std::string text =
      "BEGIN:VCALENDAR\nBEGIN:VTODO\nUID:u\nSUMMARY:Old\nSTATUS:IN-PROCESS\nCOMPLETED:20261201T100000Z\n"
      "END:VTODO\nEND:VCALENDAR\n";
  std::string error;
  auto file = detail::parseTodoFile("x.ics", text, {}, error);
  ASSERT_NE(file, nullptr) << error;
  const detail::TodoFields& had = file->todos.at(0).fields;
  ASSERT_FALSE(had.completed);
  ASSERT_EQ(had.completionDate, utc(2026, 12, 1, 10));
  detail::DesiredTodo want{.uid = "u", .title = "New", .notes = {}, .priority = 0, .due = {}, .completed = false,
                           .completionDate = had.completionDate, .alarms = {}, .now = utc(2026, 12, 5)};
  auto retitled = detail::parseTodoFile("x.ics", detail::editTodo(*file, 0, want), {}, error);
  ASSERT_NE(retitled, nullptr) << error;
  EXPECT_EQ(retitled->todos.at(0).fields.completionDate, utc(2026, 12, 1, 10));
  EXPECT_EQ(retitled->todos.at(0).fields.status, "IN-PROCESS");

  want.completed = true;
  want.completionDate = utc(2026, 12, 5);
  auto completed = detail::parseTodoFile("x.ics", detail::editTodo(*retitled, 0, want), {}, error);
  ASSERT_NE(completed, nullptr) << error;
  EXPECT_TRUE(completed->todos.at(0).fields.completed);
  EXPECT_EQ(completed->todos.at(0).fields.completionDate, utc(2026, 12, 5));

  want.completed = false;
  auto reopened = detail::parseTodoFile("x.ics", detail::editTodo(*completed, 0, want), {}, error);
  ASSERT_NE(reopened, nullptr) << error;
  EXPECT_FALSE(reopened->todos.at(0).fields.completed);
  EXPECT_FALSE(reopened->todos.at(0).fields.completionDate.has_value());
}

// --- Owned lines as other programs write them ---

// The spellings of a content line's name that iCalendar readers accept, applied to NAME + REST
// (REST starts at the separator).
struct NameShape {
  const char* what;
  std::string (*line)(const std::string& name, const std::string& rest);
};
const NameShape kNameShapes[] = {
    {"plain", [](const std::string& n, const std::string& r) { return n + r; }},
    {"a blank before the separator", [](const std::string& n, const std::string& r) { return n + " " + r; }},
    {"blanks and a tab before the separator", [](const std::string& n, const std::string& r) { return n + " \t " + r; }},
    {"a stray carriage return before the separator", [](const std::string& n, const std::string& r) { return n + "\r" + r; }},
    {"lower case",
     [](const std::string& n, const std::string& r) {
       std::string lower = n;
       for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
       return lower + r;
     }},
    {"mixed case and a parameter",
     [](const std::string& n, const std::string& r) {
       std::string mixed = n;
       for (size_t i = 1; i < mixed.size(); i += 2) mixed[i] = static_cast<char>(std::tolower(mixed[i]));
       return mixed + ";X-FROM=\"a:b;c\"" + r;
     }},
    {"a blank before a parameter", [](const std::string& n, const std::string& r) { return n + " ;X-FROM=other" + r; }},
    {"a folded name", [](const std::string& n, const std::string& r) { return n.substr(0, 2) + "\r\n " + n.substr(2) + r; }},
    {"a name folded twice", [](const std::string& n, const std::string& r) {
       return n.substr(0, 1) + "\r\n\t" + n.substr(1, 1) + "\r\n " + n.substr(2) + r;
     }},
    {"a fold before the separator", [](const std::string& n, const std::string& r) { return n + "\r\n\t" + r; }},
    {"a blank and a fold before the separator", [](const std::string& n, const std::string& r) { return n + " \r\n " + r; }},
};

// How many content lines of `text` are named `name`, as a reader sees them: folds undone, carriage
// returns dropped, letter case and blanks before the separator ignored.
size_t linesNamed(const std::string& text, std::string_view name) {
  std::string unfolded;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') continue;
    if (text[i] == '\n' && i + 1 < text.size() && (text[i + 1] == ' ' || text[i + 1] == '\t')) {
      ++i;
      continue;
    }
    unfolded += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
  }
  size_t count = 0;
  for (size_t pos = 0; pos < unfolded.size();) {
    const size_t eol = std::min(unfolded.find('\n', pos), unfolded.size());
    std::string head = unfolded.substr(pos, std::min(unfolded.find_first_of(";:", pos), eol) - pos);
    while (!head.empty() && (head.back() == ' ' || head.back() == '\t')) head.pop_back();
    count += head == name;
    pos = eol + 1;
  }
  return count;
}

// An instant as the reader gives it, to whole seconds.
std::string instant(const std::optional<Date>& d) {
  return d ? std::to_string(std::chrono::floor<std::chrono::seconds>(*d).time_since_epoch().count()) : "(none)";
}

// One owned property: its line in a file, a second line of it that a reader takes for nothing, the
// value the reader shows, and the edit of that value (none: the edit leaves the property alone).
struct OwnedProperty {
  const char* name;
  const char* rest;
  const char* stale;
  std::string (*read)(const detail::TodoFields&);
  std::string before;
  void (*change)(detail::DesiredTodo&);
  std::string after;
};

const Date kEditTime = *detail::utcDate(2026, 12, 5, 12, 0, 0);

const OwnedProperty kOwnedProperties[] = {
    {"SUMMARY", ":Old title", ":Stale title", [](const detail::TodoFields& f) { return f.title; }, "Old title",
     [](detail::DesiredTodo& w) { w.title = "New title"; }, "New title"},
    {"DESCRIPTION", ":Old notes", ":Stale notes",
     [](const detail::TodoFields& f) { return f.notes.value_or("(none)"); }, "Old notes",
     [](detail::DesiredTodo& w) { w.notes = "New notes"; }, "New notes"},
    {"DESCRIPTION", ":Old notes", ":Stale notes",
     [](const detail::TodoFields& f) { return f.notes.value_or("(none)"); }, "Old notes",
     [](detail::DesiredTodo& w) { w.notes.reset(); }, "(none)"},
    {"PRIORITY", ":5", ":7", [](const detail::TodoFields& f) { return std::to_string(f.priority); }, "5",
     [](detail::DesiredTodo& w) { w.priority = 2; }, "2"},
    {"DUE", ";VALUE=DATE:20270101", ";VALUE=DATE:20300101",
     [](const detail::TodoFields& f) {
       return f.due ? std::to_string(*f.due->year) + "-" + std::to_string(*f.due->month) + "-" +
                          std::to_string(*f.due->day)
                    : "(none)";
     },
     "2027-1-1", [](detail::DesiredTodo& w) { w.due = DateComponents{.year = 2027, .month = 2, .day = 3}; },
     "2027-2-3"},
    {"STATUS", ":NEEDS-ACTION", ":IN-PROCESS",
     [](const detail::TodoFields& f) { return std::string(f.completed ? "done" : "open"); }, "open",
     [](detail::DesiredTodo& w) {
       w.completed = true;
       w.completionDate = kEditTime;
     },
     "done"},
    {"COMPLETED", ":20261201T100000Z", ":20200101T000000Z",
     [](const detail::TodoFields& f) { return instant(f.completionDate); }, instant(utc(2026, 12, 1, 10)),
     [](detail::DesiredTodo& w) { w.completionDate = kEditTime; }, instant(kEditTime)},
    {"PERCENT-COMPLETE", ":100", ":90",
     [](const detail::TodoFields& f) { return f.percentComplete ? std::to_string(*f.percentComplete) : "(none)"; },
     "100", [](detail::DesiredTodo& w) { w.completed = false; }, "(none)"},
    {"LAST-MODIFIED", ":20200101T000000Z", ":20190101T000000Z",
     [](const detail::TodoFields& f) { return instant(f.lastModified); }, instant(utc(2020, 1, 1)), nullptr,
     instant(kEditTime)},
    {"DTSTAMP", ":20200101T000000Z", ":20190101T000000Z", nullptr, "", nullptr, ""},
    {"UID", ":the-uid", ":stale-uid", [](const detail::TodoFields& f) { return f.uid; }, "the-uid", nullptr,
     "the-uid"},
    {"CREATED", ":20200101T000000Z", ":20190101T000000Z",
     [](const detail::TodoFields& f) { return instant(f.creationDate); }, instant(utc(2020, 1, 1)), nullptr,
     instant(utc(2020, 1, 1))},
};

// A task file with `lines` among the VTODO's other lines; COMPLETED and PERCENT-COMPLETE belong to a
// completed task.
std::string taskFileWith(const OwnedProperty& p, const std::string& lines) {
  const std::string name = p.name;
  std::string todo = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//x//EN\r\nBEGIN:VTODO\r\n";
  if (name != "UID") todo += "UID:the-uid\r\n";
  todo += "X-BEFORE:kept\r\n" + lines;
  if (name == "COMPLETED" || name == "PERCENT-COMPLETE") todo += "STATUS:COMPLETED\r\n";
  if (name != "SUMMARY") todo += "SUMMARY:Title\r\n";
  return todo + "X-AFTER:kept\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
}

// Reads a file holding `lines` of property `p`, edits it as `p` says and reads it again. `dropped`,
// when set, is a line among them the reader takes no value from: it must stay as it is.
void editAndReadBack(const OwnedProperty& p, const std::string& lines, const std::string& dropped = {}) {
  std::string error;
  const auto file = detail::parseTodoFile("x.ics", taskFileWith(p, lines), {}, error);
  ASSERT_NE(file, nullptr) << error;
  ASSERT_EQ(file->todos.size(), 1u);
  const detail::TodoFields& had = file->todos[0].fields;
  if (p.read) {
    EXPECT_EQ(p.read(had), p.before);
  }
  detail::DesiredTodo want{.uid = had.uid, .title = had.title, .notes = had.notes, .priority = had.priority,
                           .due = had.due, .completed = had.completed, .completionDate = had.completionDate,
                           .alarms = {}, .now = kEditTime};
  if (p.change) p.change(want);
  const std::string edited = detail::editTodo(*file, 0, want);
  const auto again = detail::parseTodoFile("x.ics", edited, {}, error);
  ASSERT_NE(again, nullptr) << error << "\n" << edited;
  if (p.read) {
    EXPECT_EQ(p.read(again->todos.at(0).fields), p.after) << edited;
  }
  EXPECT_EQ(linesNamed(edited, p.name), (p.after == "(none)" ? 0u : 1u) + (dropped.empty() ? 0u : 1u)) << edited;
  if (!dropped.empty()) {
    EXPECT_NE(edited.find("\r\n" + dropped), std::string::npos) << edited;
  }
  EXPECT_EQ(linesNamed(edited, "X-BEFORE") + linesNamed(edited, "X-AFTER"), 2u) << edited;
}

// Every owned property, in every spelling of its name, alone, followed by a stale second line, or
// after an empty line of the same name: the reader takes the value shown, an edit reads back, and the
// file keeps exactly one line of the property with a value (none when the edit removes it); the empty
// line, which the reader takes no value from, stays as it was.
TEST(RemindersIcalFile, OwnedLinesAreFoundAsTheReaderFindsThem) {
  for (const OwnedProperty& p : kOwnedProperties) {
    for (const NameShape& shape : kNameShapes) {
      const std::string line = shape.line(p.name, p.rest) + "\r\n";
      SCOPED_TRACE(std::string(p.name) + ", " + shape.what);
      {
        SCOPED_TRACE("alone");
        editAndReadBack(p, line);
      }
      {
        SCOPED_TRACE("before a stale line");
        editAndReadBack(p, line + p.name + p.stale + "\r\n");
      }
      {
        SCOPED_TRACE("after an empty line");
        // An empty DESCRIPTION line reads as empty notes: notes removed take it along.
        const bool emptyLineReads = std::string_view(p.name) == "DESCRIPTION" && p.after == "(none)";
        const std::string empty = std::string(p.name) + ":\r\n";
        editAndReadBack(p, empty + line, emptyLineReads ? std::string() : empty);
      }
    }
  }
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
// Lines of every length read whole, and libical sees the text the reader hands it line by line:
// lines just under, at and over the 1 KB steps it is handed, and one of 16 MB, each read back exactly
// as the title; a NUL byte still ends what libical reads (the file is refused, not read short).
TEST(RemindersIcalFile, LinesOfAnyLengthReadWhole) {
  for (const size_t size : {size_t{1}, size_t{1021}, size_t{1022}, size_t{1023}, size_t{1024}, size_t{1025},
                            size_t{4096}, size_t{16} << 20}) {
    const std::string title(size, 't');
    const std::string text = "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:u\r\nSUMMARY:" + title +
                             "\r\nDESCRIPTION:after\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
    std::string error;
    auto file = detail::parseTodoFile("x.ics", text, {}, error);
    ASSERT_NE(file, nullptr) << size << ": " << error;
    EXPECT_EQ(file->todos.at(0).fields.title, title) << size;
    EXPECT_EQ(file->todos.at(0).fields.notes, "after") << size;
  }
  std::string error;
  const std::string withNul("BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:u\r\nSUMMARY:a\0b\r\nEND:VTODO\r\nEND:VCALENDAR\r\n", 76);
  EXPECT_EQ(detail::parseTodoFile("x.ics", withNul, {}, error), nullptr);
}

}  // namespace zarvo::reminders
