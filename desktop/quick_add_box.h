// QuickAddBox: quick entry alone in a small window (`zarvo-desktop --quick-add`, for a global
// shortcut). Enter creates the task through the store controller and the box closes once it is
// saved (if it cannot be, the box stays and says why); Esc clears the line, and on an empty line
// closes the box.
//
// Threads: the UI thread. The controller must outlive the box.
#pragma once

#include <QDialog>
#include <QLabel>

#include "desktop/quick_entry.h"
#include "desktop/store_controller.h"

namespace zarvo::desktop {

class QuickAddBox : public QDialog {
  Q_OBJECT

 public:
  QuickAddBox(StoreController& controller, QuickEntryOptions options, QWidget* parent = nullptr);

  QuickEntry* quickEntry() const { return entry_; }
  // Shows the box empty, in front, with the keyboard in the line.
  void open() override;

 Q_SIGNALS:
  // The box closed: after its task was saved, or on Esc (then nothing was made).
  void closed();

 protected:
  void done(int result) override;

 private:
  StoreController& controller_;
  QuickEntry* entry_;
  QLabel* problem_;  // why the last task was not saved
  bool waiting_ = false;  // a task was asked for and is not saved yet
};

}  // namespace zarvo::desktop
