// The alarms of a home's open tasks, read straight from its reminders store for a program that only
// schedules them (the reminders daemon): no records database, no task objects, nothing of completed
// tasks kept. What is handed back is all that stays: the store handle and the process's cache of
// parsed files are released before it returns, so a long-running caller holds only its schedule.
//
// Threads: any thread, but not while another thread of the process uses the reminders store (the
// parsed-file cache is the process's).
#pragma once

#include <filesystem>
#include <vector>

#include "zarvo/alarms/task_alarms.h"
#include "zarvo/platform/error.h"

namespace zarvo::alarms {

struct OpenTaskAlarmsOptions {
  // Keep open tasks without alarms whose due names an hour (for ScheduleOptions::remindAtDueTime).
  // Default false: only tasks with alarms are kept.
  bool withDueTimes = false;
  // The saved copy of the parsed files (a home's reminders.cache), read to skip parsing files that
  // did not change, never written. Default empty: every file is parsed.
  std::filesystem::path fileCache;
};

// The open tasks of the store at `root` that can ring, in the store's order (calendar, then file),
// each with its TaskAlarms::file. The store is opened to read only. Errors: the root does not exist
// or cannot be read (std::errc::no_such_file_or_directory, permission_denied), or the store's error
// (std::errc::io_error).
Expected<std::vector<TaskAlarms>> readOpenTaskAlarms(const std::filesystem::path& root,
                                                     const OpenTaskAlarmsOptions& options = {});

// The same, reading only the task files `files` (paths in calendar folders under `root`): what
// readOpenTaskAlarms would give of those files, in the order given. A file that is gone, does not
// parse or lies outside every calendar folder gives nothing. `options.fileCache` is not read.
Expected<std::vector<TaskAlarms>> readOpenTaskAlarmsInFiles(const std::filesystem::path& root,
                                                            const std::vector<std::filesystem::path>& files,
                                                            const OpenTaskAlarmsOptions& options = {});

}  // namespace zarvo::alarms
