#include "desktop/task_model.h"

#include <QMimeData>
#include <QSet>

#include <algorithm>

#include "desktop/due_text.h"

namespace zarvo::desktop {

TaskModel::TaskModel(std::function<QDateTime()> now, QObject* parent)
    : QAbstractListModel(parent),
      now_(now ? std::move(now) : std::function<QDateTime()>([] { return libraryNow(); })) {}

void TaskModel::setSnapshot(std::shared_ptr<const Snapshot> snapshot) {
  snapshot_ = std::move(snapshot);
  setScope(scope_);
}

void TaskModel::setScope(Scope scope) {
  scope_ = std::move(scope);
  std::vector<TaskRow> next;
  if (snapshot_) {
    for (const auto& row : snapshot_->tasks) {
      const bool in = std::holds_alternative<SmartList>(scope_) ? row.in(std::get<SmartList>(scope_))
                                                                : row.listId == std::get<QString>(scope_);
      if (in) next.push_back(row);
    }
  }
  apply(std::move(next));
}

void TaskModel::setDark(bool dark) {
  dark_ = dark;
  if (!rows_.empty()) Q_EMIT dataChanged(index(0), index(rowCount() - 1));
}

void TaskModel::refreshDueTexts() {
  if (!rows_.empty()) Q_EMIT dataChanged(index(0), index(rowCount() - 1), {DueTextRole, OverdueRole});
}

// Three steps, each one a change a view follows without losing its place: the rows that went are
// removed, the rows that stay take their new order (a layout change moves persistent indexes), and
// the new rows are inserted where they belong.
void TaskModel::apply(std::vector<TaskRow> next) {
  QSet<QString> nextIds;
  for (const auto& row : next) nextIds.insert(row.uid);
  for (int end = int(rows_.size()) - 1; end >= 0;) {
    if (nextIds.contains(rows_[end].uid)) {
      --end;
      continue;
    }
    int begin = end;
    while (begin > 0 && !nextIds.contains(rows_[begin - 1].uid)) --begin;
    beginRemoveRows({}, begin, end);
    rows_.erase(rows_.begin() + begin, rows_.begin() + end + 1);
    endRemoveRows();
    end = begin - 1;
  }

  QSet<QString> kept;
  for (const auto& row : rows_) kept.insert(row.uid);
  std::vector<TaskRow> survivors;
  for (const auto& row : next) {
    if (kept.contains(row.uid)) survivors.push_back(row);
  }
  const bool reordered = !std::equal(rows_.begin(), rows_.end(), survivors.begin(), survivors.end(),
                                     [](const TaskRow& a, const TaskRow& b) { return a.uid == b.uid; });
  if (reordered) {
    Q_EMIT layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex& index : before) {
      const QString uid = rows_[index.row()].uid;
      const auto at = std::find_if(survivors.begin(), survivors.end(), [&](const TaskRow& r) { return r.uid == uid; });
      after.push_back(this->index(int(at - survivors.begin())));
    }
    rows_ = std::move(survivors);
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged();
  } else if (rows_ != survivors) {
    rows_ = std::move(survivors);
  }
  if (!rows_.empty()) Q_EMIT dataChanged(index(0), index(rowCount() - 1));

  // New rows go in by runs of neighbours: one insertion for a whole first read.
  for (size_t k = 0; k < next.size();) {
    if (k < rows_.size() && rows_[k].uid == next[k].uid) {
      ++k;
      continue;
    }
    size_t end = k + 1;
    while (end < next.size() && !kept.contains(next[end].uid)) ++end;
    beginInsertRows({}, int(k), int(end - 1));
    rows_.insert(rows_.begin() + k, next.begin() + k, next.begin() + end);
    endInsertRows();
    k = end;
  }
}

const TaskRow* TaskModel::rowAt(int row) const {
  return row >= 0 && row < int(rows_.size()) ? &rows_[row] : nullptr;
}

int TaskModel::rowOf(const QString& uid) const {
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].uid == uid) return int(i);
  }
  return -1;
}

int TaskModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }

QColor TaskModel::colour(const platform::Colour& colour) const {
  const auto rgba = colour.resolved(dark_ ? platform::Appearance::dark : platform::Appearance::light);
  return QColor(rgba.red, rgba.green, rgba.blue, rgba.alpha);
}

QVariant TaskModel::data(const QModelIndex& index, int role) const {
  const TaskRow* row = rowAt(index.row());
  if (!row || index.parent().isValid()) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return row->title;
    case Qt::ForegroundRole: return colour(row->titleColour);
    case Qt::CheckStateRole: return Qt::Unchecked;  // the list holds open tasks only
    case Qt::AccessibleTextRole: {
      QString text = row->title;
      if (row->due) text += QStringLiteral(", ") + dueText(*row->due, row->allDay, now_());
      if (row->flagged) text += QStringLiteral(", ") + tr("flagged");
      for (const QString& tag : row->tags) text += QStringLiteral(", #") + tag;
      return text;
    }
    case UidRole: return row->uid;
    case DueTextRole: return row->due ? dueText(*row->due, row->allDay, now_()) : QString();
    case OverdueRole: return row->due && isOverdue(*row->due, row->allDay, now_());
    case FlaggedRole: return row->flagged;
    case PriorityRole: return row->priority;
    case ListColourRole: return colour(row->listColour);
    case TagsRole: return row->tags;
    default: return {};
  }
}

bool TaskModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  const TaskRow* row = rowAt(index.row());
  if (!row || role != Qt::CheckStateRole || value.toInt() != Qt::Checked) return false;
  Q_EMIT completeRequested(row->uid);
  return true;
}

Qt::ItemFlags TaskModel::flags(const QModelIndex& index) const {
  const Qt::ItemFlags drop = reorderable_ ? Qt::ItemIsDropEnabled : Qt::NoItemFlags;
  if (!index.isValid()) return drop;  // below the last row
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsDragEnabled | drop;
}

void TaskModel::setReorderable(bool reorderable) { reorderable_ = reorderable; }

bool TaskModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex&) const {
  return reorderable_ && data && data->hasFormat(QString::fromLatin1(kTaskUidsMime));
}

bool TaskModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column, const QModelIndex& parent) {
  if (!canDropMimeData(data, action, row, column, parent)) return false;
  const QStringList uids = QString::fromUtf8(data->data(QString::fromLatin1(kTaskUidsMime))).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  // Onto a row: before it; between rows: before the next; below them: at the end. A dragged row is no
  // place to go before: the next one that stays is.
  int at = parent.isValid() ? parent.row() : row < 0 ? rowCount() : row;
  while (at < rowCount() && uids.contains(rows_[size_t(at)].uid)) ++at;
  if (!uids.isEmpty()) Q_EMIT placeRequested(uids, at < rowCount() ? rows_[size_t(at)].uid : QString());
  return false;
}

QStringList TaskModel::mimeTypes() const { return {QString::fromLatin1(kTaskUidsMime)}; }

QMimeData* TaskModel::mimeData(const QModelIndexList& indexes) const {
  QStringList uids;
  for (const QModelIndex& index : indexes) {
    if (const TaskRow* row = rowAt(index.row())) uids << row->uid;
  }
  auto* mime = new QMimeData;
  mime->setData(QString::fromLatin1(kTaskUidsMime), uids.join(QLatin1Char('\n')).toUtf8());
  return mime;
}

}  // namespace zarvo::desktop
