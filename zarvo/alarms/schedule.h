// Which alarms ring now and when the next one does, from the open tasks' alarms, the moment and what
// has rung already. A pure function of its inputs: callers pass the clock's reading, so tests pin it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "zarvo/alarms/notified_state.h"
#include "zarvo/alarms/task_alarms.h"

namespace zarvo::alarms {

struct ScheduleOptions {
  // Whether a task without alarms rings at its due time (when the due names an hour). Default false:
  // only alarms ring, as every other client of the same files would show them.
  bool remindAtDueTime = false;
};

// One alarm to show.
struct Firing {
  std::string key;        // identity in the notified state: the task's UID and the alarm's moment
  std::string taskUid;
  std::string title;
  std::string list;
  std::optional<Date> due;
  Date at{};                           // when it rings
  std::optional<size_t> alarmIndex;    // into TaskAlarms::alarms; none for a due-time reminder
  std::optional<std::string> alarmUid;
};

struct Schedule {
  // Alarms whose moment has come (at <= now), not notified, and not acknowledged at or after that
  // moment (an ACKNOWLEDGED older than the moment is of an earlier one): show them now. In
  // order of their moment, then task UID.
  std::vector<Firing> ringing;
  // The earliest moment after `now` at which an alarm rings; none when no alarm is pending.
  std::optional<Date> nextWakeUp;
  // The keys of every alarm still pending or ringing, for NotifiedState::retain.
  std::vector<std::string> liveKeys;
};

// The key of an alarm of task `taskUid` ringing at `at`. An alarm whose anchor moves (a due date
// changed by another client) gets a new key, so it rings again at its new moment.
std::string alarmKey(std::string_view taskUid, Date at);

// The moment an alarm rings; none when its anchor is missing (relative to a due the task lacks).
std::optional<Date> triggerMoment(const AlarmTrigger& alarm, const TaskAlarms& task);

Schedule schedule(const std::vector<TaskAlarms>& tasks, Date now, const NotifiedState& notified,
                  const ScheduleOptions& options = {});

}  // namespace zarvo::alarms
