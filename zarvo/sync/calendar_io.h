// CalendarIO: the one object through which an application reaches its tasks.
//
// It owns the library's reminders-store handle, mirrors the store's reminder lists as List records
// (in the user's order) and its reminders as Task records, keeps the tasks of the last refresh in a
// cache, and writes every creation, move and removal back to the reminders store first.
//
// Ownership: the application owns the object context, hands it over with setManagedContext() before
// the first load, and saves it; CalendarIO never saves it. Records live in that context.
//
// Threads: every member may be called from any thread. State shared with the background work (the
// refresh flags, the cache, lists, the default list, the context and the callbacks) is guarded, and
// no lock is held while a completion, a callback or a notification runs. Public operations start on
// the caller's thread; a refresh runs on the global user-initiated queue, behind a gate admitting one
// refresh at a time, and processes the reminders on the object context's queue. Completions say below
// on which thread they run. kCalendarIORefreshed and the purge completion go through
// platform::MainQueue, which runs on the executor the application installs (a GUI's event loop) or
// where the application drains it (a command-line program).
//
// The records handed out follow their own rules: a Task's or List's derived properties go through an
// unsynchronised reminder or calendar, so use each record from one thread at a time.
//
// Errors: write operations throw reminders::StoreError unchanged. A task without reminder, or a list
// without calendar, makes save, remove and move a logged no-op. Nothing a refresh or a purge meets
// reaches the caller.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zarvo/model/list.h"
#include "zarvo/model/task.h"
#include "zarvo/platform/notifications.h"
#include "zarvo/reminders/event_store.h"

namespace zarvo {

// The library's own error, offered to applications (for example to report a refused access);
// no operation of CalendarIO throws it.
enum class CalendarIOError { notAuthorized = 0 };

// Both are posted on platform::NotificationCenter::defaultCenter() with the CalendarIO as object and
// no user info.
// After every refresh that mirrored reminders, on the main queue (platform::MainQueue).
inline constexpr std::string_view kCalendarIORefreshed = "CalendarIO.Refreshed";
// When an object context announces Tasks whose completion flipped, or (once a managed context is set)
// inserted or deleted Tasks, on the thread that announced the change; the application then fetches
// again.
inline constexpr std::string_view kCalendarIOStoreChanged = "CalendarIO.StoreChanged";

class CalendarIOTestAccess;

class CalendarIO {
 public:
  using TaskArray = std::vector<std::shared_ptr<Task>>;
  using ListArray = std::vector<std::shared_ptr<List>>;
  using Completion = std::function<void()>;
  // The tasks are valid for the duration of the call; copy the vector to keep it.
  using TasksCompletion = std::function<void(const TaskArray& tasks)>;

  // The process-wide instance, made on first use (safely under concurrent first use) and never
  // destroyed. Its reminders store is the one configured by configureShared(), by default
  // reminders::EventStore::defaultRoot() watched for other programs' changes.
  static CalendarIO& shared();
  // Sets the options of the shared instance's store. Returns false, changing nothing, once shared()
  // has been made.
  [[nodiscard]] static bool configureShared(reminders::EventStoreOptions options);
  // An instance of its own over the store `options` describes, observing notifications as shared()
  // does; a process may hold several, over one store or many (zarvo::Home makes one per home it
  // opens). Destroying it waits for its background work.
  static std::unique_ptr<CalendarIO> make(reminders::EventStoreOptions options);

  // Waits for the instance's background work to finish. Never called for shared().
  ~CalendarIO();
  CalendarIO(const CalendarIO&) = delete;
  CalendarIO& operator=(const CalendarIO&) = delete;

  // ---- Settings and state (each pair guarded) ----

  // Asked after each reminders-store change (on the thread announcing it, without locks held)
  // whether to refresh at once. Default: answers false, so a change only marks the cache stale.
  std::function<bool()> shouldRefreshOnStoreChanged() const;
  void setShouldRefreshOnStoreChanged(std::function<bool()> callable);
  // The mirrored lists in display order (rebuilt by loadLists and by every refresh).
  ListArray lists() const;
  void setLists(ListArray lists);
  // The list that receives new tasks when none is named.
  std::shared_ptr<List> defaultList() const;
  void setDefaultList(std::shared_ptr<List> list);
  // The context in which List and Task records live; set it before the first load or refresh.
  std::shared_ptr<store::ObjectContext> managedContext() const;
  void setManagedContext(std::shared_ptr<store::ObjectContext> context);
  // Whether task files carry what the records hold (flag, order, tags), written on every save and
  // read back by every refresh (see record_fields.h for which side wins). Default: false, so files
  // hold only what the reminders store owns.
  bool carriesRecordFields() const;
  void setCarriesRecordFields(bool carries);
  // The library's store handle, for the instance's whole life.
  reminders::EventStore& eventStore() const { return *eventStore_; }

  // ---- Access ----

  bool isAuthorized() const;
  reminders::AuthorizationStatus authorizationStatus() const;
  // Asks the store for access; `completion` gets its answer unchanged, on a store thread.
  void requestAccess(std::function<void(bool granted, std::optional<reminders::StoreError> error)> completion);

  // ---- Notification handlers (registered at creation; public so they can be driven directly) ----

  // The reminders store changed: unless a refresh is running, marks the cache stale and, when
  // shouldRefreshOnStoreChanged() answers true, starts a forced refresh of the cached request.
  void eventKitStoreChanged(const platform::Notification& notification);
  // An object context changed: drops Tasks whose completion flipped from the cache and posts
  // kCalendarIOStoreChanged once when that happened or (with a managed context set) Tasks were
  // inserted or deleted.
  void mocDidChangeNotification(const platform::Notification& notification);

  // ---- Lists ----

  // Rebuilds lists() from the store's calendars, finding or creating a List per calendar, ordered by
  // List::order (lists without a place get their store position). Without a context lists() is empty.
  // Deletes nothing and leaves defaultList() alone.
  void loadLists();
  // The first list whose calendarId (else title) equals `calendarId` (else `title`) canonically and
  // case-sensitively becomes the default list and is returned; empty arguments are skipped. None, and
  // no change, when nothing matches.
  std::shared_ptr<List> setDefaultList(std::optional<std::string_view> calendarId,
                                       std::optional<std::string_view> title);
  // The first list whose title equals `title` ignoring case, or none.
  std::shared_ptr<List> list(std::string_view title) const;
  // Moves `list` to the place of `above` (before it when moving forwards, after it when moving
  // backwards) and renumbers every list's order 0, 1, 2 ... Nothing is saved. No move when either is
  // not in lists().
  void reorder(const std::shared_ptr<List>& list, const std::shared_ptr<List>& above);

  // ---- Refresh and fetching ----

  // Refreshes the cached request (its lists and kind) when the cache is stale or `force` is set; see
  // fetch() for where `completion` runs. Returns at once.
  void refresh(bool force, Completion completion = {});
  // Hands `completion` the tasks of `from` (none: of every list), completed or incomplete ones.
  // A fresh cache of the same kind covering the lists answers at once, on the caller's thread, with the
  // whole cached array; otherwise a forced refresh runs and `completion` is called on the object
  // context's queue. Not called at all without authorization. Returns at once.
  void fetch(std::optional<ListArray> from, bool completedOnly, TasksCompletion completion);
  // Counts over the cached tasks; overdue: due today or before now.
  size_t totalTaskCount() const;
  size_t overdueTaskCount() const;

  // ---- Writes (on the caller's thread, which may use the managed context) ----

  // Commits the store's pending writes.
  void commit();
  // Saves the task's reminder; with `batch` the write waits for commit().
  void save(const std::shared_ptr<Task>& task, bool batch);
  // Saves the list's calendar and re-attaches the store's calendar to it.
  void save(const std::shared_ptr<List>& list);
  // A new calendar in the default source (CalDAV, else local) and its List, appended to lists().
  std::shared_ptr<List> createList(std::string title);
  // A new task in the calendar of `list`, else of defaultList(), else of the store's default list,
  // else of the first list; none (and nothing created) when there is no calendar at all. Saved and
  // committed, then added to the cache. When the save throws, the new record stays in the context.
  // With `dueIsAllDay` the task is due on the day of `dueDate` without a time (Task::setDueDate); a
  // `recurrenceRule` (an RRULE value) becomes the new task's file's RRULE.
  std::shared_ptr<Task> createTask(std::string title, std::shared_ptr<List> list = nullptr,
                                   std::optional<std::string> notes = std::nullopt, bool flagged = false,
                                   int priority = 0, std::optional<Date> dueDate = std::nullopt,
                                   bool dueIsAllDay = false, std::optional<std::string> recurrenceRule = std::nullopt);
  // Drops the task from the cache, removes its reminder (committed when `commit`), then deletes the
  // record. When the removal throws, the task stays out of the cache and its record stays.
  void remove(const std::shared_ptr<Task>& task, bool commit);
  // Deletes the list's cached tasks, removes its calendar (through a separate store handle; a calendar
  // already gone is fine), then drops the list from lists() and deletes its record.
  void remove(const std::shared_ptr<List>& list);
  // Moves the task's reminder to the list's calendar and commits. The cache keeps the task.
  void move(const std::shared_ptr<Task>& task, const std::shared_ptr<List>& to);
  // Removes every completed reminder of lists() that has a Task, then commits; the first failure stops
  // the purge (logged, nothing committed). `completion` runs once on the main queue when there was
  // something to purge and a context, never otherwise. Returns at once.
  void purgeCompleted(Completion completion);
  // The same, and when there is nothing to purge (or no context) `nothingToPurge` runs once on the main
  // queue instead, so that a caller waiting for the purge to end always hears of it.
  void purgeCompleted(Completion completion, Completion nothingToPurge);

  // Deletes (without saving) the Task records of the store's accounts whose reminders no file holds
  // any more: tasks another program deleted. A refresh deletes no record, so without this they stay in
  // the records for good. Reads the store on the caller's thread; returns how many went. Records of an
  // account the store no longer has are left alone, and so is everything while some
  // task file cannot be read (it may hold the task a record waits for).
  size_t pruneOrphanedTasks();

 private:
  // Only CalendarIO and the test seam can make a Key, so only they can make instances.
  class Key {
    friend class CalendarIO;
    friend class CalendarIOTestAccess;
    explicit Key() = default;
  };

 public:
  CalendarIO(Key, reminders::EventStoreOptions options);

 private:
  friend class CalendarIOTestAccess;
  struct State;
  // Held by every piece of background work; the destructor waits until none is left.
  using WorkToken = std::shared_ptr<const void>;

  WorkToken beginWork();
  void startRefresh(bool force, std::optional<ListArray> lists, bool completedOnly, Completion completion);
  void runRefresh(WorkToken token, std::optional<ListArray> lists, bool completedOnly, Completion completion);
  void finishRefresh(std::vector<std::shared_ptr<reminders::Reminder>> reminders,
                     const std::shared_ptr<store::ObjectContext>& context, std::optional<ListArray> lists,
                     bool completedOnly, const Completion& completion);
  std::shared_ptr<List> storeDefaultList();
  std::shared_ptr<reminders::Source> defaultSource();

  // The store's file system (null: POSIX) and write observer, for the separate handle that removes
  // calendars: its writes are told as the library handle's are.
  const std::shared_ptr<platform::FileSystem> fileSystem_;
  const std::function<Error(const std::vector<reminders::FileChange>&)> beforeWriting_;
  std::unique_ptr<reminders::EventStore> eventStore_;
  std::unique_ptr<State> state_;
  platform::NotificationCenter::Registration storeObserver_;
  platform::NotificationCenter::Registration contextObserver_;
};

}  // namespace zarvo
