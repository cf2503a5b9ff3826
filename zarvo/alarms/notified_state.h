// The alarms this home has already shown, kept in a small file in the home so that a restart never
// shows one twice. One key per line (schedule.h: alarmKey), followed, for an alarm that was not among
// the live ones at the last round, by the moment (seconds since the epoch) it was first missed;
// written atomically through the home's platform::FileSystem. Not thread-safe: one owner.
//
// A key whose alarm is missing from a round is not forgotten at once: the task file may only be
// unreadable for a moment (another program rewriting it in place), and an alarm at a due time has no
// ACKNOWLEDGED in its file to say that it rang. Such a key is kept for kForgetAfter from the first
// round that missed it, and at most kMostMissing of them are kept (the longest missed go first), so
// the file stays about as small as the set of pending alarms.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zarvo/platform/clock.h"
#include "zarvo/platform/error.h"
#include "zarvo/platform/filesystem.h"

namespace zarvo::alarms {

class NotifiedState {
 public:
  // The state file's name inside a home.
  static constexpr std::string_view kFileName = "alarms-notified";

  // An empty state that saves nowhere (tests, a home that cannot be written).
  NotifiedState() = default;

  // Reads `path`; a missing file is an empty state. Fails with the file system's error when the
  // file exists but cannot be read.
  static Expected<NotifiedState> load(std::shared_ptr<platform::FileSystem> fs, std::filesystem::path path);

  bool contains(std::string_view key) const { return keys_.find(key) != keys_.end(); }
  void add(std::string key);
  static constexpr std::chrono::hours kForgetAfter{24 * 7};
  static constexpr size_t kMostMissing = 4096;

  // Marks every key not in `live` (alarms that are gone, acknowledged, moved, or of a file that could
  // not be read) as missed since `now`, unless it was already; a key in `live` is no longer missed.
  // Forgets the keys missed for longer than kForgetAfter, and the longest missed beyond kMostMissing.
  void retain(const std::vector<std::string>& live, Date now);
  size_t size() const { return keys_.size(); }

  // Writes the keys when they changed since the last load or save. REQUIRES: made by load().
  Error save();

 private:
  std::shared_ptr<platform::FileSystem> fs_;
  std::filesystem::path path_;
  // Each key, with when it was first missed; none while its alarm is live.
  std::map<std::string, std::optional<Date>, std::less<>> keys_;
  bool dirty_ = false;
};

}  // namespace zarvo::alarms
