#include "desktop/details_pane.h"

#include <QFormLayout>

#include "desktop/due_text.h"

namespace zarvo::desktop {

DetailsPane::DetailsPane(QWidget* parent)
    : QWidget(parent), title_(new QLabel), due_(new QLabel), list_(new QLabel), priority_(new QLabel), flag_(new QLabel),
      tags_(new QLabel) {
  setAccessibleName(tr("Task details"));
  auto* form = new QFormLayout(this);
  form->setContentsMargins(12, 12, 12, 12);
  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);
  title_->setWordWrap(true);
  form->addRow(title_);
  const std::pair<QLabel*, QString> rows[] = {{due_, tr("Due")},           {list_, tr("List")}, {priority_, tr("Priority")},
                                              {flag_, tr("Flagged")},       {tags_, tr("Tags")}};
  for (const auto& [label, name] : rows) {
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setAccessibleName(name);
    form->addRow(name, label);
  }
  title_->setTextFormat(Qt::PlainText);
  title_->setAccessibleName(tr("Title"));
}

void DetailsPane::setTask(const TaskRow* row, const QString& listTitle) {
  if (!row) {
    uid_.clear();
    for (QLabel* label : {title_, due_, list_, priority_, flag_, tags_}) label->clear();
    return;
  }
  uid_ = row->uid;
  title_->setText(row->title);
  due_->setText(row->due ? zarvo::desktop::dueText(*row->due, row->allDay, libraryNow()) : tr("None"));
  list_->setText(listTitle);
  static const char* const kPriorities[] = {QT_TR_NOOP("None"), QT_TR_NOOP("Low"), QT_TR_NOOP("Medium"), QT_TR_NOOP("High")};
  priority_->setText(tr(kPriorities[std::clamp(row->priority, 0, 3)]));
  flag_->setText(row->flagged ? tr("Yes") : tr("No"));
  QStringList tags;
  for (const QString& tag : row->tags) tags << QStringLiteral("#") + tag;
  tags_->setText(tags.isEmpty() ? tr("None") : tags.join(QStringLiteral(", ")));
}

}  // namespace zarvo::desktop
