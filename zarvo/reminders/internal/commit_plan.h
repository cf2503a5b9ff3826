// Internal: committing a handle's pending writes — planning each file's new contents, checking that
// no other program changed a file since it was read, writing everything or nothing. Not part of the
// public interface.
#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "zarvo/platform/filesystem.h"
#include "zarvo/reminders/records.h"

namespace zarvo::reminders::detail {

// A write waiting in a handle for commit(): a save or a removal of one reminder.
struct PendingWrite {
  bool remove;
  std::shared_ptr<Reminder> reminder;
};

// Throws StoreError (invalid, readOnly) unless `r` can be saved: it has a saved, writable reminder
// calendar, a priority in 0...9, and due components (if any) with a year, month, day and known zone.
void validateForSave(const Reminder& r);

// Applies `pending`, in order, to the files under `root`: all temporary files first, then the renames
// and removals, undone if one of them fails. Afterwards every reminder stands for the file version
// written, the process's file cache holds those versions, and `pending` is empty.
// Throws StoreError (conflict, io, readOnly, notFound, invalid) with every file as it was; the writes
// stay pending, except one that met a conflict: it is dropped, since only re-reading the reminder can
// resolve it.
void commitPending(platform::FileSystem& fs, const std::filesystem::path& root, std::vector<PendingWrite>& pending);

}  // namespace zarvo::reminders::detail
