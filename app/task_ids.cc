#include "app/task_ids.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "app/command_error.h"
#include "app/messages.h"
#include "zarvo/platform/text.h"

namespace zarvo::app {

namespace {

uint64_t uidHash(std::string_view uid) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (unsigned char c : uid) {
    hash ^= c;
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

// The hash in lower-case Crockford base32, most significant bits first: ids sort as their hashes do.
std::string hashId(uint64_t hash) {
  // Crockford's alphabet has no i, l, o or u: ids read back without confusion.
  static constexpr char kAlphabet[] = "0123456789abcdefghjkmnpqrstvwxyz";
  std::string id(13, '0');
  for (int i = 12; i >= 0; --i) {
    id[static_cast<size_t>(i)] = kAlphabet[hash & 31];
    hash >>= 5;
  }
  return id;
}

}  // namespace

std::string fullShortId(std::string_view uid) { return hashId(uidHash(uid)); }

std::string uidOf(const Task& task) {
  if (auto reminder = task.reminder()) return reminder->calendarItemExternalIdentifier();
  return task.reminderId().value_or("");
}

ShortIds::ShortIds(const std::vector<std::shared_ptr<Task>>& tasks) {
  struct Id {
    uint64_t hash;
    std::string_view uid;  // in `reminder`, or in `ownUid` for a task without one
    const Task* task;
    std::shared_ptr<const reminders::Reminder> reminder;  // keeps `uid` alive
    std::string ownUid;
  };
  std::vector<Id> ids;
  ids.reserve(tasks.size());
  for (const auto& task : tasks) {
    Id id{0, {}, task.get(), task->reminder(), {}};
    if (id.reminder) {
      id.uid = id.reminder->calendarItemExternalIdentifier();
    } else {
      id.ownUid = uidOf(*task);
      id.uid = id.ownUid;
    }
    id.hash = uidHash(id.uid);
    ids.push_back(std::move(id));
    // A moved string that kept its text in place (a short one) is elsewhere now.
    if (!ids.back().reminder) ids.back().uid = ids.back().ownUid;
  }
  // Ids sort as their hashes do (fixed width, alphabet in ASCII order), so integers are sorted here;
  // positions move, not the UIDs.
  std::vector<std::pair<uint64_t, uint32_t>> byHash(ids.size());
  for (size_t i = 0; i < ids.size(); ++i) byHash[i] = {ids[i].hash, static_cast<uint32_t>(i)};
  std::sort(byHash.begin(), byHash.end(), [&](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : ids[a.second].uid < ids[b.second].uid;
  });
  std::vector<uint32_t> order(ids.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = byHash[i].second;
  // How many leading characters the ids of two hashes share. An id writes the 64 bits as 13 digits
  // of 5 bits, the first holding a zero bit and the hash's top 4: the first differing bit, counted
  // with that zero bit, falls in digit (its position + 1) / 5.
  auto common = [](uint64_t a, uint64_t b) -> size_t {
    const uint64_t differ = a ^ b;
    return differ == 0 ? 13 : static_cast<size_t>(std::countl_zero(differ) + 1) / 5;
  };
  byPosition_.resize(ids.size());
  // Objects of one UID (one task fetched twice) are adjacent and share one id; after sorting, the
  // longest prefix a task shares with another is with the nearest other UID on either side.
  for (size_t i = 0; i < order.size();) {
    const Id& first = ids[order[i]];
    size_t end = i + 1;
    while (end < order.size() && ids[order[end]].uid == first.uid) ++end;
    size_t shared = i == 0 ? 0 : common(ids[order[i - 1]].hash, first.hash);
    if (end < order.size()) shared = std::max(shared, common(ids[order[end]].hash, first.hash));
    const size_t length = std::max(kShortIdLength, std::min<size_t>(shared + 1, 13));
    std::string id = hashId(first.hash).substr(0, length);
    if (id.size() > kShortIdLength) longerByUid_[std::string(first.uid)] = id;
    for (size_t k = i; k < end; ++k) byPosition_[order[k]] = id;
    i = end;
  }
  byTask_.reserve(ids.size());
  tasks_.reserve(ids.size());
  for (size_t i = 0; i < ids.size(); ++i) {
    byTask_.emplace_back(ids[i].task, static_cast<uint32_t>(i));
    tasks_.push_back(ids[i].task);
  }
  std::sort(byTask_.begin(), byTask_.end(),
            [](const auto& a, const auto& b) { return std::less<const Task*>()(a.first, b.first); });
}

std::string ShortIds::of(const Task& task, size_t position) const {
  if (position < tasks_.size() && tasks_[position] == &task) return byPosition_[position];
  return of(task);
}

std::string ShortIds::of(const Task& task) const {
  const auto it = std::lower_bound(byTask_.begin(), byTask_.end(), &task, [](const auto& entry, const Task* wanted) {
    return std::less<const Task*>()(entry.first, wanted);
  });
  if (it != byTask_.end() && it->first == &task) return byPosition_[it->second];
  const std::string uid = uidOf(task);
  if (auto found = longerByUid_.find(uid); found != longerByUid_.end()) return found->second;
  return fullShortId(uid).substr(0, kShortIdLength);
}

std::shared_ptr<Task> resolveTask(const std::string& argument, const std::vector<std::shared_ptr<Task>>& tasks) {
  if (argument.empty()) throw UsageError(tr("empty task id"));
  const std::string lower = platform::lowercased(std::string_view(argument));
  struct Match {
    std::shared_ptr<Task> task;
    std::string uid;
    bool byId = false;  // else only its UID starts with the argument
  };
  std::vector<Match> matches;
  for (const auto& task : tasks) {
    const std::string uid = uidOf(*task);
    if (uid.empty()) continue;
    if (uid == argument) return task;  // a full UID is never ambiguous
    const bool byId = fullShortId(uid).starts_with(lower);
    // UIDs are typed in any letter case: people copy them from other clients, which write either.
    if (!byId && !platform::lowercased(std::string_view(uid)).starts_with(lower)) continue;
    if (std::none_of(matches.begin(), matches.end(), [&](const Match& m) { return m.task == task; })) {
      matches.push_back({task, uid, byId});
    }
  }
  if (matches.empty()) throw UsageError(trf("no task with id '{}'", argument));
  if (matches.size() == 1) return matches.front().task;
  // A whole UID in another letter case names its task, unless several UIDs differ only so.
  const auto whole = [&](const Match& m) { return m.uid.size() == argument.size(); };
  if (std::count_if(matches.begin(), matches.end(), whole) == 1) {
    return std::find_if(matches.begin(), matches.end(), whole)->task;
  }
  std::vector<std::shared_ptr<Task>> matched;
  for (const Match& m : matches) matched.push_back(m.task);
  const ShortIds ids(matched);
  std::string some;
  for (size_t i = 0; i < matches.size() && i < 3; ++i) {
    const Match& m = matches[i];
    if (i) some += tr(", ");
    some += ids.of(*m.task);
    if (const auto title = m.task->title(); title && !title->empty()) some.append(" \"").append(*title).append("\"");
    if (!m.byId) some.append(" ").append(trf("(by its UID {})", m.uid));
  }
  if (matches.size() > 3) some.append(tr(", ")).append("...");
  throw UsageError(trnf("task id '{}' is ambiguous: it matches {} task: {}", "task id '{}' is ambiguous: it matches {} tasks: {}",
                        matches.size(), argument, matches.size(), some));
}

}  // namespace zarvo::app
