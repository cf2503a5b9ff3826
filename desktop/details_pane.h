// DetailsPane: what the window knows of one task, beside the task list (Enter on a task, or
// `zarvo-desktop --show UID`): title, due, list, priority, flag and tags, as the last Snapshot has
// them. It shows values only; every change still goes through the task list and quick entry.
//
// Threads: the UI thread only.
#pragma once

#include <QLabel>
#include <QWidget>

#include "desktop/snapshot.h"

namespace zarvo::desktop {

class DetailsPane : public QWidget {
  Q_OBJECT

 public:
  explicit DetailsPane(QWidget* parent = nullptr);

  // Shows `row` (copied), in the list titled `listTitle`; with none, clears the pane.
  void setTask(const TaskRow* row, const QString& listTitle);
  // The task shown; empty when none.
  const QString& uid() const { return uid_; }
  QString titleText() const { return title_->text(); }
  QString dueText() const { return due_->text(); }
  QString listText() const { return list_->text(); }

 private:
  QString uid_;
  QLabel* title_;
  QLabel* due_;
  QLabel* list_;
  QLabel* priority_;
  QLabel* flag_;
  QLabel* tags_;
};

}  // namespace zarvo::desktop
