// What the reminders daemon writes into a task when one of its alarms was shown or snoozed, in the
// form every other client of the same files reads: ACKNOWLEDGED on an alarm that was shown, and a
// snooze alarm (an absolute trigger with a UID of its own and RELATED-TO;RELTYPE=SNOOZE naming the
// first alarm). The changes are made to the reminder only; the caller saves it through the library's
// usual write path (CalendarIO::save), which rewrites no other line of the file.
//
// Alarm indexes are those of TaskAlarms::alarms (taskAlarmsOf): the VALARMs with a trigger, in file
// order. Threads: one thread per reminder, as the reminder itself.
//
// Also what a person sets (`zarvo add --remind`, `zarvo remind`): a reminder ahead of the due is an
// alarm relative to the due (RELATED=END), so it follows the due when any client moves it; one at a
// moment is absolute.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zarvo/platform/clock.h"
#include "zarvo/reminders/records.h"

namespace zarvo::alarms {

// When a Snooze choice made at `now` rings again: "<n>m", "<n>h", "<n>d" are n minutes, hours or
// days later; "tomorrow" is 09:00 of the next day in the current zone. None for any other text.
std::optional<Date> snoozeUntil(std::string_view choice, Date now);
// The choice as a button says it: "Snooze 10 minutes", "Snooze 1 hour", "Snooze until tomorrow"; the
// text itself for one that does not read.
std::string snoozeLabel(std::string_view choice);

// The length of a choice "<n>m", "<n>h", "<n>d" (a day counted as 24 hours); none for any other text.
std::optional<std::chrono::seconds> choiceLength(std::string_view choice);

// An offset as RFC 5545 writes a duration, in whole days, hours, minutes and seconds: "-PT10M",
// "-P1DT2H", "PT0S".
std::string durationText(std::chrono::seconds offset);

// Removes every alarm of the reminder, snoozes and acknowledged ones too; answers how many went.
size_t clearAlarms(reminders::Reminder& reminder);

// One alarm of a task as a person reads it.
struct AlarmView {
  // The trigger as iCalendar writes it: an offset from the due ("-PT10M", "PT0S", "P1DT2H") or, for
  // an absolute alarm, its moment as platform::isoString writes it.
  std::string trigger;
  std::optional<Date> at;  // when it rings; none for an offset from a due the task lacks
  bool acknowledged = false;
  bool snooze = false;
};
// The reminder's alarms in its order, offsets counted from `due`.
std::vector<AlarmView> alarmViews(const reminders::Reminder& reminder, std::optional<Date> due);
// Whether the reminder has an alarm that rings at another moment than `due` (one a person set, a
// snooze, another client's): what every dated task carries, one alarm at its due, is not counted.
bool hasOwnAlarms(const reminders::Reminder& reminder, std::optional<Date> due);

// The reminder's alarm that TaskAlarms::alarms[index] stands for; null when there is none.
std::shared_ptr<reminders::Alarm> alarmAt(const reminders::Reminder& reminder, size_t index);

// Marks alarm `index` acknowledged at `at` (one acknowledged already keeps its time). False when
// there is no such alarm or nothing changes.
bool acknowledgeAlarm(reminders::Reminder& reminder, size_t index, Date at);

// Snoozes alarm `index`, shown at `now`, until `until`: the alarm snoozed (the first one, or for a
// snooze alarm the alarm it snoozes) is acknowledged and given a UID when it has none; every earlier
// snooze of it goes, so snoozing again replaces the snooze rather than adding one; and a new snooze
// alarm rings at `until`. False when there is no such alarm.
bool snoozeAlarm(reminders::Reminder& reminder, size_t index, Date now, Date until);

}  // namespace zarvo::alarms
