#include "zarvo/alarms/schedule.h"

#include <gtest/gtest.h>

#include "zarvo/testing/temp_dir.h"

namespace zarvo::alarms {
namespace {

using std::chrono::hours;
using std::chrono::minutes;

const Date kNow = Date(std::chrono::seconds(1'800'000'000));  // the pinned "now" of every case

AlarmTrigger at(Date when) { return AlarmTrigger{AlarmAnchor::absolute, when, {}, {}, {}, {}}; }
AlarmTrigger before(AlarmAnchor anchor, minutes by) { return AlarmTrigger{anchor, {}, -by, {}, {}, {}}; }
AlarmTrigger acknowledged(AlarmTrigger a) {
  a.acknowledged = kNow - hours(1);
  return a;
}

TaskAlarms task(std::vector<AlarmTrigger> alarms, std::optional<Date> due = std::nullopt,
                std::optional<Date> start = std::nullopt, bool dueHasTime = true) {
  return TaskAlarms{"T1", "Water plants", "Home", due, start, dueHasTime, std::move(alarms), {}};
}

struct Case {
  const char* name;
  std::vector<TaskAlarms> tasks;
  std::vector<Date> ringing;           // moments of the alarms that ring now
  std::optional<Date> nextWakeUp;
  ScheduleOptions options = {};
  std::vector<Date> alreadyNotified = {};  // moments of T1 shown before
};

TEST(ScheduleTest, RingsDueAlarmsOnceAndWakesForTheNext) {
  const Case cases[] = {
      {"future absolute alarm waits", {task({at(kNow + minutes(5))})}, {}, kNow + minutes(5)},
      {"past absolute alarm rings", {task({at(kNow - minutes(5))})}, {kNow - minutes(5)}, {}},
      {"alarm at now rings", {task({at(kNow)})}, {kNow}, {}},
      {"alarm acknowledged after its moment is silent", {task({acknowledged(at(kNow - hours(2)))})}, {}, {}},
      {"acknowledged alarm moved past its acknowledgement rings again",
       {task({acknowledged(at(kNow - minutes(5))), acknowledged(at(kNow + hours(1)))})}, {kNow - minutes(5)}, kNow + hours(1)},
      {"next occurrence of an acknowledged relative alarm rings",
       {task({acknowledged(before(AlarmAnchor::due, minutes(15)))}, kNow + hours(1))}, {}, kNow + minutes(45)},
      {"notified alarm is not shown again", {task({at(kNow - minutes(5))})}, {}, {}, {}, {kNow - minutes(5)}},
      {"relative to due follows the due",
       {task({before(AlarmAnchor::due, minutes(15))}, kNow + hours(1))}, {}, kNow + minutes(45)},
      {"moved due rings again at the new moment",
       {task({before(AlarmAnchor::due, minutes(15))}, kNow)}, {kNow - minutes(15)}, {}, {}, {kNow - hours(2)}},
      {"relative to start",
       {task({before(AlarmAnchor::start, minutes(10))}, kNow + hours(5), kNow + hours(1))}, {}, kNow + minutes(50)},
      {"relative to a missing due never rings", {task({before(AlarmAnchor::due, minutes(15))})}, {}, {}},
      {"earliest pending alarm wakes",
       {task({at(kNow + hours(3)), at(kNow + hours(1))}), task({at(kNow + minutes(30))})}, {}, kNow + minutes(30)},
      {"two alarms at one moment ring once", {task({at(kNow - minutes(1)), at(kNow - minutes(1))})}, {kNow - minutes(1)}, {}},
      {"due time without alarms is silent by default", {task({}, kNow + hours(1))}, {}, {}},
      {"due time rings when asked", {task({}, kNow - minutes(1))}, {kNow - minutes(1)}, {}, {.remindAtDueTime = true}},
      {"date-only due never rings by itself", {task({}, kNow + hours(1), {}, false)}, {}, {}, {.remindAtDueTime = true}},
      {"a task's own alarms replace its due time",
       {task({at(kNow + hours(2))}, kNow + hours(1))}, {}, kNow + hours(2), {.remindAtDueTime = true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NotifiedState notified;
    for (Date d : c.alreadyNotified) notified.add(alarmKey("T1", d));
    Schedule s = schedule(c.tasks, kNow, notified, c.options);
    std::vector<Date> ringing;
    for (const Firing& f : s.ringing) ringing.push_back(f.at);
    EXPECT_EQ(ringing, c.ringing);
    EXPECT_EQ(s.nextWakeUp, c.nextWakeUp);
  }
}

TEST(ScheduleTest, RingingCarriesTheTaskAndKeepsNotifiedAlarmsLive) {
  TaskAlarms t = task({at(kNow - minutes(2)), at(kNow - minutes(1))}, kNow + hours(1));
  t.alarms[1].uid = "A2";
  NotifiedState notified;
  notified.add(alarmKey("T1", kNow - minutes(2)));
  notified.add(alarmKey("T1", kNow - hours(9)));  // an alarm since moved away
  Schedule s = schedule({t}, kNow, notified);
  ASSERT_EQ(s.ringing.size(), 1u);
  EXPECT_EQ(s.ringing[0].title, "Water plants");
  EXPECT_EQ(s.ringing[0].list, "Home");
  EXPECT_EQ(s.ringing[0].due, kNow + hours(1));
  EXPECT_EQ(s.ringing[0].alarmIndex, 1u);
  EXPECT_EQ(s.ringing[0].alarmUid, "A2");
  // What is no longer live is kept a while (its file may only be unreadable for now), then forgotten.
  notified.retain(s.liveKeys, kNow);
  EXPECT_TRUE(notified.contains(alarmKey("T1", kNow - minutes(2))));
  EXPECT_TRUE(notified.contains(alarmKey("T1", kNow - hours(9))));
  notified.retain(s.liveKeys, kNow + NotifiedState::kForgetAfter + minutes(1));
  EXPECT_TRUE(notified.contains(alarmKey("T1", kNow - minutes(2))));
  EXPECT_FALSE(notified.contains(alarmKey("T1", kNow - hours(9))));
}

TEST(NotifiedStateTest, KeepsTheMissedKeysBoundedAndForgetsTheLongestMissedFirst) {
  NotifiedState notified;
  const size_t extra = 3;
  for (size_t i = 0; i < NotifiedState::kMostMissing + extra; ++i) {
    notified.add(alarmKey(std::to_string(i), kNow));
    // Each missed one round later than the one before.
    notified.retain({}, kNow + minutes(static_cast<int>(i)));
  }
  EXPECT_EQ(notified.size(), NotifiedState::kMostMissing);
  EXPECT_FALSE(notified.contains(alarmKey("0", kNow)));
  EXPECT_FALSE(notified.contains(alarmKey(std::to_string(extra - 1), kNow)));
  EXPECT_TRUE(notified.contains(alarmKey(std::to_string(extra), kNow)));
  EXPECT_TRUE(notified.contains(alarmKey(std::to_string(NotifiedState::kMostMissing + extra - 1), kNow)));
}

TEST(NotifiedStateTest, SurvivesARestartAndReportsAFailedWrite) {
  testing::TempDir dir;
  auto faults = std::make_shared<platform::FaultInjectingFileSystem>(platform::FileSystem::posix());
  const auto path = dir.path() / std::string(NotifiedState::kFileName);
  const std::string oddUid = "a b\nc%d";  // would break a line-per-key file unencoded
  {
    auto state = NotifiedState::load(faults, path);
    ASSERT_TRUE(state.hasValue());
    EXPECT_EQ(state->size(), 0u);
    state->add(alarmKey(oddUid, kNow));
    state->add(alarmKey("T1", kNow));
    state->add(alarmKey("T2", kNow));
    // T2 missed from a round: kept, and how long it has been missed survives the restart too.
    state->retain({alarmKey(oddUid, kNow), alarmKey("T1", kNow)}, kNow);
    faults->setDiskFull(true);
    EXPECT_FALSE(state->save().ok());
    faults->setDiskFull(false);
    EXPECT_TRUE(state->save().ok());  // still owed after the failure
  }
  auto again = NotifiedState::load(faults, path);
  ASSERT_TRUE(again.hasValue());
  EXPECT_EQ(again->size(), 3u);
  EXPECT_TRUE(again->contains(alarmKey(oddUid, kNow)));
  EXPECT_FALSE(again->contains(alarmKey(oddUid, kNow + std::chrono::seconds(1))));
  EXPECT_TRUE(again->contains(alarmKey("T2", kNow)));
  again->retain({alarmKey(oddUid, kNow), alarmKey("T1", kNow)}, kNow + NotifiedState::kForgetAfter + minutes(1));
  EXPECT_FALSE(again->contains(alarmKey("T2", kNow)));
  EXPECT_TRUE(again->contains(alarmKey("T1", kNow)));
}

}  // namespace
}  // namespace zarvo::alarms
