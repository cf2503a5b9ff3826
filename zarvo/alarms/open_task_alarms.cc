#include "zarvo/alarms/open_task_alarms.h"

#include "zarvo/platform/date_calendar.h"
#include "zarvo/reminders/event_store.h"
#include "zarvo/reminders/shared_file_cache.h"
#include "zarvo/reminders/store_error.h"

namespace zarvo::alarms {

Expected<std::vector<TaskAlarms>> readOpenTaskAlarms(const std::filesystem::path& root,
                                                     const OpenTaskAlarmsOptions& options) {
  using reminders::AuthorizationStatus;
  using reminders::EntityType;
  switch (reminders::EventStore::authorizationStatusForEntityType(EntityType::reminder, root)) {
    case AuthorizationStatus::authorized:
      break;
    case AuthorizationStatus::notDetermined:
      return Error(std::make_error_code(std::errc::no_such_file_or_directory), "no reminders store at " + root.string());
    default:
      return Error(std::make_error_code(std::errc::permission_denied), "cannot read the reminders store at " + root.string());
  }
  std::vector<TaskAlarms> out;
  try {
    reminders::EventStoreOptions storeOptions;
    storeOptions.root = root;
    storeOptions.readOnly = true;
    storeOptions.watchForChanges = false;  // the caller watches; a second watcher would only cost
    storeOptions.fileCachePath = options.fileCache;
    reminders::EventStore store(storeOptions);
    const auto calendars = store.calendarsForEntityType(EntityType::reminder);
    auto open = store.remindersMatchingPredicate(store.predicateForIncompleteReminders(std::nullopt, std::nullopt, calendars));
    for (auto& reminder : open) {
      TaskAlarms alarms = taskAlarmsOf(*reminder);
      reminder.reset();  // its file's text goes as soon as it is read
      if (!alarms.alarms.empty() || (options.withDueTimes && alarms.dueHasTime)) out.push_back(std::move(alarms));
    }
  } catch (const reminders::StoreError& e) {
    reminders::clearSharedFileCache();
    return Error(std::make_error_code(std::errc::io_error), e.what());
  }
  // The store is closed; what it parsed would otherwise stay for the life of the process.
  reminders::clearSharedFileCache();
  out.shrink_to_fit();
  return out;
}

}  // namespace zarvo::alarms
