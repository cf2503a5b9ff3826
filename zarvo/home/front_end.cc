#include "zarvo/home/front_end.h"

#include "zarvo/model/task.h"

namespace zarvo {

void enableFrontEndOptions() {
  Task::setRfcPriorityScale(true);
  Task::setDueAlarmsFollowDue(true);
  Task::setColorizeTitles(true);
}

}  // namespace zarvo
