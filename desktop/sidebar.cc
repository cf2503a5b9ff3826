#include "desktop/sidebar.h"

#include <QPainter>
#include <QStyledItemDelegate>

namespace zarvo::desktop {

namespace {

enum Role { kScopeSmart = Qt::UserRole + 1, kScopeList, kCount, kColour };

// Entries with the open count at the right edge.
class CountDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    const QVariant count = index.data(kCount);
    if (!count.isValid()) return;
    painter->save();
    painter->setPen(option.state & QStyle::State_Selected ? option.palette.highlightedText().color()
                                                          : option.palette.placeholderText().color());
    painter->drawText(option.rect.adjusted(0, 0, -10, 0), Qt::AlignVCenter | Qt::AlignRight, count.toString());
    painter->restore();
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), option.fontMetrics.height() + 12));
    return size;
  }
};

QIcon dot(const QColor& colour) {
  QPixmap pixmap(14, 14);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawEllipse(1, 1, 12, 12);
  return QIcon(pixmap);
}

}  // namespace

Sidebar::Sidebar(QWidget* parent) : QListWidget(parent) {
  setItemDelegate(new CountDelegate(this));
  setAccessibleName(tr("Lists"));
  setFrameShape(QFrame::NoFrame);
  for (SmartList smart : kSmartLists) {
    auto* item = new QListWidgetItem(title(smart), this);
    item->setData(kScopeSmart, int(smart));
  }
  setCurrentRow(0);
  connect(this, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
    if (item) Q_EMIT scopeChanged(scope());
  });
}

QString Sidebar::title(SmartList smart) {
  switch (smart) {
    case SmartList::today: return tr("Today");
    case SmartList::upcoming: return tr("Upcoming");
    case SmartList::flagged: return tr("Flagged");
    case SmartList::top: return tr("Top");
    case SmartList::all: return tr("All");
  }
  return {};
}

Scope Sidebar::scope() const {
  const QListWidgetItem* item = currentItem();
  if (!item) return SmartList::today;
  if (item->data(kScopeList).isValid()) return item->data(kScopeList).toString();
  return SmartList(item->data(kScopeSmart).toInt());
}

void Sidebar::select(const Scope& scope) {
  for (int row = 0; row < count(); ++row) {
    const QListWidgetItem* it = item(row);
    const bool match = std::holds_alternative<SmartList>(scope)
                           ? it->data(kScopeSmart).isValid() && it->data(kScopeSmart).toInt() == int(std::get<SmartList>(scope))
                           : it->data(kScopeList).toString() == std::get<QString>(scope);
    if (match) {
      setCurrentRow(row);
      return;
    }
  }
  setCurrentRow(0);
}

void Sidebar::setDark(bool dark) { dark_ = dark; }

void Sidebar::setSnapshot(const Snapshot& snapshot) {
  const Scope chosen = scope();
  const QSignalBlocker quiet(this);
  clear();
  for (SmartList smart : kSmartLists) {
    auto* item = new QListWidgetItem(title(smart), this);
    item->setData(kScopeSmart, int(smart));
    item->setData(kCount, QVariant::fromValue(snapshot.count(smart)));
  }
  auto* header = new QListWidgetItem(tr("My Lists"), this);
  header->setFlags(Qt::NoItemFlags);
  QFont bold = header->font();
  bold.setBold(true);
  header->setFont(bold);
  for (const auto& list : snapshot.lists) {
    const auto rgba = list.colour.resolved(dark_ ? platform::Appearance::dark : platform::Appearance::light);
    auto* item = new QListWidgetItem(dot(QColor(rgba.red, rgba.green, rgba.blue, rgba.alpha)), list.title, this);
    item->setData(kScopeList, list.id);
    item->setData(kCount, QVariant::fromValue(list.openCount));
    item->setData(Qt::AccessibleTextRole, list.title + QStringLiteral(", ") + list.countTitle);
  }
  select(chosen);
  // The scope survives unless its list went: then the view follows the first entry.
  if (scope() != chosen) Q_EMIT scopeChanged(scope());
}

}  // namespace zarvo::desktop
