// What the window shows, as plain values copied out of the records on the store's thread.
//
// The records (Task, List) read their titles and dates through an unsynchronised reminder, so they
// never cross to the UI thread: the store thread copies what the window needs into these values and
// hands over an immutable Snapshot. Everything here is safe to read from any thread.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "zarvo/platform/colour.h"

namespace zarvo::desktop {

// The lists every person has besides their own, each one of the library's filters (All: none).
enum class SmartList { today, upcoming, flagged, top, all };
inline constexpr SmartList kSmartLists[] = {SmartList::today, SmartList::upcoming, SmartList::flagged,
                                            SmartList::top, SmartList::all};

struct TaskRow {
  QString uid;  // the task's external identifier: stable across refreshes and processes
  QString title;
  QString notes;
  QString listId;  // the calendar identifier of its list
  platform::Colour titleColour;
  platform::Colour listColour;
  std::optional<QDateTime> due;
  bool allDay = false;  // due on a date, without a time
  bool flagged = false;
  int priority = 0;  // 0 (none) to 3 (highest)
  int order = -1;    // its place in its list's own order (Order::manual); -1: none given yet
  QStringList tags;  // the titles of its tags, sorted
  // Which smart lists hold the task, by the library's filters at the moment of the snapshot.
  bool today = false, upcoming = false, top = false;

  bool in(SmartList smart) const;
  friend bool operator==(const TaskRow&, const TaskRow&) = default;
};

struct ListRow {
  QString id;  // calendar identifier
  QString title;
  platform::Colour colour;
  int64_t openCount = 0;
  QString countTitle;  // the localized "task_count" text
  // The title of the account (source) the list belongs to; empty for this computer's own lists.
  QString account;
  bool collapsed = false;  // List::collapsed: shown folded under its account
};

// The orders of the task list: the library's sorters, and the person's own order of each list (the
// tasks' stored places; tasks without one after those with one, oldest first).
enum class Order { dueDate, priority, creationDate, title, overdueOnTop, manual };
inline constexpr Order kOrders[] = {Order::dueDate, Order::priority, Order::creationDate, Order::title,
                                    Order::overdueOnTop, Order::manual};

struct Snapshot {
  std::vector<ListRow> lists;  // visible lists in the stored order
  // Open tasks of the visible lists in the chosen order; with a search, only those it finds.
  std::vector<TaskRow> tasks;
  QString defaultListId;       // where a task goes when the line names no list
  size_t skippedFiles = 0;     // task files the store could not read
  // The newest change of the home's history, which an undo would revert ("add 'Buy milk'"); empty
  // when there is none.
  QString lastChange;
  // The change a redo would make again (the one undone last), while no new change followed; empty
  // when there is none.
  QString nextRedo;
  // Open tasks per smart list, whatever the search.
  std::array<int64_t, std::size(kSmartLists)> smartCounts{};
  // The last run's view (snapshot_cache.h), shown while the home is read for the first time.
  bool provisional = false;

  int64_t count(SmartList smart) const { return smartCounts[size_t(smart)]; }
};

}  // namespace zarvo::desktop
