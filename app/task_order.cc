#include "app/task_order.h"

#include <string>
#include <utility>

#include "zarvo/platform/clock.h"
#include "zarvo/platform/text_compare.h"
#include "zarvo/store/sorting.h"

namespace zarvo::app {

namespace {

// Reads every task's key once, sorts (key, position) pairs with the comparator the library's sorter
// would apply to the tasks, and hands the tasks back in that order. The merge sort is the one
// zarvo::sorted uses, so ties and non-strict comparators resolve the same way.
template <class Key, class KeyOf, class GoesBefore>
std::vector<std::shared_ptr<Task>> sortedByKey(std::vector<std::shared_ptr<Task>> tasks, KeyOf keyOf,
                                               GoesBefore goesBefore) {
  std::vector<std::pair<Key, size_t>> keyed;
  keyed.reserve(tasks.size());
  for (size_t i = 0; i < tasks.size(); ++i) keyed.emplace_back(keyOf(*tasks[i]), i);
  keyed = store::stableSorted(std::move(keyed), [&](const std::pair<Key, size_t>& a, const std::pair<Key, size_t>& b) {
    return goesBefore(a.first, b.first);
  });
  std::vector<std::shared_ptr<Task>> out;
  out.reserve(tasks.size());
  for (const auto& [_, at] : keyed) out.push_back(std::move(tasks[at]));
  return out;
}

std::vector<std::shared_ptr<Task>> sortedByDate(std::vector<std::shared_ptr<Task>> tasks,
                                                std::optional<Date> (Task::*date)() const, bool ascending) {
  const Date made = platform::Clock::currentNow();
  auto keyOf = [&](const Task& task) { return (task.*date)().value_or(made); };
  if (ascending) return sortedByKey<Date>(std::move(tasks), keyOf, [](Date a, Date b) { return !(b < a); });
  return sortedByKey<Date>(std::move(tasks), keyOf, [](Date a, Date b) { return a > b; });
}

}  // namespace

std::vector<std::shared_ptr<Task>> sortedTasks(std::vector<std::shared_ptr<Task>> tasks, TaskOrder order,
                                               bool ascending) {
  switch (order) {
    case TaskOrder::priority: {
      auto keyOf = [](const Task& task) { return task.priority(); };
      if (ascending) return sortedByKey<int>(std::move(tasks), keyOf, [](int a, int b) { return !(b < a); });
      return sortedByKey<int>(std::move(tasks), keyOf, [](int a, int b) { return a > b; });
    }
    case TaskOrder::dueDate: return sortedByDate(std::move(tasks), &Task::dueDate, ascending);
    case TaskOrder::creationDate: return sortedByDate(std::move(tasks), &Task::creationDate, ascending);
    case TaskOrder::title:
      return sortedByKey<std::string>(
          std::move(tasks), [](const Task& task) { return task.title().value_or(""); },
          [](const std::string& a, const std::string& b) { return platform::compareCanonically(a, b) <= 0; });
    case TaskOrder::overdueOnTop: {
      struct Due {
        bool todayOrEarlier, past;
      };
      return sortedByKey<Due>(
          std::move(tasks), [](const Task& task) { return Due{task.isDueTodayOrEarlier(), task.isPastDue()}; },
          [](const Due& a, const Due& b) { return a.todayOrEarlier && !b.past; });
    }
  }
  return tasks;
}

}  // namespace zarvo::app
