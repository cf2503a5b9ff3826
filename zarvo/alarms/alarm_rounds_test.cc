// The daemon's rounds over a home on disk: what rang is not shown again, also while the file that
// records it cannot be written, and an alarm that could not be shown rings at the next round.
#include "zarvo/alarms/alarm_rounds.h"

#include <gtest/gtest.h>

#include "zarvo/testing/files.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo::alarms {
namespace {

namespace fs = std::filesystem;
using std::chrono::minutes;

const Date kDue = Date(std::chrono::seconds(1'893'492'000));  // 2030-01-01 10:00 UTC

// A home with one task whose alarm rings 15 minutes before its due and one that rings at its due
// time only (which nothing but the state file keeps from ringing again).
fs::path homeWithTwoAlarms(const testing::TempDir& dir) {
  const fs::path list = dir.path() / "reminders" / "local" / "errands";
  testing::writeFile(dir.path() / "reminders" / "local" / ".source", "local\nLocal\n0\n");
  testing::writeFile(list / "displayname", "Errands\n");
  for (const std::string uid : {"alarm", "due-time"}) {
    const std::string alarm =
        uid == "alarm" ? "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER;RELATED=END:-PT15M\r\nEND:VALARM\r\n" : "";
    testing::writeFile(list / (uid + ".ics"),
                       "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VTODO\r\nUID:" + uid +
                           "\r\nSUMMARY:" + uid + "\r\nDUE:20300101T100000Z\r\n" + alarm + "END:VTODO\r\nEND:VCALENDAR\r\n");
  }
  return dir.path();
}

TEST(AlarmRoundsTest, NothingRingsTwiceWhileWhatRangCannotBeWritten) {
  testing::TempDir dir;
  auto faults = std::make_shared<platform::FaultInjectingFileSystem>(platform::FileSystem::posix());
  const AlarmRounds::Options options{homeWithTwoAlarms(dir), faults, {.remindAtDueTime = true}};
  const fs::path stateFile = dir.path() / std::string(NotifiedState::kFileName);
  std::vector<std::string> shown;
  const auto show = [&](const Firing& f) {
    shown.push_back(f.taskUid);
    return true;
  };

  faults->setDiskFull(true);
  AlarmRounds rounds(options);
  auto first = rounds.ring(kDue, show);
  ASSERT_TRUE(first) << first.error().message();
  EXPECT_EQ(shown, (std::vector<std::string>{"alarm", "due-time"}));
  EXPECT_FALSE(first->recorded.ok());
  EXPECT_FALSE(fs::exists(stateFile));

  shown.clear();
  auto second = rounds.ring(kDue + minutes(1), show);
  ASSERT_TRUE(second);
  EXPECT_TRUE(shown.empty());
  EXPECT_FALSE(second->recorded.ok());

  // Once the disk has room the owed write is made, and a restart reads it.
  faults->setDiskFull(false);
  EXPECT_TRUE(rounds.ring(kDue + minutes(2), show)->recorded.ok());
  AlarmRounds restarted(options);
  ASSERT_TRUE(restarted.ring(kDue + minutes(3), show));
  EXPECT_TRUE(shown.empty());
}

TEST(AlarmRoundsTest, AnAlarmThatCouldNotBeShownRingsAtTheNextRound) {
  testing::TempDir dir;
  AlarmRounds rounds({homeWithTwoAlarms(dir), nullptr, {.remindAtDueTime = true}});
  std::vector<std::string> shown;
  auto refused = rounds.ring(kDue, [&](const Firing& f) {
    shown.push_back(f.taskUid);
    return false;
  });
  ASSERT_TRUE(refused);
  EXPECT_TRUE(refused->shown.empty());
  EXPECT_EQ(shown.size(), 1u);  // the round ended at the first refusal
  auto next = rounds.ring(kDue + minutes(1), [](const Firing&) { return true; });
  ASSERT_TRUE(next);
  EXPECT_EQ(next->shown.size(), 2u);
  EXPECT_TRUE(next->recorded.ok());
}

}  // namespace
}  // namespace zarvo::alarms
