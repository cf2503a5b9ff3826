// The orders `ls` shows tasks in.
//
// Each order answers exactly what the library's sorter of the same name (Task::sorterForDueDate and
// the others) answers for every pair of tasks, so the result is the same permutation as
// zarvo::sorted(tasks, sorter); the difference is cost. A sorter asks each task for its key again at
// every comparison (a due date is a calendar computation, a title a copy under a lock), about
// 2 n log n times; here every key is read once per task and the comparisons read plain values.
#pragma once

#include <memory>
#include <vector>

#include "zarvo/model/task.h"

namespace zarvo::app {

enum class TaskOrder { priority, dueDate, creationDate, title, overdueOnTop };

// `tasks` in `order`. `ascending` is the sorter's argument where it has one (priority and the dates);
// title and overdue-on-top have none and ignore it. Reads the clock once, as a sorter does when it is
// made: a task without the date sorts as if it had it now.
std::vector<std::shared_ptr<Task>> sortedTasks(std::vector<std::shared_ptr<Task>> tasks, TaskOrder order,
                                               bool ascending);

// sortedTasks(tasks, TaskOrder::dueDate, ascending), then the tasks without a due date moved after
// every dated one, each part keeping its order. Each task's due date is read once; with `dues`, the
// dates read are handed back in the order of the tasks returned, so that what shows the tasks next
// need not ask each task again.
std::vector<std::shared_ptr<Task>> sortedByDueDatedFirst(std::vector<std::shared_ptr<Task>> tasks, bool ascending,
                                                         std::vector<std::optional<Date>>* dues = nullptr);

}  // namespace zarvo::app
