// Task files as other programs write them: what they hold is read right, and what a rewrite does not
// own survives it.
#include <gtest/gtest.h>

#include <string>

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
}  // namespace
}  // namespace zarvo::reminders
