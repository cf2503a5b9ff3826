// Completing a recurring task through CalendarIO: every field of the task, in memory (what a front end
// shows next, and what a later save in the same process writes) and in the file.
#include <gmock/gmock.h>

#include "zarvo/model/tag.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/testing/calendar_io_fixture.h"
#include "zarvo/testing/dates.h"
#include "zarvo/testing/files.h"

namespace zarvo::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::string taskFile(const std::string& lines) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VTODO\r\nUID:plants\r\n"
         "SUMMARY:Water the plants\r\nDESCRIPTION:The ferns too\r\nPRIORITY:1\r\nCATEGORIES:home\r\n"
         "X-ZARVO-FLAGGED:TRUE\r\nCREATED:20240101T080000Z\r\n" +
         lines + "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
}

class RecurringCompletionTest : public CalendarIOTest {
 protected:
  void SetUp() override {
    CalendarIOTest::SetUp();
    io_->setCarriesRecordFields(true);
    file_ = root_ / defaultCalendar()->calendarIdentifier() / "plants.ics";
  }

  std::shared_ptr<Task> plants(bool completed = false) {
    io_->eventKitStoreChanged({});
    for (const auto& t : fetch(std::nullopt, completed)) {
      if (t->title() == "Water the plants" || t->title() == "Water the garden") return t;
    }
    return nullptr;
  }

  ScopedTimeZone zone_{"Europe/Berlin"};
  std::filesystem::path file_;
};

TEST_F(RecurringCompletionTest, EveryFieldMovesToTheNextOccurrenceInMemoryAndInTheFile) {
  struct Row {
    const char* what;
    std::string lines;
    std::optional<Date> nextDue;   // nothing: the series ends and the task completes
    std::vector<std::string> inFile;  // lines the file holds afterwards
  };
  const Row rows[] = {
      {"weekly, ten times, due in a zone", "DUE;TZID=Europe/Berlin:20240311T090000\r\nRRULE:FREQ=WEEKLY;COUNT=10\r\n",
       localDate(2024, 3, 18, 9, 0), {"DUE;TZID=Europe/Berlin:20240318T090000\r\n", "RRULE:FREQ=WEEKLY;COUNT=9\r\n"}},
      {"daily from a start, due two days later",
       "DTSTART;TZID=Europe/Berlin:20240310T090000\r\nDUE;TZID=Europe/Berlin:20240312T090000\r\nRRULE:FREQ=DAILY\r\n",
       localDate(2024, 3, 13, 9, 0),
       {"DTSTART;TZID=Europe/Berlin:20240311T090000\r\n", "DUE;TZID=Europe/Berlin:20240313T090000\r\n"}},
      {"the last of its count", "DUE;TZID=Europe/Berlin:20240311T090000\r\nRRULE:FREQ=WEEKLY;COUNT=1\r\n",
       std::nullopt, {"STATUS:COMPLETED\r\n"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    writeFile(file_, taskFile(row.lines));
    auto task = plants();
    ASSERT_NE(task, nullptr);
    const auto dueBefore = task->dueDate();
    task->setTags({Tag::fetchOrCreate("home", context_)});
    task->setIsCompleted(true);
    io_->save(task, false);

    // In memory: what a front end shows right after.
    const auto reminder = task->reminder();
    EXPECT_EQ(task->isCompleted(), !row.nextDue);
    EXPECT_EQ(reminder->isCompleted(), !row.nextDue);
    EXPECT_EQ(task->completionDate().has_value(), !row.nextDue);
    EXPECT_EQ(task->dueDate(), row.nextDue ? row.nextDue : dueBefore);
    EXPECT_EQ(reminder->alarms().size(), row.nextDue ? 1u : 0u) << "the series keeps its alarm";
    EXPECT_EQ(task->title(), "Water the plants");
    EXPECT_EQ(task->notes(), "The ferns too");
    EXPECT_EQ(task->priority(), 3);
    EXPECT_TRUE(task->flagged());
    EXPECT_EQ(task->tags().size(), 1u);

    // In the file.
    std::string text = readFile(file_);
    for (const auto& line : row.inFile) EXPECT_THAT(text, HasSubstr("\r\n" + line));
    if (row.nextDue) {
      EXPECT_THAT(text, Not(HasSubstr("COMPLETED:")));
      EXPECT_THAT(text, Not(HasSubstr("STATUS:COMPLETED")));
    }
    for (const char* kept : {"DESCRIPTION:The ferns too\r\n", "PRIORITY:1\r\n", "CATEGORIES:home\r\n",
                             "X-ZARVO-FLAGGED:TRUE\r\n", "CREATED:20240101T080000Z\r\n", "TRIGGER:-PT15M\r\n"}) {
      if (!row.nextDue && std::string_view(kept).starts_with("TRIGGER")) continue;
      EXPECT_THAT(text, HasSubstr(kept));
    }

    // A later change in the same process keeps the next occurrence.
    task->setTitle("Water the garden");
    io_->save(task, false);
    text = readFile(file_);
    EXPECT_THAT(text, HasSubstr("SUMMARY:Water the garden\r\n"));
    for (const auto& line : row.inFile) EXPECT_THAT(text, HasSubstr("\r\n" + line));

    // A fresh read of the file agrees.
    auto again = plants(!row.nextDue);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->isCompleted(), !row.nextDue);
    EXPECT_EQ(again->dueDate(), row.nextDue ? row.nextDue : dueBefore);
    std::filesystem::remove(file_);
  }
}

}  // namespace
}  // namespace zarvo::testing
