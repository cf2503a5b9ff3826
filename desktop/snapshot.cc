#include "desktop/snapshot.h"

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

}  // namespace zarvo::desktop
