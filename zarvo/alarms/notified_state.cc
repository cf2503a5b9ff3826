#include "zarvo/alarms/notified_state.h"

#include <cerrno>

namespace zarvo::alarms {

Expected<NotifiedState> NotifiedState::load(std::shared_ptr<platform::FileSystem> fs, std::filesystem::path path) {
  NotifiedState state;
  state.fs_ = std::move(fs);
  state.path_ = std::move(path);
  platform::FileInfo info;
  if (Error e = state.fs_->stat(state.path_, info); !e.ok()) return e;
  if (!info.exists) return state;
  std::string text;
  if (Error e = state.fs_->readFile(state.path_, text); !e.ok()) return e;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    // A line cut short by a crash mid-write cannot happen (writes are atomic); any other damage
    // only costs a repeated notification, never a lost one.
    if (end > pos) state.keys_.insert(text.substr(pos, end - pos));
    pos = end + 1;
  }
  return state;
}

void NotifiedState::add(std::string key) {
  if (keys_.insert(std::move(key)).second) dirty_ = true;
}

void NotifiedState::retainOnly(const std::vector<std::string>& live) {
  std::set<std::string> keep(live.begin(), live.end());
  for (auto it = keys_.begin(); it != keys_.end();) {
    if (keep.count(*it) == 0) {
      it = keys_.erase(it);
      dirty_ = true;
    } else {
      ++it;
    }
  }
}

Error NotifiedState::save() {
  if (!dirty_) return {};
  if (!fs_) return Error(std::errc::invalid_argument);
  std::string text;
  for (const std::string& key : keys_) {
    text += key;
    text += '\n';
  }
  Error e = platform::writeFileAtomically(*fs_, path_, text);
  if (e.ok()) dirty_ = false;
  return e;
}

}  // namespace zarvo::alarms
