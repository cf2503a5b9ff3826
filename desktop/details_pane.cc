#include "desktop/details_pane.h"

#include <QEvent>
#include <QFormLayout>
#include <QSet>

#include <algorithm>

#include "desktop/due_text.h"

namespace zarvo::desktop {

QStringList typedTags(const QString& text) {
  QStringList tags;
  QSet<QString> seen;
  for (QString tag : text.split(QLatin1Char(','))) {
    tag = tag.trimmed();
    while (tag.startsWith(QLatin1Char('#'))) tag = tag.mid(1).trimmed();
    if (tag.isEmpty() || seen.contains(tag.toCaseFolded())) continue;
    seen.insert(tag.toCaseFolded());
    tags << tag;
  }
  return tags;
}

DetailsPane::DetailsPane(QuickEntryOptions options, QWidget* parent)
    : QWidget(parent), dates_(nullptr, std::move(options)), title_(new QLineEdit), notes_(new QPlainTextEdit),
      due_(new QLineEdit), priority_(new QComboBox), flag_(new QCheckBox(tr("Flagged"))), tags_(new QLineEdit),
      list_(new QComboBox) {
  setAccessibleName(tr("Task details"));
  auto* form = new QFormLayout(this);
  form->setContentsMargins(12, 12, 12, 12);
  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);
  title_->setAccessibleName(tr("Title"));
  form->addRow(title_);
  notes_->setAccessibleName(tr("Notes"));
  notes_->setPlaceholderText(tr("Notes"));
  notes_->setTabChangesFocus(true);
  notes_->setMaximumHeight(110);
  notes_->installEventFilter(this);
  form->addRow(notes_);
  due_->setAccessibleName(tr("Due"));
  due_->setPlaceholderText(tr("None"));
  due_->setToolTip(tr("A date as in quick entry: “fri 5pm”, “2031-12-24”, “in 3 days”. "
                      "Without a time the task is due all day; empty: no due."));
  due_->setClearButtonEnabled(true);
  form->addRow(tr("Due"), due_);
  list_->setAccessibleName(tr("List"));
  form->addRow(tr("List"), list_);
  priority_->setAccessibleName(tr("Priority"));
  for (const char* name : {QT_TR_NOOP("None"), QT_TR_NOOP("Low"), QT_TR_NOOP("Medium"), QT_TR_NOOP("High")}) {
    priority_->addItem(tr(name));
  }
  form->addRow(tr("Priority"), priority_);
  flag_->setAccessibleName(tr("Flagged"));
  form->addRow(QString(), flag_);
  tags_->setAccessibleName(tr("Tags"));
  tags_->setPlaceholderText(tr("errand, home"));
  form->addRow(tr("Tags"), tags_);

  notesPause_.setSingleShot(true);
  notesPause_.setInterval(1500);
  connect(&notesPause_, &QTimer::timeout, this, &DetailsPane::commitNotes);
  connect(notes_, &QPlainTextEdit::textChanged, this, [this] {
    if (editable_ && notes_->toPlainText() != shown_.notes) notesPause_.start();
  });
  connect(title_, &QLineEdit::editingFinished, this, &DetailsPane::commitTitle);
  connect(due_, &QLineEdit::editingFinished, this, &DetailsPane::commitDue);
  connect(tags_, &QLineEdit::editingFinished, this, &DetailsPane::commitTags);
  // activated and clicked come from a person only, never from fill().
  connect(priority_, &QComboBox::activated, this, [this](int priority) {
    if (priority == shown_.priority) return;
    shown_.priority = priority;
    TaskEdit edit;
    edit.priority = priority;
    request(std::move(edit));
  });
  connect(flag_, &QCheckBox::clicked, this, [this](bool flagged) {
    shown_.flagged = flagged;
    TaskEdit edit;
    edit.flagged = flagged;
    request(std::move(edit));
  });
  connect(list_, &QComboBox::activated, this, [this](int index) {
    const QString id = list_->itemData(index).toString();
    if (id == shown_.listId) return;
    shown_.listId = id;
    TaskEdit edit;
    edit.listId = id;
    request(std::move(edit));
  });
  setTask(nullptr);
}

void DetailsPane::setLists(const Snapshot& snapshot) {
  list_->clear();
  for (const auto& list : snapshot.lists) list_->addItem(list.title, list.id);
  list_->setCurrentIndex(list_->findData(shown_.listId));
}

void DetailsPane::setTask(const TaskRow* row, bool editable) {
  const bool same = row && !shown_.uid.isEmpty() && row->uid == shown_.uid;
  // Notes typed for the task shown before are saved for that task.
  if (!same && notesPause_.isActive()) commitNotes();
  shown_ = row ? *row : TaskRow();
  editable_ = row && editable;
  for (QWidget* field : std::initializer_list<QWidget*>{title_, notes_, due_, priority_, flag_, tags_, list_}) {
    field->setEnabled(editable_);
  }
  fill(same);
}

QString DetailsPane::shownDue() const {
  return shown_.due ? zarvo::desktop::dueText(*shown_.due, shown_.allDay, libraryNow()) : QString();
}

void DetailsPane::fill(bool keepTyping) {
  // What is typed and not yet asked for stays, for the same task: the window need not be active (a
  // line edit's modified flag is set by typing only; notes wait for their pause).
  auto typing = [&](QLineEdit* field) { return keepTyping && (field->hasFocus() || field->isModified()); };
  if (!typing(title_)) title_->setText(shown_.title);
  if (!keepTyping || !(notes_->hasFocus() || notesPause_.isActive())) notes_->setPlainText(shown_.notes);
  if (!typing(due_)) {
    due_->setText(shownDue());
    due_->setPalette(QPalette());
  }
  priority_->setCurrentIndex(std::clamp(shown_.priority, 0, 3));
  flag_->setChecked(shown_.flagged);
  if (!typing(tags_)) tags_->setText(shown_.tags.join(QStringLiteral(", ")));
  list_->setCurrentIndex(list_->findData(shown_.listId));
}

void DetailsPane::request(TaskEdit edit) {
  if (!editable_) return;
  Q_EMIT editRequested(shown_.uid, edit);
}

void DetailsPane::commitTitle() {
  const QString title = title_->text().trimmed();
  if (title.isEmpty()) {
    title_->setText(shown_.title);  // a task keeps a title
    return;
  }
  title_->setModified(false);
  if (title == shown_.title) return;
  shown_.title = title;
  TaskEdit edit;
  edit.title = title;
  request(std::move(edit));
}

void DetailsPane::commitNotes() {
  notesPause_.stop();
  const QString notes = notes_->toPlainText();
  if (notes == shown_.notes) return;
  shown_.notes = notes;
  TaskEdit edit;
  edit.notes = notes;
  request(std::move(edit));
}

void DetailsPane::commitDue() {
  const QString text = due_->text().trimmed();
  if (text == shownDue()) {
    due_->setModified(false);
    return;
  }
  TaskEdit edit;
  edit.due.emplace();
  if (!text.isEmpty()) {
    const auto item = dates_.parse(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size())));
    const std::optional<Date> due = item ? std::optional(item->dueDate()) : std::nullopt;
    if (!due) {
      QPalette wrong = due_->palette();
      wrong.setColor(QPalette::Text, QColor(215, 0, 21));
      due_->setPalette(wrong);
      Q_EMIT dueRejected(text);
      return;
    }
    edit.due->date = due;
    edit.due->allDay = item->isAllDay();
    shown_.due = QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(due->time_since_epoch()).count());
    shown_.allDay = edit.due->allDay;
  } else {
    shown_.due.reset();
  }
  due_->setPalette(QPalette());
  due_->setText(shownDue());
  request(std::move(edit));
}

void DetailsPane::commitTags() {
  tags_->setModified(false);
  QStringList tags = typedTags(tags_->text());
  QStringList sorted = tags;
  sorted.sort();
  if (sorted == shown_.tags) return;
  shown_.tags = sorted;
  TaskEdit edit;
  edit.tags = tags;
  request(std::move(edit));
}

bool DetailsPane::eventFilter(QObject* watched, QEvent* event) {
  if (watched == notes_ && event->type() == QEvent::FocusOut) commitNotes();
  return QWidget::eventFilter(watched, event);
}

}  // namespace zarvo::desktop
