#include "zarvo/alarms/alarm_rounds.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <utility>
#include <string>
#include <thread>

#include "zarvo/alarms/open_task_alarms.h"

namespace zarvo::alarms {

AlarmRounds::AlarmRounds(Options options) : options_(std::move(options)) {
  if (!options_.fileSystem) options_.fileSystem = platform::FileSystem::posix();
}

Expected<AlarmRounds::Round> AlarmRounds::ring(Date now, const std::function<bool(const Firing&)>& show) {
  OpenTaskAlarmsOptions read;
  read.withDueTimes = options_.schedule.remindAtDueTime;
  read.fileCache = options_.home / "reminders.cache";
  const std::filesystem::path root = options_.home / "reminders";
  if (!tasks_) {
    // Read on a thread of its own: what the read allocates (the files' text and the store's objects,
    // freed at once) comes from that thread's malloc arena, and the copy kept is made here, packed
    // into few pages of this thread's. Kept as read, the tasks would be spread over the pages the
    // whole read used and hold them all resident while the daemon sleeps.
    std::optional<Expected<std::vector<TaskAlarms>>> tasks;
    std::thread([&] { tasks.emplace(readOpenTaskAlarms(root, read)); }).join();
    if (!*tasks) return Error(tasks->error(), "cannot read the tasks: " + tasks->error().message());
    tasks_.emplace(tasks->value().begin(), tasks->value().end());
    tasks.reset();
    changed_.clear();
  } else if (!changed_.empty()) {
    std::sort(changed_.begin(), changed_.end());
    changed_.erase(std::unique(changed_.begin(), changed_.end()), changed_.end());
    auto fresh = readOpenTaskAlarmsInFiles(root, changed_, read);
    if (!fresh) {
      tasks_.reset();  // what is kept may be behind the files: the next round reads them all
      return Error(fresh.error(), "cannot read the tasks: " + fresh.error().message());
    }
    std::erase_if(*tasks_, [&](const TaskAlarms& t) { return std::binary_search(changed_.begin(), changed_.end(), t.file); });
    // One UID, one file, as a full read has it: of two files of one account that hold a task, the
    // one read first (calendar, then file name) is the task's.
    const auto accountOf = [&root](const std::filesystem::path& file) { return *file.lexically_relative(root).begin(); };
    const auto readOrder = [](const std::filesystem::path& file) { return std::pair(file.parent_path(), file.filename()); };
    std::map<std::pair<std::filesystem::path, std::string>, std::filesystem::path> firstFile;
    for (const TaskAlarms& t : *fresh) {
      auto [it, inserted] = firstFile.try_emplace({accountOf(t.file), t.taskUid}, t.file);
      if (!inserted && readOrder(t.file) < readOrder(it->second)) it->second = t.file;
    }
    for (const TaskAlarms& t : *tasks_) {
      auto it = firstFile.find({accountOf(t.file), t.taskUid});
      if (it != firstFile.end() && readOrder(t.file) < readOrder(it->second)) it->second = t.file;
    }
    const auto notFirst = [&](const TaskAlarms& t) {
      auto it = firstFile.find({accountOf(t.file), t.taskUid});
      return it != firstFile.end() && it->second != t.file;
    };
    std::erase_if(*tasks_, notFirst);
    std::erase_if(*fresh, notFirst);
    std::move(fresh->begin(), fresh->end(), std::back_inserter(*tasks_));
    changed_.clear();
  }
  if (!notified_) {
    auto loaded = NotifiedState::load(options_.fileSystem, options_.home / std::string(NotifiedState::kFileName));
    if (!loaded) return Error(loaded.error(), "cannot read what has rung: " + loaded.error().message());
    notified_ = std::move(*loaded);
  }
  Schedule s = schedule(*tasks_, now, *notified_, options_.schedule);
  Round round;
  round.nextWakeUp = s.nextWakeUp;
  for (Firing& f : s.ringing) {
    if (!show(f)) break;
    notified_->add(f.key);
    round.shown.push_back(std::move(f));
  }
  notified_->retain(s.liveKeys, now);
  round.recorded = notified_->save();
  return round;
}

void AlarmRounds::filesChanged(const reminders::TreeChanges& changes) {
  if (changes.everything) {
    tasks_.reset();
    changed_.clear();
  } else if (tasks_) {
    changed_.insert(changed_.end(), changes.files.begin(), changes.files.end());
  }
}

}  // namespace zarvo::alarms
