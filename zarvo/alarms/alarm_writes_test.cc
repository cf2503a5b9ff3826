// What a shown or snoozed alarm leaves in its task's file, for every shape of VALARM other clients
// write: only the lines the change needs are added or removed, every other line stays byte for byte,
// and the file reads back as the change meant. And the alarms a person sets, which follow the due.
#include "zarvo/alarms/alarm_writes.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "zarvo/alarms/open_task_alarms.h"
#include "zarvo/alarms/schedule.h"
#include "zarvo/alarms/task_alarms.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/testing/dates.h"
#include "zarvo/testing/reminders_store.h"

namespace zarvo::alarms {
namespace {

namespace fs = std::filesystem;
using reminders::testing::linesExcept;
using std::chrono::hours;
using std::chrono::minutes;

const Date kShown = Date(std::chrono::seconds(1'800'000'000));  // 2027-01-15T08:00:00Z
const Date kUntil = kShown + minutes(10);

std::string taskFile(const std::string& alarms) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//other//EN\r\nBEGIN:VTODO\r\nUID:task-1\r\nSUMMARY:Call Ana\r\n"
         "DUE:20270115T080000Z\r\nSTATUS:NEEDS-ACTION\r\n" + alarms + "END:VTODO\r\nEND:VCALENDAR\r\n";
}

const std::string kPlain = "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER;RELATED=END:PT0S\r\nEND:VALARM\r\n";
const std::string kOthers =
    "BEGIN:VALARM\r\nUID:first\r\nACTION:DISPLAY\r\nDESCRIPTION:Call\\, now\r\nX-MOZ-LASTACK:20200101T000000Z\r\n"
    "TRIGGER;RELATED=END:PT0S\r\nX-APPLE-DEFAULT-ALARM:TRUE\r\n END-OF-FOLD\r\nEND:VALARM\r\n";
const std::string kAcknowledged =
    "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER;RELATED=END:PT0S\r\nACKNOWLEDGED:20270115T080500Z\r\nEND:VALARM\r\n";
const std::string kSnoozed =
    "BEGIN:VALARM\r\nUID:first\r\nACTION:DISPLAY\r\nTRIGGER;RELATED=END:PT0S\r\nACKNOWLEDGED:20270115T080000Z\r\n"
    "END:VALARM\r\nBEGIN:VALARM\r\nUID:snooze-1\r\nRELATED-TO;RELTYPE=SNOOZE:first\r\nACTION:DISPLAY\r\n"
    "TRIGGER;VALUE=DATE-TIME:20270115T080500Z\r\nEND:VALARM\r\n";

// The names of the lines in `a` that `b` lacks (as a multiset of whole lines), sorted.
std::vector<std::string> namesMissing(const std::vector<std::string>& a, std::vector<std::string> b) {
  std::vector<std::string> names;
  for (const std::string& line : a) {
    if (auto it = std::find(b.begin(), b.end(), line); it != b.end()) {
      b.erase(it);
    } else {
      names.push_back(line.substr(0, line.find_first_of(";:")));
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

// One alarm after the write, as a fresh read of the file gives it.
struct Written {
  bool acknowledged;
  bool hasUid;
  std::optional<Date> absolute;
  bool snoozesFirst;  // RELATED-TO;RELTYPE=SNOOZE names the first alarm's UID
  friend bool operator==(const Written&, const Written&) = default;
};

void PrintTo(const Written& w, std::ostream* os) {
  *os << "{ack " << w.acknowledged << ", uid " << w.hasUid << ", absolute " << w.absolute.has_value() << ", snooze "
      << w.snoozesFirst << "}";
}

TEST(AlarmWritesTest, AcknowledgeAndSnoozeWriteOnlyTheirLines) {
  testing::ScopedTimeZone zone("UTC");
  platform::ScopedClock clock(std::make_shared<platform::FixedClock>(kShown));
  enum class Act { acknowledge, snooze };
  struct Case {
    const char* name;
    std::string alarms;
    Act act;
    size_t index;
    bool changes;
    std::vector<std::string> added;    // names of the lines added (DTSTAMP, LAST-MODIFIED aside)
    std::vector<std::string> removed;  // names of the lines removed
    std::vector<Written> after;
  };
  const std::vector<std::string> kSnoozeBlock = {"ACTION", "BEGIN", "DESCRIPTION", "END", "RELATED-TO", "TRIGGER", "UID"};
  auto with = [](std::vector<std::string> names, std::vector<std::string> more) {
    names.insert(names.end(), more.begin(), more.end());
    std::sort(names.begin(), names.end());
    return names;
  };
  const Case cases[] = {
      {"acknowledge an alarm without UID", kPlain, Act::acknowledge, 0, true, {"ACKNOWLEDGED"}, {},
       {{true, false, {}, false}}},
      {"acknowledge keeps other clients' lines", kOthers, Act::acknowledge, 0, true, {"ACKNOWLEDGED"}, {},
       {{true, true, {}, false}}},
      {"acknowledged already: nothing to write", kAcknowledged, Act::acknowledge, 0, false, {}, {},
       {{true, false, {}, false}}},
      {"acknowledge the second alarm only", kPlain + kPlain, Act::acknowledge, 1, true, {"ACKNOWLEDGED"}, {},
       {{false, false, {}, false}, {true, false, {}, false}}},
      {"snooze gives the first alarm a UID", kPlain, Act::snooze, 0, true, with(kSnoozeBlock, {"ACKNOWLEDGED", "UID"}), {},
       {{true, true, {}, false}, {false, true, kUntil, true}}},
      {"snooze keeps the first alarm's UID and lines", kOthers, Act::snooze, 0, true, with(kSnoozeBlock, {"ACKNOWLEDGED"}),
       {}, {{true, true, {}, false}, {false, true, kUntil, true}}},
      {"snooze of a snooze replaces it", kSnoozed, Act::snooze, 1, true, {"DESCRIPTION", "TRIGGER", "UID"}, {"TRIGGER", "UID"},
       {{true, true, {}, false}, {false, true, kUntil, true}}},
      {"snoozing the first again replaces its snooze", kSnoozed, Act::snooze, 0, true, {"DESCRIPTION", "TRIGGER", "UID"},
       {"TRIGGER", "UID"}, {{true, true, {}, false}, {false, true, kUntil, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    const fs::path root = dir.path() / "reminders";
    testing::writeFile(root / "local" / ".source", "local\nLocal\n0\n");
    testing::writeFile(root / "local" / "errands" / "displayname", "Errands\n");
    const fs::path file = root / "local" / "errands" / "task-1.ics";
    const std::string before = taskFile(c.alarms);
    testing::writeFile(file, before);
    {
      reminders::EventStore store(reminders::testing::optionsFor(root));
      std::shared_ptr<reminders::Reminder> r = store.reminderWithExternalIdentifier("task-1");
      ASSERT_TRUE(r);
      const bool changed = c.act == Act::acknowledge ? acknowledgeAlarm(*r, c.index, kShown)
                                                     : snoozeAlarm(*r, c.index, kShown, kUntil);
      ASSERT_EQ(changed, c.changes);
      if (changed) store.saveReminder(r, true);
    }
    const std::string after = testing::readFile(file);
    const auto oldLines = linesExcept(before, {"DTSTAMP", "LAST-MODIFIED"});
    const auto newLines = linesExcept(after, {"DTSTAMP", "LAST-MODIFIED"});
    EXPECT_EQ(namesMissing(newLines, oldLines), c.added);
    EXPECT_EQ(namesMissing(oldLines, newLines), c.removed);

    reminders::EventStore reread(reminders::testing::optionsFor(root));
    std::shared_ptr<reminders::Reminder> r = reread.reminderWithExternalIdentifier("task-1");
    ASSERT_TRUE(r);
    std::vector<Written> got;
    const std::optional<std::string> firstUid = r->alarms().front()->uid();
    for (const auto& a : r->alarms()) {
      got.push_back({a->acknowledged().has_value(), a->uid().has_value(), a->absoluteDate(),
                     firstUid && a->snoozeOf() == firstUid});
    }
    EXPECT_EQ(got, c.after);
    // What the daemon reads agrees: the acknowledged first alarm stays silent, a snooze rings at its time.
    TaskAlarms t = taskAlarmsOf(*r);
    ASSERT_EQ(t.alarms.size(), c.after.size());
    for (size_t i = 0; i < t.alarms.size(); ++i) EXPECT_EQ(t.alarms[i].acknowledged.has_value(), c.after[i].acknowledged);
  }
}

TEST(AlarmWritesTest, SnoozeChoices) {
  testing::ScopedTimeZone zone("Europe/Berlin");
  const Date now = Date(std::chrono::seconds(1'800'018'000));  // 2027-01-15 14:00 in Berlin
  struct Case {
    const char* choice;
    std::optional<Date> until;
    const char* label;
  };
  const Case cases[] = {
      {"10m", now + minutes(10), "Snooze 10 minutes"},
      {"1h", now + hours(1), "Snooze 1 hour"},
      {"2d", now + hours(48), "Snooze 2 days"},
      {"tomorrow", now + hours(19), "Snooze until tomorrow"},  // 09:00 the next day
      {"0m", std::nullopt, "0m"},
      {"1000h", std::nullopt, "1000h"},
      {"5s", std::nullopt, "5s"},
      {"m", std::nullopt, "m"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.choice);
    EXPECT_EQ(snoozeUntil(c.choice, now), c.until);
    EXPECT_EQ(snoozeLabel(c.choice), c.label);
    EXPECT_EQ(choiceLength(c.choice).has_value(), c.until.has_value() && std::string(c.choice) != "tomorrow");
  }
}

// With alarms that follow the due, a reminder set "10 minutes before" and the alarm at the due are
// offsets from DUE: another client that moves DUE moves them, and the daemon's next wake-up is then
// at the new moment. Writing the due again keeps them (once each) and drops the absolute ones.
TEST(AlarmWritesTest, AlarmsThatFollowTheDueMoveWithIt) {
  testing::ScopedTimeZone zone("UTC");
  const Date now = kShown - hours(24);
  struct Restore {
    ~Restore() { Task::setDueAlarmsFollowDue(false); }
  } restore;
  testing::TempDir dir;
  const fs::path root = dir.path() / "reminders";
  testing::writeFile(root / "local" / ".source", "local\nLocal\n0\n");
  testing::writeFile(root / "local" / "errands" / "displayname", "Errands\n");
  const fs::path file = root / "local" / "errands" / "task-1.ics";
  testing::writeFile(file, taskFile(""));
  {
    reminders::EventStore store(reminders::testing::optionsFor(root));
    auto task = Task::create(store.reminderWithExternalIdentifier("task-1"), nullptr);
    task->setDueDate(kShown);
    ASSERT_EQ(task->reminder()->alarms().size(), 1u);
    EXPECT_TRUE(task->reminder()->alarms()[0]->absoluteDate()) << "the library's own rule, by default";
    EXPECT_FALSE(hasOwnAlarms(*task->reminder(), kShown));

    Task::setDueAlarmsFollowDue(true);
    task->reminder()->addAlarm(reminders::Alarm::alarmWithRelativeOffset(-minutes(10)));
    task->setDueDate(kShown);
    task->setDueDate(kShown);
    std::vector<std::string> triggers;
    for (const AlarmView& a : alarmViews(*task->reminder(), task->dueDate())) {
      std::string shown = a.trigger;
      if (a.at) shown.append(" ").append(platform::isoString(*a.at));
      triggers.push_back(shown);
    }
    EXPECT_EQ(triggers, (std::vector<std::string>{"-PT10M 2027-01-15T07:50:00.000+00:00", "PT0S 2027-01-15T08:00:00.000+00:00"}));
    EXPECT_TRUE(hasOwnAlarms(*task->reminder(), kShown));
    store.saveReminder(task->reminder(), true);
  }
  std::string text = testing::readFile(file);
  EXPECT_NE(text.find("\r\nTRIGGER;RELATED=END:-PT10M\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\nTRIGGER;RELATED=END:PT0S\r\n"), std::string::npos) << text;

  // Another client moves the due two hours later.
  const std::string due = "DUE:20270115T080000Z";
  ASSERT_NE(text.find(due), std::string::npos) << text;
  text.replace(text.find(due), due.size(), "DUE:20270115T100000Z");
  testing::writeFile(file, text);
  const auto read = readOpenTaskAlarms(root, {});
  ASSERT_TRUE(read) << read.error().message();
  ASSERT_EQ(read->size(), 1u);
  EXPECT_EQ(schedule(*read, now, NotifiedState()).nextWakeUp, kShown + hours(2) - minutes(10));
  EXPECT_EQ(schedule(*read, kShown + hours(2), NotifiedState()).ringing.size(), 2u);

  // Clearing removes every alarm; no due removes them as well.
  reminders::EventStore store(reminders::testing::optionsFor(root));
  auto task = Task::create(store.reminderWithExternalIdentifier("task-1"), nullptr);
  EXPECT_EQ(clearAlarms(*task->reminder()), 2u);
  task->reminder()->addAlarm(reminders::Alarm::alarmWithRelativeOffset(-minutes(5)));
  task->setDueDate(std::nullopt);
  EXPECT_TRUE(task->reminder()->alarms().empty());
}

}  // namespace
}  // namespace zarvo::alarms
