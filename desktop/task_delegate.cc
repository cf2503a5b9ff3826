#include "desktop/task_delegate.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include "desktop/task_model.h"

namespace zarvo::desktop {

namespace {
constexpr int kPadding = 10;
constexpr int kCheckbox = 16;
// The system's orange, for flags.
const QColor kFlagColour(255, 149, 0);
}  // namespace

QRect TaskDelegate::checkboxRect(const QRect& rowRect) {
  return QRect(rowRect.left() + kPadding, rowRect.center().y() - kCheckbox / 2 + 1, kCheckbox, kCheckbox);
}

QSize TaskDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return QSize(200, option.fontMetrics.height() + 16);
}

void TaskDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  const QPalette& palette = option.palette;
  const bool selected = option.state & QStyle::State_Selected;
  if (selected) painter->fillRect(option.rect, palette.highlight());

  const QRect box = checkboxRect(option.rect);
  painter->setPen(QPen(selected ? palette.highlightedText().color() : palette.mid().color(), 1.5));
  painter->setBrush(Qt::NoBrush);
  painter->drawEllipse(box);

  QRect text = option.rect.adjusted(box.right() + kPadding, 0, -kPadding, 0);
  const QFontMetrics metrics(option.font);

  // Right to left: list dot, due date, flag, priority.
  const QColor listColour = index.data(TaskModel::ListColourRole).value<QColor>();
  const QRect dot(text.right() - 8, option.rect.center().y() - 3, 8, 8);
  painter->setPen(Qt::NoPen);
  painter->setBrush(listColour);
  painter->drawEllipse(dot);
  text.setRight(dot.left() - kPadding);

  const QString due = index.data(TaskModel::DueTextRole).toString();
  if (!due.isEmpty()) {
    const bool overdue = index.data(TaskModel::OverdueRole).toBool();
    QColor colour = overdue ? QColor(255, 59, 48) : palette.placeholderText().color();
    if (selected && !overdue) colour = palette.highlightedText().color();
    painter->setPen(colour);
    const int width = metrics.horizontalAdvance(due);
    painter->drawText(QRect(text.right() - width, text.top(), width, text.height()), Qt::AlignVCenter, due);
    text.setRight(text.right() - width - kPadding);
  }
  if (index.data(TaskModel::FlaggedRole).toBool()) {
    const QString flag = QStringLiteral("\u2691");
    const int width = metrics.horizontalAdvance(flag);
    painter->setPen(kFlagColour);
    painter->drawText(QRect(text.right() - width, text.top(), width, text.height()), Qt::AlignVCenter, flag);
    text.setRight(text.right() - width - kPadding);
  }
  if (const int priority = index.data(TaskModel::PriorityRole).toInt(); priority > 0) {
    const QString marks(priority, QLatin1Char('!'));
    const int width = metrics.horizontalAdvance(marks);
    painter->setPen(selected ? palette.highlightedText().color() : kFlagColour);
    painter->drawText(QRect(text.right() - width, text.top(), width, text.height()), Qt::AlignVCenter, marks);
    text.setRight(text.right() - width - kPadding);
  }

  // Tags before the marks, taking at most a third of what is left, so the title stays readable.
  if (const QStringList tags = index.data(TaskModel::TagsRole).toStringList(); !tags.isEmpty()) {
    const QString label = QStringLiteral("#") + tags.join(QStringLiteral(" #"));
    const int width = std::min(metrics.horizontalAdvance(label), text.width() / 3);
    painter->setPen(selected ? palette.highlightedText().color() : palette.placeholderText().color());
    painter->drawText(QRect(text.right() - width, text.top(), width, text.height()), Qt::AlignVCenter,
                      metrics.elidedText(label, Qt::ElideRight, width));
    text.setRight(text.right() - width - kPadding);
  }

  QColor titleColour = index.data(Qt::ForegroundRole).value<QColor>();
  if (selected) titleColour = palette.highlightedText().color();
  painter->setPen(titleColour);
  painter->setFont(option.font);
  painter->drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
                    metrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, text.width()));
  painter->restore();
}

bool TaskDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                               const QModelIndex& index) {
  if (event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton && checkboxRect(option.rect).contains(mouse->position().toPoint())) {
      return model->setData(index, Qt::Checked, Qt::CheckStateRole);
    }
  }
  return false;
}

}  // namespace zarvo::desktop
