#include "desktop/quick_add_box.h"

#include <QVBoxLayout>

#include <utility>

namespace zarvo::desktop {

QuickAddBox::QuickAddBox(StoreController& controller, QuickEntryOptions options, QWidget* parent)
    : QDialog(parent), controller_(controller), entry_(new QuickEntry(std::move(options))),
      problem_(new QLabel) {
  setWindowTitle(tr("Quick Add"));
  setAccessibleName(tr("Quick add"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(entry_);
  problem_->setTextFormat(Qt::PlainText);
  problem_->setWordWrap(true);
  problem_->hide();
  layout->addWidget(problem_);
  resize(520, sizeHint().height());
  connect(&controller_, &StoreController::snapshotReady, this,
          [this](std::shared_ptr<const Snapshot> snapshot) { entry_->setLists(*snapshot); });
  connect(entry_, &QuickEntry::createRequested, this, [this](const NewTask& task) {
    waiting_ = true;
    problem_->hide();
    entry_->setEnabled(false);
    controller_.createTask(task);
  });
  // The controller says `created` for the tasks it was asked for, in order; the box asks one at a time.
  connect(&controller_, &StoreController::created, this, [this] {
    if (!std::exchange(waiting_, false)) return;
    entry_->setEnabled(true);
    accept();
  });
  connect(&controller_, &StoreController::failed, this, [this](const QString& message) {
    if (!std::exchange(waiting_, false)) return;
    entry_->setEnabled(true);
    problem_->setText(tr("Not added: %1").arg(message));
    problem_->show();
    entry_->field()->setFocus();
  });
}

void QuickAddBox::open() {
  entry_->field()->clear();
  problem_->hide();
  show();
  raise();
  activateWindow();
  entry_->field()->setFocus();
}

void QuickAddBox::done(int result) {
  QDialog::done(result);
  Q_EMIT closed();
}

}  // namespace zarvo::desktop
