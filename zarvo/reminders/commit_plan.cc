#include "zarvo/reminders/internal/commit_plan.h"

#include <optional>
#include <set>
#include <string>

#include "zarvo/platform/date_calendar.h"
#include "zarvo/reminders/internal/backend.h"
#include "zarvo/reminders/internal/file_cache.h"
#include "zarvo/reminders/internal/ical_file.h"
#include "zarvo/reminders/internal/vdir.h"

namespace zarvo::reminders::detail {

namespace fs = std::filesystem;
using platform::FileInfo;
using platform::FileSystem;

namespace {

void checkUnchanged(FileSystem& fs, const TodoFile& origin) {
  std::string current;
  if (auto e = fs.readFile(origin.path, current)) {
    if (e == std::errc::no_such_file_or_directory) {
      throw StoreError(StoreErrorCode::conflict,
                       origin.path.string() + " was removed by another program since it was read");
    }
    throw fileError(e, "read", origin.path);
  }
  if (current != origin.content) {
    throw StoreError(StoreErrorCode::conflict,
                     origin.path.string() + " was changed by another program since it was read");
  }
}

fs::path freePath(FileSystem& fs, const fs::path& dir, const std::string& name, const std::set<fs::path>& taken) {
  fs::path path = dir / name;
  const std::string stem = fs::path(name).stem().string();
  for (int n = 2;; ++n) {
    FileInfo info;
    fs.stat(path, info);
    if (!info.exists && !taken.contains(path)) return path;
    path = dir / (stem + "-" + std::to_string(n) + ".ics");
  }
}

struct Plan {
  std::shared_ptr<Reminder> reminder;
  bool remove = false;
  std::shared_ptr<const TodoFile> origin;
  fs::path writePath;  // empty: nothing to write
  std::string content;
  std::optional<uint32_t> mode;
  fs::path removePath;  // empty: nothing to remove
  fs::path temporary;
  bool done = false;
};

// Undoes plans [0, failedAt) (and the half-done one) so every file has its old contents again.
void rollback(FileSystem& fs, std::vector<Plan>& plans, size_t failedAt) {
  for (size_t i = 0; i < failedAt; ++i) {
    Plan& p = plans[i];
    if (p.origin) {
      if (!p.writePath.empty() && p.writePath != p.origin->path) fs.removeFile(p.writePath);
      if (auto e = platform::writeFileAtomically(fs, p.origin->path, p.origin->content, p.origin->info.mode)) {
        storeLog().error("Could not restore %{public}@ after a failed commit: %{public}@", p.origin->path.string(),
                         e.message());
      }
    } else if (!p.writePath.empty()) {
      fs.removeFile(p.writePath);
    }
  }
}

// What committing `op` does to the files. `written` holds the paths earlier plans write, so two new
// files never take the same name. Throws with `pending` trimmed as commitPending describes.
Plan planWrite(FileSystem& fs, const fs::path& root, const PendingWrite& op, const std::set<fs::path>& written,
               std::vector<PendingWrite>& pending) {
  Plan plan;
  plan.reminder = op.reminder;
  plan.remove = op.remove;
  plan.origin = Backend::origin(*op.reminder);
  const Reminder& r = *op.reminder;
  if (plan.origin) {
    try {
      checkUnchanged(fs, *plan.origin);
    } catch (const StoreError& e) {
      // Retrying cannot succeed: the write is dropped, the caller re-reads the reminder.
      if (e.code() == StoreErrorCode::conflict) {
        std::erase_if(pending, [&](const PendingWrite& o) { return o.reminder == op.reminder; });
      }
      throw;
    }
    plan.mode = plan.origin->info.mode;
  }
  if (op.remove) {
    if (plan.origin->todos.size() > 1) {
      plan.writePath = plan.origin->path;
      plan.content = removeTodo(*plan.origin, Backend::originTodo(r));
    } else {
      plan.removePath = plan.origin->path;
    }
    return plan;
  }
  validateForSave(r);
  const fs::path dir = root / r.calendar()->calendarIdentifier();
  const auto want = Backend::desired(r);
  if (!plan.origin) {
    plan.content = newTodoFile(want);
    plan.writePath = freePath(fs, dir, fileNameForUid(r.calendarItemExternalIdentifier()), written);
    return plan;
  }
  plan.content = editTodo(*plan.origin, Backend::originTodo(r), want);
  if (plan.origin->path.parent_path() == dir) {
    plan.writePath = plan.origin->path;
    return plan;
  }
  // Moved to another calendar: a new file there, the old one removed.
  if (plan.origin->todos.size() > 1) {
    throw StoreError(StoreErrorCode::invalid, "Cannot move one of several tasks of " + plan.origin->path.string() +
                                                  " to another calendar");
  }
  plan.writePath = freePath(fs, dir, plan.origin->path.filename().string(), written);
  plan.removePath = plan.origin->path;
  return plan;
}

// Plans every pending write, in order, before any file is touched.
std::vector<Plan> planWrites(FileSystem& fs, const fs::path& root, std::vector<PendingWrite>& pending) {
  std::vector<Plan> plans;
  std::set<fs::path> written;
  const std::vector<PendingWrite> ops = pending;  // a conflict drops its op from `pending`
  for (const PendingWrite& op : ops) {
    Plan plan = planWrite(fs, root, op, written, pending);
    if (!plan.writePath.empty() && !written.insert(plan.writePath).second) {
      std::erase_if(pending, [&](const PendingWrite& o) { return o.reminder == op.reminder; });
      throw StoreError(StoreErrorCode::conflict,
                       "Several pending changes rewrite " + plan.writePath.string() +
                           "; the later one was dropped, commit it on its own");
    }
    plans.push_back(std::move(plan));
  }
  return plans;
}

// Removes the temporary files of the plans not applied yet.
void discardTemporaries(FileSystem& fs, std::vector<Plan>& plans) {
  for (Plan& p : plans) {
    if (!p.temporary.empty() && !p.done) fs.removeFile(p.temporary);
  }
}

// Writes (and syncs) the new contents of every file beside it; nothing is visible yet.
void writeTemporaries(FileSystem& fs, std::vector<Plan>& plans) {
  for (Plan& p : plans) {
    if (p.writePath.empty()) continue;
    if (auto e = platform::prepareAtomicWrite(fs, p.writePath, p.content, p.mode, p.temporary)) {
      p.temporary.clear();
      discardTemporaries(fs, plans);
      throw fileError(e, "write", p.writePath);
    }
  }
}

// Renames the temporary files into place and removes the files that go; when one step fails, undoes
// the steps before it and throws.
void applyPlans(FileSystem& fs, std::vector<Plan>& plans) {
  for (size_t i = 0; i < plans.size(); ++i) {
    Plan& p = plans[i];
    std::error_code e;
    fs::path failed;
    if (!p.writePath.empty()) {
      e = fs.rename(p.temporary, p.writePath);
      failed = p.writePath;
    }
    if (!e && !p.removePath.empty()) {
      e = fs.removeFile(p.removePath);
      failed = p.removePath;
      if (e && !p.writePath.empty()) {
        // The moved copy exists but the original could not go: take the copy back.
        fs.removeFile(p.writePath);
      }
    }
    if (e) {
      rollback(fs, plans, i);
      discardTemporaries(fs, plans);
      throw fileError(e, p.remove ? "remove" : "write", failed);
    }
    p.done = true;
  }
}

// Makes the renames and removals durable: each folder that changed is synced once.
void syncFolders(FileSystem& fs, const std::vector<Plan>& plans) {
  std::set<fs::path> dirs;
  for (const Plan& p : plans) {
    if (!p.writePath.empty()) dirs.insert(p.writePath.parent_path());
    if (!p.removePath.empty()) dirs.insert(p.removePath.parent_path());
  }
  for (const auto& d : dirs) fs.syncDirectory(d);
}

// The reminders now stand for the versions just written, and the file cache holds those versions.
void adoptWrittenVersions(FileSystem& fs, std::vector<Plan>& plans) {
  for (Plan& p : plans) {
    if (!p.removePath.empty()) FileCache::shared().erase(p.removePath);
    if (p.writePath.empty()) {
      Backend::forgetOrigin(*p.reminder);
      continue;
    }
    FileInfo info;
    fs.stat(p.writePath, info);
    std::string error;
    auto file = parseTodoFile(p.writePath, p.content, info, error);
    if (!file) {
      storeLog().error("Wrote %{public}@ but cannot read it back: %{public}@", p.writePath.string(), error);
      continue;
    }
    FileCache::shared().store(p.writePath, FileCache::Entry{info, file});
    if (p.remove) {
      Backend::forgetOrigin(*p.reminder);
    } else {
      Backend::rebase(*p.reminder, file, p.origin ? Backend::originTodo(*p.reminder) : 0);
    }
  }
}

}  // namespace

void validateForSave(const Reminder& r) {
  const auto& calendar = r.calendar();
  if (!calendar) {
    throw StoreError(StoreErrorCode::invalid,
                     "Reminder " + r.calendarItemExternalIdentifier() + " has no calendar");
  }
  if (!Backend::saved(*calendar) || calendar->entityType() != EntityType::reminder) {
    throw StoreError(StoreErrorCode::invalid,
                     "Calendar '" + calendar->title() + "' is not a saved reminder calendar");
  }
  if (!calendar->allowsContentModifications()) {
    throw StoreError(StoreErrorCode::readOnly, "Calendar '" + calendar->title() + "' (" +
                                                   calendar->calendarIdentifier() + ") is read-only");
  }
  if (r.priority() < 0 || r.priority() > 9) {
    throw StoreError(StoreErrorCode::invalid, "Reminder '" + r.title() + "': priority " +
                                                  std::to_string(r.priority()) + " is outside 0...9");
  }
  if (const auto& due = r.dueDateComponents()) {
    if (!due->year || !due->month || !due->day) {
      throw StoreError(StoreErrorCode::invalid, "Reminder '" + r.title() + "': a due date needs a year, month and day");
    }
    if (due->timeZone && !platform::DateCalendar::isKnownTimeZone(*due->timeZone)) {
      throw StoreError(StoreErrorCode::invalid, "Reminder '" + r.title() + "': unknown time zone " + *due->timeZone);
    }
  }
}

void commitPending(FileSystem& fs, const fs::path& root, std::vector<PendingWrite>& pending) {
  if (pending.empty()) return;
  std::vector<Plan> plans = planWrites(fs, root, pending);
  writeTemporaries(fs, plans);
  applyPlans(fs, plans);
  syncFolders(fs, plans);
  adoptWrittenVersions(fs, plans);
  pending.clear();
}

}  // namespace zarvo::reminders::detail
