#include "zarvo/alarms/notified_state.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <set>
#include <string_view>
#include <utility>

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
    std::string_view line(text.data() + pos, end - pos);
    pos = end + 1;
    if (line.empty()) continue;
    // The key holds one blank (its UID is encoded without any); a second one starts the moment
    // it was first missed.
    const size_t keyBlank = line.find(' ');
    const size_t missedBlank = keyBlank == std::string_view::npos ? keyBlank : line.find(' ', keyBlank + 1);
    std::optional<Date> missed;
    if (missedBlank != std::string_view::npos) {
      const std::string_view seconds = line.substr(missedBlank + 1);
      long long value = 0;
      if (std::from_chars(seconds.data(), seconds.data() + seconds.size(), value).ec == std::errc()) {
        missed = Date(std::chrono::seconds(value));
      }
      line = line.substr(0, missedBlank);
    }
    state.keys_[std::string(line)] = missed;
  }
  return state;
}

void NotifiedState::add(std::string key) {
  auto [it, inserted] = keys_.try_emplace(std::move(key));
  if (inserted || it->second) dirty_ = true;
  it->second.reset();
}

void NotifiedState::retain(const std::vector<std::string>& live, Date now) {
  std::set<std::string_view> keep(live.begin(), live.end());
  std::vector<std::pair<Date, std::string_view>> missing;
  for (auto it = keys_.begin(); it != keys_.end();) {
    std::optional<Date>& missed = it->second;
    if (keep.contains(it->first)) {
      if (missed) dirty_ = true;
      missed.reset();
    } else if (!missed) {
      missed = now;
      dirty_ = true;
    } else if (now - *missed > kForgetAfter) {
      it = keys_.erase(it);
      dirty_ = true;
      continue;
    }
    if (missed) missing.emplace_back(*missed, it->first);
    ++it;
  }
  if (missing.size() <= kMostMissing) return;
  std::sort(missing.begin(), missing.end());
  std::vector<std::string> drop;
  for (size_t i = 0; i < missing.size() - kMostMissing; ++i) drop.emplace_back(missing[i].second);
  for (const std::string& key : drop) keys_.erase(key);
  dirty_ = true;
}

Error NotifiedState::save() {
  if (!dirty_) return {};
  if (!fs_) return Error(std::errc::invalid_argument);
  std::string text;
  for (const auto& [key, missed] : keys_) {
    text += key;
    if (missed) {
      text += ' ';
      text += std::to_string(std::chrono::duration_cast<std::chrono::seconds>(missed->time_since_epoch()).count());
    }
    text += '\n';
  }
  Error e = platform::writeFileAtomically(*fs_, path_, text);
  if (e.ok()) dirty_ = false;
  return e;
}

}  // namespace zarvo::alarms
