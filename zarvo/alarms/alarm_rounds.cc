#include "zarvo/alarms/alarm_rounds.h"

#include <string>

#include "zarvo/alarms/open_task_alarms.h"

namespace zarvo::alarms {

AlarmRounds::AlarmRounds(Options options) : options_(std::move(options)) {
  if (!options_.fileSystem) options_.fileSystem = platform::FileSystem::posix();
}

Expected<AlarmRounds::Round> AlarmRounds::ring(Date now, const std::function<bool(const Firing&)>& show) {
  OpenTaskAlarmsOptions read;
  read.withDueTimes = options_.schedule.remindAtDueTime;
  read.fileCache = options_.home / "reminders.cache";
  auto tasks = readOpenTaskAlarms(options_.home / "reminders", read);
  if (!tasks) return Error(tasks.error(), "cannot read the tasks: " + tasks.error().message());
  if (!notified_) {
    auto loaded = NotifiedState::load(options_.fileSystem, options_.home / std::string(NotifiedState::kFileName));
    if (!loaded) return Error(loaded.error(), "cannot read what has rung: " + loaded.error().message());
    notified_ = std::move(*loaded);
  }
  Schedule s = schedule(*tasks, now, *notified_, options_.schedule);
  Round round;
  round.nextWakeUp = s.nextWakeUp;
  for (Firing& f : s.ringing) {
    if (!show(f)) break;
    notified_->add(f.key);
    round.shown.push_back(std::move(f));
  }
  notified_->retainOnly(s.liveKeys);
  round.recorded = notified_->save();
  return round;
}

}  // namespace zarvo::alarms
