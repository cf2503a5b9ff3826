#include "desktop/snapshot.h"

#include <algorithm>

namespace zarvo::desktop {

bool TaskRow::in(SmartList smart) const {
  switch (smart) {
    case SmartList::today: return today;
    case SmartList::upcoming: return upcoming;
    case SmartList::flagged: return flagged;
    case SmartList::top: return top;
    case SmartList::all: return true;
  }
  return false;
}

int64_t Snapshot::count(SmartList smart) const {
  return std::count_if(tasks.begin(), tasks.end(), [smart](const TaskRow& row) { return row.in(smart); });
}

}  // namespace zarvo::desktop
