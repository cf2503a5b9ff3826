#include "app/task_ids.h"

#include <algorithm>
#include <cstdint>

#include "app/command_error.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

std::string fullShortId(std::string_view uid) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (unsigned char c : uid) {
    hash ^= c;
    hash *= 0x100000001b3ULL;
  }
  // Crockford's alphabet has no i, l, o or u: ids read back without confusion.
  static constexpr char kAlphabet[] = "0123456789abcdefghjkmnpqrstvwxyz";
  std::string id(13, '0');
  for (int i = 12; i >= 0; --i) {
    id[static_cast<size_t>(i)] = kAlphabet[hash & 31];
    hash >>= 5;
  }
  return id;
}

std::string uidOf(const Task& task) {
  if (auto reminder = task.reminder()) return reminder->calendarItemExternalIdentifier();
  return task.reminderId().value_or("");
}

ShortIds::ShortIds(const std::vector<std::shared_ptr<Task>>& tasks) {
  std::vector<std::pair<std::string, std::string>> ids;  // full id, uid
  ids.reserve(tasks.size());
  for (const auto& task : tasks) {
    std::string uid = uidOf(*task);
    ids.emplace_back(fullShortId(uid), std::move(uid));
  }
  std::sort(ids.begin(), ids.end());
  // After sorting, a task's longest common prefix with any other is with a neighbour.
  auto common = [](const std::string& a, const std::string& b) {
    size_t n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n]) ++n;
    return n;
  };
  for (size_t i = 0; i < ids.size(); ++i) {
    size_t shared = 0;
    if (i > 0 && ids[i - 1].second != ids[i].second) shared = std::max(shared, common(ids[i - 1].first, ids[i].first));
    if (i + 1 < ids.size() && ids[i + 1].second != ids[i].second) {
      shared = std::max(shared, common(ids[i + 1].first, ids[i].first));
    }
    byUid_[ids[i].second] = ids[i].first.substr(0, std::max(kShortIdLength, std::min(shared + 1, ids[i].first.size())));
  }
}

std::string ShortIds::of(const Task& task) const {
  const std::string uid = uidOf(task);
  if (auto it = byUid_.find(uid); it != byUid_.end()) return it->second;
  return fullShortId(uid).substr(0, kShortIdLength);
}

std::shared_ptr<Task> resolveTask(const std::string& argument, const std::vector<std::shared_ptr<Task>>& tasks) {
  if (argument.empty()) throw UsageError("empty task id");
  const std::string lower = platform::lowercased(std::string_view(argument));
  std::vector<std::shared_ptr<Task>> matches;
  for (const auto& task : tasks) {
    const std::string uid = uidOf(*task);
    if (uid.empty()) continue;
    if (uid == argument) return task;  // a full UID is never ambiguous
    if (fullShortId(uid).starts_with(lower) || uid.starts_with(argument)) {
      if (std::find(matches.begin(), matches.end(), task) == matches.end()) matches.push_back(task);
    }
  }
  if (matches.empty()) throw UsageError("no task with id '" + argument + "'");
  if (matches.size() > 1) {
    std::string some;
    const ShortIds ids(matches);
    for (size_t i = 0; i < matches.size() && i < 3; ++i) some += (i ? ", " : "") + ids.of(*matches[i]);
    if (matches.size() > 3) some += ", ...";
    throw UsageError("task id '" + argument + "' is ambiguous: it matches " + std::to_string(matches.size()) +
                     " tasks (" + some + ")");
  }
  return matches.front();
}

}  // namespace zarvo::app
