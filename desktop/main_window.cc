#include "desktop/main_window.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "desktop/task_delegate.h"

namespace zarvo::desktop {

MainWindow::MainWindow(StoreController& controller, QuickEntryOptions quickEntry, QWidget* parent)
    : QMainWindow(parent), controller_(controller), sidebar_(new Sidebar), quickEntry_(new QuickEntry(quickEntry)),
      taskView_(new QListView), model_(new TaskModel({}, this)), search_(new QLineEdit), order_(new QComboBox), newList_(new QLineEdit),
      details_(new DetailsPane(quickEntry)), splitter_(new QSplitter),
      quickEntryOptions_(std::move(quickEntry)),
      undo_(new QAction(this)),
      redo_(new QAction(this)), banner_(new QFrame), bannerText_(new QLabel) {
  setWindowTitle(tr("Zarvo"));
  taskView_->setModel(model_);
  taskView_->setItemDelegate(new TaskDelegate(taskView_));
  taskView_->setAccessibleName(tr("Tasks"));
  taskView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  taskView_->setUniformItemSizes(true);
  taskView_->setDragEnabled(true);
  // Dragging gives a task another list (onto the sidebar) or, in a list in its own order, another place.
  taskView_->setDragDropMode(QAbstractItemView::DragDrop);
  taskView_->setDefaultDropAction(Qt::MoveAction);
  taskView_->setDropIndicatorShown(true);
  taskView_->setFrameShape(QFrame::NoFrame);
  taskView_->installEventFilter(this);

  search_->setPlaceholderText(tr("Search"));
  search_->setAccessibleName(tr("Search tasks"));
  search_->setClearButtonEnabled(true);
  order_->setAccessibleName(tr("Order"));
  order_->addItem(tr("By due date"), int(Order::dueDate));
  order_->addItem(tr("By priority"), int(Order::priority));
  order_->addItem(tr("Newest first"), int(Order::creationDate));
  order_->addItem(tr("By title"), int(Order::title));
  order_->addItem(tr("Overdue first"), int(Order::overdueOnTop));
  order_->addItem(tr("Your order"), int(Order::manual));
  auto* viewBar = new QHBoxLayout;
  viewBar->addWidget(search_, 1);
  viewBar->addWidget(order_);

  auto* pane = new QWidget;
  auto* layout = new QVBoxLayout(pane);
  layout->setContentsMargins(12, 12, 12, 0);
  // Says what went wrong without taking the keyboard or stopping anything; closed with its button or
  // by the next sync that succeeds.
  banner_->setObjectName(QStringLiteral("banner"));
  banner_->setAccessibleName(tr("Sync problem"));
  banner_->setStyleSheet(QStringLiteral("#banner { background: rgba(255, 59, 48, 40); border: 1px solid rgba(255, 59, 48, 120); "
                                        "border-radius: 6px; }"));
  auto* bannerLayout = new QHBoxLayout(banner_);
  bannerLayout->setContentsMargins(10, 6, 6, 6);
  bannerText_->setWordWrap(true);
  bannerText_->setTextFormat(Qt::PlainText);
  bannerText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  bannerLayout->addWidget(bannerText_, 1);
  auto* dismiss = new QPushButton(tr("Dismiss"));
  dismiss->setAccessibleName(tr("Dismiss the sync problem"));
  dismiss->setFocusPolicy(Qt::TabFocus);
  connect(dismiss, &QPushButton::clicked, banner_, &QWidget::hide);
  bannerLayout->addWidget(dismiss, 0, Qt::AlignTop);
  banner_->hide();
  layout->addWidget(banner_);
  layout->addWidget(quickEntry_);
  layout->addLayout(viewBar);
  layout->addWidget(taskView_, 1);
  newList_->setPlaceholderText(tr("New list"));
  newList_->setAccessibleName(tr("New list"));
  connect(newList_, &QLineEdit::returnPressed, this, [this] {
    controller_.addList(newList_->text());
    newList_->clear();
  });
  auto* side = new QWidget;
  auto* sideLayout = new QVBoxLayout(side);
  sideLayout->setContentsMargins(0, 0, 0, 6);
  sideLayout->addWidget(sidebar_, 1);
  sideLayout->addWidget(newList_);
  splitter_->addWidget(side);
  splitter_->addWidget(pane);
  splitter_->addWidget(details_);
  details_->hide();
  splitter_->setStretchFactor(1, 1);
  splitter_->setSizes({210, 650, 0});
  setCentralWidget(splitter_);
  resize(900, 560);

  connect(&controller_, &StoreController::snapshotReady, this, &MainWindow::showSnapshot);
  connect(&controller_, &StoreController::failed, this,
          [this](const QString& message) { statusBar()->showMessage(message); });
  connect(&controller_, &StoreController::waiting, this, [this](const QString& holder) {
    statusBar()->showMessage(tr("Waiting for %1 to finish with the home\u2026").arg(holder));
  });
  connect(quickEntry_, &QuickEntry::createRequested, &controller_, &StoreController::createTask);
  connect(details_, &DetailsPane::editRequested, &controller_, &StoreController::editTask);
  connect(details_, &DetailsPane::dueRejected, this, [this](const QString& text) {
    statusBar()->showMessage(tr("No date found in \u201C%1\u201D; the due is unchanged.").arg(text));
  });
  connect(model_, &TaskModel::completeRequested, this, [this](const QString& uid) { controller_.setCompleted({uid}, true); });
  // Shortcuts of the task list, also in its context menu.
  const struct {
    const char* text;
    QKeySequence keys;
    void (MainWindow::*act)();
  } taskActions[] = {
      {QT_TR_NOOP("Complete"), QKeySequence(Qt::Key_Space), &MainWindow::completeSelected},
      {QT_TR_NOOP("Flag"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), &MainWindow::flagSelected},
      {QT_TR_NOOP("Move to\u2026"), QKeySequence(Qt::CTRL | Qt::Key_M), &MainWindow::offerMove},
      {QT_TR_NOOP("Delete"), QKeySequence(QKeySequence::Delete), nullptr},
  };
  for (const auto& entry : taskActions) {
    auto* action = new QAction(tr(entry.text), taskView_);
    action->setShortcut(entry.keys);
    action->setShortcutContext(Qt::WidgetShortcut);
    if (entry.act) {
      connect(action, &QAction::triggered, this, entry.act);
    } else {
      connect(action, &QAction::triggered, this, [this] { controller_.removeTasks(selectedUids()); });
    }
    taskView_->addAction(action);
  }
  taskView_->setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(sidebar_, &Sidebar::scopeChanged, model_, &TaskModel::setScope);
  auto reorderable = [this] {
    model_->setReorderable(std::holds_alternative<QString>(model_->scope()) &&
                           Order(order_->currentData().toInt()) == Order::manual);
  };
  connect(sidebar_, &Sidebar::scopeChanged, this, reorderable);
  connect(order_, &QComboBox::currentIndexChanged, this, reorderable);
  connect(model_, &TaskModel::placeRequested, &controller_, &StoreController::placeTasks);
  connect(taskView_->selectionModel(), &QItemSelectionModel::currentChanged, this, &MainWindow::refreshDetails);
  connect(sidebar_, &Sidebar::renameRequested, &controller_, &StoreController::renameList);
  connect(sidebar_, &Sidebar::recolourRequested, &controller_, &StoreController::recolourList);
  connect(sidebar_, &Sidebar::removeRequested, this, &MainWindow::confirmRemoval);
  connect(sidebar_, &Sidebar::reorderRequested, &controller_, &StoreController::moveList);
  connect(sidebar_, &Sidebar::tasksDropped, &controller_, &StoreController::moveTasks);
  connect(sidebar_, &Sidebar::collapseRequested, &controller_, &StoreController::setListsCollapsed);

  // A search follows the typing once it pauses, so a fast typist does not queue a search per key.
  searchPause_.setSingleShot(true);
  searchPause_.setInterval(150);
  auto changeView = [this] { controller_.setView(Order(order_->currentData().toInt()), search_->text()); };
  connect(&searchPause_, &QTimer::timeout, this, changeView);
  connect(search_, &QLineEdit::textChanged, &searchPause_, qOverload<>(&QTimer::start));
  connect(order_, &QComboBox::currentIndexChanged, this, changeView);
  auto* toSearch = new QShortcut(QKeySequence::Find, this);
  connect(toSearch, &QShortcut::activated, search_, [this] { search_->setFocus(); });

  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  undo_->setShortcut(QKeySequence::Undo);
  undo_->setEnabled(false);
  undo_->setText(tr("Undo"));
  edit->addAction(undo_);
  connect(undo_, &QAction::triggered, &controller_, &StoreController::undo);
  connect(&controller_, &StoreController::undone, this,
          [this](const QString& description) { notice_ = tr("Undone: %1").arg(description); });
  redo_->setShortcut(QKeySequence::Redo);
  redo_->setEnabled(false);
  redo_->setText(tr("Redo"));
  edit->addAction(redo_);
  connect(redo_, &QAction::triggered, &controller_, &StoreController::redo);
  connect(&controller_, &StoreController::redone, this,
          [this](const QString& description) { notice_ = tr("Redone: %1").arg(description); });
  // View > Sort By: the same orders as the box beside the search, kept in step with it.
  QMenu* sortBy = menuBar()->addMenu(tr("&View"))->addMenu(tr("&Sort By"));
  auto* orders = new QActionGroup(this);
  for (int i = 0; i < order_->count(); ++i) {
    QAction* action = sortBy->addAction(order_->itemText(i));
    action->setCheckable(true);
    action->setChecked(i == order_->currentIndex());
    orders->addAction(action);
    connect(action, &QAction::triggered, order_, [this, i] { order_->setCurrentIndex(i); });
  }
  connect(order_, &QComboBox::currentIndexChanged, orders, [orders](int i) {
    if (i >= 0 && i < orders->actions().size()) orders->actions()[i]->setChecked(true);
  });
  sortMenu_ = sortBy;
  // An empty field has no typing to undo: there Ctrl+Z undoes the last change, as elsewhere.
  quickEntry_->field()->installEventFilter(this);
  search_->installEventFilter(this);

  auto* toEntry = new QShortcut(QKeySequence::New, this);
  connect(toEntry, &QShortcut::activated, quickEntry_->field(), [this] { quickEntry_->field()->setFocus(); });
  for (int i = 0; i < int(std::size(kSmartLists)); ++i) {
    auto* choose = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + i)), this);
    connect(choose, &QShortcut::activated, this, [this, i] { sidebar_->select(kSmartLists[i]); });
  }
  // Relative dates ("today 17:00") and overdue colours follow the clock.
  minuteTick_.setInterval(60'000);
  connect(&minuteTick_, &QTimer::timeout, model_, &TaskModel::refreshDueTexts);
  minuteTick_.start();
  quickEntry_->field()->setFocus();
}

void MainWindow::setSync(SyncController* sync) {
  syncNow_ = new QAction(tr("Sync Now"), this);
  syncNow_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  syncNow_->setShortcutContext(Qt::WindowShortcut);
  QMenu* syncMenu = menuBar()->addMenu(tr("&Sync"));
  syncMenu->addAction(syncNow_);
  addAction(syncNow_);
  accountsAction_ = syncMenu->addAction(tr("&Accounts\u2026"));
  connect(accountsAction_, &QAction::triggered, this, [this, sync] {
    if (accountDialog_) {
      accountDialog_->raise();
      accountDialog_->activateWindow();
      return;
    }
    accountDialog_ = new AccountDialog(sync->options(), this);
    accountDialog_->setAttribute(Qt::WA_DeleteOnClose);
    connect(accountDialog_, &AccountDialog::saved, this, [this](const QString& name) {
      statusBar()->showMessage(tr("Account %1 saved; Sync Now fetches its lists.").arg(name), 10'000);
    });
    connect(accountDialog_, &AccountDialog::removed, this, [this](const QString& name, bool withLists) {
      // Said once the window shows the home without the account: its lists gone, or left unsynced.
      notice_ = withLists ? tr("Account %1 removed, and its lists on this computer.").arg(name)
                          : tr("Account %1 removed; its lists stay here, no longer synced.").arg(name);
      controller_.reload();
    });
    accountDialog_->open();
  });
  connect(syncNow_, &QAction::triggered, sync, &SyncController::sync);
  connect(sync, &SyncController::started, this, [this] {
    syncNow_->setEnabled(false);
    statusBar()->showMessage(tr("Syncing\u2026"));
  });
  connect(sync, &SyncController::listSynced, this, [this](const QString& line) {
    statusBar()->showMessage(tr("Syncing\u2026 %1").arg(line));
  });
  connect(sync, &SyncController::finished, this, [this](const QString& failure) {
    syncNow_->setEnabled(true);
    if (failure.isEmpty()) {
      banner_->hide();
      statusBar()->showMessage(tr("Synced."), 5000);
      controller_.reload();  // vdirsyncer's changes, also those the watcher merged with others
      return;
    }
    statusBar()->clearMessage();
    bannerText_->setText(tr("Sync failed: %1").arg(failure));
    banner_->show();
  });
}

void MainWindow::confirmRemoval(const QString& listId, const QString& title) {
  int64_t open = 0;
  if (snapshot_) {
    for (const auto& list : snapshot_->lists) {
      if (list.id == listId) open = list.openCount;
    }
  }
  // Window-modal and asynchronous: the store keeps publishing while the question is open.
  auto* box = new QMessageBox(QMessageBox::Question, tr("Remove List"),
                              tr("Remove \u201c%1\u201d and all its tasks (%n open)?", nullptr, int(open)).arg(title),
                              QMessageBox::Cancel, this);
  box->setInformativeText(tr("Completed tasks go with it. Edit \u2192 Undo brings the list back."));
  QPushButton* remove = box->addButton(tr("Remove"), QMessageBox::DestructiveRole);
  box->setDefaultButton(QMessageBox::Cancel);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setObjectName(QStringLiteral("removeListQuestion"));
  connect(box, &QMessageBox::finished, this, [this, box, remove, listId] {
    if (box->clickedButton() == remove) controller_.removeList(listId);
  });
  box->open();
}

void MainWindow::select(const QString& name) {
  static const char* const kNames[] = {"today", "upcoming", "flagged", "top", "all"};
  for (int i = 0; i < int(std::size(kSmartLists)); ++i) {
    if (name.compare(QLatin1String(kNames[i]), Qt::CaseInsensitive) == 0) return sidebar_->select(kSmartLists[i]);
  }
  if (!snapshot_) return;
  for (const auto& list : snapshot_->lists) {
    if (list.title.compare(name, Qt::CaseInsensitive) == 0) return sidebar_->select(list.id);
  }
}

void MainWindow::showTask(const QString& uid) {
  showUid_ = uid;
  showReads_ = 2;
  if (snapshot_ && !snapshot_->provisional) applyShowTask();
}

void MainWindow::applyShowTask() {
  // A search may hide the task: the view shows every task again first, and the task in the Snapshot
  // that follows.
  if (!search_->text().isEmpty()) {
    search_->clear();
    searchPause_.stop();
    controller_.setView(Order(order_->currentData().toInt()), QString());
    return;
  }
  const QString uid = std::exchange(showUid_, QString());
  const auto& tasks = snapshot_->tasks;
  const auto task = std::find_if(tasks.begin(), tasks.end(), [&](const TaskRow& row) { return row.uid == uid; });
  if (task == tasks.end() && showReads_ > 0) {
    --showReads_;
    showUid_ = uid;
    controller_.reload();
    return;
  }
  if (task == tasks.end()) {
    statusBar()->showMessage(tr("That task is no longer open."));
    return;
  }
  if (model_->rowOf(uid) < 0) sidebar_->select(task->listId);
  const QModelIndex index = model_->index(model_->rowOf(uid));
  taskView_->setCurrentIndex(index);
  taskView_->scrollTo(index);
  openDetails(true);
}

void MainWindow::raiseToFront() {
  setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  show();
  raise();
  activateWindow();
}

void MainWindow::handle(const InstanceRequest& request) {
  if (request.quickAdd) {
    if (!quickAddBox_) {
      quickAddBox_ = std::make_unique<QuickAddBox>(controller_, quickEntryOptions_);
      if (snapshot_) quickAddBox_->quickEntry()->setLists(*snapshot_);
    }
    quickAddBox_->open();
    return;
  }
  raiseToFront();
  if (!request.showUid.isEmpty()) showTask(request.showUid);
}

void MainWindow::openDetails(bool open) {
  details_->setVisible(open);
  // A pane shown in a splitter keeps the width it had, none the first time: it takes its room from
  // the task list.
  QList<int> sizes = splitter_->sizes();
  if (open && sizes[2] == 0) {
    const int width = std::min(280, sizes[1] / 2);
    sizes[1] -= width;
    sizes[2] = width;
    splitter_->setSizes(sizes);
  }
  refreshDetails();
}

void MainWindow::refreshDetails() {
  if (details_->isHidden()) return;
  details_->setTask(model_->rowAt(taskView_->currentIndex().row()), snapshot_ && !snapshot_->provisional);
}

void MainWindow::setDark(bool dark) {
  model_->setDark(dark);
  sidebar_->setDark(dark);
  if (snapshot_) sidebar_->setSnapshot(*snapshot_);
}

void MainWindow::showSnapshot(std::shared_ptr<const Snapshot> snapshot) {
  snapshot_ = std::move(snapshot);
  sidebar_->setSnapshot(*snapshot_);
  model_->setSnapshot(snapshot_);
  quickEntry_->setLists(*snapshot_);
  details_->setLists(*snapshot_);
  refreshDetails();
  const QString& change = snapshot_->lastChange;
  undo_->setEnabled(!change.isEmpty());
  undo_->setText(change.isEmpty() ? tr("Undo") : tr("Undo %1").arg(change.left(1).toUpper() + change.mid(1)));
  const QString& redo = snapshot_->nextRedo;
  redo_->setEnabled(!redo.isEmpty());
  redo_->setText(redo.isEmpty() ? tr("Redo") : tr("Redo %1").arg(redo.left(1).toUpper() + redo.mid(1)));
  if (snapshot_->provisional) {
    statusBar()->showMessage(tr("Reading your tasks\u2026"));
  } else if (const size_t skipped = snapshot_->skippedFiles) {
    statusBar()->showMessage(
        tr("%n task file(s) skipped (unreadable, or a second file of one task); ZARVO_LOG_LEVEL=error shows which and why",
           nullptr, int(skipped)));
  } else if (!notice_.isEmpty()) {
    // Said with the first window that shows the outcome.
    statusBar()->showMessage(notice_);
    notice_.clear();
  } else {
    statusBar()->clearMessage();
  }
  if (!showUid_.isEmpty() && !snapshot_->provisional) applyShowTask();
  Q_EMIT shown();
}

QStringList MainWindow::selectedUids() const {
  QStringList uids;
  for (const QModelIndex& index : taskView_->selectionModel()->selectedIndexes()) uids << index.data(TaskModel::UidRole).toString();
  if (uids.isEmpty() && taskView_->currentIndex().isValid()) uids << taskView_->currentIndex().data(TaskModel::UidRole).toString();
  return uids;
}

void MainWindow::completeSelected() { controller_.setCompleted(selectedUids(), true); }

void MainWindow::flagSelected() {
  const QStringList uids = selectedUids();
  bool allFlagged = !uids.isEmpty();
  for (const QString& uid : uids) {
    if (const TaskRow* row = model_->rowAt(model_->rowOf(uid)); row && !row->flagged) allFlagged = false;
  }
  controller_.setFlagged(uids, !allFlagged);
}

void MainWindow::offerMove() {
  const QStringList uids = selectedUids();
  if (uids.isEmpty() || !snapshot_) return;
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->setAccessibleName(tr("Move to list"));
  for (const auto& list : snapshot_->lists) {
    connect(menu->addAction(list.title), &QAction::triggered, this, [this, uids, id = list.id] { controller_.moveTasks(uids, id); });
  }
  moveMenu_ = menu;
  const QRect current = taskView_->visualRect(taskView_->currentIndex());
  menu->popup(taskView_->viewport()->mapToGlobal(current.isValid() ? current.bottomLeft() : QPoint()));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == taskView_ && event->type() == QEvent::KeyPress) {
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_Space: completeSelected(); return true;
      case Qt::Key_Delete: controller_.removeTasks(selectedUids()); return true;
      case Qt::Key_Return:
      case Qt::Key_Enter: openDetails(true); return true;
      case Qt::Key_Escape:
        if (details_->isHidden()) break;
        openDetails(false);
        return true;
      default: break;
    }
  }
  if ((watched == quickEntry_->field() || watched == search_) && event->type() == QEvent::ShortcutOverride &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Undo) &&
      static_cast<QLineEdit*>(watched)->text().isEmpty()) {
    return true;  // left unaccepted: the window's shortcut takes it
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace zarvo::desktop
