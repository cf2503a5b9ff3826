#include "zarvo/alarms/task_alarms.h"

#include <gtest/gtest.h>

#include "zarvo/testing/dates.h"

namespace zarvo::alarms {
namespace {

using std::chrono::minutes;

Date utc(int y, int mo, int d, int h, int mi) {
  platform::DateComponents c;
  c.year = y, c.month = mo, c.day = d, c.hour = h, c.minute = mi, c.second = 0;
  return platform::DateCalendar::gregorianUTC().date(c);
}

std::string todo(const std::string& body) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n"
         "BEGIN:VTODO\r\nUID:other\r\nSUMMARY:Not this one\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
         "TRIGGER;VALUE=DATE-TIME:20300101T000000Z\r\nEND:VALARM\r\nEND:VTODO\r\n"
         "BEGIN:VTODO\r\nUID:task-1\r\nSUMMARY:Call Ana\r\n" +
         body + "END:VTODO\r\nEND:VCALENDAR\r\n";
}

std::string valarm(const std::string& lines) {
  return "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Reminder\r\n" + lines + "END:VALARM\r\n";
}

TEST(TaskAlarmsTest, ReadsTriggersAnchorsAndAcknowledgements) {
  testing::ScopedTimeZone zone("America/New_York");
  struct Case {
    const char* name;
    std::string body;
    AlarmAnchor anchor;
    std::optional<Date> absolute;
    minutes offset;
    std::optional<Date> start;
    bool acknowledged = false;
    std::optional<std::string> snoozeOf = std::nullopt;
  };
  const Case cases[] = {
      {"absolute", valarm("TRIGGER;VALUE=DATE-TIME:20270101T093000Z\r\n"), AlarmAnchor::absolute,
       utc(2027, 1, 1, 9, 30), minutes(0), {}},
      {"relative to due", "DUE:20270101T100000Z\r\n" + valarm("TRIGGER;RELATED=END:-PT15M\r\n"),
       AlarmAnchor::due, {}, minutes(-15), {}},
      {"start by default", "DTSTART:20270101T080000Z\r\n" + valarm("TRIGGER:-PT10M\r\n"), AlarmAnchor::start, {},
       minutes(-10), utc(2027, 1, 1, 8, 0)},
      {"explicit end beats a start", "DTSTART:20270101T080000Z\r\n" + valarm("TRIGGER;RELATED=END:PT5M\r\n"),
       AlarmAnchor::due, {}, minutes(5), utc(2027, 1, 1, 8, 0)},
      {"no start: due", valarm("TRIGGER;RELATED=START:-PT1H\r\n"), AlarmAnchor::due, {}, minutes(-60), {}},
      {"start in a named zone", "DTSTART;TZID=Europe/Berlin:20270101T090000\r\n" + valarm("TRIGGER:PT0S\r\n"),
       AlarmAnchor::start, {}, minutes(0), utc(2027, 1, 1, 8, 0)},
      {"floating start is local", "DTSTART:20270101T090000\r\n" + valarm("TRIGGER:PT0S\r\n"),
       AlarmAnchor::start, {}, minutes(0), utc(2027, 1, 1, 14, 0)},
      {"acknowledged", valarm("TRIGGER;VALUE=DATE-TIME:20270101T093000Z\r\nACKNOWLEDGED:20270101T093100Z\r\n"),
       AlarmAnchor::absolute, utc(2027, 1, 1, 9, 30), minutes(0), {}, true},
      {"snooze alarm",
       valarm("UID:snooze-1\r\nRELATED-TO;RELTYPE=SNOOZE:alarm-1\r\nTRIGGER;VALUE=DATE-TIME:20270101T094000Z\r\n"),
       AlarmAnchor::absolute, utc(2027, 1, 1, 9, 40), minutes(0), {}, false, "alarm-1"},
      {"other links are not snoozes",
       valarm("RELATED-TO;RELTYPE=PARENT:alarm-1\r\nTRIGGER;VALUE=DATE-TIME:20270101T094000Z\r\n"),
       AlarmAnchor::absolute, utc(2027, 1, 1, 9, 40), minutes(0), {}, false, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TaskAlarms t;
    ASSERT_TRUE(readAlarmDetails(todo(c.body), "task-1", t));
    ASSERT_EQ(t.alarms.size(), 1u);
    EXPECT_EQ(t.alarms[0].anchor, c.anchor);
    EXPECT_EQ(t.alarms[0].absolute, c.absolute);
    EXPECT_EQ(t.alarms[0].offset, c.offset);
    EXPECT_EQ(t.start, c.start);
    EXPECT_EQ(t.alarms[0].acknowledged.has_value(), c.acknowledged);
    EXPECT_EQ(t.alarms[0].snoozeOf, c.snoozeOf);
  }
}

TEST(TaskAlarmsTest, LeavesTheTaskAloneWhenTheFileHasNoSuchTask) {
  TaskAlarms t;
  t.alarms.push_back(AlarmTrigger{});
  EXPECT_FALSE(readAlarmDetails(todo(""), "missing", t));
  EXPECT_FALSE(readAlarmDetails("not a calendar", "task-1", t));
  EXPECT_EQ(t.alarms.size(), 1u);
  // A VALARM without a TRIGGER rings nothing and is left out.
  ASSERT_TRUE(readAlarmDetails(todo(valarm("")), "task-1", t));
  EXPECT_TRUE(t.alarms.empty());
}

}  // namespace
}  // namespace zarvo::alarms
