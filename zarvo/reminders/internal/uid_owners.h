// One UID, one file: which of a task file's UIDs another file of the same account, read before it,
// holds already. A full read keeps such a task in the file read first; a read of single files
// (EventStore::remindersInFiles) must agree with it.
//
// Threads: any; the caller holds whatever lock guards `calendars`.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "zarvo/platform/filesystem.h"
#include "zarvo/reminders/internal/ical_file.h"
#include "zarvo/reminders/records.h"

namespace zarvo::reminders::detail {

// The UID a full read knows a VTODO by: its own, or for one without, its file's name.
std::string uidKnownBy(const TodoEntry& todo, const std::filesystem::path& file);

// The UIDs of `file` (read from `path`, in the list `calendar` of `calendars`, by identifier) that a
// task file of the same account read before `path` holds already (recurrence overrides aside).
std::set<std::string> uidsHeldBefore(platform::FileSystem& fs, const std::filesystem::path& root,
                                     const std::map<std::string, std::shared_ptr<Calendar>>& calendars,
                                     const std::string& calendar, const std::filesystem::path& path,
                                     const TodoFile& file);

}  // namespace zarvo::reminders::detail
