// What the daemon keeps of a store: the open tasks that can ring, with what their files say of their
// alarms, and nothing of the rest; a store that is missing is an error, a file that does not parse
// is passed over.
#include "zarvo/alarms/open_task_alarms.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "zarvo/testing/dates.h"
#include "zarvo/testing/files.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo::alarms {
namespace {

namespace fs = std::filesystem;

std::string taskFile(const std::string& uid, const std::string& lines) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VTODO\r\nUID:" + uid + "\r\nSUMMARY:Task " +
         uid + "\r\n" + lines + "END:VTODO\r\nEND:VCALENDAR\r\n";
}

const std::string kAlarm = "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER;RELATED=END:-PT15M\r\nEND:VALARM\r\n";

TEST(OpenTaskAlarmsTest, KeepsOnlyOpenTasksThatCanRing) {
  testing::ScopedTimeZone zone("Europe/Berlin");
  testing::TempDir dir;
  const fs::path list = dir.path() / "reminders" / "local" / "errands";
  testing::writeFile(dir.path() / "reminders" / "local" / ".source", "local\nLocal\n0\n");
  testing::writeFile(list / "displayname", "Errands\n");
  struct Row {
    const char* uid;
    std::string lines;
    bool kept;             // without due times
    bool keptWithDueTimes;
  };
  const Row rows[] = {
      {"open-alarm", "DUE:20300101T100000Z\r\nSTATUS:NEEDS-ACTION\r\n" + kAlarm, true, true},
      // What only the file says (an offset from the start) is read in any letter case.
      {"lowercase-alarm", "dtstart:20300101T080000Z\r\nbegin:valarm\r\naction:DISPLAY\r\ntrigger:-PT5M\r\nend:valarm\r\n",
       true, true},
      {"completed-alarm", "DUE:20300101T100000Z\r\nSTATUS:COMPLETED\r\nCOMPLETED:20291231T000000Z\r\n" + kAlarm, false, false},
      {"completed-no-status", "DUE:20300101T100000Z\r\nCOMPLETED:20291231T000000Z\r\n" + kAlarm, false, false},
      {"timed-due", "DUE:20300101T100000Z\r\n", false, true},
      {"floating-due", "DUE:20300101T100000\r\n", false, true},
      {"day-due", "DUE;VALUE=DATE:20300101\r\n", false, false},
      {"no-due", "", false, false},
  };
  for (const Row& row : rows) testing::writeFile(list / (std::string(row.uid) + ".ics"), taskFile(row.uid, row.lines));
  testing::writeFile(list / "broken.ics", "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:broken\r\n");

  for (bool withDueTimes : {false, true}) {
    SCOPED_TRACE(withDueTimes ? "with due times" : "alarms only");
    OpenTaskAlarmsOptions options;
    options.withDueTimes = withDueTimes;
    const auto read = readOpenTaskAlarms(dir.path() / "reminders", options);
    ASSERT_TRUE(read) << read.error().message();
    std::vector<std::string> uids;
    for (const TaskAlarms& t : *read) uids.push_back(t.taskUid);
    std::sort(uids.begin(), uids.end());
    std::vector<std::string> expected;
    for (const Row& row : rows) {
      if (withDueTimes ? row.keptWithDueTimes : row.kept) expected.push_back(row.uid);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(uids, expected);
    // Read file by file, the same files give the same tasks; a file that is gone, lies outside the
    // lists or does not parse gives none.
    std::vector<fs::path> files{list / "missing.ics", dir.path() / "reminders" / "local" / "stray.ics", list / "broken.ics"};
    for (const Row& row : rows) files.push_back(list / (std::string(row.uid) + ".ics"));
    testing::writeFile(files[1], taskFile("stray", kAlarm));
    const auto inFiles = readOpenTaskAlarmsInFiles(dir.path() / "reminders", files, options);
    ASSERT_TRUE(inFiles) << inFiles.error().message();
    std::vector<std::string> uidsInFiles;
    for (const TaskAlarms& t : *inFiles) {
      uidsInFiles.push_back(t.taskUid);
      EXPECT_EQ(t.file, list / (t.taskUid + ".ics"));
    }
    std::sort(uidsInFiles.begin(), uidsInFiles.end());
    EXPECT_EQ(uidsInFiles, expected);
    for (const TaskAlarms& t : *read) {
      EXPECT_EQ(t.file, list / (t.taskUid + ".ics"));
      EXPECT_EQ(t.list, "Errands");
      EXPECT_EQ(t.title, "Task " + t.taskUid);
      if (t.taskUid == "open-alarm") {
        ASSERT_EQ(t.alarms.size(), 1u);
        EXPECT_EQ(t.alarms[0].anchor, AlarmAnchor::due);
        EXPECT_EQ(t.alarms[0].offset, std::chrono::minutes(-15));
        EXPECT_EQ(t.due, Date(std::chrono::seconds(1'893'492'000)));  // 2030-01-01 10:00 UTC
        EXPECT_TRUE(t.dueHasTime);
      }
      if (t.taskUid == "lowercase-alarm") {
        ASSERT_EQ(t.alarms.size(), 1u);
        EXPECT_EQ(t.alarms[0].anchor, AlarmAnchor::start);
        EXPECT_EQ(t.start, Date(std::chrono::seconds(1'893'484'800)));  // 2030-01-01 08:00 UTC
      }
      if (t.taskUid == "floating-due") {
        EXPECT_EQ(t.due, Date(std::chrono::seconds(1'893'488'400)));  // 10:00 in Berlin
      }
    }
  }
  EXPECT_EQ(readOpenTaskAlarms(dir.path() / "nothing").error(), std::errc::no_such_file_or_directory);
}

}  // namespace
}  // namespace zarvo::alarms
