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

TEST(OpenTaskAlarmsTest, FileByFileReadKeepsOneFilePerUidAsTheFullReadDoes) {
  const std::string kOpen = "DUE:20300101T100000Z\r\n" + kAlarm;
  const std::string kLongUid = "0f8fad5b-d9cb-469f-a165-70867728950e@example.org";
  struct File {
    std::string path;  // under reminders/
    std::string text;
  };
  struct Row {
    const char* name;
    std::vector<File> files;
    // A file named after its UID that, read alone, keeps its task although a copy reads first.
    std::string namedAfterItsUid = "";
  };
  const auto task = [&](const std::string& uid) { return taskFile(uid, kOpen); };
  const Row rows[] = {
      {"a copy read after the original", {{"a/work/task.ics", task("task")}, {"a/work/task.ics.ics", task("task")}}},
      {"a copy read before the original", {{"a/work/task.ics", task("task")}, {"a/work/copy.ics", task("task")}}, "a/work/task.ics"},
      {"a copy named after the UID read after one that is not",
       {{"a/work/a.ics", task("task")}, {"a/work/task.ics", task("task")}}, "a/work/task.ics"},
      {"a copy in an earlier list of the account", {{"a/work/task.ics", task("task")}, {"a/home/task.ics", task("task")}}},
      {"a copy in another account", {{"a/work/task.ics", task("task")}, {"b/home/task.ics", task("task")}}},
      {"a long UID", {{"a/work/z.ics", task(kLongUid)}, {"a/work/y.ics", task(kLongUid)}}},
      {"a file without UID, known by its name",
       {{"a/work/task.ics", "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VTODO\r\nSUMMARY:x\r\n" + kOpen +
                                "END:VTODO\r\nEND:VCALENDAR\r\n"},
        {"a/work/x.ics", task("task")}}},
      {"a damaged copy read first", {{"a/work/task.ics", task("task")}, {"a/work/copy.ics", "BEGIN:VCALENDAR\r\nUID:task\r\n"}}},
      {"a completed copy read first",
       {{"a/work/task.ics", task("task")}, {"a/work/copy.ics", taskFile("task", "STATUS:COMPLETED\r\n" + kOpen)}},
       "a/work/task.ics"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    testing::TempDir dir;
    const fs::path root = dir.path() / "reminders";
    for (const std::string account : {"a", "b"}) {
      testing::writeFile(root / account / ".source", account + "\n" + account + "\n0\n");
      for (const std::string list : {"home", "work"}) testing::writeFile(root / account / list / "displayname", list + "\n");
    }
    for (const File& f : row.files) testing::writeFile(root / f.path, f.text);
    const auto full = readOpenTaskAlarms(root);
    ASSERT_TRUE(full) << full.error().message();
    // Each file read alone gives what the full read gives of it.
    for (const File& f : row.files) {
      SCOPED_TRACE(f.path);
      std::vector<std::string> expected;
      for (const TaskAlarms& t : *full) {
        if (t.file == root / f.path) expected.push_back(t.taskUid);
      }
      if (f.path == row.namedAfterItsUid) {
        ASSERT_TRUE(expected.empty());
        expected.push_back("task");
      }
      const auto alone = readOpenTaskAlarmsInFiles(root, {root / f.path});
      ASSERT_TRUE(alone) << alone.error().message();
      std::vector<std::string> read;
      for (const TaskAlarms& t : *alone) read.push_back(t.taskUid);
      EXPECT_EQ(read, expected);
    }
  }
}

}  // namespace
}  // namespace zarvo::alarms
