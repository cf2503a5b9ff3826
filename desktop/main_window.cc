#include "desktop/main_window.h"

#include <QKeyEvent>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

#include "desktop/task_delegate.h"

namespace zarvo::desktop {

MainWindow::MainWindow(StoreController& controller, QuickEntryOptions quickEntry, QWidget* parent)
    : QMainWindow(parent), controller_(controller), sidebar_(new Sidebar), quickEntry_(new QuickEntry(std::move(quickEntry))),
      taskView_(new QListView), model_(new TaskModel({}, this)) {
  setWindowTitle(tr("Zarvo"));
  taskView_->setModel(model_);
  taskView_->setItemDelegate(new TaskDelegate(taskView_));
  taskView_->setAccessibleName(tr("Tasks"));
  taskView_->setSelectionMode(QAbstractItemView::SingleSelection);
  taskView_->setUniformItemSizes(true);
  taskView_->setFrameShape(QFrame::NoFrame);
  taskView_->installEventFilter(this);

  auto* pane = new QWidget;
  auto* layout = new QVBoxLayout(pane);
  layout->setContentsMargins(12, 12, 12, 0);
  layout->addWidget(quickEntry_);
  layout->addWidget(taskView_, 1);
  auto* splitter = new QSplitter;
  splitter->addWidget(sidebar_);
  splitter->addWidget(pane);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({210, 650});
  setCentralWidget(splitter);
  resize(900, 560);

  connect(&controller_, &StoreController::snapshotReady, this, &MainWindow::showSnapshot);
  connect(&controller_, &StoreController::failed, this,
          [this](const QString& message) { statusBar()->showMessage(message); });
  connect(&controller_, &StoreController::waiting, this, [this](const QString& holder) {
    statusBar()->showMessage(tr("Waiting for %1 to finish with the home\u2026").arg(holder));
  });
  connect(quickEntry_, &QuickEntry::createRequested, &controller_, &StoreController::createTask);
  connect(model_, &TaskModel::completeRequested, this, [this](const QString& uid) { controller_.setCompleted(uid, true); });
  connect(sidebar_, &Sidebar::scopeChanged, model_, &TaskModel::setScope);

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
  if (const size_t skipped = snapshot_->skippedFiles) {
    statusBar()->showMessage(
        tr("%n task file(s) skipped (unreadable, or a second file of one task); ZARVO_LOG_LEVEL=error shows which and why",
           nullptr, int(skipped)));
  } else {
    statusBar()->clearMessage();
  }
  Q_EMIT shown();
}

void MainWindow::completeCurrent() {
  const QModelIndex current = taskView_->currentIndex();
  if (current.isValid()) model_->setData(current, Qt::Checked, Qt::CheckStateRole);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == taskView_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
    completeCurrent();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace zarvo::desktop
