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

}  // namespace
}  // namespace zarvo::reminders
