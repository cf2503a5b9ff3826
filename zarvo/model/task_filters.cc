// The ready-made filters and sorters over tasks. They read task properties only, never a store.
#include <chrono>

#include "zarvo/model/task.h"
#include "zarvo/platform/date_calendar.h"
#include "zarvo/platform/text_compare.h"

namespace zarvo {

Task::CompoundFilter::CompoundFilter(std::vector<std::optional<Filter>> filters) {
  for (auto& f : filters) {
    if (f && *f) filters_.push_back(std::move(*f));
  }
}

bool Task::CompoundFilter::evaluate(const Task& task) const {
  for (const auto& f : filters_) {
    if (!f(task)) return false;
  }
  return true;
}

Task::Filter Task::filterForFlaggedTasks() {
  return [](const Task& task) { return task.flagged(); };
}

Task::Filter Task::filterForTodayTasks() {
  return [](const Task& task) { return task.isDueTodayOrEarlier(); };
}

Task::Filter Task::filterForUpcomingTasks() {
  return [](const Task& task) {
    const auto due = task.dueDate();
    if (!due) return false;
    // Exactly 86,400 s after the start of today, not one calendar day: on a day when the clocks
    // change the boundary moves by the change.
    const Date startOfToday = platform::DateCalendar::current().startOfDay(platform::Clock::currentNow());
    return *due >= startOfToday + std::chrono::seconds(86'400);
  };
}

Task::Filter Task::filterForTopTasks() {
  return filterForTasksBy(3, [](int a, int b) { return a >= b; });
}

Task::Filter Task::filterForTasksBy(int priority, std::function<bool(int, int)> comparison) {
  return [priority, comparison = std::move(comparison)](const Task& task) {
    return comparison(task.priority(), priority);
  };
}

std::optional<Task::Filter> Task::filterForSearch(std::string_view string) {
  if (string.empty()) return std::nullopt;
  return [search = std::string(string)](const Task& task) {
    if (auto title = task.title(); title && platform::localizedStandardContains(*title, search)) return true;
    auto notes = task.notes();
    return notes && platform::localizedStandardContains(*notes, search);
  };
}

Task::Sorter Task::sorterForPriority(bool ascending) {
  if (ascending) return [](const Task& a, const Task& b) { return !(b.priority() < a.priority()); };
  return [](const Task& a, const Task& b) { return a.priority() > b.priority(); };
}

namespace {

Task::Sorter dateSorter(bool ascending, std::optional<Date> (Task::*date)() const) {
  const Date made = platform::Clock::currentNow();
  if (ascending) {
    return [made, date](const Task& a, const Task& b) {
      return !((b.*date)().value_or(made) < (a.*date)().value_or(made));
    };
  }
  return [made, date](const Task& a, const Task& b) { return (a.*date)().value_or(made) > (b.*date)().value_or(made); };
}

}  // namespace

Task::Sorter Task::sorterForDueDate(bool ascending) { return dateSorter(ascending, &Task::dueDate); }

Task::Sorter Task::sorterForCreationDate(bool ascending) { return dateSorter(ascending, &Task::creationDate); }

Task::Sorter Task::sorterForTitle() {
  return [](const Task& a, const Task& b) {
    return platform::compareCanonically(a.title().value_or(""), b.title().value_or("")) <= 0;
  };
}

Task::Sorter Task::sorterForOverdueOnTop() {
  return [](const Task& a, const Task& b) { return a.isDueTodayOrEarlier() && !b.isPastDue(); };
}

}  // namespace zarvo
