// The daemon's rounds over a home on disk: what rang is not shown again, also while the file that
// records it cannot be written; an alarm that could not be shown rings at the next round; after the
// first round only the files told as changed are read again.
#include "zarvo/alarms/alarm_rounds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "zarvo/testing/files.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo::alarms {
namespace {

namespace fs = std::filesystem;
using std::chrono::minutes;

const Date kDue = Date(std::chrono::seconds(1'893'492'000));  // 2030-01-01 10:00 UTC

// A home with one task whose alarm rings 15 minutes before its due and one that rings at its due
// time only (which nothing but the state file keeps from ringing again).
fs::path errands(const testing::TempDir& dir) { return dir.path() / "reminders" / "local" / "errands"; }

std::string taskFile(const std::string& uid, const std::string& lines) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VTODO\r\nUID:" + uid + "\r\nSUMMARY:" + uid +
         "\r\n" + lines + "END:VTODO\r\nEND:VCALENDAR\r\n";
}

fs::path homeWithTwoAlarms(const testing::TempDir& dir) {
  const fs::path list = errands(dir);
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

TEST(AlarmRoundsTest, NeverTwiceAlsoWhenAFileIsBrieflyUnreadable) {
  // Another program rewrites the task files in place: a round reads them half written, the next whole
  // again. The due-time reminder has nothing in its file to say it rang; the alarm is not acknowledged
  // (the daemon's write of ACKNOWLEDGED may fail, or the rewrite drops it).
  const std::string halfWritten = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VTODO\r\nUID:due-ti";
  for (const bool restart : {false, true}) {
    SCOPED_TRACE(restart ? "with a restart after the unreadable round" : "in one process");
    testing::TempDir dir;
    const AlarmRounds::Options options{homeWithTwoAlarms(dir), nullptr, {.remindAtDueTime = true}};
    std::vector<std::string> shown;
    const auto show = [&](const Firing& f) {
      shown.push_back(f.taskUid);
      return true;
    };
    auto rounds = std::make_unique<AlarmRounds>(options);
    ASSERT_TRUE(rounds->ring(kDue, show));
    ASSERT_EQ(shown.size(), 2u);
    const fs::path list = errands(dir);
    const std::string whole[] = {testing::readFile(list / "alarm.ics"), testing::readFile(list / "due-time.ics")};
    testing::writeFile(list / "alarm.ics", halfWritten);
    testing::writeFile(list / "due-time.ics", halfWritten);
    rounds->filesChanged({.files = {list / "alarm.ics", list / "due-time.ics"}, .everything = false});
    auto unreadable = rounds->ring(kDue + minutes(1), show);
    ASSERT_TRUE(unreadable);
    EXPECT_TRUE(unreadable->recorded.ok());
    testing::writeFile(list / "alarm.ics", whole[0]);
    testing::writeFile(list / "due-time.ics", whole[1]);
    if (restart) {
      rounds = std::make_unique<AlarmRounds>(options);
    } else {
      rounds->filesChanged({.files = {list / "alarm.ics", list / "due-time.ics"}, .everything = false});
    }
    ASSERT_TRUE(rounds->ring(kDue + minutes(2), show));
    EXPECT_EQ(shown.size(), 2u);
  }
}

TEST(AlarmRoundsTest, ATaskInTwoFilesRingsFromTheFileReadFirst) {
  testing::TempDir dir;
  AlarmRounds rounds({homeWithTwoAlarms(dir), nullptr, {}});
  std::vector<std::string> shown;
  const auto show = [&](const Firing& f) {
    shown.push_back(f.taskUid);
    return true;
  };
  const fs::path list = errands(dir);
  ASSERT_TRUE(rounds.ring(kDue - minutes(60), show));
  // A copy that reads before the original (its own alarm at 09:30), then the original rewritten.
  testing::writeFile(list / "a-copy.ics", taskFile("alarm", "DUE:20300101T100000Z\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
                                                             "TRIGGER;VALUE=DATE-TIME:20300101T093000Z\r\nEND:VALARM\r\n"));
  rounds.filesChanged({.files = {list / "a-copy.ics"}, .everything = false});
  ASSERT_TRUE(rounds.ring(kDue - minutes(55), show));
  testing::writeFile(list / "alarm.ics", taskFile("alarm", "DUE:20300101T100000Z\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
                                                            "TRIGGER;RELATED=END:-PT15M\r\nEND:VALARM\r\n"));
  rounds.filesChanged({.files = {list / "alarm.ics"}, .everything = false});
  auto round = rounds.ring(kDue - minutes(10), show);
  ASSERT_TRUE(round);
  ASSERT_EQ(round->shown.size(), 1u);
  EXPECT_EQ(round->shown[0].at, kDue - minutes(30));
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

TEST(AlarmRoundsTest, LaterRoundsReadTheFilesToldAsChanged) {
  const std::string kQuarterBefore = "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER;RELATED=END:-PT15M\r\nEND:VALARM\r\n";
  const std::string kAtHalfPastNine =
      "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER;VALUE=DATE-TIME:20300101T093000Z\r\nEND:VALARM\r\n";
  enum class Told { nothing, theFile, noTaskFile, everything };
  struct Row {
    const char* name;
    std::function<fs::path(const fs::path& list)> change;  // gives the file it changed
    Told told;
    std::vector<std::string> shown;  // "uid list" at 09:50, when "alarm" (09:45) rings unless changed
  };
  const auto write = [](const std::string& uid, const std::string& lines) {
    return [uid, lines](const fs::path& list) {
      testing::writeFile(list / (uid + ".ics"), taskFile(uid, lines));
      return list / (uid + ".ics");
    };
  };
  const Row rows[] = {
      {"nothing changed", [](const fs::path& list) { return list / "alarm.ics"; }, Told::nothing, {"alarm Errands"}},
      {"a new task", write("new", kAtHalfPastNine), Told::theFile, {"alarm Errands", "new Errands"}},
      {"a new task not told", write("new", kAtHalfPastNine), Told::nothing, {"alarm Errands"}},
      {"completed", write("alarm", "DUE:20300101T100000Z\r\nSTATUS:COMPLETED\r\n" + kQuarterBefore), Told::theFile, {}},
      {"due moved later", write("alarm", "DUE:20300101T110000Z\r\n" + kQuarterBefore), Told::theFile, {}},
      {"removed",
       [](const fs::path& list) {
         fs::remove(list / "alarm.ics");
         return list / "alarm.ics";
       },
       Told::theFile, {}},
      {"a copy that reads first, with its own alarm",
       [&](const fs::path& list) {
         testing::writeFile(list / "a-copy.ics", taskFile("alarm", "DUE:20300101T100000Z\r\n" + kAtHalfPastNine));
         return list / "a-copy.ics";
       },
       Told::theFile, {"alarm Errands"}},
      {"completed, only a temporary file told", write("alarm", "STATUS:COMPLETED\r\n" + kQuarterBefore), Told::noTaskFile,
       {"alarm Errands"}},
      {"list renamed",
       [](const fs::path& list) {
         testing::writeFile(list / "displayname", "Chores\n");
         return list / "displayname";
       },
       Told::everything, {"alarm Chores"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    testing::TempDir dir;
    AlarmRounds rounds({homeWithTwoAlarms(dir), nullptr, {}});
    std::vector<std::string> shown;
    const auto show = [&](const Firing& f) {
      shown.push_back(f.taskUid + " " + f.list);
      return true;
    };
    ASSERT_TRUE(rounds.ring(kDue - minutes(60), show));
    ASSERT_TRUE(shown.empty());
    const fs::path changed = row.change(errands(dir));
    if (row.told == Told::theFile) rounds.filesChanged({.files = {changed}, .everything = false});
    if (row.told == Told::noTaskFile) rounds.filesChanged({});
    if (row.told == Told::everything) rounds.filesChanged({.files = {}, .everything = true});
    ASSERT_TRUE(rounds.ring(kDue - minutes(10), show));
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, row.shown);
  }
}

}  // namespace
}  // namespace zarvo::alarms
