// The task filters the command line names by word: ls's flags and the sections of the default report
// (Settings::report) read the same words the same way.
#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "zarvo/model/task.h"

namespace zarvo::app {

// The filter called `name`: "overdue" (due before now; an all-day due once its day is over), "today" (due by the end of today, overdue
// included), "upcoming" (due tomorrow or later), "flagged", "top" (the highest priority), "week" (due
// in this calendar week, the week starting on `firstWeekday`, 1 = Sunday ... 7 = Saturday) or "no-due"
// (without a due date). Nothing for another name. Make filters after a ScopedClock (--ref) is in
// place: "week" reads the process clock when it is made.
std::optional<Task::Filter> namedFilter(std::string_view name, int firstWeekday);

// Incomplete-first listings read by due date: earliest first (latest first when not `ascending`),
// tasks without a due date after every dated one in the order they had.
std::vector<std::shared_ptr<Task>> inDueOrder(std::vector<std::shared_ptr<Task>> tasks, bool ascending,
                                              std::vector<std::optional<Date>>* dues = nullptr);

}  // namespace zarvo::app
