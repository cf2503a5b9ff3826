#include "app/relative_due.h"

#include <fmt/format.h>

#include "zarvo/home/settings.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

namespace {

bool dueHasTime(const Task& task) {
  auto reminder = task.reminder();
  return reminder && reminder->dueDateComponents() && reminder->dueDateComponents()->hour.has_value();
}

}  // namespace

RelativeDue::RelativeDue(Date now, const DateStyle& style)
    : now_(now), style_(style), calendar_(platform::DateCalendar::current()), nowWeekday_(calendar_.weekday(now)) {}

std::string RelativeDue::operator()(const Task& task) const {
  const std::optional<Date> due = task.dueDate();
  if (!due) return "";
  const platform::DateComponents c = calendar_.components(*due);
  std::string time;
  if (dueHasTime(task)) {
    time += ' ';  // (an assignment of " " here trips a false -Wrestrict in GCC 12 at -O3)
    platform::appendZeroPadded(time, *c.hour, 2);
    time += ':';
    platform::appendZeroPadded(time, *c.minute, 2);
  }
  const int64_t days = calendar_.daysBetween(now_, *due);
  if (days == 0) return "today" + time;
  if (days == 1) return "tomorrow" + time;
  if (days == -1) return "yesterday" + time;
  if (days < 0 && !task.isCompleted()) return fmt::format("{} days overdue", -days);
  static constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  const int dueWeekday = *c.weekday;
  if (days > 0) {
    // Days from the first day of this week to the due day.
    const int64_t fromWeekStart = (nowWeekday_ - style_.firstWeekday + 7) % 7 + days;
    if (fromWeekStart < 7) return kWeekdays[dueWeekday - 1] + time;
    if (fromWeekStart < 14) return std::string("next ") + kWeekdays[dueWeekday - 1] + time;
  }
  return formatDate(style_.dateFormat, *c.year, *c.month, *c.day, dueWeekday) + time;
}

std::string relativeDue(const Task& task, Date now, const DateStyle& style) { return RelativeDue(now, style)(task); }

}  // namespace zarvo::app
