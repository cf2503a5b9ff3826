// The test seam of CalendarIO: independent instances over temporary stores, and a look at the
// refresh state. For tests and benchmarks only; applications use CalendarIO::shared().
#pragma once

#include <memory>
#include <optional>

#include "zarvo/sync/calendar_io.h"

namespace zarvo {

class CalendarIOTestAccess {
 public:
  // A new instance over the store described by `options`, observing notifications as shared() does.
  static std::unique_ptr<CalendarIO> make(reminders::EventStoreOptions options);

  static bool needsRefresh(const CalendarIO& io);
  static bool isRefreshing(const CalendarIO& io);
  static CalendarIO::TaskArray cachedTasks(const CalendarIO& io);
  static std::optional<CalendarIO::ListArray> cachedLists(const CalendarIO& io);
  static bool cachedCompletedOnly(const CalendarIO& io);
  // Holds and releases the refresh gate, to keep refresh workers waiting.
  static void acquireGate(CalendarIO& io);
  static void releaseGate(CalendarIO& io);
};

}  // namespace zarvo
