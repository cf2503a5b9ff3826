// CalendarIO's shared state, for the files that implement it. Not part of the public interface.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <semaphore>

#include "zarvo/platform/log.h"
#include "zarvo/sync/calendar_io.h"

namespace zarvo {

// The one log handle of CalendarIO: the program's name as subsystem, category "CalendarIO".
const platform::Log& calendarIOLog();

struct CalendarIO::State {
  // The tasks of the last refresh, for which lists (none: every list) and of which kind.
  struct FetchResults {
    // Never null. Shared with readers as an immutable snapshot; changed in place only while no reader
    // holds it (copy on write), so a cache hit hands over 10,000 tasks without copying them.
    std::shared_ptr<TaskArray> tasks = std::make_shared<TaskArray>();
    std::optional<ListArray> lists;
    bool completedOnly = false;
  };

  // Guards every field below it. Never held while calling out: completions, callbacks, notifications,
  // the reminders store and the object context are all called with it released.
  mutable std::mutex mu;
  std::function<bool()> shouldRefreshOnStoreChanged = [] { return false; };
  ListArray lists;
  std::shared_ptr<List> defaultList;
  std::shared_ptr<store::ObjectContext> managedContext;
  bool needsRefresh = true;
  bool isRefreshing = false;
  bool carriesRecordFields = false;
  FetchResults cachedResults;

  // The refresh gate: at most one refresh worker between taking it and finishing.
  std::counting_semaphore<> semaphore{1};

  // Background work in flight (see WorkToken).
  std::mutex workMu;
  std::condition_variable workDone;
  size_t workInFlight = 0;

  // The cached tasks, writable. REQUIRES: mu held.
  TaskArray& mutableTasksLocked() {
    // Every snapshot is copied under `mu`, so a count of one means no reader holds this array.
    if (cachedResults.tasks.use_count() != 1) cachedResults.tasks = std::make_shared<TaskArray>(*cachedResults.tasks);
    return *cachedResults.tasks;
  }

  // Removes every occurrence of `task` from the cached tasks. REQUIRES: mu held.
  void removeCachedLocked(const Task* task) {
    const auto& tasks = *cachedResults.tasks;
    if (std::none_of(tasks.begin(), tasks.end(), [&](const auto& t) { return t.get() == task; })) return;
    std::erase_if(mutableTasksLocked(), [&](const auto& t) { return t.get() == task; });
  }
};

}  // namespace zarvo
