// The daemon's writes (Done, an alarm shown, Snooze) reach the home through the file system it was
// given, so a failing disk fails them and leaves the task file as it was.
#include "reminders-daemon/daemon.h"

#include <gtest/gtest.h>

#include <functional>

#include "zarvo/home/home.h"
#include "zarvo/testing/files.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo::remindersd {
namespace {

namespace fs = std::filesystem;

const Date kAt = Date(std::chrono::seconds(1'893'492'000));  // 2030-01-01 10:00 UTC

TEST(DaemonWritesTest, GoThroughTheHomesFileSystem) {
  using Write = std::function<int(const fs::path& home, const std::shared_ptr<platform::FileSystem>& fs)>;
  const RungAlarm rung{"task-1", 0, kAt};
  struct Row {
    const char* name;
    Write write;
    const char* written;  // what the task file holds once the write is made
  };
  const Row rows[] = {
      {"done", [](const fs::path& home, const auto& fs) { return completeTask(home, fs, "task-1", "Call mum"); },
       "STATUS:COMPLETED"},
      {"shown", [&](const fs::path& home, const auto& fs) { return acknowledgeAlarms(home, fs, kAt, {rung}); },
       "ACKNOWLEDGED:20300101T100000Z"},
      {"snoozed",
       [&](const fs::path& home, const auto& fs) { return snoozeAlarm(home, fs, rung, kAt, kAt + std::chrono::minutes(10)); },
       "RELTYPE=SNOOZE"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    testing::TempDir dir;
    const fs::path home = dir.path() / "home";
    ASSERT_TRUE(Home::open(home, {}));
    const fs::path list = home / "reminders" / "local" / "errands";
    testing::writeFile(home / "reminders" / "local" / ".source", "local\nLocal\n0\n");
    testing::writeFile(list / "displayname", "Errands\n");
    const std::string before =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VTODO\r\nUID:task-1\r\nSUMMARY:Call mum\r\n"
        "DUE:20300101T100000Z\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER;VALUE=DATE-TIME:20300101T100000Z\r\n"
        "END:VALARM\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
    testing::writeFile(list / "task-1.ics", before);

    auto faults = std::make_shared<platform::FaultInjectingFileSystem>(platform::FileSystem::posix());
    faults->setReadOnly(list);
    EXPECT_EQ(row.write(home, faults), 1);
    EXPECT_EQ(testing::readFile(list / "task-1.ics"), before);

    faults->clearFaults();
    EXPECT_EQ(row.write(home, faults), 0);
    EXPECT_NE(testing::readFile(list / "task-1.ics").find(row.written), std::string::npos);
  }
}

}  // namespace
}  // namespace zarvo::remindersd
