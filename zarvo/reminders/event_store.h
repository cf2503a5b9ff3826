// EventStore: a handle on the reminders store, a vdir tree of iCalendar files shared with other
// programs (todoman, khal, vdirsyncer):
//
//   <root>/.default-calendar              identifier of the default calendar for new reminders
//   <root>/<source>/.source               identifier=, title=, type= (0 local, 2 CalDAV)
//   <root>/<source>/<collection>/displayname, color, <name>.ics (one VCALENDAR, one VTODO)
//
// Guarantees about the user's files:
// - A rewrite changes only the lines of the properties this store owns (SUMMARY, DESCRIPTION,
//   PRIORITY, DUE, STATUS, COMPLETED, CREATED, DTSTAMP, LAST-MODIFIED, UID when missing, and the
//   VALARMs that were removed or added); every other line stays byte for byte.
// - Files are replaced atomically (temporary file, fsync, rename). A file whose contents changed
//   since it was read is never overwritten (StoreErrorCode::conflict).
// - A file that does not parse is skipped, logged at error level, and never rewritten or deleted;
//   skippedFiles() lists it. So is a second file holding a UID that another file of the same account
//   already holds: one task, one file (the one read first: calendar identifier, then file name).
// - No interleaving with another program's writes loses its bytes: a replaced or removed file is
//   checked after an atomic swap and given back when it changed (see commit_plan.cc).
// - Temporary files never end in ".ics"; those a crashed process left are cleaned up when a handle
//   first reads the tree (a task whose move a crash interrupted goes back where it was).
// - File names of new tasks derive from the UID but can never leave their collection's folder.
// - A recurring task (RRULE) saved as completed completes its current occurrence only: the file moves
//   to the next occurrence and stays open, and after the commit the reminder says so (open, due at
//   the next occurrence, with the series' alarms). With no next occurrence it completes as a whole.
//
// Handles: saves and removals made with commit = false are pending in the handle that made them, seen
// by its own fetches, and reach the disk only at commit(); other handles and processes see committed
// files only. A commit that fails leaves every file as it was.
//
// Threads: every member may be called from any thread; calls on one handle are serialised by its
// lock. Completions run on the process's store thread (never the caller's), one at a time. The
// store-changed notification is posted on the handle's watcher thread, or, for a handle made with
// watchForChanges = false, on the thread whose commit caused it, after the commit has returned its
// lock. The handle must not be destroyed from inside one of its own completions or notifications.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zarvo/platform/filesystem.h"
#include "zarvo/reminders/file_watcher.h"
#include "zarvo/reminders/records.h"
#include "zarvo/reminders/store_error.h"

namespace zarvo::reminders {

enum class AuthorizationStatus { notDetermined = 0, restricted = 1, denied = 2, authorized = 3 };

// Posted on platform::NotificationCenter::defaultCenter() with the EventStore as object, after this
// handle's commits and when another program changes the files, coalesced: one burst, one post.
inline constexpr std::string_view kEventStoreChangedNotification = "EKEventStoreChangedNotification";

// A file (or a folder) that a write of the store is about to change, as told to
// EventStoreOptions::beforeWriting.
struct FileChange {
  std::filesystem::path path;
  // What the file holds once the write is done; nothing when the write removes it. For a folder:
  // present (and empty) when the write makes it, nothing when it removes it.
  std::optional<std::string> after;
  bool folder = false;
};

// A file to put back as it was (EventStore::restoreFiles).
struct FileRestore {
  std::filesystem::path path;
  // What the file must hold now; nothing: it must not exist.
  std::optional<std::string> expected;
  // What it will hold; nothing: it is removed.
  std::optional<std::string> wanted;
};

struct EventStoreOptions {
  // The store's root. Default (empty): $XDG_DATA_HOME/zarvo/reminders, or
  // ~/.local/share/zarvo/reminders when XDG_DATA_HOME is unset.
  std::filesystem::path root;
  // Default (null): platform::FileSystem::posix(). Tests pass a FaultInjectingFileSystem.
  std::shared_ptr<platform::FileSystem> fileSystem;
  // Watch the tree and post the store-changed notification for other programs' changes. Default
  // true; without it only this handle's own commits are announced.
  bool watchForChanges = true;
  // What watches the tree when watchForChanges is set. Default (empty): makeInotifyWatcher. Tests
  // pass a fake that announces changes when told to.
  FileWatcherFactory fileWatcher;
  // How long the tree must stay quiet before a burst of changes is announced. Default 100 ms.
  std::chrono::milliseconds coalescingDelay{100};
  // Where to keep what was read from the task files between processes (empty: nowhere). A process
  // that starts often, such as a command-line program, then reads and parses only the files that
  // changed since the last saveFileCache(); each file is still checked against its metadata, so a
  // change by another program is always seen. Deleting the file is always safe.
  std::filesystem::path fileCachePath;
  // Hold every commit for commitWith(). Default false. When set, a save or removal with commit = true
  // and commit() leave the writes pending in the handle (its own fetches see them, as for
  // commit = false) and only commitWith() puts them on disk: for an owner that changes another store
  // in the same unit of work and wants both changed or neither (zarvo::Home, with the records).
  bool holdCommits = false;
  // Told every file a write is about to change, before the first one changes: a commit (the files of
  // its reminders), a calendar saved (its folder, displayname and color) or removed (its task files,
  // metadata and folder, and .default-calendar when it names it), the default calendar set. Runs on
  // the writing thread under the handle's lock, so it must not call the handle. An error it returns
  // stops the write before anything changes: the write throws StoreError(io) with the error's
  // message. Default: none. For an owner that keeps what each change overwrote, durably, before the
  // change is made (zarvo::Home's history). A crashed process's leftovers that the handle cleans up
  // when it first reads the tree are not writes.
  std::function<Error(const std::vector<FileChange>& changes)> beforeWriting;
  // Open the store only to read it. Default false. When set, a root that can be read but not
  // written (a read-only mount, a folder without write permission) is authorized, as it would
  // otherwise be denied; every calendar is read-only, so every write fails with
  // StoreErrorCode::readOnly; requestAccess never creates the root; nothing on disk is cleaned up.
  bool readOnly = false;
};

// A file the store found but does not show, and why (it does not parse, it is unreadable, it holds a
// task whose UID another file of the same account already holds).
struct SkippedFile {
  std::filesystem::path path;
  std::string reason;
};

// Which reminders a fetch answers. Made by the predicateFor... members.
struct Predicate {
  bool completed = false;  // completed reminders rather than incomplete ones
  // Due-date range (incomplete) or completion-date range (completed); absent ends are open.
  std::optional<Date> starting;
  std::optional<Date> ending;
  // Calendar identifiers; empty: every calendar.
  std::vector<std::string> calendarIdentifiers;
};

// How long a task file that holds only completed tasks may go without being checked for an edit in
// place (a change that keeps its name and inode: an editor writing over it, not the rename that vdir
// clients use), while its folder is unchanged. Zero, the default: every task file is checked on
// every read, so every change another program makes is seen by the next read. Otherwise a read of a
// folder whose every file was checked less than `interval` ago checks only the files with an open
// task, and an edit in place of another file shows at the latest `interval` later, or at the next
// read after checkEveryFileAtNextRead() or a change the handle's watcher saw. New, removed and
// renamed files are always seen at the next read. Process-wide; any thread.
void setCompletedTaskFilesCheckInterval(std::chrono::seconds interval);
std::chrono::seconds completedTaskFilesCheckInterval();

class EventStore {
 public:
  explicit EventStore(EventStoreOptions options = {});
  ~EventStore();
  EventStore(const EventStore&) = delete;
  EventStore& operator=(const EventStore&) = delete;

  static std::filesystem::path defaultRoot();
  // notDetermined while `root` does not exist; denied when it cannot be read and written (for a
  // handle opened with readOnly: when it cannot be read); authorized otherwise. Only
  // EntityType::reminder can be authorized.
  static AuthorizationStatus authorizationStatusForEntityType(
      EntityType type, const std::filesystem::path& root = defaultRoot());
  AuthorizationStatus authorizationStatus(EntityType type) const;
  // Creates the root with a local source and a calendar "Reminders" (the default) when it does not
  // exist, then answers (granted, error) once on a store thread.
  void requestAccessToEntityType(EntityType type,
                                 std::function<void(bool granted, std::optional<StoreError> error)> completion);

  const std::filesystem::path& root() const;

  std::vector<std::shared_ptr<Source>> sources();
  // Every reminder calendar, ordered by identifier. Never fails: an unreadable tree gives none.
  std::vector<std::shared_ptr<Calendar>> calendarsForEntityType(EntityType type);
  std::shared_ptr<Calendar> calendarWithIdentifier(std::string_view identifier);
  // The calendar named in <root>/.default-calendar, when it exists.
  std::shared_ptr<Calendar> defaultCalendarForNewReminders();
  // Records `calendar` (a saved one) as the default. Throws StoreError.
  void setDefaultCalendarForNewReminders(const std::shared_ptr<Calendar>& calendar);

  // Calendars are written at once; `commit` is accepted for symmetry with reminders.
  // saveCalendar creates the folder (in the calendar's source, or the first local source) and writes
  // displayname and color. removeCalendar deletes the calendar's task files and metadata, then its
  // folder when nothing else is left in it. Both throw StoreError.
  void saveCalendar(const std::shared_ptr<Calendar>& calendar, bool commit);
  void removeCalendar(const std::shared_ptr<Calendar>& calendar, bool commit);

  // With commit = true the write, and every pending one of this handle, reaches the disk before the
  // call returns; with false it waits for commit(). Validation (calendar present and writable,
  // priority, due components) happens here; conflicts and I/O failures may surface at commit.
  void saveReminder(const std::shared_ptr<Reminder>& reminder, bool commit);
  void removeReminder(const std::shared_ptr<Reminder>& reminder, bool commit);
  // Applies the pending writes in order. Throws StoreError (conflict, io, readOnly, notFound);
  // then no file has changed and the writes stay pending (reset() drops them), except a write that
  // met a conflict: it is dropped, since only re-reading the reminder can resolve it.
  void commit();
  // Applies the pending writes as commit() does (also with holdCommits), then calls `alongside` while
  // the files' previous versions are still kept: when it throws, every file gets its previous version
  // back and the exception reaches the caller; when it returns, the commit is final. With nothing
  // pending it just calls `alongside`.
  void commitWith(const std::function<void()>& alongside);

  // Puts files back as they were, through the same swap, check and give-back as a commit: a file that
  // does not hold what `files` expects of it (another program changed it since) fails the whole
  // restore with StoreErrorCode::conflict, and so does a file made meanwhile where one comes back;
  // nothing changes then. Missing folders of files that come back are made first; each of
  // `emptiedFolders` that holds nothing afterwards is removed. `alongside` runs as for commitWith:
  // when it throws, every file gets its previous version back. Pending writes of the handle stay
  // pending; what the handle had read is forgotten (as after reset()). Not told to beforeWriting.
  // Throws StoreError (conflict, io, readOnly).
  void restoreFiles(const std::vector<FileRestore>& files, const std::vector<std::filesystem::path>& emptiedFolders,
                    const std::function<void()>& alongside = {});

  // Picks up sources and calendars added, removed or changed on disk by others.
  void refreshSourcesIfNecessary();
  // The next read of this handle checks every task file, however recently they were checked (see
  // setCompletedTaskFilesCheckInterval): for a person's explicit request to read everything again.
  void checkEveryFileAtNextRead();
  // Forgets handed-out calendars and pending writes; the next look-ups return fresh objects.
  void reset();

  Predicate predicateForIncompleteReminders(std::optional<Date> dueStarting, std::optional<Date> dueEnding,
                                            const std::vector<std::shared_ptr<Calendar>>& calendars) const;
  Predicate predicateForCompletedReminders(std::optional<Date> completionStarting,
                                           std::optional<Date> completionEnding,
                                           const std::vector<std::shared_ptr<Calendar>>& calendars) const;

  // Answers once, on a store thread, with the matching reminders ordered by calendar identifier,
  // then file name. Files that do not parse are left out (and logged). Returns at once.
  void fetchRemindersMatchingPredicate(
      const Predicate& predicate, std::function<void(std::vector<std::shared_ptr<Reminder>>)> completion);
  // The same answer, synchronously on the caller's thread.
  std::vector<std::shared_ptr<Reminder>> remindersMatchingPredicate(const Predicate& predicate);

  // The reminders a fetch would make of the task files `files` (paths in calendar folders under the
  // root), read from disk now, in the order given, then position in the file; recurrence overrides
  // are left out, and so is what this handle has pending. A file that is gone, does not parse or lies
  // in no calendar's folder gives none. For a long-running reader that heard which files changed
  // (makeInotifyChangeWatcher) and need not read the others again. One UID, one file, as a fetch has
  // it: a task that a file of the same account read before (calendar identifier, then file name)
  // holds is left out. A file not named after its task's UID is checked against every such file;
  // one named after it only against the files of its name in the account's other calendars, which
  // leaves the file named after the UID in when a copy under another name reads first (that copy is
  // left out when it is read itself).
  std::vector<std::shared_ptr<Reminder>> remindersInFiles(const std::vector<std::filesystem::path>& files);

  // Writes what the process has read from this store's files to options.fileCachePath, when one is
  // set, this handle has read the tree (and so merged the saved copy), and anything changed since. Never throws: a copy that cannot be written
  // is logged, and the next process reads the files instead.
  void saveFileCache();

  // The files the fetches of this handle have left out since it was made (each once, by path), with
  // the reason; they are also logged at error level when first met.
  std::vector<SkippedFile> skippedFiles() const;

  // Whether a read of the tree in this process found task files gone that it, or the file cache it
  // started from, had seen (another program removed them), or read a folder of task files without
  // any earlier view of it (a removal there cannot be ruled out). This process's own removals do
  // not count. For an owner of records kept per task, which need pruning only then.
  bool foundFilesGone() const;

  // The reminder with this UID in this handle's view, or null.
  std::shared_ptr<Reminder> reminderWithExternalIdentifier(std::string_view uid);

 private:
  struct Impl;
  std::shared_ptr<Impl> impl_;
};

}  // namespace zarvo::reminders
