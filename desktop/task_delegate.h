// Paints one task row: a round checkbox, the title in the task's colour, and at the right the
// priority marks, the flag and the due date (red once overdue), with the list's colour as a dot.
// A click on the checkbox completes the task (through the model's check state).
#pragma once

#include <QStyledItemDelegate>

namespace zarvo::desktop {

class TaskDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

  // Where the checkbox of a row drawn in `rowRect` is.
  static QRect checkboxRect(const QRect& rowRect);
};

}  // namespace zarvo::desktop
