#include "zarvo/reminders/internal/commit_plan.h"

#include <unistd.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "zarvo/platform/date_calendar.h"
#include "zarvo/reminders/internal/backend.h"
#include "zarvo/reminders/internal/file_cache.h"
#include "zarvo/reminders/internal/ical_file.h"
#include "zarvo/reminders/internal/read_back.h"
#include "zarvo/reminders/internal/vdir.h"

namespace zarvo::reminders::detail {

namespace fs = std::filesystem;
using platform::FileInfo;
using platform::FileSystem;

// How a commit replaces and removes files without ever losing another program's bytes:
//
// - A file is replaced by swapping the new version in (FileSystem::exchange): the bytes it held an
//   instant before come out at the temporary name, whatever another program wrote in between. They
//   are compared with the version the reminder was read from; when they differ the swap is undone
//   and the commit fails as a conflict, so the other program's version is what stays in place.
// - A file is removed by renaming it aside first and comparing what was renamed, the same way.
// - A new file is put in place only under a name that is still free (renameNoReplace).
// - The previous versions stay aside until the commit is finished, so that undoing it (a later step
//   failed, or the caller's own change failed) puts each one back by the same kind of swap.
// - A previous version that can be neither kept in place nor put back (a third write raced the undo)
//   is kept beside its file as a conflict copy, "<name>.conflict-<pid>-<n>", which no program takes
//   for a task file and nothing removes.
// - A previous version goes only through FileSystem::removeIfUnchanged: while it is still the version
//   read and no program has it open for writing. A program that opened the file before the commit
//   and writes through that descriptor after the last check would otherwise write into a removed
//   file; instead the file is kept as a conflict copy, and its late bytes land there. The window that
//   remains is where the file system grants no read lease (NFS, SMB): a write through a descriptor
//   opened before, landing between the last comparison and the unlink, a few microseconds, is lost
//   there. A program on another machine writing such a share is invisible to any local check, so no
//   scheme on this side could close it; a home on such a share is documented as best effort.
//
// Crash leftovers: new versions not yet in place and previous versions aside carry temporary names
// (".zarvo-tmp-<pid>-...tmp"); the previous version of a task that moves to another list waits under
// ".zarvo-old-<pid>-...-<name>.tmp" until the moved copy is in place. recoverLeftovers() handles both
// once their process is gone.

namespace {

constexpr std::string_view kOldPrefix = ".zarvo-old-";

bool unsupported(Error e) {
  return e == std::errc::not_supported || e == std::errc::invalid_argument || e == std::errc::function_not_supported ||
         e == std::errc::operation_not_supported;
}

}  // namespace

// Renames `from` to `to` only while `to` is free. Where the file system can do that in one step
// (RENAME_NOREPLACE, or a hard link), it is atomic; where it cannot, the name is checked and then
// renamed to, the one step of a commit that is not atomic: a file another program makes under the
// very name in between would be replaced.
Error renameToFreeName(FileSystem& fs, const fs::path& from, const fs::path& to) {
  Error e = fs.renameNoReplace(from, to);
  if (!unsupported(e)) return e;
  FileInfo info;
  if (auto s = fs.stat(to, info)) return s;
  if (info.exists) return std::errc::file_exists;
  return fs.rename(from, to);
}

namespace {

// The bytes at `path`; none when they cannot be read, which every caller takes as "not the version
// expected", the side on which no other program's bytes are lost.
std::string readOrEmpty(FileSystem& fs, const fs::path& path) {
  std::string bytes;
  if (fs.readFile(path, bytes)) bytes.clear();
  return bytes;
}

void checkUnchanged(FileSystem& fs, const TodoFile& origin) {
  // A file decoded from the saved copy reads its text back from it here. Without that text nothing
  // can be compared or edited; the cache then reads the file again (FileCache::isUsable).
  if (!origin.content.available()) {
    throw StoreError(StoreErrorCode::conflict,
                     origin.path.string() + " could not be read back from the saved copy of the tasks since it was read");
  }
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

StoreError changedMeanwhile(const fs::path& path) {
  return StoreError(StoreErrorCode::conflict,
                    path.string() + " was changed by another program while it was being saved; its version was kept");
}

// Keeps the bytes at `aside` as a conflict copy of `path`; answers the copy's path.
fs::path keepAsConflictCopy(FileSystem& fs, const fs::path& aside, const fs::path& path) {
  static std::atomic<int> counter{0};
  const fs::path copy = path.parent_path() / (path.filename().string() + ".conflict-" + std::to_string(::getpid()) +
                                              "-" + std::to_string(counter.fetch_add(1)));
  if (fs.rename(aside, copy)) return aside;
  // Another program's bytes, kept where any user of the machine might otherwise read them.
  logFailure(fs.setPermissions(copy, 0600), "make private", copy);
  storeLog().error("Another program changed %{public}@, or held it open to write, while it was being saved; its "
                   "version is kept in %{public}@",
                   path.string(), copy.string());
  return copy;
}

// Removes `aside`, a version taken out of `path`, while it still holds `expected` and no program has it
// open for writing; otherwise keeps it as a conflict copy of `path`, where a write through a
// descriptor opened before still lands.
void removeOrKeep(FileSystem& fs, const fs::path& aside, std::string_view expected, const fs::path& path) {
  if (auto e = fs.removeIfUnchanged(aside, expected)) {
    storeLog().debug("%{public}@ kept: %{public}@", aside.string(), e.message());
    keepAsConflictCopy(fs, aside, path);
  }
}

}  // namespace

fs::path freePath(FileSystem& fs, const fs::path& dir, const std::string& name, const std::set<fs::path>& taken) {
  fs::path path = dir / name;
  const std::string stem = fs::path(name).stem().string();
  for (int n = 2;; ++n) {
    FileInfo info;
    // A name whose stat fails reads as free: a new file goes there only by renameToFreeName, which
    // never replaces one, so a wrong guess costs a retry, never a file.
    (void)fs.stat(path, info);
    if (!info.exists && !taken.contains(path)) return path;
    path = dir / (stem + "-" + std::to_string(n) + ".ics");
  }
}

namespace {

struct Plan {
  std::shared_ptr<Reminder> reminder;
  bool remove = false;
  std::shared_ptr<const TodoFile> origin;
  fs::path writePath;  // empty: nothing to write
  std::string content;
  std::optional<uint32_t> mode;
  fs::path removePath;  // empty: nothing to remove
  fs::path temporary;   // the new version, written beside writePath's final target
  std::shared_ptr<TodoFile> readBack;  // `content` as read back before anything is written

  // What applying did, for finishing and undoing.
  fs::path replaced;     // the file the new version was swapped into (symbolic links followed)
  fs::path replacedOld;  // the previous version of `replaced`, aside
  bool byRenames = false;     // replaced without an atomic swap (see replaceByRenames)
  bool exactPath = false;     // a new file goes at writePath or nowhere (a restore)
  bool created = false;       // writePath is a new file
  fs::path removedOld;        // the removed file, aside
  bool applied = false;
  bool conflicted = false;  // another program changed the file meanwhile
};

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
      plan.readBack = readBackRemoval(*plan.origin, Backend::originTodo(r), plan.writePath, plan.content);
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
    plan.readBack = readBackNew(want, plan.writePath, plan.content);
    return plan;
  }
  plan.content = editTodo(*plan.origin, Backend::originTodo(r), want);
  plan.readBack = readBackEdit(*plan.origin, Backend::originTodo(r), want, plan.origin->path, plan.content);
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
    if (!p.temporary.empty() && !p.applied) logFailure(fs.removeFile(p.temporary), "remove", p.temporary);
  }
}

// The file an in-place rewrite replaces: the end of a chain of symbolic links, so that a task file
// that is a link stays a link and its target gets the new version.
fs::path replacedFile(FileSystem& fs, const fs::path& path) {
  fs::path resolved;
  if (fs.resolveLinks(path, resolved)) return path;
  return resolved;
}

// Writes (and syncs) the new contents of every file beside it; nothing is visible yet.
void writeTemporaries(FileSystem& fs, std::vector<Plan>& plans) {
  for (Plan& p : plans) {
    if (p.writePath.empty()) continue;
    p.replaced = p.origin && p.writePath == p.origin->path ? replacedFile(fs, p.writePath) : p.writePath;
    if (auto e = platform::prepareAtomicWrite(fs, p.replaced, p.content, p.mode, p.temporary)) {
      p.temporary.clear();
      discardTemporaries(fs, plans);
      throw fileError(e, "write", p.writePath);
    }
  }
}

// A fresh name for the previous version of `path` while a commit runs: one that a clean-up after a
// crash reads as "the previous version of an unfinished change", put back unless a task file holds
// its UID (recoverLeftovers).
fs::path oldVersionPath(const fs::path& path) {
  static std::atomic<int> counter{0};
  return path.parent_path() / (std::string(kOldPrefix) + platform::ownerTag(platform::currentProcess()) + "-" +
                               std::to_string(counter.fetch_add(1)) + "-" + path.filename().string().substr(0, 200) +
                               ".tmp");
}

// The folders (by the root of their store) whose file system has been found without an atomic swap:
// found on the first rewrite there, remembered for the process.
class NoExchange {
 public:
  static bool known(const fs::path& root) {
    std::lock_guard lock(mu());
    return roots().contains(root);
  }
  static void remember(const fs::path& root) {
    std::lock_guard lock(mu());
    if (roots().insert(root).second) {
      storeLog().notice("The file system of %{public}@ cannot swap two files atomically; rewrites there move the "
                        "previous version aside first",
                        root.string());
    }
  }

 private:
  static std::mutex& mu() {
    static std::mutex m;
    return m;
  }
  static std::set<fs::path>& roots() {
    static std::set<fs::path> r;
    return r;
  }
};

// Without a swap: whatever is at the name is moved out first (a third program's version, kept as a
// conflict copy unless it is the new version), then the previous version goes back under the name
// while it is still free.
void putBackByRenames(FileSystem& fs, Plan& p) {
  const fs::path out = platform::temporaryPathFor(p.replaced);
  if (fs.rename(p.replaced, out).ok()) removeOrKeep(fs, out, p.content, p.replaced);
  if (renameToFreeName(fs, p.replacedOld, p.replaced)) keepAsConflictCopy(fs, p.replacedOld, p.replaced);
  p.replacedOld.clear();
}

// Swaps the version aside back into place. What comes out is the new version, which goes, unless a
// third program wrote meanwhile: then its bytes are kept as a conflict copy.
void swapBack(FileSystem& fs, Plan& p) {
  if (p.byRenames) {
    putBackByRenames(fs, p);
    return;
  }
  if (auto e = fs.exchange(p.replacedOld, p.replaced)) {
    // The new version stays in place; the previous one must not stay behind under a temporary name
    // that the next clean-up removes.
    logFailure(e, "put back the previous version of", p.replaced);
    keepAsConflictCopy(fs, p.replacedOld, p.replaced);
  } else {
    removeOrKeep(fs, p.replacedOld, p.content, p.replaced);
  }
  p.replacedOld.clear();
}

StoreError removedMeanwhile(const fs::path& path) {
  return StoreError(StoreErrorCode::conflict, path.string() + " was removed by another program since it was read");
}

// Replaces an existing file where the file system cannot swap two files (FUSE, network file systems):
// the current file is moved aside first, under a name the clean-up after a crash puts back
// (oldVersionPath), and compared with the version read; only then does the new version take the
// name, and only while the name is still free. So:
// - a version another program put in place before the move aside is found by the comparison: it
//   goes back, and the commit fails as a conflict;
// - a file another program makes under the name in the instant it is free stays: the commit fails as
//   a conflict;
// - bytes written into the file through a descriptor opened before are found by the comparison at
//   the end of the commit, and kept as a conflict copy.
// The cost: for that instant the task file is missing from its folder. No program's bytes are lost.
void replaceByRenames(FileSystem& fs, Plan& p) {
  const fs::path aside = oldVersionPath(p.replaced);
  if (auto e = fs.rename(p.replaced, aside)) {
    if (e == std::errc::no_such_file_or_directory) {
      p.conflicted = true;
      throw removedMeanwhile(p.writePath);
    }
    throw fileError(e, "write", p.writePath);
  }
  p.byRenames = true;
  p.replacedOld = aside;
  if (readOrEmpty(fs, aside) != p.origin->content) {
    if (renameToFreeName(fs, aside, p.replaced)) keepAsConflictCopy(fs, aside, p.replaced);
    p.replacedOld.clear();
    p.conflicted = true;
    throw changedMeanwhile(p.writePath);
  }
  if (auto e = renameToFreeName(fs, p.temporary, p.replaced)) {
    if (e == std::errc::file_exists) {
      // Another program made the file anew: its file stays. The previous version aside is the one
      // read, unless written to since: kept as a conflict copy then.
      removeOrKeep(fs, aside, p.origin->content, p.replaced);
      p.conflicted = true;
    } else if (renameToFreeName(fs, aside, p.replaced)) {
      keepAsConflictCopy(fs, aside, p.replaced);
    }
    p.replacedOld.clear();
    throw e == std::errc::file_exists ? changedMeanwhile(p.writePath) : fileError(e, "write", p.writePath);
  }
  p.temporary.clear();
}

// Swaps the new version into an existing file and checks what came out. Throws, with the file as it
// was (or as the other program left it), when it fails or another program wrote meanwhile.
// `exchangeWorks` is false once the file system is known to have no swap: see replaceByRenames.
void replaceInPlace(FileSystem& fs, Plan& p, bool& exchangeWorks) {
  if (!exchangeWorks) {
    replaceByRenames(fs, p);
    return;
  }
  if (auto e = fs.exchange(p.temporary, p.replaced)) {
    if (e == std::errc::no_such_file_or_directory) {
      p.conflicted = true;
      throw removedMeanwhile(p.writePath);
    }
    if (!unsupported(e)) throw fileError(e, "write", p.writePath);
    exchangeWorks = false;
    replaceByRenames(fs, p);
    return;
  }
  p.replacedOld = p.temporary;
  if (readOrEmpty(fs, p.replacedOld) == p.origin->content) return;
  // Another program wrote in the instant before the swap: give its version back.
  swapBack(fs, p);
  p.temporary.clear();
  p.conflicted = true;
  throw changedMeanwhile(p.writePath);
}

// Puts a new file in place under a name nobody took meanwhile.
void createFile(FileSystem& fs, Plan& p, const std::set<fs::path>& taken) {
  for (int attempt = 0;; ++attempt) {
    const Error e = renameToFreeName(fs, p.temporary, p.writePath);
    if (!e) break;
    if (e == std::errc::file_exists && p.exactPath) {
      p.conflicted = true;
      throw StoreError(StoreErrorCode::conflict, p.writePath.string() + " was made by another program since");
    }
    if (e != std::errc::file_exists || attempt == 100) throw fileError(e, "write", p.writePath);
    p.writePath = freePath(fs, p.writePath.parent_path(), p.writePath.filename().string(), taken);
  }
  p.created = true;
}

// Renames a file aside before it goes, and checks that it still is the version read.
void removeFile(FileSystem& fs, Plan& p) {
  const bool moving = !p.writePath.empty();
  // The previous version of a moved task waits under a name that says what to do with it after a crash.
  const fs::path aside = moving ? oldVersionPath(p.removePath) : platform::temporaryPathFor(p.removePath);
  // A plain rename: the name aside is fresh, so it replaces nothing, and it moves out whatever is at
  // the name at that instant in one step. (A link and an unlink, which is what "no replace" falls back
  // to on file systems without the flag, would remove a version another program renamed over the name
  // in between.)
  Error e = fs.rename(p.removePath, aside);
  if (e == std::errc::no_such_file_or_directory) {
    p.conflicted = true;
    throw removedMeanwhile(p.removePath);
  }
  if (e) throw fileError(e, "remove", p.removePath);
  p.removedOld = aside;
  if (readOrEmpty(fs, aside) == p.origin->content) return;
  if (renameToFreeName(fs, aside, p.removePath)) keepAsConflictCopy(fs, aside, p.removePath);
  p.removedOld.clear();
  p.conflicted = true;
  throw changedMeanwhile(p.removePath);
}

// Undoes one applied plan: every previous version back in place, the new files gone.
void undo(FileSystem& fs, Plan& p) {
  if (!p.removedOld.empty()) {
    if (renameToFreeName(fs, p.removedOld, p.removePath)) keepAsConflictCopy(fs, p.removedOld, p.removePath);
    p.removedOld.clear();
  }
  if (p.created) {
    // A new file another program wrote to (or holds open to write) meanwhile stays: it is theirs now.
    if (auto e = fs.removeIfUnchanged(p.writePath, p.content)) {
      storeLog().debug("%{public}@ stays: %{public}@", p.writePath.string(), e.message());
    }
    p.created = false;
  }
  if (!p.replacedOld.empty()) swapBack(fs, p);
  p.applied = false;
}

// Makes the renames and removals durable: each folder that changed is synced once. Answers the
// first failure (every folder is tried) and the folder it was in.
Error syncFolders(FileSystem& fs, const std::vector<Plan>& plans, fs::path* failed = nullptr) {
  std::set<fs::path> dirs;
  for (const Plan& p : plans) {
    if (!p.writePath.empty()) dirs.insert(p.replaced.empty() ? p.writePath.parent_path() : p.replaced.parent_path());
    if (!p.removePath.empty()) dirs.insert(p.removePath.parent_path());
  }
  Error first;
  for (const auto& d : dirs) {
    if (auto e = fs.syncDirectory(d); e && first.ok()) {
      first = e;
      if (failed != nullptr) *failed = d;
    }
  }
  return first;
}

// For the paths that undo a failed commit: the failure being reported already, a folder that will
// not sync is logged.
void syncFoldersAfterUndo(FileSystem& fs, const std::vector<Plan>& plans) {
  fs::path dir;
  if (auto e = syncFolders(fs, plans, &dir)) logFailure(e, "sync", dir);
}

// Puts every plan in place, in order; when one fails, undoes those before it and throws.
void applyPlans(FileSystem& fs, const fs::path& root, std::vector<Plan>& plans) {
  bool exchangeWorks = !NoExchange::known(root);
  std::set<fs::path> taken;
  for (const Plan& p : plans) taken.insert(p.writePath);
  for (size_t i = 0; i < plans.size(); ++i) {
    Plan& p = plans[i];
    try {
      const bool inPlace = p.origin && p.writePath == p.origin->path;
      const bool moving = !inPlace && !p.writePath.empty() && !p.removePath.empty();
      if (moving) {
        // A move takes the previous version aside, durably, before the copy appears in the new list:
        // then no crash can leave the task in both lists. A previous version whose copy never
        // arrived is put back by the next reader (recoverLeftovers).
        removeFile(fs, p);
        p.applied = true;
        if (auto e = fs.syncDirectory(p.removePath.parent_path())) throw fileError(e, "sync", p.removePath.parent_path());
      }
      if (inPlace) {
        replaceInPlace(fs, p, exchangeWorks);
        if (!exchangeWorks) NoExchange::remember(root);
      } else if (!p.writePath.empty()) {
        createFile(fs, p, taken);
        taken.insert(p.writePath);
      }
      p.applied = true;
      if (!p.removePath.empty() && !moving) removeFile(fs, p);
    } catch (...) {
      if (p.applied) undo(fs, p);
      for (size_t j = i; j-- > 0;) undo(fs, plans[j]);
      discardTemporaries(fs, plans);
      syncFoldersAfterUndo(fs, plans);
      throw;
    }
  }
}

// The reminders now stand for the versions just written, and the file cache holds those versions.
void adoptWrittenVersions(FileSystem& fs, std::vector<Plan>& plans) {
  for (Plan& p : plans) {
    if (!p.removePath.empty()) FileCache::shared().erase(p.removePath);
    if (p.writePath.empty()) {
      Backend::forgetOrigin(*p.reminder);
      continue;
    }
    // The version written is the one read back before writing: it needs only its name and metadata.
    std::shared_ptr<TodoFile> file = std::move(p.readBack);
    file->path = p.writePath;
    // Metadata that cannot be had stays empty: the cache entry then matches no later stat, and the
    // file is simply read again.
    if (fs.stat(p.writePath, file->info)) file->info = {};
    FileCache::shared().store(p.writePath, FileCache::Entry{file->info, file, nullptr});
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

void announceWrite(const WriteObserver& beforeWriting, const std::vector<FileChange>& changes) {
  if (!beforeWriting || changes.empty()) return;
  if (Error e = beforeWriting(changes)) throw StoreError(StoreErrorCode::io, e.message());
}

namespace {

// The end of applying `plans`, shared by a commit and a restore. The new versions are durable before
// the change counts as done (and before `alongside` records it): a folder that cannot be synced, or an
// `alongside` that throws, undoes every plan and fails with every file as it was. Then the previous
// versions go (a folder sync only when there were some: one fsync less for a commit that only
// creates files). A program that held the file open across the swap may have written into the
// previous version after it was checked, or may still: a version that is no longer the one read, or
// that a program holds open for writing, is kept as a conflict copy, never removed. A failed sync after that can only
// bring a removed previous version back, under its temporary name, for the clean-up after this
// process.
void settleApplied(FileSystem& fs, std::vector<Plan>& plans, const std::function<void()>& alongside) {
  fs::path unsynced;
  if (auto e = syncFolders(fs, plans, &unsynced)) {
    for (size_t j = plans.size(); j-- > 0;) undo(fs, plans[j]);
    syncFoldersAfterUndo(fs, plans);
    throw fileError(e, "sync", unsynced);
  }
  if (alongside) {
    try {
      alongside();
    } catch (...) {
      for (size_t j = plans.size(); j-- > 0;) undo(fs, plans[j]);
      syncFoldersAfterUndo(fs, plans);
      throw;
    }
  }
  bool removedPrevious = false;
  for (Plan& p : plans) {
    for (const fs::path* previous : {&p.replacedOld, &p.removedOld}) {
      if (previous->empty()) continue;
      removeOrKeep(fs, *previous, p.origin->content, previous == &p.replacedOld ? p.replaced : p.removePath);
      removedPrevious = true;
    }
  }
  if (removedPrevious) syncFoldersAfterUndo(fs, plans);
}

}  // namespace

void commitPending(FileSystem& fs, const fs::path& root, std::vector<PendingWrite>& pending,
                   const std::function<void()>& alongside, const WriteObserver& beforeWriting) {
  if (pending.empty()) {
    if (alongside) alongside();
    return;
  }
  std::vector<Plan> plans = planWrites(fs, root, pending);
  writeTemporaries(fs, plans);
  if (beforeWriting) {
    std::vector<FileChange> changes;
    for (const Plan& p : plans) {
      if (!p.writePath.empty()) changes.push_back(FileChange{p.writePath, p.content, false});
      if (!p.removePath.empty()) changes.push_back(FileChange{p.removePath, std::nullopt, false});
    }
    try {
      announceWrite(beforeWriting, changes);
    } catch (...) {
      discardTemporaries(fs, plans);
      throw;
    }
  }
  try {
    applyPlans(fs, root, plans);
  } catch (const StoreError&) {
    // As for a conflict found when planning: retrying cannot succeed, the write is dropped.
    for (const Plan& p : plans) {
      if (p.conflicted) std::erase_if(pending, [&](const PendingWrite& o) { return o.reminder == p.reminder; });
    }
    throw;
  }
  settleApplied(fs, plans, alongside);
  adoptWrittenVersions(fs, plans);
  pending.clear();
}

void restoreFiles(FileSystem& fs, const fs::path& root, const std::vector<FileRestore>& files,
                  const std::vector<fs::path>& emptiedFolders, const std::function<void()>& alongside) {
  std::vector<Plan> plans;
  for (const FileRestore& f : files) {
    Plan p;
    p.exactPath = true;
    FileInfo info;
    if (auto e = fs.stat(f.path, info)) throw fileError(e, "read", f.path);
    if (f.expected) {
      auto origin = std::make_shared<TodoFile>();
      origin->path = f.path;
      origin->content = *f.expected;
      origin->info = info;
      checkUnchanged(fs, *origin);
      p.origin = std::move(origin);
      p.mode = info.mode;
    } else if (info.exists) {
      throw StoreError(StoreErrorCode::conflict, f.path.string() + " was made by another program since");
    }
    if (f.wanted) {
      p.writePath = f.path;
      p.content = *f.wanted;
    } else if (f.expected) {
      p.removePath = f.path;
    } else {
      continue;  // absent, and to stay so
    }
    plans.push_back(std::move(p));
  }
  std::set<fs::path> madeFolders;  // folders of files that come back, made now
  for (const Plan& p : plans) {
    if (p.writePath.empty()) continue;
    const fs::path folder = p.writePath.parent_path();
    FileInfo info;
    if (auto e = fs.stat(folder, info)) throw fileError(e, "read", folder);
    if (info.exists) continue;
    if (auto e = platform::createDirectories(fs, folder)) throw fileError(e, "create", folder);
    madeFolders.insert(folder);
  }
  for (const fs::path& folder : madeFolders) {
    if (auto e = fs.syncDirectory(folder.parent_path())) throw fileError(e, "sync", folder.parent_path());
  }
  writeTemporaries(fs, plans);
  applyPlans(fs, root, plans);
  settleApplied(fs, plans, alongside);
  for (const Plan& p : plans) FileCache::shared().erase(p.writePath.empty() ? p.removePath : p.writePath);
  std::set<fs::path> parents;
  for (const fs::path& folder : emptiedFolders) {
    // Only an empty folder goes: files another program put there stay, with their folder.
    if (!fs.removeDirectory(folder)) parents.insert(folder.parent_path());
  }
  // Best effort: the folder is empty either way, and one that comes back after a crash is an empty list.
  for (const fs::path& parent : parents) logFailure(fs.syncDirectory(parent), "sync", parent);
}

bool isOldVersionName(std::string_view name) { return name.starts_with(kOldPrefix); }

std::optional<platform::ProcessIdentity> oldVersionOwner(std::string_view name) {
  if (!isOldVersionName(name)) return std::nullopt;
  // ".zarvo-old-<pid>-..." reads as a temporary name once the prefixes agree.
  std::string asTemporary = ".zarvo-tmp-" + std::string(name.substr(kOldPrefix.size()));
  return platform::temporaryFileOwner(asTemporary);
}

std::string oldVersionOriginalName(std::string_view name) {
  // ".zarvo-old-<pid>-<n>-<name>.tmp"
  name.remove_prefix(kOldPrefix.size());
  for (int dashes = 0; dashes < 2 && !name.empty(); name.remove_prefix(1)) {
    if (name.front() == '-') ++dashes;
  }
  if (name.ends_with(".tmp")) name.remove_suffix(4);
  return std::string(name);
}

}  // namespace zarvo::reminders::detail
