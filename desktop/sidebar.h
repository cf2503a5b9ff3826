// Sidebar: the smart lists (Today, Upcoming, Flagged, Top, All) and the person's visible lists in
// their stored order, each with its colour and its number of open tasks. Choosing an entry announces
// the scope of the task list; a new Snapshot keeps the entry chosen when it still exists.
//
// The person's lists are changed here as requests (the window sends them to the store, and the next
// Snapshot shows the outcome): F2 or a double-click renames, the context menu (right click, the menu
// key, Shift+F10) recolours or removes. A list dragged onto another asks to take its place; tasks
// dragged from the task list onto a list ask to move there.
//
// Lists sit under a header for their account ("My Lists" while there is only one): a header whose
// lists are all collapsed (List::collapsed) shows folded, its lists out of sight. A click on a header,
// or Space, Enter, Left or Right on it, asks to fold or unfold it (collapseRequested), for every list
// of the account; the next Snapshot shows the result.
#pragma once

#include <QListWidget>
#include <QMenu>
#include <QPointer>

#include <optional>

#include "desktop/snapshot.h"
#include "desktop/task_model.h"

namespace zarvo::desktop {

class Sidebar : public QListWidget {
  Q_OBJECT

 public:
  explicit Sidebar(QWidget* parent = nullptr);

  void setSnapshot(const Snapshot& snapshot);
  void setDark(bool dark);
  Scope scope() const;
  void select(const Scope& scope);

  static QString title(SmartList smart);
  // The colours a list can be given, named for people.
  struct NamedColour {
    const char* name;  // translated through Sidebar's context
    platform::RGBA value;
  };
  static const std::vector<NamedColour>& listColours();
  // The context menu open now, if any.
  QMenu* contextMenu() const { return menu_; }

 Q_SIGNALS:
  void scopeChanged(const zarvo::desktop::Scope& scope);
  void renameRequested(const QString& listId, const QString& title);
  void recolourRequested(const QString& listId, zarvo::platform::Colour colour);
  // "Remove list" was chosen in the list's context menu (the window asks before it removes).
  void removeRequested(const QString& listId, const QString& title);
  // A list was dropped on another's place (before it when moving up, after it when moving down).
  void reorderRequested(const QString& listId, const QString& placeOfListId);
  // Tasks (their external identifiers) were dropped on a list.
  void tasksDropped(const QStringList& uids, const QString& listId);
  // An account's header was folded (collapsed true) or unfolded: the calendar identifiers of its lists.
  void collapseRequested(const QStringList& listIds, bool collapsed);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // The list under `at` a drag may drop on: its calendar identifier, or empty.
  QString dropTarget(const QPoint& at) const;

  // Asks to fold or unfold the group of a header item.
  void toggle(const QListWidgetItem* header);

  bool dark_ = false;
  Scope lastScope_ = SmartList::today;  // what a header stands for while it is the current entry
  QPointer<QMenu> menu_;
  // A Snapshot that came while a title was being edited; shown when the editor closes, so a refresh
  // never throws away what the person is typing.
  std::optional<Snapshot> pending_;
};

}  // namespace zarvo::desktop
