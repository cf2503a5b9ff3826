// MainWindow: the sidebar, quick entry above the task list, and a status line, wired to a
// StoreController. It shows Snapshots as they come and sends every change to the controller.
//
// Keys: Enter in quick entry creates, Esc clears it. The task list selects several tasks (Shift,
// Ctrl); Space completes the selected tasks, Delete deletes them, Ctrl+Shift+F flags them (or
// unflags them when all are flagged), Ctrl+M offers the lists to move them to; each of these is one
// change that one undo takes back. Enter in the task list Enter there opens its details (which then follow the current task) and Esc closes them; Ctrl+N goes to quick entry, Ctrl+F to the search; Ctrl+1..5 choose a smart list; Ctrl+Z
// undoes the newest change of the home (Edit menu: "Undo add 'Buy milk'"), except in a text field
// that holds text, where it undoes the typing; Ctrl+Shift+Z makes the undone change again (Edit
// menu: "Redo ..."). A list's context menu removes it, after a question.
#pragma once

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QSplitter>
#include <QTimer>

#include <memory>

#include "desktop/details_pane.h"
#include "desktop/quick_add_box.h"
#include "desktop/single_instance.h"
#include "desktop/account_dialog.h"
#include "desktop/quick_entry.h"
#include "desktop/sidebar.h"
#include "desktop/store_controller.h"
#include "desktop/sync_controller.h"
#include "desktop/task_model.h"

namespace zarvo::desktop {

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  MainWindow(StoreController& controller, QuickEntryOptions quickEntry, QWidget* parent = nullptr);

  // Chooses the sidebar entry named `name`: a list's title (ignoring case), or a smart list by its
  // English name (today, upcoming, flagged, top, all). Nothing for another name.
  void select(const QString& name);
  // Selects the open task with this external identifier and opens its details: in the entry chosen
  // now when that holds it, else in its list. Before the home's own read, once it is shown; a task
  // the last read does not have is looked for in fresh reads; one that is not open (gone,
  // completed) leaves the view as it is and says so in the status line.
  void showTask(const QString& uid);
  // Brings the window to the front of the desktop (from minimized too).
  void raiseToFront();
  // What a later launch on this home asked (single_instance.h): the quick-entry box alone, or the
  // window in front, showing a task when one is named.
  void handle(const InstanceRequest& request);
  // The quick-entry box of --quick-add; null until first asked for.
  QuickAddBox* quickAddBox() const { return quickAddBox_.get(); }
  // Offers the sync (Sync Now, Ctrl+R) and shows its progress in the status line and its failures in
  // the banner above the tasks. `sync` must outlive the window.
  void setSync(SyncController* sync);
  // The banner that tells a failed sync; hidden when there is nothing to tell.
  QWidget* banner() const { return banner_; }
  QString bannerText() const { return bannerText_->text(); }
  QAction* syncAction() const { return syncNow_; }
  // Sync > Accounts…: opens the account settings (account_dialog.h).
  QAction* accountsAction() const { return accountsAction_; }
  // The account settings while they are open; else null.
  AccountDialog* accountDialog() const { return accountDialog_; }
  // Colours for a dark palette (semantic colours resolve to their dark values).
  void setDark(bool dark);

  QuickEntry* quickEntry() const { return quickEntry_; }
  QListView* taskView() const { return taskView_; }
  TaskModel* taskModel() const { return model_; }
  Sidebar* sidebar() const { return sidebar_; }
  QLineEdit* searchField() const { return search_; }
  QComboBox* orderBox() const { return order_; }
  // View > Sort By: one checkable action per order of orderBox().
  QMenu* sortMenu() const { return sortMenu_; }
  QAction* undoAction() const { return undo_; }
  QAction* redoAction() const { return redo_; }
  QLineEdit* newListField() const { return newList_; }
  DetailsPane* details() const { return details_; }
  // The menu of lists Ctrl+M opens, while it is open; else null.
  QMenu* moveMenu() const { return moveMenu_; }
  // The last Snapshot shown; null before the first.
  const std::shared_ptr<const Snapshot>& snapshot() const { return snapshot_; }

 Q_SIGNALS:
  // After a Snapshot is on the screen.
  void shown();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showSnapshot(std::shared_ptr<const Snapshot> snapshot);
  // The selected tasks' identifiers; the current task when none is selected.
  QStringList selectedUids() const;
  void completeSelected();
  void flagSelected();
  // The lists to move the selected tasks to, under the current task.
  void offerMove();
  void openDetails(bool open);
  // The details follow the current task, as the last Snapshot has it.
  void refreshDetails();
  void applyShowTask();
  // Asks before a list and its tasks are removed; Remove sends the removal to the store.
  void confirmRemoval(const QString& listId, const QString& title);

  StoreController& controller_;
  Sidebar* sidebar_;
  QuickEntry* quickEntry_;
  QListView* taskView_;
  TaskModel* model_;
  QLineEdit* search_;
  QComboBox* order_;
  QMenu* sortMenu_;
  QLineEdit* newList_;  // under the sidebar: Enter adds a list of that name
  DetailsPane* details_;
  QSplitter* splitter_;
  QString showUid_;  // asked for by showTask before the home's own read
  // Reads showTask may still ask for: a task just made by another program may be newer than the
  // last read (and a read running when it is asked for may not see it either).
  int showReads_ = 0;
  QuickEntryOptions quickEntryOptions_;
  QPointer<QMenu> moveMenu_;
  std::unique_ptr<QuickAddBox> quickAddBox_;  // a window of its own: it opens without this one
  QAction* undo_;
  QAction* redo_;
  QFrame* banner_;
  QLabel* bannerText_;
  QAction* syncNow_ = nullptr;
  QAction* accountsAction_ = nullptr;
  QPointer<AccountDialog> accountDialog_;
  // The outcome of an undo or of removing an account, for the status line once the window shows it.
  QString notice_;
  QTimer searchPause_;
  QTimer minuteTick_;
  std::shared_ptr<const Snapshot> snapshot_;
};

}  // namespace zarvo::desktop
