// Task files as other programs write them: what they hold is read right, and what a rewrite does not
// own survives it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/log.h"
#include "zarvo/reminders/internal/ical_file.h"
#include "zarvo/reminders/store_error.h"

namespace zarvo::reminders {
namespace {

using platform::DateComponents;

Date utc(int y, unsigned mo, unsigned d, int h = 0, int mi = 0) {
  return std::chrono::sys_days(std::chrono::year(y) / mo / d) + std::chrono::hours(h) + std::chrono::minutes(mi);
}

std::shared_ptr<const detail::TodoFile> parse(const std::string& text) {
  std::string error;
  auto file = detail::parseTodoFile("x.ics", text, {}, error);
  EXPECT_NE(file, nullptr) << error;
  return file;
}

// What the store would want written for the first VTODO of `file`, as read.
detail::DesiredTodo asRead(const detail::TodoFile& file) {
  const detail::TodoFields& f = file.todos.at(0).fields;
  return detail::DesiredTodo{.uid = f.uid, .title = f.title, .notes = f.notes, .priority = f.priority, .due = f.due,
                             .completed = f.completed, .completionDate = f.completionDate,
                             .alarms = file.todos.at(0).alarms, .now = utc(2026, 12, 5)};
}

std::string vtodo(const std::string& body) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VTODO\r\nUID:u\r\n" + body + "END:VTODO\r\nEND:VCALENDAR\r\n";
}

TEST(OtherClientsFiles, AByteOrderMarkIsReadPastAndKeptOnRewrite) {
  const std::string bom = "\xEF\xBB\xBF";
  auto file = parse(bom + vtodo("SUMMARY:Einkaufen\r\n"));
  ASSERT_TRUE(file && file->todos.size() == 1);
  EXPECT_EQ(file->todos[0].fields.title, "Einkaufen");
  auto want = asRead(*file);
  want.title = "Kaufen";
  const std::string out = detail::editTodo(*file, 0, want);
  EXPECT_TRUE(out.starts_with(bom + "BEGIN:VCALENDAR\r\n")) << out;
  auto again = parse(out);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->todos[0].fields.title, "Kaufen");
}

// A rewrite of an owned property keeps the parameters that are about the property (its language,
// other clients' own) and drops those that describe the old value.
TEST(OtherClientsFiles, RewritingAnOwnedPropertyKeepsTheParametersThatStillApply) {
  auto file = parse(vtodo(
      "SUMMARY;LANGUAGE=de;X-FOO=bar:Alt\r\n"
      "DESCRIPTION;ALTREP=\"cid:part1@example.org\";X-QUOTED=\"a;b:c\":Old notes\r\n"
      "PRIORITY;X-RANK=7:5\r\n"
      "DUE;VALUE=DATE;X-SOURCE=mail:20240101\r\n"
      "STATUS;X-ORIGIN=web:NEEDS-ACTION\r\n"));
  ASSERT_TRUE(file);
  auto want = asRead(*file);
  want.title = "Neu und mit einem Titel der so lang ist dass die Zeile gefaltet werden muss: äöü ÄÖÜ ß";
  want.notes = "New notes";
  want.priority = 1;
  want.due = DateComponents{.timeZone = "Europe/Berlin", .year = 2024, .month = 2, .day = 3, .hour = 9, .minute = 30};
  want.completed = true;
  want.completionDate = utc(2024, 2, 3, 12);
  const std::string out = detail::editTodo(*file, 0, want);

  // The lines as a reader sees them once folds are undone.
  std::string unfolded;
  for (size_t i = 0; i < out.size(); ++i) {
    if (out.compare(i, 3, "\r\n ") == 0) {
      i += 2;
    } else {
      unfolded += out[i];
    }
  }
  EXPECT_NE(unfolded.find("\r\nSUMMARY;LANGUAGE=de;X-FOO=bar:" + want.title + "\r\n"), std::string::npos) << out;
  EXPECT_NE(unfolded.find("\r\nDESCRIPTION;X-QUOTED=\"a;b:c\":New notes\r\n"), std::string::npos) << out;
  EXPECT_NE(unfolded.find("\r\nPRIORITY;X-RANK=7:1\r\n"), std::string::npos) << out;
  EXPECT_NE(unfolded.find("\r\nDUE;TZID=Europe/Berlin;X-SOURCE=mail:20240203T093000\r\n"), std::string::npos) << out;
  EXPECT_NE(unfolded.find("\r\nSTATUS;X-ORIGIN=web:COMPLETED\r\n"), std::string::npos) << out;
  for (size_t start = 0, end; (end = out.find("\r\n", start)) != std::string::npos; start = end + 2) {
    EXPECT_LE(end - start, 75u) << out.substr(start, end - start);
  }

  auto again = parse(out);
  ASSERT_TRUE(again);
  const auto& f = again->todos[0].fields;
  EXPECT_EQ(f.title, want.title);
  EXPECT_EQ(f.notes, "New notes");
  EXPECT_EQ(f.priority, 1);
  ASSERT_TRUE(f.due.has_value());
  EXPECT_EQ(f.due->timeZone, "Europe/Berlin");
  EXPECT_EQ(f.due->day, 3);
  EXPECT_EQ(f.due->hour, 9);
  EXPECT_EQ(f.due->minute, 30);
  EXPECT_TRUE(f.completed);
}

// Parameters that cannot be told apart from the value, or that are not NAME=VALUE, stay behind with
// the old line: carried over, they would swallow or spoil the new value.
TEST(OtherClientsFiles, MalformedParametersAreNotCarriedOntoTheNewLine) {
  struct Row {
    std::string line, expected;
  };
  for (const Row& row : {Row{"PRIORITY;:5\r\n", "\r\nPRIORITY:1\r\n"},
                         Row{"PRIORITY;;X-OK=1:5\r\n", "\r\nPRIORITY;X-OK=1:1\r\n"},
                         Row{"STATUS;X-A=\"open:NEEDS-ACTION\r\nPRIORITY:5\r\n", "\r\nSTATUS:COMPLETED\r\n"},
                         Row{"STATUS;X-A=\"a:\\\"b\\:NEEDS-ACTION\r\nPRIORITY:5\r\n", "\r\nSTATUS:COMPLETED\r\n"}}) {
    auto file = parse(vtodo("SUMMARY:T\r\n" + row.line));
    ASSERT_TRUE(file) << row.line;
    auto want = asRead(*file);
    want.priority = 1;
    want.completed = true;
    want.completionDate = utc(2024, 2, 3, 12);
    const std::string out = detail::editTodo(*file, 0, want);
    EXPECT_NE(out.find(row.expected), std::string::npos) << out;
    auto again = parse(out);
    ASSERT_TRUE(again) << out;
    EXPECT_EQ(again->todos[0].fields.priority, 1) << out;
    EXPECT_TRUE(again->todos[0].fields.completed) << out;
  }
}

// Exchange and Outlook name zones no zone database knows and define them in the file itself.
const std::string kOutlookZone =
    "BEGIN:VTIMEZONE\r\nTZID:Customized Time Zone\r\nBEGIN:STANDARD\r\nDTSTART:16010101T030000\r\n"
    "TZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nRRULE:FREQ=YEARLY;INTERVAL=1;BYDAY=-1SU;BYMONTH=10\r\n"
    "END:STANDARD\r\nBEGIN:DAYLIGHT\r\nDTSTART:16010101T020000\r\nTZOFFSETFROM:+0100\r\n"
    "TZOFFSETTO:+0200\r\nRRULE:FREQ=YEARLY;INTERVAL=1;BYDAY=-1SU;BYMONTH=3\r\nEND:DAYLIGHT\r\n"
    "END:VTIMEZONE\r\n";

std::string withZone(const std::string& zone, const std::string& body) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + zone + "BEGIN:VTODO\r\nUID:u\r\n" + body +
         "END:VTODO\r\nEND:VCALENDAR\r\n";
}

TEST(OtherClientsFiles, TimesInAZoneTheFileDefinesReadAsTheRightInstant) {
  struct Row {
    const char* due;
    Date at;
  };
  const Row rows[] = {
      {"DUE;TZID=Customized Time Zone:20240110T090000\r\n", utc(2024, 1, 10, 8)},     // standard time
      {"DUE;TZID=\"Customized Time Zone\":20240710T090000\r\n", utc(2024, 7, 10, 7)},  // daylight time
      {"DUE;TZID=Customized Time Zone:20241027T033000\r\n", utc(2024, 10, 27, 2, 30)},  // just after the change
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.due);
    auto file = parse(withZone(kOutlookZone, std::string(row.due) +
                                                 "COMPLETED;TZID=Customized Time Zone:20240110T090000\r\n"));
    ASSERT_TRUE(file);
    const auto& f = file->todos[0].fields;
    ASSERT_TRUE(f.due && f.due->timeZone);
    EXPECT_EQ(*f.due->timeZone, "UTC");
    EXPECT_EQ(platform::DateCalendar::inZone("UTC")->date(*f.due), row.at);
    EXPECT_EQ(f.completionDate, utc(2024, 1, 10, 8));
  }
}

// A TZID that one file leaves undefined is no verdict on the next file, which may define it; a zone
// nobody defines reads as floating, and says so at the default log level.
TEST(OtherClientsFiles, AZoneUnknownInOneFileIsStillReadWhereAnotherDefinesIt) {
  platform::ScopedLogCapture log;
  auto undefined = parse(vtodo("DUE;TZID=Office Zone:20240110T090000\r\n"));
  ASSERT_TRUE(undefined);
  EXPECT_FALSE(undefined->todos[0].fields.due->timeZone.has_value());
  EXPECT_TRUE(log.sink().contains(platform::LogLevel::defaultLevel, "Unknown time zone 'Office Zone'"));

  auto named = parse(withZone("BEGIN:VTIMEZONE\r\nTZID:Office Zone\r\nX-LIC-LOCATION:Asia/Tokyo\r\n"
                              "BEGIN:STANDARD\r\nDTSTART:19700101T000000\r\nTZOFFSETFROM:+0900\r\n"
                              "TZOFFSETTO:+0900\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n",
                              "DUE;TZID=Office Zone:20240110T090000\r\n"));
  ASSERT_TRUE(named);
  EXPECT_EQ(named->todos[0].fields.due->timeZone, "Asia/Tokyo");

  std::string outlook = kOutlookZone;
  outlook.replace(outlook.find("Customized Time Zone"), 20, "Office Zone");
  auto defined = parse(withZone(outlook, "DUE;TZID=Office Zone:20240110T090000\r\n"));
  ASSERT_TRUE(defined);
  EXPECT_EQ(defined->todos[0].fields.due->timeZone, "UTC");
  EXPECT_EQ(defined->todos[0].fields.due->hour, 8);
}

// Completing a recurring task completes its current occurrence: the task moves to the next one and
// stays open; a series with no next occurrence completes.
TEST(OtherClientsFiles, CompletingARecurringTaskMovesItToItsNextOccurrence) {
  struct Row {
    const char* what;
    const char* lines;
    std::vector<std::string> expected;  // lines of the result ("" items: the task is completed instead)
  };
  const Row rows[] = {
      {"daily, due only", "DUE;TZID=Europe/Berlin;X-KEEP=1:20240110T090000\r\nRRULE:FREQ=DAILY\r\n",
       {"DUE;TZID=Europe/Berlin;X-KEEP=1:20240111T090000\r\n", "STATUS:NEEDS-ACTION\r\n"}},
      {"weekly with a start and a count",
       "DTSTART;VALUE=DATE:20240101\r\nDUE;VALUE=DATE:20240103\r\nRRULE:FREQ=WEEKLY;COUNT=3;BYDAY=MO\r\n",
       {"DTSTART;VALUE=DATE:20240108\r\n", "DUE;VALUE=DATE:20240110\r\n", "RRULE:FREQ=WEEKLY;COUNT=2;BYDAY=MO\r\n"}},
      {"an excluded day is skipped and counted",
       "DUE:20240110T090000Z\r\nRRULE:FREQ=DAILY;COUNT=5\r\nEXDATE:20240111T090000Z\r\n",
       {"DUE:20240112T090000Z\r\n", "RRULE:FREQ=DAILY;COUNT=3\r\n"}},
      {"monthly across a year end", "DUE:20241130T180000\r\nRRULE:FREQ=MONTHLY;INTERVAL=2\r\n",
       {"DUE:20250130T180000\r\n"}},
      {"the last of a count", "DUE:20240110T090000Z\r\nRRULE:FREQ=DAILY;COUNT=1\r\n", {"", "STATUS:COMPLETED\r\n"}},
      {"until reached", "DUE:20240110T090000Z\r\nRRULE:FREQ=DAILY;UNTIL=20240110T090000Z\r\n",
       {"", "STATUS:COMPLETED\r\n"}},
      {"no date to anchor the series on", "RRULE:FREQ=DAILY\r\n", {"", "STATUS:COMPLETED\r\n"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto file = parse(vtodo(std::string("SUMMARY:Water the plants\r\nSTATUS:NEEDS-ACTION\r\n") + row.lines +
                            "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n"));
    ASSERT_TRUE(file);
    auto want = asRead(*file);
    want.completed = true;
    want.completionDate = utc(2024, 1, 10, 10);
    want.alarms.clear();  // completing a task takes its alarms away
    const std::string out = detail::editTodo(*file, 0, want);
    auto again = parse(out);
    ASSERT_TRUE(again);
    const bool completes = row.expected.front().empty();
    EXPECT_EQ(again->todos[0].fields.completed, completes) << out;
    EXPECT_EQ(again->todos[0].alarms.size(), completes ? 0u : 1u) << out;
    for (const auto& line : row.expected) {
      if (!line.empty()) {
        EXPECT_NE(out.find("\r\n" + line), std::string::npos) << line << "\n" << out;
      }
    }
  }
}

// Times of every year a task can keep are read as written, however far; a time outside them (year
// 0000, or fields carried into year 10000) is left out of the task and named, never moved to another
// date, and never makes the file unreadable.
TEST(OtherClientsFiles, FarTimesAreReadAsWrittenAndOthersLeftOutNotMoved) {
  const auto utc = platform::DateCalendar::gregorianUTC();
  struct Row {
    const char* line;
    std::vector<std::string> leftOut;
  };
  const Row rows[] = {
      {"CREATED:00010101T000000Z\r\n", {}},
      {"LAST-MODIFIED:61611149T150500Z\r\n", {}},  // a damaged file the fuzzer found: 19 December 6161
      {"STATUS:COMPLETED\r\nCOMPLETED:99991231T235959Z\r\n", {}},
      {"DUE;VALUE=DATE:45010101\r\n", {}},
      {"DUE;TZID=Europe/Berlin:16000101T090000\r\n", {}},
      {"BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER;VALUE=DATE-TIME:30000101T000000Z\r\nEND:VALARM\r\n", {}},
      {"CREATED:00000101T000000Z\r\nDUE:22610101T000000Z\r\n", {"CREATED 0000-01-01"}},
      {"DUE;VALUE=DATE:99991301\r\n", {"DUE 9999-13-01"}},
      {"STATUS:COMPLETED\r\nCOMPLETED:00001231T235959Z\r\n", {"COMPLETED 0000-12-31"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    std::string error;
    auto file = detail::parseTodoFile("x.ics", vtodo(row.line), {}, error);
    ASSERT_NE(file, nullptr) << error;
    EXPECT_EQ(file->todos[0].fields.datesLeftOut, row.leftOut);
  }
  std::string error;
  const auto far = detail::parseTodoFile(
      "x.ics", vtodo("CREATED:00010101T000000Z\r\nLAST-MODIFIED:61611149T150500Z\r\nDUE;VALUE=DATE:45010101\r\n"), {}, error);
  ASSERT_NE(far, nullptr) << error;
  const detail::TodoFields& f = far->todos[0].fields;
  EXPECT_EQ(f.creationDate, utc.date({.year = 1, .month = 1, .day = 1}));
  EXPECT_EQ(f.lastModified, utc.date({.year = 6161, .month = 12, .day = 19, .hour = 15, .minute = 5}));
  EXPECT_EQ(f.due, (platform::DateComponents{.year = 4501, .month = 1, .day = 1}));
}

}  // namespace
}  // namespace zarvo::reminders
