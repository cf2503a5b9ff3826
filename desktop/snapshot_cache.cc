#include "desktop/snapshot_cache.h"

namespace zarvo::desktop {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

CachedView cachedView(const Snapshot& snapshot) {
  static_assert(std::tuple_size_v<decltype(CachedView::smartCounts)> == std::size(kSmartLists));
  CachedView view;
  for (const auto& list : snapshot.lists) {
    view.lists.push_back({list.id.toStdString(), list.title.toStdString(), list.colour, list.openCount,
                          list.countTitle.toStdString(), list.account.toStdString(), list.collapsed});
  }
  for (const auto& row : snapshot.tasks) {
    CachedTask task;
    task.uid = row.uid.toStdString();
    task.title = row.title.toStdString();
    task.listId = row.listId.toStdString();
    task.titleColour = row.titleColour;
    task.listColour = row.listColour;
    if (row.due) task.dueMilliseconds = row.due->toMSecsSinceEpoch();
    task.allDay = row.allDay;
    task.flagged = row.flagged;
    task.priority = row.priority;
    for (const QString& tag : row.tags) task.tags.push_back(tag.toStdString());
    task.today = row.today;
    task.upcoming = row.upcoming;
    task.top = row.top;
    view.tasks.push_back(std::move(task));
  }
  view.defaultListId = snapshot.defaultListId.toStdString();
  std::copy(snapshot.smartCounts.begin(), snapshot.smartCounts.end(), view.smartCounts.begin());
  return view;
}

Snapshot snapshotOf(const CachedView& view) {
  Snapshot snapshot;
  snapshot.provisional = true;
  for (const auto& list : view.lists) {
    snapshot.lists.push_back({qs(list.id), qs(list.title), list.colour, list.openCount, qs(list.countTitle), qs(list.account),
                              list.collapsed});
  }
  for (const auto& task : view.tasks) {
    TaskRow row;
    row.uid = qs(task.uid);
    row.title = qs(task.title);
    row.listId = qs(task.listId);
    row.titleColour = task.titleColour;
    row.listColour = task.listColour;
    if (task.dueMilliseconds) row.due = QDateTime::fromMSecsSinceEpoch(*task.dueMilliseconds);
    row.allDay = task.allDay;
    row.flagged = task.flagged;
    row.priority = task.priority;
    for (const auto& tag : task.tags) row.tags << qs(tag);
    row.today = task.today;
    row.upcoming = task.upcoming;
    row.top = task.top;
    snapshot.tasks.push_back(std::move(row));
  }
  snapshot.defaultListId = qs(view.defaultListId);
  std::copy(view.smartCounts.begin(), view.smartCounts.end(), snapshot.smartCounts.begin());
  return snapshot;
}

}  // namespace zarvo::desktop
