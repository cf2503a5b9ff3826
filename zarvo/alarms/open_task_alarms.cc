#include "zarvo/alarms/open_task_alarms.h"

#include <functional>

#include "zarvo/platform/date_calendar.h"
#include "zarvo/reminders/event_store.h"
#include "zarvo/reminders/shared_file_cache.h"
#include "zarvo/reminders/store_error.h"

namespace zarvo::alarms {

namespace {

// Opens the store at `root` to read only and keeps the open tasks that can ring of what `fetch`
// reads from it.
Expected<std::vector<TaskAlarms>> readFrom(
    const std::filesystem::path& root, const OpenTaskAlarmsOptions& options,
    const std::function<std::vector<std::shared_ptr<reminders::Reminder>>(reminders::EventStore&)>& fetch) {
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
    auto open = fetch(store);
    for (auto& reminder : open) {
      if (reminder->isCompleted()) continue;
      TaskAlarms alarms = taskAlarmsOf(*reminder);
      if (!alarms.alarms.empty() || (options.withDueTimes && alarms.dueHasTime)) {
        if (auto path = reminder->filePath()) alarms.file = std::move(*path);
        out.push_back(std::move(alarms));
      }
      reminder.reset();  // its file's text goes as soon as it is read
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

}  // namespace

Expected<std::vector<TaskAlarms>> readOpenTaskAlarms(const std::filesystem::path& root,
                                                     const OpenTaskAlarmsOptions& options) {
  return readFrom(root, options, [](reminders::EventStore& store) {
    const auto calendars = store.calendarsForEntityType(reminders::EntityType::reminder);
    return store.remindersMatchingPredicate(store.predicateForIncompleteReminders(std::nullopt, std::nullopt, calendars));
  });
}

Expected<std::vector<TaskAlarms>> readOpenTaskAlarmsInFiles(const std::filesystem::path& root,
                                                            const std::vector<std::filesystem::path>& files,
                                                            const OpenTaskAlarmsOptions& options) {
  OpenTaskAlarmsOptions fresh = options;
  fresh.fileCache.clear();  // the files named have changed since any saved copy
  return readFrom(root, fresh, [&files](reminders::EventStore& store) { return store.remindersInFiles(files); });
}

}  // namespace zarvo::alarms
