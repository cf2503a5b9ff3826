// StoreController: every read and write of the home, off the UI thread.
//
// The home's lock is exclusive for a writer and shared by readers, and the command-line program
// opens the same home, so the controller never keeps the home open: each piece of work opens it (to
// read or to write), does its work, saves and closes it, on one serial queue of the library. While
// another program holds the home, the work waits there (the UI stays live and hears `waiting`).
//
// The window sees the home through Snapshots: after every change that the library announces
// ("CalendarIO.StoreChanged": tasks added, removed, completed) and every change another program makes
// to the task files (the library's file watcher on the reminders tree), the controller reads the
// home again and hands a new Snapshot to `snapshotReady`. Reads asked for while one is queued merge
// into it. The order and the search apply to the last read (setView), without opening the home.
//
// Threads: construct, call and destroy on the UI thread. Signals are emitted on the UI thread, through
// the library's main queue (install a Qt executor first: main_executor.h).
#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "desktop/snapshot.h"
#include "zarvo/home/home.h"
#include "zarvo/quickentry/quick_task_parser.h"
#include "zarvo/home/snapshot_cache.h"
#include "zarvo/home/settings.h"
#include "zarvo/platform/dispatch.h"
#include "zarvo/platform/notifications.h"
#include "zarvo/reminders/file_watcher.h"

namespace zarvo::desktop {

// A task as quick entry describes it.
struct NewTask {
  QString title;
  std::optional<QString> listId;  // none: the settings' default list, else the home's
  bool flagged = false;
  std::optional<Date> due;
  // Due on the day of `due`, without a time (a line that names a day but no time of day).
  bool allDay = false;
  // The iCalendar RRULE value of a repetition phrase ("FREQ=WEEKLY;BYDAY=MO").
  std::optional<std::string> recurrenceRule;
  // The alarm a "remind me" phrase asks for (reminder_alarm.h), written with the task.
  std::optional<QuickTaskParser::TaskDescription::Reminder> reminder;
};

// Changes to one task's fields, each one present only when it changes.
struct TaskEdit {
  std::optional<QString> title;  // trimmed; an empty title is refused
  std::optional<QString> notes;  // empty: none
  struct Due {
    std::optional<Date> date;  // none: no due
    bool allDay = false;       // due on the day of `date`, without a time
  };
  std::optional<Due> due;
  std::optional<int> priority;  // 0 (none) to 3 (high)
  std::optional<bool> flagged;
  std::optional<QStringList> tags;  // the titles of all its tags (an existing tag is found ignoring case)
  std::optional<QString> listId;    // into the list with this calendar identifier, when that list is there
};

class StoreController : public QObject {
  Q_OBJECT

 public:
  struct Options {
    std::filesystem::path home;
    // The default list of new tasks (Settings::defaultList) comes from here.
    Settings settings = Settings::defaults();
    // How each piece of work opens the home: how long it waits for another program to close it
    // (lockPatience), and the file system the home and the snapshot cache go through (fileSystem,
    // where tests inject faults). The access and whileWaiting are the controller's own.
    HomeOptions homeOptions{};
    // Where the last read is kept between runs (zarvo/home/snapshot_cache.h). With one, the first reload shows
    // what that file holds, marked provisional, before the home is read, and every read in the
    // starting view (by due date, no search) is written back. None (the default): no file.
    std::optional<std::filesystem::path> snapshotCache = std::nullopt;
  };

  explicit StoreController(Options options, QObject* parent = nullptr);
  // Stops watching, lets queued work finish (its results are dropped), and returns.
  ~StoreController() override;

  // Reads the home again and publishes a Snapshot.
  void reload();
  void createTask(NewTask task);
  // Changes to tasks named by their external identifiers, all saved as one change of the history
  // (one undo takes every task back); tasks that are gone are passed over. The history names one
  // task by its title ("done 'Buy milk'") and several by their number ("done 3 tasks").
  // Completes the open tasks, or reopens the completed ones.
  void setCompleted(const QStringList& uids, bool completed);
  void setFlagged(const QStringList& uids, bool flagged);
  // Into the list with this calendar identifier; nothing when that list is gone.
  void moveTasks(const QStringList& uids, const QString& listId);
  void removeTasks(const QStringList& uids);
  // Puts the open tasks `uids` (of one list: the first one's) in its own order before the task
  // `beforeUid` (at the end when that is empty or not in the list), keeping their order among
  // themselves: one change of the history ("reorder 'Buy milk'").
  void placeTasks(const QStringList& uids, const QString& beforeUid);
  // Changes the open task `uid` as `edit` says: one change of the history ("edit 'Buy milk'", named
  // by the title it had), whatever fields it touches.
  void editTask(const QString& uid, TaskEdit edit);
  // The person's lists, each change one entry of the history ("add list 'Work'"). A list is named by
  // its calendar identifier; nothing happens when it is gone. A new list goes last; a title that is
  // empty after trimming is refused.
  void addList(const QString& title);
  void renameList(const QString& id, const QString& title);
  void recolourList(const QString& id, platform::Colour colour);
  // Removes the list with all its tasks, open and completed (Home::removeList): one change, which an
  // undo takes back whole.
  void removeList(const QString& id);
  // Stores the lists' fold (List::collapsed). Not a change of the history: Undo leaves it alone.
  void setListsCollapsed(const QStringList& ids, bool collapsed);
  // Moves the list to the place of another (before it when moving up, after it when moving down),
  // as `zarvo list-mv` does.
  void moveList(const QString& id, const QString& placeOfId);
  // Undoes the newest change of the home's history, whichever program made it (Home::undoLastChange):
  // `undone` names it, or `failed` says why nothing changed (nothing to undo, changed since by
  // another program). The window follows through the store's notifications, as after any change.
  void undo();
  // Makes again the change undone last (Home::redoLastChange): `redone` names it, or `failed` says
  // why nothing changed (nothing to redo, a new change since the undo).
  void redo();
  // Publishes the last read again, in `order` (one of the library's sorters) and, for a search text
  // that is not empty, with only the tasks whose title or notes hold it (the library's search:
  // ignoring case and accents).
  void setView(Order order, const QString& search);

 Q_SIGNALS:
  void snapshotReady(std::shared_ptr<const zarvo::desktop::Snapshot> snapshot);
  // A piece of work failed; the message is one line for a person.
  void failed(const QString& message);
  // A task of createTask is in the home (saved), titled so.
  void created(const QString& title);
  // The change undone, as the history describes it ("add 'Buy milk'").
  void undone(const QString& description);
  // The change made again by redo, as the history describes it.
  void redone(const QString& description);
  // Another program holds the home ("pid 1234 (zarvo edit)"); the work waits for it.
  void waiting(const QString& holder);

 private:
  // `work` returns how the history describes its change ("add 'Buy milk'"; empty: nothing to name),
  // saved with it.
  // `saved` runs on the UI thread once the work's change is saved.
  void run(HomeAccess access, std::function<std::string(Home&)> work,
           std::function<void(StoreController&)> saved = {});
  // A write to the list `id` (its records and folder, which the task notifications do not cover),
  // followed by a read. `change` returns the history's description.
  void changeList(const QString& id, std::function<std::string(Home&, const std::shared_ptr<List>&)> change);
  // `change` on each task of `uids` (open ones, or completed ones with `completedOnly`), saved as one
  // change named after `verb`.
  void changeTasks(const QStringList& uids, bool completedOnly, std::string verb,
                   std::function<void(Home&, const std::shared_ptr<Task>&)> change);
  void queueRead();
  // A read queued after the write just queued, whatever reads are queued before it.
  void reloadAfterWrite();
  // On the queue.
  void read(Home& home);
  // Hands the view of the last read to the UI; returns it.
  std::shared_ptr<const Snapshot> publish();
  void showCachedSnapshot();
  void cacheSnapshot(const Snapshot& snapshot);
  template <class Deliver>
  void toUi(Deliver deliver);

  const Options options_;
  std::atomic<bool> reloadQueued_{false};
  std::atomic<bool> reading_{false};  // a read is running: what it announces, it shows already
  std::atomic<bool> cacheTried_{false};
  std::optional<CachedView> cached_;  // what the cache file holds, as far as this run knows (the queue only)
  platform::NotificationCenter::Registration storeChanged_;
  // The last read and the view, used on the queue only. The tasks' records belong to a closed home;
  // only what they read through their reminders (title, notes, dates) is asked of them.
  std::vector<std::shared_ptr<Task>> tasks_;
  std::vector<TaskRow> rows_;  // rows_[i] shows tasks_[i]
  Snapshot base_;              // lists, counts, default list; no tasks
  Order order_ = Order::dueDate;
  std::string search_;
  std::unique_ptr<platform::SerialQueue> queue_;
  std::unique_ptr<reminders::FileWatcher> watcher_;
};

}  // namespace zarvo::desktop
