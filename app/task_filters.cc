#include "app/task_filters.h"

#include <algorithm>

#include "app/task_order.h"
#include "zarvo/platform/clock.h"
#include "zarvo/platform/date_calendar.h"

namespace zarvo::app {

namespace {

// From the start of the week's first day to the start of the next week's first day.
Task::Filter weekFilter(int firstWeekday) {
  const auto calendar = platform::DateCalendar::current();
  const Date now = platform::Clock::currentNow();
  const int back = (calendar.weekday(now) - firstWeekday + 7) % 7;
  const Date start = calendar.adding(platform::CalendarUnit::day, -back, calendar.startOfDay(now));
  const Date end = calendar.adding(platform::CalendarUnit::day, 7, start);
  return [start, end](const Task& task) {
    const auto due = task.dueDate();
    return due && !(*due < start) && *due < end;
  };
}

}  // namespace

std::optional<Task::Filter> namedFilter(std::string_view name, int firstWeekday) {
  if (name == "overdue") {
    return Task::Filter([](const Task& task) {
      if (!task.isPastDue()) return false;
      if (!task.isAllDay()) return true;
      // An all-day due names a whole day: a person calls it overdue once that day is over.
      return *task.dueDate() < platform::DateCalendar::current().startOfDay(platform::Clock::currentNow());
    });
  }
  if (name == "today") return Task::filterForTodayTasks();
  if (name == "upcoming") return Task::filterForUpcomingTasks();
  if (name == "flagged") return Task::filterForFlaggedTasks();
  if (name == "top") return Task::filterForTopTasks();
  if (name == "week") return weekFilter(firstWeekday);
  if (name == "no-due") return Task::Filter([](const Task& task) { return !task.dueDate(); });
  return std::nullopt;
}

std::vector<std::shared_ptr<Task>> inDueOrder(std::vector<std::shared_ptr<Task>> tasks, bool ascending,
                                              std::vector<std::optional<Date>>* dues) {
  // The library's order puts a task without a due date where "now" would be; a person reading by due
  // date looks for it after every dated task.
  return sortedByDueDatedFirst(std::move(tasks), ascending, dues);
}

}  // namespace zarvo::app
