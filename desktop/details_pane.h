// DetailsPane: one task beside the task list (Enter on a task, or `zarvo-desktop --show UID`), to read
// and to change: title, notes, due, priority, flag, tags and list.
//
// Every change a person finishes (Enter or leaving a field; a pause in typing notes; choosing in a
// box; ticking the flag) is
// asked for as one edit (editRequested), which the store saves as one change of the home's history,
// so one undo takes back exactly that field. A field left as it was asks for nothing.
//
// The due field shows the due as the task list does ("tomorrow 17:00") and takes what quick entry
// takes, read by the same date engine with the same options: "fri 5pm", "2031-12-24", "in 3 days";
// a phrase without a time of day makes the task due on that day without one (all day); an empty
// field removes the due. Text in which no date is found changes nothing (dueRejected).
//
// While a field is being typed in, a new Snapshot (another program's change, the store's own
// reread) leaves that field alone, so the typing is not lost.
//
// Threads: the UI thread only.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWidget>

#include "desktop/snapshot.h"
#include "desktop/store_controller.h"
#include "zarvo/quickentry/chrono_parse_helper.h"

namespace zarvo::desktop {

class DetailsPane : public QWidget {
  Q_OBJECT

 public:
  explicit DetailsPane(QuickEntryOptions options, QWidget* parent = nullptr);

  // The lists a task can be moved to.
  void setLists(const Snapshot& snapshot);
  // Shows `row` (copied); with none, clears the pane. A provisional row (the last run's) is shown but
  // cannot be edited until the home's own read.
  void setTask(const TaskRow* row, bool editable = true);
  // The task shown; empty when none.
  const QString& uid() const { return shown_.uid; }
  QString titleText() const { return title_->text(); }
  QString dueText() const { return due_->text(); }
  QString listText() const { return list_->currentText(); }

  QLineEdit* titleField() const { return title_; }
  QPlainTextEdit* notesField() const { return notes_; }
  QLineEdit* dueField() const { return due_; }
  QComboBox* priorityBox() const { return priority_; }
  QCheckBox* flagBox() const { return flag_; }
  QLineEdit* tagsField() const { return tags_; }
  QComboBox* listBox() const { return list_; }

 Q_SIGNALS:
  void editRequested(const QString& uid, const zarvo::desktop::TaskEdit& edit);
  // The due field held `text`, in which no date was found; the task is unchanged.
  void dueRejected(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void commitTitle();
  void commitNotes();
  void commitDue();
  void commitTags();
  void request(TaskEdit edit);
  QString shownDue() const;
  // Fields that were not being typed in show `shown_`.
  void fill(bool keepTyping);

  ChronoParseHelper dates_;
  TaskRow shown_;
  bool editable_ = false;
  QLineEdit* title_;
  QPlainTextEdit* notes_;
  QLineEdit* due_;
  QComboBox* priority_;
  QCheckBox* flag_;
  QLineEdit* tags_;
  QComboBox* list_;
  QTimer notesPause_;  // notes are saved once the typing pauses, or the field is left
};

// The tags a person typed: comma-separated titles, each trimmed and without a leading '#', empty
// ones and repeats (ignoring case) left out, in the order typed.
QStringList typedTags(const QString& text);

}  // namespace zarvo::desktop
