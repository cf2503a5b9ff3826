#include "desktop/store_controller.h"

#include <QPointer>

#include <algorithm>
#include <exception>

#include "zarvo/model/list.h"
#include "zarvo/model/task.h"
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

void StoreController::run(HomeAccess access, std::function<void(Home&)> work) {
  queue_->async([this, access, work = std::move(work)] {
    HomeOptions homeOptions;
    homeOptions.access = access;
    homeOptions.lockPatience = options_.lockPatience;
    homeOptions.whileWaiting = [this](const std::string& holder) {
      toUi([holder = qs(holder)](StoreController& self) { Q_EMIT self.waiting(holder); });
    };
    reading_ = access == HomeAccess::read;
    // Only reloads read; a reload asked for from now on needs a read after this one.
    if (access == HomeAccess::read) reloadQueued_ = false;
    try {
      Home home(options_.home, std::move(homeOptions));
      work(home);
      home.save();
    } catch (const std::exception& e) {
      toUi([message = qs(e.what())](StoreController& self) { Q_EMIT self.failed(message); });
    }
    reading_ = false;
  });
}

void StoreController::reload() {
  if (reloadQueued_.exchange(true)) return;
  run(HomeAccess::read, [this](Home& home) {
    // The task files may have changed since this process last read them: read them again.
    home.io().eventKitStoreChanged(platform::Notification{"desktop.reload", nullptr, {}});
    auto snap = snapshot(home);
    toUi([snap = std::move(snap)](StoreController& self) { Q_EMIT self.snapshotReady(snap); });
  });
}

std::shared_ptr<const Snapshot> StoreController::snapshot(Home& home) const {
  auto snap = std::make_shared<Snapshot>();
  const auto tasks = sorted(home.fetchTasks(std::nullopt, false), Task::sorterForDueDate(true));
  const auto lists = home.io().lists();
  for (const auto& list : lists) {
    if (!list->visible()) continue;
    ListRow row;
    row.id = qs(list->calendarId().value_or(""));
    row.title = qs(list->title());
    row.colour = list->color();
    snap->lists.push_back(std::move(row));
  }
  for (const auto& task : tasks) snap->tasks.push_back(taskRow(*task, snap->lists));
  // Tasks of hidden lists stay out of every view, as their lists do.
  std::erase_if(snap->tasks, [&](const TaskRow& row) {
    return std::none_of(snap->lists.begin(), snap->lists.end(), [&](const ListRow& l) { return l.id == row.listId; });
  });
  for (auto& row : snap->lists) {
    row.openCount = std::count_if(snap->tasks.begin(), snap->tasks.end(),
                                  [&](const TaskRow& task) { return task.listId == row.id; });
  }
  for (const auto& list : lists) {
    for (auto& row : snap->lists) {
      if (row.id != qs(list->calendarId().value_or(""))) continue;
      list->setFilteredCount(row.openCount);
      row.countTitle = qs(list->filteredCountTitle());
    }
  }
  std::shared_ptr<List> fallback;
  if (options_.settings.defaultList) fallback = home.io().list(*options_.settings.defaultList);
  if (!fallback) fallback = home.io().defaultList();
  if (fallback) snap->defaultListId = qs(fallback->calendarId().value_or(""));
  snap->skippedFiles = home.skippedFiles().size();
  return snap;
}

void StoreController::createTask(NewTask task) {
  run(HomeAccess::write, [this, task = std::move(task)](Home& home) {
    std::shared_ptr<List> list;
    for (const auto& candidate : home.io().lists()) {
      if (task.listId && candidate->calendarId() == task.listId->toStdString()) list = candidate;
    }
    if (!list && options_.settings.defaultList) list = home.io().list(*options_.settings.defaultList);
    if (!home.io().createTask(task.title.toStdString(), list, std::nullopt, task.flagged, 0, task.due)) {
      throw HomeError("there is no list to add the task to");
    }
  });
}

void StoreController::setCompleted(const QString& uid, bool completed) {
  run(HomeAccess::write, [uid = uid.toStdString(), completed](Home& home) {
    for (const auto& task : home.fetchTasks(std::nullopt, !completed)) {
      const auto reminder = task->reminder();
      if (!reminder || reminder->calendarItemExternalIdentifier() != uid) continue;
      task->setIsCompleted(completed);
      home.io().save(task, true);
      return;
    }
  });
}

}  // namespace zarvo::desktop
