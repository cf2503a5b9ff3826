// The alarms of one task as the schedule needs them: each VALARM's trigger (an instant, or an offset
// from the task's due or start), whether another client (or we) acknowledged it, and its links.
//
// The reminders store keeps an alarm's instant or offset; this reader adds what iCalendar says about
// the rest (RELATED, ACKNOWLEDGED, the alarm's UID, RELATED-TO;RELTYPE=SNOOZE) by reading the task's
// own file text, so nothing of the store's write path changes. Callable from any thread.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zarvo/model/task.h"
#include "zarvo/platform/clock.h"

namespace zarvo::alarms {

// What an alarm's offset counts from.
enum class AlarmAnchor {
  absolute,  // TRIGGER;VALUE=DATE-TIME: the instant itself
  due,       // RELATED=END, or a relative trigger of a task without DTSTART
  start,     // RELATED=START (the default) of a task with DTSTART
};

struct AlarmTrigger {
  AlarmAnchor anchor = AlarmAnchor::due;
  std::optional<Date> absolute;           // set for AlarmAnchor::absolute
  std::chrono::seconds offset{0};         // negative: before the anchor
  std::optional<Date> acknowledged;       // ACKNOWLEDGED: this alarm was shown (by anyone)
  std::optional<std::string> uid;         // the VALARM's UID, when it has one
  std::optional<std::string> snoozeOf;    // RELATED-TO;RELTYPE=SNOOZE: the alarm it snoozes
};

struct TaskAlarms {
  std::string taskUid;
  std::string title;
  std::string list;                // the list's title; empty when unknown
  std::optional<Date> due;         // a date-only due counts from its midnight in the current zone
  std::optional<Date> start;       // DTSTART
  bool dueHasTime = false;         // the due names an hour (a date-only due never rings by itself)
  std::vector<AlarmTrigger> alarms;  // in file order; VALARMs without a TRIGGER are left out
  std::filesystem::path file;        // the task file it was read from; empty when not known
};

// Reads DTSTART and the VALARMs of the VTODO with UID `uid` in `icsText` into `into` (its `start`
// and `alarms`; the other fields are left as they are). False when the text holds no such VTODO or
// does not parse; `into` is then unchanged.
bool readAlarmDetails(std::string_view icsText, std::string_view uid, TaskAlarms& into);

// A task's alarms from its record and the file its reminder was read from. Nothing for a task
// without a reminder. A reminder never saved (no file) keeps the store's alarms: absolute ones, and
// offsets counted from the due date.
std::optional<TaskAlarms> taskAlarmsOf(const Task& task);
// The same from the reminder alone (as a program that reads the reminders store without records
// does); its due counts as Task::dueDate counts it.
TaskAlarms taskAlarmsOf(const reminders::Reminder& reminder);

}  // namespace zarvo::alarms
