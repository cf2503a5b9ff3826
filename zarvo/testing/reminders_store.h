// Helpers shared by the reminders store's tests.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "zarvo/sync/reminders/event_store.h"

namespace zarvo::reminders::testing {

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zarvo-store-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code e;
    std::filesystem::remove_all(path_, e);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline std::string readFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void writeFile(const std::filesystem::path& p, const std::string& text) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << text;
}

// Every regular file below `dir`, as path relative to it -> contents.
inline std::map<std::string, std::string> snapshot(const std::filesystem::path& dir) {
  std::map<std::string, std::string> out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
    if (e.is_regular_file()) out[std::filesystem::relative(e.path(), dir).string()] = readFile(e.path());
  }
  return out;
}

// The content lines of `text` (folded continuations and terminators included, byte for byte),
// leaving out the lines whose property name is in `owned`.
inline std::vector<std::string> linesExcept(const std::string& text, const std::vector<std::string>& owned) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t eol = text.find('\n', pos);
    size_t next = eol == std::string::npos ? text.size() : eol + 1;
    std::string physical = text.substr(pos, next - pos);
    if (!lines.empty() && (physical[0] == ' ' || physical[0] == '\t')) {
      lines.back() += physical;
    } else {
      lines.push_back(physical);
    }
    pos = next;
  }
  std::vector<std::string> kept;
  for (const auto& l : lines) {
    std::string name = l.substr(0, l.find_first_of(";:"));
    if (std::find(owned.begin(), owned.end(), name) == owned.end()) kept.push_back(l);
  }
  return kept;
}

inline EventStoreOptions optionsFor(const std::filesystem::path& root, bool watch = false) {
  EventStoreOptions o;
  o.root = root;
  o.watchForChanges = watch;
  return o;
}

// A store with the default layout (local source, calendar "Reminders") made through requestAccess.
inline void createStore(EventStore& store) {
  std::promise<bool> granted;
  store.requestAccessToEntityType(EntityType::reminder,
                                  [&](bool ok, std::optional<StoreError>) { granted.set_value(ok); });
  ASSERT_TRUE(granted.get_future().get());
}

}  // namespace zarvo::reminders::testing
