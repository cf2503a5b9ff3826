// Sidebar: the smart lists (Today, Upcoming, Flagged, Top, All) and the person's visible lists in
// their stored order, each with its colour and its number of open tasks. Choosing an entry announces
// the scope of the task list; a new Snapshot keeps the entry chosen when it still exists.
#pragma once

#include <QListWidget>

#include "desktop/snapshot.h"
#include "desktop/task_model.h"

namespace zarvo::desktop {

class Sidebar : public QListWidget {
  Q_OBJECT

 public:
  explicit Sidebar(QWidget* parent = nullptr);

  void setSnapshot(const Snapshot& snapshot);
  void setDark(bool dark);
  Scope scope() const;
  void select(const Scope& scope);

  static QString title(SmartList smart);

 Q_SIGNALS:
  void scopeChanged(const zarvo::desktop::Scope& scope);

 private:
  bool dark_ = false;
};

}  // namespace zarvo::desktop
