#include "desktop/store_controller.h"

#include <QPointer>

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

#include "desktop/snapshot_cache.h"
#include "zarvo/model/list.h"
#include "zarvo/model/tag.h"
#include "zarvo/model/task.h"
#include "zarvo/platform/clock.h"
#include "zarvo/quickentry/reminder_alarm.h"
#include "zarvo/reminders/naming.h"
#include "zarvo/sync/calendar_io.h"

namespace zarvo::desktop {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

std::optional<QDateTime> toQt(std::optional<Date> date) {
  if (!date) return std::nullopt;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(date->time_since_epoch()).count();
  return QDateTime::fromMSecsSinceEpoch(ms);
}

TaskRow taskRow(const Task& task, const std::vector<ListRow>& lists) {
  TaskRow row;
  const auto reminder = task.reminder();
  if (reminder) row.uid = qs(reminder->calendarItemExternalIdentifier());
  row.title = qs(task.title().value_or(""));
  row.notes = qs(task.notes().value_or(""));
  row.listId = qs(task.calendarId());
  for (const auto& list : lists) {
    if (list.id == row.listId) row.listColour = list.colour;
  }
  row.titleColour = task.titleColor();
  row.due = toQt(task.dueDate());
  // A due date without an hour is a day: it is shown without a time and is overdue only from the
  // next day on.
  row.allDay = row.due && reminder && reminder->dueDateComponents() && !reminder->dueDateComponents()->hour;
  row.flagged = task.flagged();
  row.priority = task.priority();
  row.order = task.order();
  for (const auto& tag : task.tags()) {
    if (const auto title = tag->title()) row.tags << qs(*title);
  }
  row.tags.sort();
  static const auto today = Task::filterForTodayTasks();
  static const auto upcoming = Task::filterForUpcomingTasks();
  static const auto top = Task::filterForTopTasks();
  row.today = today(task);
  row.upcoming = upcoming(task);
  row.top = top(task);
  return row;
}

}  // namespace

StoreController::StoreController(Options options, QObject* parent)
    : QObject(parent), options_(std::move(options)),
      queue_(std::make_unique<platform::SerialQueue>("org.zarvo.desktop.store")) {
  // Posted on the thread whose change announced it: ours, inside a piece of work on the queue.
  storeChanged_ = platform::NotificationCenter::defaultCenter().addObserver(
      std::string(kCalendarIOStoreChanged), nullptr, [this](const platform::Notification&) {
        // A read's own refresh announces the records it makes; that read already shows them.
        if (!reading_) reload();
      });
  // The home closes between pieces of work, so the library's own watcher (which lives with an open
  // home) is off; this one hears the command-line program and sync clients.
  watcher_ = reminders::makeInotifyWatcher(options_.home / "reminders", std::chrono::milliseconds(100),
                                           [this] { reload(); });
}

StoreController::~StoreController() {
  watcher_.reset();
  storeChanged_ = {};
  queue_.reset();  // runs what is queued; its results find no controller (toUi checks)
}

template <class Deliver>
void StoreController::toUi(Deliver deliver) {
  platform::MainQueue::async([self = QPointer<StoreController>(this), deliver = std::move(deliver)]() mutable {
    if (self) deliver(*self);
  });
}

void StoreController::run(HomeAccess access, std::function<std::string(Home&)> work,
                          std::function<void(StoreController&)> saved) {
  queue_->async([this, access, work = std::move(work), saved = std::move(saved)] {
    HomeOptions homeOptions = options_.homeOptions;
    homeOptions.access = access;
    homeOptions.whileWaiting = [this](const std::string& holder) {
      toUi([holder = qs(holder)](StoreController& self) { Q_EMIT self.waiting(holder); });
    };
    reading_ = access == HomeAccess::read;
    // Only reloads read; a reload asked for from now on needs a read after this one.
    if (access == HomeAccess::read) reloadQueued_ = false;
    try {
      auto opened = Home::open(options_.home, std::move(homeOptions));
      if (!opened) throw std::runtime_error(opened.error().message());
      Home& home = **opened;
      // Each opened home reads its lists and tasks afresh (its CalendarIO is its own), so another
      // program's change since the last piece of work is seen.
      home.save(work(home));
      if (saved) toUi(saved);
    } catch (const std::exception& e) {
      toUi([message = qs(e.what())](StoreController& self) { Q_EMIT self.failed(message); });
    }
    reading_ = false;
  });
}

void StoreController::reload() {
  if (reloadQueued_.exchange(true)) return;
  // Queued before the first read, so it is on the screen while that read runs.
  if (options_.snapshotCache && !cacheTried_.exchange(true)) queue_->async([this] { showCachedSnapshot(); });
  queueRead();
}

void StoreController::showCachedSnapshot() {
  const auto cached = loadCachedView(*options_.homeOptions.fileSystemOrDefault(), *options_.snapshotCache, options_.home);
  if (!cached) return;
  toUi([snap = std::make_shared<const Snapshot>(snapshotOf(*cached))](StoreController& self) {
    Q_EMIT self.snapshotReady(snap);
  });
}

void StoreController::cacheSnapshot(const Snapshot& snapshot) {
  // Two screens' worth of each sidebar entry: enough to show any of them, and to scroll a little.
  CachedView view = firstScreens(cachedView(snapshot), 100);
  if (view == cached_) return;
  // A cache that cannot be written costs the next start its head start, nothing else.
  if (storeCachedView(*options_.homeOptions.fileSystemOrDefault(), *options_.snapshotCache, options_.home, view)) return;
  cached_ = std::move(view);
}

void StoreController::reloadAfterWrite() {
  // Never merged into a read queued earlier: that one runs before the write.
  reloadQueued_ = true;
  queueRead();
}

void StoreController::queueRead() {
  run(HomeAccess::read, [this](Home& home) {
    read(home);
    const auto shown = publish();
    if (options_.snapshotCache && order_ == Order::dueDate && search_.empty()) cacheSnapshot(*shown);
    return std::string();
  });
}

void StoreController::setView(Order order, const QString& search) {
  queue_->async([this, order, search = search.toStdString()] {
    order_ = order;
    search_ = search;
    if (!base_.lists.empty() || !tasks_.empty()) publish();
  });
}

void StoreController::read(Home& home) {
  base_ = Snapshot();
  const auto lists = home.io().lists();
  for (const auto& list : lists) {
    if (!list->visible()) continue;
    ListRow row;
    row.id = qs(list->calendarId().value_or(""));
    row.title = qs(list->title());
    row.colour = list->color();
    row.collapsed = list->collapsed();
    if (const auto calendar = list->calendar(); calendar && calendar->source() &&
                                                !reminders::hasBuiltInTitle(*calendar->source())) {
      row.account = qs(calendar->source()->title());
    }
    base_.lists.push_back(std::move(row));
  }
  tasks_.clear();
  rows_.clear();
  auto fetched = home.fetchTasks(std::nullopt, false);
  if (!fetched) throw std::runtime_error(fetched.error().message());
  for (auto& task : *fetched) {
    TaskRow row = taskRow(*task, base_.lists);
    // Tasks of hidden lists stay out of every view, as their lists do.
    const bool shown = std::any_of(base_.lists.begin(), base_.lists.end(),
                                   [&](const ListRow& list) { return list.id == row.listId; });
    if (!shown || row.uid.isEmpty()) continue;
    tasks_.push_back(std::move(task));
    rows_.push_back(std::move(row));
  }
  for (size_t i = 0; i < std::size(kSmartLists); ++i) {
    base_.smartCounts[i] = std::count_if(rows_.begin(), rows_.end(),
                                         [&](const TaskRow& row) { return row.in(kSmartLists[i]); });
  }
  for (const auto& list : lists) {
    for (auto& row : base_.lists) {
      if (row.id != qs(list->calendarId().value_or(""))) continue;
      row.openCount = std::count_if(rows_.begin(), rows_.end(), [&](const TaskRow& task) { return task.listId == row.id; });
      list->setFilteredCount(row.openCount);
      row.countTitle = qs(list->filteredCountTitle());
    }
  }
  std::shared_ptr<List> fallback;
  if (options_.settings.defaultList) fallback = home.io().list(*options_.settings.defaultList);
  if (!fallback) fallback = home.io().defaultList();
  if (fallback) base_.defaultListId = qs(fallback->calendarId().value_or(""));
  base_.skippedFiles = home.skippedFiles().size();
  // Read under the home's shared lock, so no writer moves the entries meanwhile.
  const auto history = home.historyDescriptions();
  if (!history.undoable.empty()) base_.lastChange = qs(history.undoable.front());
  if (!history.redoable.empty()) base_.nextRedo = qs(history.redoable.front());
}

namespace {

// Tasks with a place first, by place; then the others, oldest first. Ties (tasks made in one second)
// go by identifier, so every read of the home shows the same order.
bool inManualOrder(const Task& a, const Task& b) {
  static const auto older = Task::sorterForCreationDate(true);
  const bool placedA = a.order() >= 0, placedB = b.order() >= 0;
  if (placedA != placedB) return placedA;
  if (placedA && a.order() != b.order()) return a.order() < b.order();
  if (older(a, b) || older(b, a)) return older(a, b);
  const auto ra = a.reminder(), rb = b.reminder();
  return ra && rb && ra->calendarItemExternalIdentifier() < rb->calendarItemExternalIdentifier();
}

Task::Sorter sorter(Order order) {
  switch (order) {
    case Order::dueDate: return Task::sorterForDueDate(true);
    case Order::priority: return Task::sorterForPriority(false);
    case Order::creationDate: return Task::sorterForCreationDate(false);
    case Order::title: return Task::sorterForTitle();
    case Order::overdueOnTop: return Task::sorterForOverdueOnTop();
    case Order::manual: return inManualOrder;
  }
  return Task::sorterForDueDate(true);
}

}  // namespace

std::shared_ptr<const Snapshot> StoreController::publish() {
  auto snap = std::make_shared<Snapshot>(base_);
  std::unordered_map<const Task*, size_t> at;
  for (size_t i = 0; i < tasks_.size(); ++i) at[tasks_[i].get()] = i;
  const auto found = Task::filterForSearch(search_);
  for (const auto& task : sorted(tasks_, sorter(order_))) {
    if (!found || (*found)(*task)) snap->tasks.push_back(rows_[at[task.get()]]);
  }
  std::shared_ptr<const Snapshot> shown = std::move(snap);
  toUi([shown](StoreController& self) { Q_EMIT self.snapshotReady(shown); });
  return shown;
}

void StoreController::createTask(NewTask task) {
  const QString title = task.title;
  run(HomeAccess::write, [this, task = std::move(task)](Home& home) {
    std::shared_ptr<List> list;
    for (const auto& candidate : home.io().lists()) {
      if (task.listId && candidate->calendarId() == task.listId->toStdString()) list = candidate;
    }
    if (!list && options_.settings.defaultList) list = home.io().list(*options_.settings.defaultList);
    // Read before the task is made: a reminder that cannot be kept adds nothing.
    std::shared_ptr<reminders::Alarm> alarm;
    if (task.reminder) {
      auto wanted = quickEntryAlarm(*task.reminder, task.due && !task.allDay, platform::Clock::currentNow());
      if (!wanted.hasValue()) throw std::runtime_error(wanted.error().message());
      alarm = wanted.value();
    }
    auto created = home.io().createTask(task.title.toStdString(), list, std::nullopt, task.flagged, 0, task.due,
                                        task.allDay, task.recurrenceRule);
    if (!created) throw std::runtime_error("there is no list to add the task to");
    if (alarm && created->reminder()) {
      created->reminder()->addAlarm(std::move(alarm));
      home.io().save(created, true);
    }
    return "add '" + task.title.toStdString() + "'";
  }, [title](StoreController& self) { Q_EMIT self.created(title); });
}

void StoreController::changeTasks(const QStringList& uids, bool completedOnly, std::string verb,
                                  std::function<void(Home&, const std::shared_ptr<Task>&)> change) {
  if (uids.isEmpty()) return;
  std::unordered_set<std::string> wanted;
  for (const QString& uid : uids) wanted.insert(uid.toStdString());
  run(HomeAccess::write, [wanted = std::move(wanted), completedOnly, verb = std::move(verb),
                          change = std::move(change)](Home& home) {
    auto fetched = home.fetchTasks(std::nullopt, completedOnly);
    if (!fetched) throw std::runtime_error(fetched.error().message());
    std::vector<std::shared_ptr<Task>> tasks;
    for (const auto& task : *fetched) {
      const auto reminder = task->reminder();
      if (reminder && wanted.count(reminder->calendarItemExternalIdentifier())) tasks.push_back(task);
    }
    if (tasks.empty()) return std::string();
    // Named before the change: a removed task has no title to read afterwards.
    const std::string description = tasks.size() == 1 ? verb + " '" + tasks.front()->title().value_or("") + "'"
                                                       : verb + " " + std::to_string(tasks.size()) + " tasks";
    for (const auto& task : tasks) change(home, task);
    return description;
  });
}

void StoreController::setCompleted(const QStringList& uids, bool completed) {
  changeTasks(uids, !completed, completed ? "done" : "reopen", [completed](Home& home, const std::shared_ptr<Task>& task) {
    task->setIsCompleted(completed);
    home.io().save(task, true);
  });
}

void StoreController::setFlagged(const QStringList& uids, bool flagged) {
  changeTasks(uids, false, flagged ? "flag" : "unflag", [flagged](Home& home, const std::shared_ptr<Task>& task) {
    task->setFlagged(flagged);
    home.io().save(task, true);
  });
}

void StoreController::moveTasks(const QStringList& uids, const QString& listId) {
  changeTasks(uids, false, "move", [id = listId.toStdString()](Home& home, const std::shared_ptr<Task>& task) {
    for (const auto& list : home.io().lists()) {
      if (list->calendarId() == id) return home.io().move(task, list);
    }
  });
}

void StoreController::removeTasks(const QStringList& uids) {
  changeTasks(uids, false, "delete", [](Home& home, const std::shared_ptr<Task>& task) { home.io().remove(task, false); });
}

void StoreController::editTask(const QString& uid, TaskEdit edit) {
  if (edit.title && edit.title->trimmed().isEmpty()) return;
  changeTasks({uid}, false, "edit", [edit = std::move(edit)](Home& home, const std::shared_ptr<Task>& task) {
    if (edit.title) task->setTitle(edit.title->trimmed().toStdString());
    if (edit.notes) task->setNotes(edit.notes->isEmpty() ? std::nullopt : std::optional(edit.notes->toStdString()));
    if (edit.due) task->setDueDate(edit.due->date, edit.due->date && edit.due->allDay);
    if (edit.priority) task->setPriority(std::clamp(*edit.priority, 0, 3));
    if (edit.flagged) task->setFlagged(*edit.flagged);
    if (edit.tags) {
      std::vector<std::shared_ptr<Tag>> tags;
      for (const QString& title : *edit.tags) {
        auto tag = Tag::fetchOrCreate(title.trimmed().toStdString(), home.context());
        if (std::find(tags.begin(), tags.end(), tag) == tags.end()) tags.push_back(std::move(tag));
      }
      task->setTags(tags);
    }
    home.io().save(task, true);  // the flag and the tags travel in the task's file too
    if (!edit.listId || task->calendarId() == edit.listId->toStdString()) return;
    for (const auto& list : home.io().lists()) {
      if (list->calendarId() == edit.listId->toStdString()) return home.io().move(task, list);
    }
  });
}

void StoreController::placeTasks(const QStringList& uids, const QString& beforeUid) {
  if (uids.isEmpty()) return;
  std::vector<std::string> moving;
  for (const QString& uid : uids) moving.push_back(uid.toStdString());
  run(HomeAccess::write, [moving = std::move(moving), before = beforeUid.toStdString()](Home& home) {
    auto fetched = home.fetchTasks(std::nullopt, false);
    if (!fetched) throw std::runtime_error(fetched.error().message());
    auto uidOf = [](const std::shared_ptr<Task>& task) {
      const auto reminder = task->reminder();
      return reminder ? reminder->calendarItemExternalIdentifier() : std::string();
    };
    std::shared_ptr<Task> first;
    for (const auto& task : *fetched) {
      if (uidOf(task) == moving.front()) first = task;
    }
    if (!first) return std::string();
    // The list's open tasks in its order, without the ones that move; they go in before `before`.
    std::vector<std::shared_ptr<Task>> placed, moved;
    for (const auto& task : sorted(*fetched, inManualOrder)) {
      if (task->calendarId() != first->calendarId()) continue;
      (std::find(moving.begin(), moving.end(), uidOf(task)) == moving.end() ? placed : moved).push_back(task);
    }
    auto at = std::find_if(placed.begin(), placed.end(), [&](const auto& task) { return uidOf(task) == before; });
    placed.insert(at, moved.begin(), moved.end());
    // Every task of the list gets its place, so the order no longer depends on creation dates.
    for (size_t i = 0; i < placed.size() && i <= size_t(INT16_MAX); ++i) {
      if (placed[i]->order() == int(i)) continue;
      placed[i]->setOrder(int16_t(i));
      home.io().save(placed[i], true);  // the place travels in the task's file
    }
    return moved.size() == 1 ? "reorder '" + moved.front()->title().value_or("") + "'"
                             : "reorder " + std::to_string(moved.size()) + " tasks";
  });
  reloadAfterWrite();
}

void StoreController::addList(const QString& title) {
  const QString trimmed = title.trimmed();
  if (trimmed.isEmpty()) return;
  run(HomeAccess::write, [title = trimmed.toStdString()](Home& home) {
    home.io().createList(title);
    return "add list '" + title + "'";
  });
  reloadAfterWrite();
}

void StoreController::changeList(const QString& id,
                                 std::function<std::string(Home&, const std::shared_ptr<List>&)> change) {
  run(HomeAccess::write, [id = id.toStdString(), change = std::move(change)](Home& home) {
    for (const auto& list : home.io().lists()) {
      if (list->calendarId() == id) return change(home, list);
    }
    return std::string();
  });
  reloadAfterWrite();
}

void StoreController::renameList(const QString& id, const QString& title) {
  const QString trimmed = title.trimmed();
  if (trimmed.isEmpty()) return;
  changeList(id, [title = trimmed.toStdString()](Home& home, const std::shared_ptr<List>& list) {
    const std::string before = list->title();
    if (before == title) return std::string();
    list->setTitle(title);
    home.io().save(list);
    return "rename list '" + before + "' to '" + title + "'";
  });
}

void StoreController::recolourList(const QString& id, platform::Colour colour) {
  changeList(id, [colour](Home& home, const std::shared_ptr<List>& list) {
    list->setColor(colour);
    home.io().save(list);
    return "recolour list '" + list->title() + "'";
  });
}

void StoreController::removeList(const QString& id) {
  changeList(id, [](Home& home, const std::shared_ptr<List>& list) {
    const auto removed = home.removeList(list, "remove list '" + list->title() + "'");
    if (!removed) throw std::runtime_error(removed.error().message());
    return std::string();  // saved by removeList, as its own change
  });
}

void StoreController::setListsCollapsed(const QStringList& ids, bool collapsed) {
  if (ids.isEmpty()) return;
  std::unordered_set<std::string> wanted;
  for (const QString& id : ids) wanted.insert(id.toStdString());
  run(HomeAccess::write, [wanted = std::move(wanted), collapsed](Home& home) {
    for (const auto& list : home.io().lists()) {
      if (list->calendarId() && wanted.count(*list->calendarId())) list->setCollapsed(collapsed);
    }
    // Only the records change: the history, which keeps files, list order and flags, keeps no entry
    // for it, so a fold is never what Undo takes back.
    return std::string();
  });
  reloadAfterWrite();
}

void StoreController::moveList(const QString& id, const QString& placeOfId) {
  changeList(id, [place = placeOfId.toStdString()](Home& home, const std::shared_ptr<List>& list) {
    for (const auto& above : home.io().lists()) {
      if (above->calendarId() != place || above == list) continue;
      home.io().reorder(list, above);
      return "move list '" + list->title() + "'";
    }
    return std::string();
  });
}

void StoreController::undo() {
  run(HomeAccess::write, [this](Home& home) {
    auto result = home.undoLastChange();
    if (!result) throw std::runtime_error(result.error().message());
    toUi([description = qs(result->undone)](StoreController& self) { Q_EMIT self.undone(description); });
    return std::string();
  });
  // A list's order lives in the records only, which no notification covers.
  reloadAfterWrite();
}

void StoreController::redo() {
  run(HomeAccess::write, [this](Home& home) {
    auto result = home.redoLastChange();
    if (!result) throw std::runtime_error(result.error().message());
    toUi([description = qs(result->undone)](StoreController& self) { Q_EMIT self.redone(description); });
    return std::string();
  });
  reloadAfterWrite();
}

}  // namespace zarvo::desktop
