#include "zarvo/alarms/schedule.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

namespace zarvo::alarms {

std::string alarmKey(std::string_view taskUid, Date at) {
  // The UID is percent-encoded where it could break the state file's one-key-per-line form.
  std::string key;
  for (char c : taskUid) {
    if (c == '%' || c == '\n' || c == '\r' || c == ' ') {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", static_cast<unsigned char>(c));
      key += buf;
    } else {
      key += c;
    }
  }
  key += ' ';
  key += std::to_string(std::chrono::duration_cast<std::chrono::seconds>(at.time_since_epoch()).count());
  return key;
}

std::optional<Date> triggerMoment(const AlarmTrigger& alarm, const TaskAlarms& task) {
  switch (alarm.anchor) {
    case AlarmAnchor::absolute:
      return alarm.absolute;
    case AlarmAnchor::start:
      if (!task.start) return std::nullopt;
      return *task.start + alarm.offset;
    case AlarmAnchor::due:
      if (!task.due) return std::nullopt;
      return *task.due + alarm.offset;
  }
  return std::nullopt;
}

Schedule schedule(const std::vector<TaskAlarms>& tasks, Date now, const NotifiedState& notified,
                  const ScheduleOptions& options) {
  Schedule out;
  auto consider = [&](const TaskAlarms& task, Date at, std::optional<size_t> index) {
    std::string key = alarmKey(task.taskUid, at);
    out.liveKeys.push_back(key);
    if (at > now) {
      if (!out.nextWakeUp || at < *out.nextWakeUp) out.nextWakeUp = at;
      return;
    }
    if (notified.contains(key)) return;
    Firing f;
    f.key = std::move(key);
    f.taskUid = task.taskUid;
    f.title = task.title;
    f.list = task.list;
    f.due = task.due;
    f.at = at;
    f.alarmIndex = index;
    if (index) f.alarmUid = task.alarms[*index].uid;
    out.ringing.push_back(std::move(f));
  };
  for (const TaskAlarms& task : tasks) {
    if (task.alarms.empty()) {
      if (options.remindAtDueTime && task.due && task.dueHasTime) consider(task, *task.due, std::nullopt);
      continue;
    }
    for (size_t i = 0; i < task.alarms.size(); ++i) {
      const AlarmTrigger& alarm = task.alarms[i];
      std::optional<Date> at = triggerMoment(alarm, task);
      // Acknowledged at or after its moment: shown already. An alarm whose moment moved past its
      // acknowledgement (a due date moved later, the next occurrence of a series) rings again.
      if (!at || (alarm.acknowledged && std::chrono::floor<std::chrono::seconds>(*alarm.acknowledged) >=
                                            std::chrono::floor<std::chrono::seconds>(*at))) {
        continue;
      }
      consider(task, *at, i);
    }
  }
  // Two alarms of one task at one moment share a key: they ring once.
  std::sort(out.ringing.begin(), out.ringing.end(), [](const Firing& a, const Firing& b) {
    return std::tie(a.at, a.taskUid) < std::tie(b.at, b.taskUid);
  });
  out.ringing.erase(std::unique(out.ringing.begin(), out.ringing.end(),
                                [](const Firing& a, const Firing& b) { return a.key == b.key; }),
                    out.ringing.end());
  return out;
}

}  // namespace zarvo::alarms
