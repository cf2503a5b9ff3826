#include "zarvo/home/front_end.h"

#include "zarvo/model/task.h"
#include "zarvo/reminders/event_store.h"
#include "zarvo/reminders/naming.h"

namespace zarvo {

void enableFrontEndOptions() {
  Task::setRfcPriorityScale(true);
  Task::setDueAlarmsFollowDue(true);
  Task::setColorizeTitles(true);
  reminders::setReadableFolderNames(true);
  reminders::setCompletedTaskFilesCheckInterval(kCompletedTaskFilesCheckInterval);
}

}  // namespace zarvo
