// TaskModel: the open tasks of one sidebar entry (a smart list or one of the person's lists), as rows
// of a list view. A new Snapshot updates the rows in place: rows that stay keep their persistent
// indexes, so the view keeps its selection, current row and scroll position.
//
// Threads: the UI thread only.
#pragma once

#include <QAbstractListModel>
#include <QColor>
#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>
#include <variant>
#include <vector>

#include "desktop/snapshot.h"

namespace zarvo::desktop {

// Dragged tasks carry their external identifiers, one a line.
inline constexpr char kTaskUidsMime[] = "application/x-zarvo-task-uids";

// What the task list shows: a smart list, or the list with this calendar identifier.
using Scope = std::variant<SmartList, QString>;

class TaskModel : public QAbstractListModel {
  Q_OBJECT

 public:
  enum Role {
    UidRole = Qt::UserRole + 1,
    DueTextRole,    // QString, empty without a due date
    OverdueRole,    // bool
    FlaggedRole,    // bool
    PriorityRole,   // int 0..3
    ListColourRole,  // QColor
    TagsRole         // QStringList: the tags' titles
  };

  // `now` is read whenever a due date is written (default: the system clock).
  explicit TaskModel(std::function<QDateTime()> now = {}, QObject* parent = nullptr);

  void setSnapshot(std::shared_ptr<const Snapshot> snapshot);
  void setScope(Scope scope);
  const Scope& scope() const { return scope_; }
  // Colours follow the palette: semantic colours resolve to their dark variants on a dark palette.
  void setDark(bool dark);
  // Whether tasks dropped on the rows are put in that place (placeRequested): in one list, in its own
  // order. Default false.
  void setReorderable(bool reorderable);
  bool reorderable() const { return reorderable_; }
  // Rewrites every due text (relative dates go stale as time passes).
  void refreshDueTexts();

  const TaskRow* rowAt(int row) const;
  int rowOf(const QString& uid) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  // Asks for the place (placeRequested) and returns false: the rows move when the store has them there.
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column, const QModelIndex& parent) override;

 Q_SIGNALS:
  // The checkbox of a row was ticked (Space, a click): the task is to be completed.
  void completeRequested(const QString& uid);
  // Tasks dropped before the task `beforeUid` (empty: at the end).
  void placeRequested(const QStringList& uids, const QString& beforeUid);

 private:
  void apply(std::vector<TaskRow> next);
  QColor colour(const platform::Colour& colour) const;

  std::function<QDateTime()> now_;
  std::shared_ptr<const Snapshot> snapshot_;
  Scope scope_ = SmartList::today;
  bool dark_ = false;
  bool reorderable_ = false;
  std::vector<TaskRow> rows_;
};

}  // namespace zarvo::desktop
