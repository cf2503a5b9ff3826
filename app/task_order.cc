#include "app/task_order.h"

#include <algorithm>
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
std::vector<std::pair<Key, size_t>> sortedKeys(const std::vector<std::shared_ptr<Task>>& tasks, KeyOf keyOf,
                                               GoesBefore goesBefore) {
  std::vector<std::pair<Key, size_t>> keyed;
  keyed.reserve(tasks.size());
  for (size_t i = 0; i < tasks.size(); ++i) keyed.emplace_back(keyOf(*tasks[i], i), i);
  return store::stableSorted(std::move(keyed), [&](const std::pair<Key, size_t>& a, const std::pair<Key, size_t>& b) {
    return goesBefore(a.first, b.first);
  });
}

template <class Key>
std::vector<std::shared_ptr<Task>> inOrderOf(std::vector<std::shared_ptr<Task>> tasks,
                                             const std::vector<std::pair<Key, size_t>>& keyed) {
  std::vector<std::shared_ptr<Task>> out;
  out.reserve(tasks.size());
  for (const auto& [_, at] : keyed) out.push_back(std::move(tasks[at]));
  return out;
}

template <class Key, class KeyOf, class GoesBefore>
std::vector<std::shared_ptr<Task>> sortedByKey(std::vector<std::shared_ptr<Task>> tasks, KeyOf keyOf,
                                               GoesBefore goesBefore) {
  const auto keyed = sortedKeys<Key>(tasks, [&](const Task& task, size_t) { return keyOf(task); }, goesBefore);
  return inOrderOf(std::move(tasks), keyed);
}

// The keys in the order of the library's date sorters.
template <class KeyOf>
std::vector<std::pair<Date, size_t>> sortedDates(const std::vector<std::shared_ptr<Task>>& tasks, KeyOf keyOf,
                                                 bool ascending) {
  if (ascending) return sortedKeys<Date>(tasks, keyOf, [](Date a, Date b) { return !(b < a); });
  return sortedKeys<Date>(tasks, keyOf, [](Date a, Date b) { return a > b; });
}

std::vector<std::shared_ptr<Task>> sortedByDate(std::vector<std::shared_ptr<Task>> tasks,
                                                std::optional<Date> (Task::*date)() const, bool ascending) {
  const Date made = platform::Clock::currentNow();
  const auto keyed = sortedDates(
      tasks, [&](const Task& task, size_t) { return (task.*date)().value_or(made); }, ascending);
  return inOrderOf(std::move(tasks), keyed);
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

std::vector<std::shared_ptr<Task>> sortedByDueDatedFirst(std::vector<std::shared_ptr<Task>> tasks, bool ascending,
                                                         std::vector<std::optional<Date>>* dues) {
  const Date made = platform::Clock::currentNow();
  std::vector<char> dated(tasks.size());
  auto keyed = sortedDates(
      tasks,
      [&](const Task& task, size_t at) {
        const std::optional<Date> due = task.dueDate();
        dated[at] = due.has_value();
        return due.value_or(made);
      },
      ascending);
  std::stable_partition(keyed.begin(), keyed.end(), [&](const std::pair<Date, size_t>& k) { return dated[k.second] != 0; });
  if (dues) {
    dues->clear();
    dues->reserve(keyed.size());
    for (const auto& [date, at] : keyed) dues->push_back(dated[at] ? std::optional<Date>(date) : std::nullopt);
  }
  return inOrderOf(std::move(tasks), keyed);
}

}  // namespace zarvo::app
