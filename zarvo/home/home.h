// Home: the folder that holds one person's tasks, and the one place that knows its shape.
//
//   <home>/reminders/        the reminders store: lists and tasks as iCalendar files, the master copy
//   <home>/records.sqlite    the object store of records (list order, visibility, flags, tags)
//   <home>/reminders.cache   what was read from the task files, so the next process re-reads only the
//                            files that changed (every file is still checked; deleting it is safe)
//   <home>/lock              taken by every process that opens the home: readers share it, a writer
//                            holds it alone
//   <home>/history/          every change made through the home, to undo it (history.h)
//
// Opening a home, by case:
// - Missing folder: created (with its parents), then the reminders store (a local source and a
//   "Reminders" list, the default) and the records database. A usable home is never rewritten.
//   With HomeOptions::createIfMissing false, a path that holds no usable home is an error and
//   nothing is created.
// - Not a folder, or a folder this user cannot read, write and search: an error, before anything in
//   it is touched. A reminders folder that cannot be read and written (opened to read: that cannot be
//   read): an error.
// - Locked by another process: open() waits until that process closes the home, at most
//   HomeOptions::lockPatience, then fails naming the holder (pid and command). A home
//   opened to read shares the lock with other readers; one opened to write holds it alone. The lock
//   is held for the Home's whole life and goes with the process if the process dies.
// - Opened to read: a home that cannot be written (a read-only mount, a folder without write
//   permission, a full disk) still opens and reads, with its reminders store and records opened
//   read-only when they cannot be written; what save() cannot write is dropped, logged, and not an
//   error. Opened to write, such a home fails to open or with the stores' readOnly errors.
// - Records database of a newer format (written by a newer ZarvoKit) or not a database of ours:
//   an error, and the file is left exactly as it was. A file cache of another format is ignored
//   and replaced on the next save; the task files themselves carry no format version.
//
// Task files carry what the records hold (flag, order, tags) so that a home synced with another
// machine sees them: a Home turns CalendarIO::setCarriesRecordFields on (see record_fields.h).
//
// Each Home has a CalendarIO of its own over its reminders store: a process may open homes one after
// another or side by side, at one path or several (two Homes of one path in one process take turns
// at the lock as two processes would). CalendarIO::shared() is no home's store.
//
// Privacy: a home opened to write is its user's alone: the folder and its folders 0700, its own files
// (lock, records, file cache, history) 0600, tightened when an existing home is opened.
//
// The main queue: the library announces refreshes ("CalendarIO.Refreshed") and calls some completions
// (the purge's) on platform::MainQueue. Where that work runs is the application's choice, made once,
// before it opens a home:
// - a command-line program installs nothing: the queue holds the work until drained, and a Home
//   drains it on the opening thread at save() and when it closes (a program waiting for a completion
//   drains it itself, platform::MainQueue::drain());
// - a GUI installs its event loop (platform::MainQueue::install with a platform::MainExecutor that
//   posts to it): the work then arrives on the UI thread as ordinary events, and the drains of a Home
//   find nothing to do.
// Either way the work runs in the same order, on one thread: only which thread is "main" changes.
//
// Threads: a Home is used from one thread at a time (the one that opened it, in a command-line
// program). Fetch answers arrive on a store thread and are handed back to the caller.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "zarvo/home/history.h"
#include "zarvo/model/list.h"
#include "zarvo/model/task.h"
#include "zarvo/store/object_context.h"
#include "zarvo/sync/calendar_io.h"

namespace zarvo {

namespace detail {
class HomeLock;
}

enum class HomeAccess { read, write };

struct HomeOptions {
  // What the home is opened for. Default write: the lock is exclusive. read: the lock is shared with
  // other readers, and save() is best effort (records made while reading may be dropped).
  HomeAccess access = HomeAccess::write;
  // How long to wait for other processes to close the home. Default 10 s: far longer than any
  // command holds it, short enough that a suspended process does not hang the next one for good.
  std::chrono::milliseconds lockPatience{10'000};
  // Called once, with the holder's description ("pid 1234 (zarvo edit)"), when opening has to wait
  // for another process. Default: nothing.
  std::function<void(const std::string& holder)> whileWaiting;

  // How long to wait for the reminders store to answer an access request or a fetch. It answers in
  // well under a second for ten thousand tasks; the limit only turns a hang into an error.
  // Default 120 s.
  std::chrono::seconds storeAnswerLimit{120};
  // Whether a missing home is made (true, the default) or refused (false), for
  // programs that only read and must not leave a folder behind at a mistyped path.
  bool createIfMissing = true;

  // The file system every file of the home is read and written through. Default (null): POSIX.
  // Tests pass one that injects faults. A front end's own files kept for the home (a window's cache,
  // the alarms shown) go through it too (fileSystemOrDefault), so the same faults reach them.
  std::shared_ptr<platform::FileSystem> fileSystem;
  // How much history a home opened to write keeps (history.h). Default: the last 50 changes, 64 MiB.
  HistoryOptions history;
  // Whether a home opened to write records its changes in the history. Default true. False is for
  // writes the person did not make (the reminders daemon marking an alarm shown): they take the
  // exclusive lock as any write, leave the history as it was, and cannot be undone; history() is
  // null and undo and redo are refused. Such a write changes files the history knows, so undoing an
  // earlier change of the same task is refused as changed since (as after another program's edit).
  bool keepHistory = true;
  // Whether the reminders store watches its files for other programs' changes while the home is
  // open (posting "CalendarIO.StoreChanged"). Default false: the lock keeps other users of the home
  // out while it is open, and a change is seen when the home is next opened; a long-lived program
  // that keeps a home open and wants to hear of edits made by programs that ignore the lock
  // (todoman, a sync) turns it on.
  bool watchForChanges = false;

  // fileSystem, or POSIX when none is given: the file system a home opened with these options uses.
  std::shared_ptr<platform::FileSystem> fileSystemOrDefault() const;
};

class Home {
 public:
  class HistoryRoute;  // internal: how the store's writes reach the history

  // $ZARVO_HOME, else $XDG_DATA_HOME/zarvo, else $HOME/.local/share/zarvo (empty variables count as
  // unset); nothing when none of them is set.
  static std::optional<std::filesystem::path> defaultPath();

  // Whether `path` holds a usable home (a reminders store this user may at least read and a records
  // database), without creating, locking or changing anything.
  static bool exists(const std::filesystem::path& path);

  // Finds or creates, locks and opens the home at `path` (see above), then loads its lists and the
  // default list. Fails, with a one-line message naming the home or file and why, when the home
  // cannot be used: std::errc::not_a_directory, no_such_file_or_directory (createIfMissing false),
  // device_or_resource_busy (held by another process, or another Home of this process, past
  // lockPatience), timed_out (the store did not answer), permission_denied, io_error (the records
  // database), or the file system's errno.
  static Expected<std::unique_ptr<Home>> open(std::filesystem::path path, HomeOptions options = {});
  // Runs the main queue's pending work, closes the records database (dropping what save() did not
  // save) and releases the lock.
  ~Home();
  Home(const Home&) = delete;
  Home& operator=(const Home&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The home's CalendarIO, over its reminders store and records; it lives as long as the Home.
  CalendarIO& io() const { return io_; }
  // The object store; the application owns it and saves it through save().
  std::shared_ptr<store::ObjectContext> context() const { return context_; }

  // The tasks of `lists` (none: every list), incomplete or completed (`completedOnly`), read fresh from
  // the reminders store and waited for. Fetch everything before changing anything: a fetch reloads
  // the store and drops writes that were not committed yet. Fails (std::errc::timed_out) when the
  // store does not answer.
  Expected<std::vector<std::shared_ptr<Task>>> fetchTasks(
      const std::optional<std::vector<std::shared_ptr<List>>>& lists, bool completedOnly);

  // Saves the task files and the records together: both change or neither does (see home.cc for
  // the order), then runs the main queue's pending work and writes the file cache for the next
  // process. Store errors reach the caller with nothing changed; a home opened to read drops (and
  // logs) what it cannot save instead.
  // A home opened to write records the change in its history first, as `description` ("add 'Buy
  // milk'"; empty: named after what it changes), with the writes the store made at once since the
  // last save (a list made or removed, the default list chosen): that is one change to undo. When
  // the history cannot be written, nothing changes and the store's io error says why.
  void save(std::string_view description = {});

  // What removing a list deletes with it.
  struct ListRemoval {
    size_t openTasks = 0;
    size_t completedTasks = 0;
    size_t tasks() const { return openTasks + completedTasks; }
  };
  // The tasks removeList(list) would delete, read fresh from the store; nothing changes. Fails
  // (std::errc::timed_out) when the store does not answer.
  Expected<ListRemoval> listRemovalOf(const std::shared_ptr<List>& list);
  // Removes `list` with every task in it, open and completed, and their records, then saves: one
  // change of the history, described as `description` (empty: "list-rm 'TITLE'"), which undo takes
  // back whole (the list, its place, its tasks and their records). Anything unsaved is saved with it.
  // Fails as listRemovalOf, with nothing changed; throws the stores' errors as save() does.
  Expected<ListRemoval> removeList(const std::shared_ptr<List>& list, std::string_view description = {});

  // Undoes the newest change of the history (history.h: History::undoLast), then reloads the lists.
  // REQUIRES: opened to write, nothing unsaved.
  Expected<UndoResult> undoLastChange(bool skipChanged = false);
  // Makes again the change undone last (History::redoLast), then reloads the lists. Refused
  // (HistoryErrc::nothingToRedo) once a new change was made after the undo.
  // REQUIRES: opened to write, nothing unsaved.
  Expected<UndoResult> redoLastChange(bool skipChanged = false);
  // The history of a home opened to write; null for one opened to read.
  History* history() const { return history_.get(); }

  // What undo and redo would take back, newest first, as descriptions ("(unreadable)" for an entry
  // that cannot be read).
  struct HistoryDescriptions {
    std::vector<std::string> undoable;
    std::vector<std::string> redoable;
  };
  // Reads the history's entries without changing them, also in a home opened to read: the home's
  // lock (shared or exclusive) keeps writers from moving them meanwhile. A history that cannot be
  // listed reads as empty.
  HistoryDescriptions historyDescriptions() const;

  // The task files the reminders store has left out so far (unreadable, or a second file of one
  // task), with why.
  std::vector<reminders::SkippedFile> skippedFiles() const;

 private:
  Home(std::filesystem::path path, HomeOptions options, std::shared_ptr<platform::FileSystem> fileSystem,
       std::unique_ptr<detail::HomeLock> lock, std::shared_ptr<HistoryRoute> route, std::unique_ptr<CalendarIO> io);
  Error openStores();
  History::Host historyHost();
  Error noHistory() const;  // why undo and redo are refused without a history

  std::filesystem::path path_;
  HomeOptions options_;
  std::shared_ptr<platform::FileSystem> fileSystem_;
  std::unique_ptr<detail::HomeLock> lock_;  // released last
  std::shared_ptr<HistoryRoute> route_;
  std::unique_ptr<CalendarIO> ownedIo_;
  CalendarIO& io_;
  std::shared_ptr<store::ObjectContext> context_;
  std::unique_ptr<History> history_;
};

}  // namespace zarvo
