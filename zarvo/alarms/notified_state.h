// The alarms this home has already shown, kept in a small file in the home so that a restart never
// shows one twice. One key per line (schedule.h: alarmKey); written atomically through the home's
// platform::FileSystem. Not thread-safe: one owner.
#pragma once

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

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

  bool contains(std::string_view key) const { return keys_.count(std::string(key)) != 0; }
  void add(std::string key);
  // Forgets every key not in `live` (alarms that are gone, acknowledged or moved), so the file
  // stays as small as the set of pending alarms.
  void retainOnly(const std::vector<std::string>& live);
  size_t size() const { return keys_.size(); }

  // Writes the keys when they changed since the last load or save. REQUIRES: made by load().
  Error save();

 private:
  std::shared_ptr<platform::FileSystem> fs_;
  std::filesystem::path path_;
  std::set<std::string> keys_;
  bool dirty_ = false;
};

}  // namespace zarvo::alarms
