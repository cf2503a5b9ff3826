// Short task identifiers.
//
// A task's identity is its UID, which other clients choose freely (often long, and sharing long
// prefixes such as a date). Its short id is the UID's 64-bit FNV-1a hash written in lower-case
// Crockford base32 (13 characters); the output shows the first 7, or more when two of the tasks
// shown share those. The id depends on the UID alone, so it never changes while the task lives,
// whatever else is added or removed.
//
// An argument names a task when it is a prefix (at least one character) of the task's full short id,
// or when it is the task's UID or a prefix of it, in any letter case. The exact UID wins over every
// other match, then a whole UID in another letter case.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "zarvo/model/task.h"

namespace zarvo::app {

inline constexpr size_t kShortIdLength = 7;

// The full (13-character) short id of a UID.
std::string fullShortId(std::string_view uid);

// The UID of `task` ("" when it has no reminder).
std::string uidOf(const Task& task);

// Display ids for `tasks`: kShortIdLength characters, longer for tasks whose first characters collide.
// Made in one sort of the ids' hashes: a task's longest shared prefix is with a neighbour.
class ShortIds {
 public:
  explicit ShortIds(const std::vector<std::shared_ptr<Task>>& tasks);
  // The display id of `task` (the object given, or another of the same UID); its first
  // kShortIdLength characters when it was not among the tasks.
  std::string of(const Task& task) const;
  // The same, where `position` is where `task` probably stands among the tasks given (a table of
  // those tasks passes its row): checked first, then found as of() finds it.
  std::string of(const Task& task, size_t position) const;

 private:
  std::vector<std::string> byPosition_;                 // the ids, in the order of the tasks given
  std::vector<const Task*> tasks_;                      // the tasks given, in their order
  std::vector<std::pair<const Task*, uint32_t>> byTask_;  // positions, sorted by the object's address
  std::unordered_map<std::string, std::string> longerByUid_;  // the ids longer than kShortIdLength
};

// The one task `argument` names among `tasks`. Throws UsageError for an empty argument, none or
// several matches (the message lists a few of them, with their titles, and says which matched only
// through their UID).
std::shared_ptr<Task> resolveTask(const std::string& argument, const std::vector<std::shared_ptr<Task>>& tasks);

}  // namespace zarvo::app
