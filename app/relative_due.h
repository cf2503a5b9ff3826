// Due dates as a person reads them in a list: relative to now within a fortnight, else a date.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "zarvo/model/task.h"
#include "zarvo/platform/date_calendar.h"

namespace zarvo::app {

// How dates are written: the format of a date beyond next week (zarvo/home/settings.h: formatDate) and the first
// day of the week (1 = Sunday ... 7 = Saturday), which decides what "next Mon" is.
struct DateStyle {
  std::string dateFormat = "%Y-%m-%d";
  int firstWeekday = 2;
};

// The due date relative to `now`: "today 17:00", "tomorrow 17:00", "Fri 09:30" (later this week),
// "next Tue 08:00" (in the next week), "2024-04-02 08:00" (later, in `style`'s format),
// "yesterday 17:00", "3 days overdue"; no time for a due date without one. A completed task is never
// overdue: its earlier due dates are written as dates. "" without a due date.
std::string relativeDue(const Task& task, Date now, const DateStyle& style = {});

// relativeDue for many tasks against one `now`, with the calendar work done once. Keeps a reference
// to `style`, which must outlive it. One object is for one thread: it remembers the last date it
// wrote, which tasks listed in due order share.
class RelativeDue {
 public:
  RelativeDue(Date now, const DateStyle& style);
  std::string operator()(const Task& task) const;
  // The same text, appended to `out`.
  void appendTo(std::string& out, const Task& task) const;
  // The same, with the task's due date (task.dueDate()) already read.
  void appendTo(std::string& out, const Task& task, std::optional<Date> due) const;

 private:
  Date now_;
  const DateStyle& style_;
  platform::DateCalendar calendar_;
  int nowWeekday_;
  // The day (days from now) last written as a date in `style_`'s format, and how.
  mutable std::optional<int64_t> writtenDay_;
  mutable std::string written_;
};

}  // namespace zarvo::app
