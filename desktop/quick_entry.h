// QuickEntry: the line at the top of the window. While a person types, the same parser as `zarvo add`
// (with the settings' quick-entry options) reads the line; the date phrase, the list reference and the
// flag are highlighted where they stand, and a preview says what Enter will create. A "remind me …"
// phrase is read too when the options ask for it (Settings::typedLineOptions), and its alarm is
// written with the task. Enter asks
// for the task (createRequested) and clears the line; Esc clears it.
//
// Threads: the UI thread. The parser reads list titles through their calendars, so it never sees the
// store's records: it is handed copies of the lists' identifiers and titles (setLists), owned here.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

#include "desktop/snapshot.h"
#include "desktop/store_controller.h"
#include "zarvo/model/list.h"
#include "zarvo/quickentry/quick_task_parser.h"

namespace zarvo::desktop {

struct Highlight {
  enum class Kind { date, list, unknownList, flag, reminder };
  Kind kind;
  int start = 0;  // in UTF-16 code units of the line, as QString counts
  int length = 0;
  friend bool operator==(const Highlight&, const Highlight&) = default;
};

class QuickEntry : public QWidget {
  Q_OBJECT

 public:
  explicit QuickEntry(QuickEntryOptions options, QWidget* parent = nullptr);

  // The lists a line may name, and the one a task goes to when it names none.
  void setLists(const Snapshot& snapshot);

  QLineEdit* field() const { return field_; }
  const std::vector<Highlight>& highlights() const { return highlights_; }
  QString preview() const { return preview_->text(); }
  // What Enter would create now; none when the line leaves no title.
  std::optional<NewTask> pending() const { return pending_; }

 Q_SIGNALS:
  void createRequested(const zarvo::desktop::NewTask& task);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void reparse();
  void paintHighlights();
  void submit();
  QString listTitle(const QString& id) const;

  QuickTaskParser parser_;
  std::vector<std::shared_ptr<List>> lists_;
  QString defaultListId_;
  QLineEdit* field_;
  QLabel* preview_;
  std::vector<Highlight> highlights_;
  std::optional<NewTask> pending_;
};

}  // namespace zarvo::desktop
