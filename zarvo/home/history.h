// History: every change made through a home, whoever made it (a command, the desktop app, the
// reminders daemon), kept so that it can be undone, newest first.
//
// One entry per change: what one save of a home writes (with the writes the reminders store made at
// once before it: a list made or removed, the default list chosen). An entry keeps
// - every file the change wrote, made or removed: the bytes it held before (so a deleted task comes
//   back byte for byte) and a digest of what it holds after;
// - what the records hold and the files may not: the flag and tags of each task whose file the change
//   touched, before and after; the lists' order when the change moved, made or removed a list; the
//   tags it made.
//
// Guarantees:
// - Durable first: an entry reaches the disk before the first file of its change changes, and before
//   the records commit. When it cannot be written (a full disk, a read-only history folder) the
//   change does not happen: the write fails with the store's io error, naming the history.
// - Undone through the store's own write path: every file goes back by the same swap, check and
//   give-back as any save (reminders::EventStore::restoreFiles), together with the records. A file or
//   task that another program changed since is never overwritten: the undo is refused, names it and
//   changes nothing. With `skipChanged` the entry is dropped instead (reported) and the one before it
//   undone: no entry blocks the older ones.
// - Crash-safe both ways: an entry of a change that never happened (the process died before its
//   files changed) or an undo that was interrupted leave files that are as before the change; such an
//   entry finishes as undone. Temporary files of processes that died are removed.
// - Entries are untrusted input: only regular files named "<number>.json" in the history folder are
//   read, at most HistoryOptions::maxBytes each; every path they name stays inside the reminders
//   store (no "..", no absolute path, no link leading out); anything else is reported as unreadable
//   and can be skipped.
// - Bounded: at most maxEntries entries and maxBytes bytes (the newest is always kept); older ones
//   are dropped, and the log says so. A change larger than maxBytes keeps an entry that says it is
//   too large to undo.
// - Private: the folder is 0700 and entries 0600 (they keep deleted tasks' bytes).
//
// - Redo: undoing a change keeps what it undid (in "redo/" inside the folder), durably before the
//   undo's first file changes, so that redoLast can make the change again, newest undone first,
//   through the same write path and checks as an undo (a redo is itself a change that undo takes
//   back). A new change ends what can be redone: its entry, once written, drops every undone one.
//
// Threads: recording calls (beforeWriting, beginSave, beforeRecordsCommit, endSave) may come from
// any thread and are serialised; undoLast and redoLast run on the home's thread, with no other
// change in progress. One History per home folder, under the home's lock.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "zarvo/model/task.h"
#include "zarvo/platform/error.h"
#include "zarvo/platform/filesystem.h"
#include "zarvo/reminders/event_store.h"
#include "zarvo/store/object_context.h"
#include "zarvo/sync/calendar_io.h"

namespace zarvo {

namespace detail {
struct HistoryEntry;
}

enum class HistoryErrc {
  nothingToUndo = 1,  // the history holds no entry
  changedSince,       // a file, task or the lists' order was changed by another program since
  unreadableEntry,    // an entry cannot be read (damaged, too large, not a file, a path out of the store)
  tooLarge,           // the change was too large to keep, and cannot be undone
  cannotRecord,       // the entry could not be written; the change did not happen
  nothingToRedo,      // no change was undone since the last new change
};
const std::error_category& historyCategory();
std::error_code make_error_code(HistoryErrc code);

struct HistoryOptions {
  // Entries kept. Default 50.
  size_t maxEntries = 50;
  // Bytes the entries may take together, and the most one entry may take. Default 64 MiB.
  uint64_t maxBytes = uint64_t{64} << 20;
};

// What undoLast or redoLast did.
struct UndoResult {
  std::string undone;                // the description of the change undone (redone); empty when none was
  std::vector<std::string> skipped;  // with skipChanged: each entry dropped, "DESCRIPTION: why"
};

class History {
 public:
  // What an undo needs of the home it undoes in.
  struct Host {
    CalendarIO& io;
    std::shared_ptr<store::ObjectContext> context;
    // Every task, incomplete and completed, read fresh from the store.
    std::function<Expected<std::vector<std::shared_ptr<Task>>>()> allTasks;
    // Saves the records and the task files together, as a home's save does.
    std::function<Error()> save;
  };

  // The history kept in `folder` for the reminders store at `remindersRoot`, through `fileSystem`.
  // Nothing is read or made until used.
  History(std::filesystem::path folder, std::filesystem::path remindersRoot,
          std::shared_ptr<platform::FileSystem> fileSystem, HistoryOptions options = {});
  ~History();
  History(const History&) = delete;
  History& operator=(const History&) = delete;

  const HistoryOptions& options() const { return options_; }
  const std::filesystem::path& folder() const { return folder_; }

  // ---- Recording (a home calls these; see home.cc) ----

  // The reminders store's write observer (EventStoreOptions::beforeWriting): keeps what each file
  // holds now in the change's entry and writes the entry durably. An error means the change must not
  // happen.
  Error beforeWriting(const std::vector<reminders::FileChange>& changes);
  // A save of `context` begins, described as `description` (empty: named after what it changes):
  // notes the records it changes, before and after.
  void beginSave(std::string_view description, store::ObjectContext& context);
  // The records are about to commit: the entry, with them, is made durable first.
  Error beforeRecordsCommit();
  // The save ended; when it did not commit, what it wrote is as before and leaves the entry.
  void endSave(bool committed);
  // While one lives, nothing is recorded (an undo's own writes).
  class Pause {
   public:
    explicit Pause(History& history);
    ~Pause();
    Pause(const Pause&) = delete;
    Pause& operator=(const Pause&) = delete;

   private:
    History& history_;
  };

  // ---- Reading and undoing ----

  // The descriptions of the entries, newest first ("(unreadable)" for one that cannot be read).
  Expected<std::vector<std::string>> descriptions() const;
  // Undoes the newest change (see above). Errors: HistoryErrc::nothingToUndo, changedSince,
  // unreadableEntry, tooLarge (without skipChanged), or the store's and file system's failures; then
  // nothing has changed. With skipChanged, an entry that cannot be undone is dropped, reported in
  // `skipped`, and the next one tried; `undone` stays empty when none could be.
  Expected<UndoResult> undoLast(const Host& host, bool skipChanged = false);

  // The descriptions of the changes that can be redone, the next one to redo first.
  Expected<std::vector<std::string>> redoDescriptions() const;
  // Makes again the change undone last (see above), and keeps it in the history to undo. Errors:
  // HistoryErrc::nothingToRedo (nothing was undone since the last new change), and otherwise those
  // of undoLast, with the same meaning; then nothing has changed. skipChanged as for undoLast.
  Expected<UndoResult> redoLast(const Host& host, bool skipChanged = false);

  // Removes what writers that died left in the folder (temporary copies of entries).
  void removeLeftovers();

 private:
  struct Pending;
  struct Plan;
  enum class Direction { undo, redo };

  std::filesystem::path redoFolder() const { return folder_ / "redo"; }
  std::vector<uint64_t> entryNumbers(const std::filesystem::path& folder) const;
  std::filesystem::path entryPath(const std::filesystem::path& folder, uint64_t number) const;
  Expected<detail::HistoryEntry> readEntry(const std::filesystem::path& folder, uint64_t number) const;
  Expected<std::vector<std::string>> descriptionsIn(const std::filesystem::path& folder) const;
  Error prepareFolder(const std::filesystem::path& folder);
  Error writeOpenEntryLocked();
  Error writeEntry(const std::filesystem::path& folder, uint64_t number, const detail::HistoryEntry& entry);
  void dropEntry(const std::filesystem::path& folder, uint64_t number);
  void dropRedoLocked();
  void trim(const std::filesystem::path& folder);
  Expected<UndoResult> takeBack(Direction direction, const Host& host, bool skipChanged);
  Expected<Plan> planUndo(const detail::HistoryEntry& entry, const Host& host, std::string_view verb) const;
  detail::HistoryEntry inverseOf(const detail::HistoryEntry& entry, const Plan& plan) const;
  Error applyUndo(const detail::HistoryEntry& entry, const Plan& plan, const Host& host, std::string_view verb);
  Expected<std::filesystem::path> insideStore(const std::string& relative) const;

  const std::filesystem::path folder_;
  const std::filesystem::path root_;
  const std::shared_ptr<platform::FileSystem> fs_;
  const HistoryOptions options_;

  mutable std::mutex mu_;
  int paused_ = 0;
  std::unique_ptr<Pending> pending_;  // the change being recorded
};

}  // namespace zarvo

template <>
struct std::is_error_code_enum<zarvo::HistoryErrc> : std::true_type {};
