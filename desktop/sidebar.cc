#include "desktop/sidebar.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QStyledItemDelegate>

namespace zarvo::desktop {

namespace {

constexpr char kListMime[] = "application/x-zarvo-list-id";

enum Role { kScopeSmart = Qt::UserRole + 1, kScopeList, kCount, kColour, kGroupLists, kGroupFolded };

QColor qColour(platform::RGBA rgba) { return QColor(rgba.red, rgba.green, rgba.blue, rgba.alpha); }

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
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDropIndicatorShown(true);
  connect(this, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    const QVariant id = item->data(kScopeList);
    if (id.isValid()) Q_EMIT renameRequested(id.toString(), item->text());
  });
  for (SmartList smart : kSmartLists) {
    auto* item = new QListWidgetItem(title(smart), this);
    item->setData(kScopeSmart, int(smart));
  }
  setCurrentRow(0);
  connect(this, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
    // A header is no scope: the view keeps what it shows.
    if (!item || item->data(kGroupLists).isValid()) return;
    lastScope_ = scope();
    Q_EMIT scopeChanged(lastScope_);
  });
  connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    if (item->data(kGroupLists).isValid()) toggle(item);
  });
}

void Sidebar::toggle(const QListWidgetItem* header) {
  Q_EMIT collapseRequested(header->data(kGroupLists).toStringList(), !header->data(kGroupFolded).toBool());
}

void Sidebar::keyPressEvent(QKeyEvent* event) {
  const QListWidgetItem* item = currentItem();
  if (item && item->data(kGroupLists).isValid()) {
    const bool folded = item->data(kGroupFolded).toBool();
    switch (event->key()) {
      case Qt::Key_Space:
      case Qt::Key_Return:
      case Qt::Key_Enter: return toggle(item);
      case Qt::Key_Left:
        if (!folded) toggle(item);
        return;
      case Qt::Key_Right:
        if (folded) toggle(item);
        return;
      default: break;
    }
  }
  QListWidget::keyPressEvent(event);
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
  if (item->data(kGroupLists).isValid()) return lastScope_;
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

const std::vector<Sidebar::NamedColour>& Sidebar::listColours() {
  static const std::vector<NamedColour> colours = {
      {QT_TR_NOOP("Red"), {255, 59, 48}},     {QT_TR_NOOP("Orange"), {255, 149, 0}},
      {QT_TR_NOOP("Yellow"), {255, 204, 0}},  {QT_TR_NOOP("Green"), {52, 199, 89}},
      {QT_TR_NOOP("Blue"), {0, 122, 255}},    {QT_TR_NOOP("Purple"), {175, 82, 222}},
      {QT_TR_NOOP("Brown"), {162, 132, 94}},  {QT_TR_NOOP("Grey"), {142, 142, 147}},
  };
  return colours;
}

void Sidebar::contextMenuEvent(QContextMenuEvent* event) {
  QListWidgetItem* item = event->reason() == QContextMenuEvent::Mouse ? itemAt(event->pos()) : currentItem();
  if (!item || !item->data(kScopeList).isValid()) return;
  const QString id = item->data(kScopeList).toString();
  const QPoint at = event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                                 : viewport()->mapToGlobal(visualItemRect(item).center());
  // Not modal: the window stays live while it is open.
  menu_ = new QMenu(this);
  menu_->setAttribute(Qt::WA_DeleteOnClose);
  menu_->setAccessibleName(tr("Colour of %1").arg(item->text()));
  for (const auto& colour : listColours()) {
    QAction* action = menu_->addAction(QIcon(dot(qColour(colour.value))), tr(colour.name));
    connect(action, &QAction::triggered, this,
            [this, id, value = colour.value] { Q_EMIT recolourRequested(id, platform::Colour::rgb(value)); });
  }
  menu_->addSeparator();
  QAction* remove = menu_->addAction(tr("Remove List\u2026"));
  connect(remove, &QAction::triggered, this, [this, id, title = item->text()] { Q_EMIT removeRequested(id, title); });
  menu_->popup(at);
}

void Sidebar::setDark(bool dark) { dark_ = dark; }

QStringList Sidebar::mimeTypes() const { return {QString::fromLatin1(kListMime)}; }

QMimeData* Sidebar::mimeData(const QList<QListWidgetItem*>& items) const {
  if (items.size() != 1 || !items.front()->data(kScopeList).isValid()) return nullptr;
  auto* mime = new QMimeData;
  mime->setData(QString::fromLatin1(kListMime), items.front()->data(kScopeList).toString().toUtf8());
  return mime;
}

QString Sidebar::dropTarget(const QPoint& at) const {
  const QListWidgetItem* item = itemAt(at);
  return item && item->data(kScopeList).isValid() ? item->data(kScopeList).toString() : QString();
}

void Sidebar::dragEnterEvent(QDragEnterEvent* event) {
  const QMimeData* mime = event->mimeData();
  if (mime->hasFormat(QString::fromLatin1(kListMime)) || mime->hasFormat(QString::fromLatin1(kTaskUidsMime))) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void Sidebar::dragMoveEvent(QDragMoveEvent* event) {
  if (dropTarget(event->position().toPoint()).isEmpty()) {
    event->ignore();
  } else {
    event->acceptProposedAction();
  }
}

void Sidebar::dropEvent(QDropEvent* event) {
  const QString target = dropTarget(event->position().toPoint());
  const QMimeData* mime = event->mimeData();
  if (target.isEmpty()) return event->ignore();
  if (mime->hasFormat(QString::fromLatin1(kListMime))) {
    const QString id = QString::fromUtf8(mime->data(QString::fromLatin1(kListMime)));
    if (id != target) Q_EMIT reorderRequested(id, target);
  } else if (mime->hasFormat(QString::fromLatin1(kTaskUidsMime))) {
    const QStringList uids =
        QString::fromUtf8(mime->data(QString::fromLatin1(kTaskUidsMime))).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (!uids.isEmpty()) Q_EMIT tasksDropped(uids, target);
  } else {
    return event->ignore();
  }
  // A copy as far as the views know: neither removes its dragged rows, the next Snapshot shows where
  // everything went.
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void Sidebar::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  QListWidget::closeEditor(editor, hint);
  if (!pending_) return;
  const Snapshot snapshot = std::move(*pending_);
  pending_.reset();
  setSnapshot(snapshot);
}

void Sidebar::setSnapshot(const Snapshot& snapshot) {
  if (state() == QAbstractItemView::EditingState) {
    pending_ = snapshot;
    return;
  }
  const Scope chosen = scope();
  // A header chosen with the keyboard stays chosen, so its fold can be undone with another key.
  const QStringList chosenHeader = currentItem() ? currentItem()->data(kGroupLists).toStringList() : QStringList();
  const QSignalBlocker quiet(this);
  clear();
  for (SmartList smart : kSmartLists) {
    auto* item = new QListWidgetItem(title(smart), this);
    item->setData(kScopeSmart, int(smart));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setData(kCount, QVariant::fromValue(snapshot.count(smart)));
  }
  // The accounts in the order of their first list; each account's lists in their stored order.
  std::vector<QString> accounts;
  for (const auto& list : snapshot.lists) {
    if (std::find(accounts.begin(), accounts.end(), list.account) == accounts.end()) accounts.push_back(list.account);
  }
  if (accounts.empty()) accounts.push_back({});
  for (const QString& account : accounts) {
    QStringList ids;
    bool folded = true;
    for (const auto& list : snapshot.lists) {
      if (list.account != account) continue;
      ids << list.id;
      folded = folded && list.collapsed;
    }
    folded = folded && !ids.isEmpty();
    const QString name = accounts.size() == 1 ? tr("My Lists") : account.isEmpty() ? tr("This computer") : account;
    // A triangle that points at the lists when they show, past them when they are folded.
    auto* header = new QListWidgetItem((folded ? QStringLiteral("\u25B8 ") : QStringLiteral("\u25BE ")) + name, this);
    header->setFlags(ids.isEmpty() ? Qt::NoItemFlags : Qt::ItemIsEnabled);
    header->setData(kGroupLists, ids);
    header->setData(kGroupFolded, folded);
    header->setData(Qt::AccessibleTextRole, folded ? tr("%1, folded").arg(name) : tr("%1, unfolded").arg(name));
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);
    for (const auto& list : snapshot.lists) {
      if (list.account != account) continue;
      const auto rgba = list.colour.resolved(dark_ ? platform::Appearance::dark : platform::Appearance::light);
      auto* item = new QListWidgetItem(dot(qColour(rgba)), list.title, this);
      item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled |
                     Qt::ItemIsDropEnabled);
      item->setData(kScopeList, list.id);
      item->setData(kCount, QVariant::fromValue(list.openCount));
      item->setData(Qt::AccessibleTextRole, list.title + QStringLiteral(", ") + list.countTitle);
      item->setHidden(folded);
    }
  }
  select(chosen);
  for (int row = 0; !chosenHeader.isEmpty() && row < count(); ++row) {
    if (item(row)->data(kGroupLists).toStringList() == chosenHeader) setCurrentRow(row);
  }
  // The scope survives unless its list went: then the view follows the first entry.
  if (scope() != chosen) {
    lastScope_ = scope();
    Q_EMIT scopeChanged(lastScope_);
  }
}

}  // namespace zarvo::desktop
