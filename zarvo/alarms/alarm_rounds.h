// The rounds of a program that rings a home's alarms (the reminders daemon): each time it wakes, the
// open tasks' alarms are read, those whose moment has come and that have not rung yet are handed to
// the program to show, and what was shown is recorded in the home's notified state
// (notified_state.h), written through the home's file system.
//
// The alarms read are kept too: a round reads every task file the first time, after a round that
// could not read, and when told that everything changed; otherwise only the files it was told changed
// (filesChanged), so that an outside change costs what it touched, not what the home holds.
//
// What has rung is kept in memory from the first read of the state file on, and the file follows
// it: a write that fails (a full disk, a read-only home) is tried again at the next round, and no
// alarm rings twice in one process however many writes fail. Only a restart before a write succeeds
// can show one again, when its task file was not acknowledged meanwhile either. An alarm missing from
// a round (its file half written by another program, or gone) is not forgotten at once
// (NotifiedState::retain), so that it does not ring again when the file reads again.
//
// Threads: one owner.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "zarvo/alarms/notified_state.h"
#include "zarvo/alarms/schedule.h"
#include "zarvo/platform/error.h"
#include "zarvo/platform/filesystem.h"
#include "zarvo/reminders/file_watcher.h"

namespace zarvo::alarms {

class AlarmRounds {
 public:
  struct Options {
    std::filesystem::path home;
    // The home's file system (HomeOptions::fileSystem), through which the state file is read and
    // written. Default (null): POSIX.
    std::shared_ptr<platform::FileSystem> fileSystem;
    ScheduleOptions schedule;
  };
  explicit AlarmRounds(Options options);

  struct Round {
    std::vector<Firing> shown;       // in the order they rang
    std::optional<Date> nextWakeUp;  // Schedule::nextWakeUp
    // Why the state file could not be written (tried again next round); ok when it was.
    Error recorded;
  };
  // Hands each alarm that rings at `now` to `show`, which returns false when it could not show it:
  // the round ends there, and that alarm and the rest ring at the next round. Fails, showing nothing,
  // when the tasks or (before a first read succeeded) the state file cannot be read: ringing without
  // knowing what rang could ring twice.
  Expected<Round> ring(Date now, const std::function<bool(const Firing&)>& show);

  // Tells the next round what changed in the home's task files since the last (a watcher's burst):
  // it reads those files again, or every file when `changes.everything`. Changes told add up until
  // a round reads them.
  void filesChanged(const reminders::TreeChanges& changes);

 private:
  Options options_;
  std::optional<NotifiedState> notified_;
  std::optional<std::vector<TaskAlarms>> tasks_;  // none: the next round reads every file
  std::vector<std::filesystem::path> changed_;    // files to read again, when tasks_ is kept
};

}  // namespace zarvo::alarms
