#include "desktop/quick_entry.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTextCharFormat>
#include <QVBoxLayout>

#include "desktop/due_text.h"
#include "zarvo/reminders/records.h"

namespace zarvo::desktop {

namespace {

QString fromU16(const std::u16string& text) {
  return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

std::optional<QDateTime> toQt(std::optional<Date> date) {
  if (!date) return std::nullopt;
  return QDateTime::fromMSecsSinceEpoch(
      std::chrono::duration_cast<std::chrono::milliseconds>(date->time_since_epoch()).count());
}

QTextCharFormat format(Highlight::Kind kind) {
  QTextCharFormat f;
  switch (kind) {
    case Highlight::Kind::date:
      f.setBackground(QColor(0, 122, 255, 48));
      f.setForeground(QColor(0, 88, 208));
      break;
    case Highlight::Kind::list:
      f.setBackground(QColor(52, 199, 89, 56));
      f.setForeground(QColor(20, 130, 50));
      break;
    case Highlight::Kind::unknownList:
      f.setUnderlineStyle(QTextCharFormat::DashUnderline);
      f.setUnderlineColor(QColor(142, 142, 147));
      break;
    case Highlight::Kind::flag:
      f.setBackground(QColor(255, 149, 0, 64));
      f.setForeground(QColor(200, 100, 0));
      break;
    case Highlight::Kind::reminder:
      f.setBackground(QColor(175, 82, 222, 48));
      f.setForeground(QColor(137, 68, 171));
      break;
  }
  return f;
}

}  // namespace

namespace {

// A length before the due, in the largest whole unit ("1 hour", "90 minutes", "2 days").
QString lengthText(std::chrono::seconds length) {
  const auto s = length.count();
  if (s > 0 && s % 86400 == 0) return s == 86400 ? QuickEntry::tr("1 day") : QuickEntry::tr("%1 days").arg(s / 86400);
  if (s > 0 && s % 3600 == 0) return s == 3600 ? QuickEntry::tr("1 hour") : QuickEntry::tr("%1 hours").arg(s / 3600);
  const auto minutes = (s + 59) / 60;
  return minutes == 1 ? QuickEntry::tr("1 minute") : QuickEntry::tr("%1 minutes").arg(minutes);
}

}  // namespace

QuickEntry::QuickEntry(QuickEntryOptions options, QWidget* parent)
    : QWidget(parent), parser_(nullptr, std::move(options)), field_(new QLineEdit(this)), preview_(new QLabel(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  layout->addWidget(field_);
  layout->addWidget(preview_);
  field_->setPlaceholderText(tr("New task: \"Call Anna tomorrow 5pm #Work !!\""));
  field_->setAccessibleName(tr("Quick entry"));
  field_->setClearButtonEnabled(true);
  preview_->setAccessibleName(tr("What Enter creates"));
  preview_->setForegroundRole(QPalette::PlaceholderText);
  preview_->setTextFormat(Qt::PlainText);
  field_->installEventFilter(this);
  connect(field_, &QLineEdit::textChanged, this, &QuickEntry::reparse);
  connect(field_, &QLineEdit::returnPressed, this, &QuickEntry::submit);
  reparse();
}

void QuickEntry::setLists(const Snapshot& snapshot) {
  // Copies the parser may read on this thread: a calendar holding only the identifier and title.
  lists_.clear();
  for (const auto& row : snapshot.lists) {
    auto calendar = std::make_shared<reminders::Calendar>(row.id.toStdString(), reminders::EntityType::reminder);
    calendar->setTitle(row.title.toStdString());
    lists_.push_back(List::create(calendar, nullptr));
  }
  defaultListId_ = snapshot.defaultListId;
  reparse();
}

QString QuickEntry::listTitle(const QString& id) const {
  for (const auto& list : lists_) {
    if (QString::fromStdString(list->calendarId().value_or("")) == id) return QString::fromStdString(list->title());
  }
  return {};
}

void QuickEntry::reparse() {
  const QString line = field_->text();
  highlights_.clear();
  pending_.reset();
  if (line.trimmed().isEmpty()) {
    preview_->setText(tr("Type a task; a date, #list and !! are understood."));
    paintHighlights();
    return;
  }
  const std::u16string text(reinterpret_cast<const char16_t*>(line.utf16()), size_t(line.size()));
  const TaskDescription d = parser_.parse(std::u16string_view(text), lists_);

  // The helper takes out the last occurrence of the engine's phrase; the list reference and the flag
  // are read in what is left, so they are looked for outside the phrase.
  int phraseStart = -1, phraseEnd = -1;
  if (d.chronoItem) {
    const QString phrase = fromU16(d.chronoItem->parsedDateString());
    phraseStart = phrase.isEmpty() ? -1 : int(line.lastIndexOf(phrase));
    if (phraseStart >= 0) {
      phraseEnd = phraseStart + int(phrase.size());
      highlights_.push_back({Highlight::Kind::date, phraseStart, int(phrase.size())});
    }
  }
  auto outsidePhrase = [&](int at, int length) { return phraseStart < 0 || at + length <= phraseStart || at >= phraseEnd; };
  if (d.reminder && !d.reminder->phrase.empty()) {
    // The asking words (and the length); a moment that follows them is the date phrase's.
    const QString phrase = fromU16(d.reminder->phrase);
    const qsizetype at = line.lastIndexOf(phrase);
    if (at >= 0) highlights_.push_back({Highlight::Kind::reminder, int(at), int(phrase.size())});
  }
  if (d.parsedList) {
    const QString reference = fromU16(*d.parsedList);
    for (qsizetype at = line.indexOf(reference); at >= 0; at = line.indexOf(reference, at + 1)) {
      if (!outsidePhrase(int(at), int(reference.size()))) continue;
      highlights_.push_back({d.list ? Highlight::Kind::list : Highlight::Kind::unknownList, int(at), int(reference.size())});
      break;
    }
  }
  if (d.flagged) {
    for (qsizetype at = line.lastIndexOf(QStringLiteral("!!")); at >= 0; at = line.lastIndexOf(QStringLiteral("!!"), at - 1)) {
      if (outsidePhrase(int(at), 2)) {
        highlights_.push_back({Highlight::Kind::flag, int(at), 2});
        break;
      }
      if (at == 0) break;
    }
  }
  paintHighlights();

  NewTask task;
  task.title = fromU16(d.title);
  task.flagged = d.flagged;
  task.due = d.dueDate();
  task.allDay = d.dueIsAllDay();
  task.recurrenceRule = d.recurrenceRule();
  task.reminder = d.reminder;
  if (d.list) task.listId = QString::fromStdString(d.list->calendarId().value_or(""));
  QStringList parts;
  if (task.title.isEmpty()) {
    preview_->setText(tr("Nothing is left for a title."));
    return;
  }
  pending_ = task;
  if (const auto due = toQt(task.due)) {
    // Shown as the row will show it: a day without a time, whatever the language of the phrase.
    parts << tr("Due %1").arg(dueText(*due, task.allDay, libraryNow()));
  }
  if (task.listId) {
    parts << tr("in %1").arg(listTitle(*task.listId));
  } else {
    const QString fallback = listTitle(defaultListId_);
    if (d.parsedList) {
      parts << tr("no list \"%1\": in %2").arg(fromU16(*d.parsedList), fallback);
    } else if (!fallback.isEmpty()) {
      parts << tr("in %1").arg(fallback);
    }
  }
  if (task.flagged) parts << tr("flagged");
  if (task.recurrenceRule) parts << tr("repeats");
  if (const auto& reminder = task.reminder) {
    // Said as quickEntryAlarm writes it: before a due with a time it follows the due, else it counts
    // from now; a day alone rings at 09:00.
    if (reminder->beforeDue) {
      parts << (task.due && !task.allDay ? tr("reminder %1 before").arg(lengthText(*reminder->beforeDue))
                                         : tr("reminder in %1").arg(lengthText(*reminder->beforeDue)));
    } else if (const auto at = toQt(reminder->at)) {
      const QDateTime rings = reminder->atIsDay ? QDateTime(at->date(), QTime(9, 0)) : *at;
      parts << tr("reminder %1").arg(dueText(rings, false, libraryNow()));
    }
  }
  preview_->setText(QStringLiteral("\u201C%1\u201D  ").arg(task.title) + parts.join(QStringLiteral(" \u00B7 ")));
}

// QLineEdit paints formats handed to it as input-method attributes; their positions count from the
// cursor.
void QuickEntry::paintHighlights() {
  QList<QInputMethodEvent::Attribute> attributes;
  const int cursor = field_->cursorPosition();
  for (const auto& h : highlights_) {
    attributes << QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, h.start - cursor, h.length, format(h.kind));
  }
  QInputMethodEvent event(QString(), attributes);
  QCoreApplication::sendEvent(field_, &event);
}

void QuickEntry::submit() {
  if (!pending_) return;
  const NewTask task = *pending_;
  field_->clear();
  Q_EMIT createRequested(task);
}

bool QuickEntry::eventFilter(QObject* watched, QEvent* event) {
  if (watched == field_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !field_->text().isEmpty()) {
    field_->clear();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace zarvo::desktop
