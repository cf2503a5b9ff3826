// Helpers shared by the tests of the reminders store and of the layers on it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <map>
#include <string>
#include <vector>

#include "zarvo/reminders/event_store.h"
#include "zarvo/reminders/internal/file_cache.h"
#include "zarvo/testing/files.h"
#include "zarvo/testing/temp_dir.h"

namespace zarvo::reminders::testing {

using zarvo::testing::readFile;
using zarvo::testing::snapshot;
using zarvo::testing::TempDir;
using zarvo::testing::writeFile;

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

// A task file as another program writes it: `uid`, `title` and the content lines `extra` (each ending
// in CRLF).
inline std::string otherClientTask(const std::string& uid, const std::string& title, const std::string& extra = "") {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VTODO\r\nUID:" + uid + "\r\nSUMMARY:" + title +
         "\r\n" + extra + "END:VTODO\r\nEND:VCALENDAR\r\n";
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

// The code of the StoreError `f` throws, its message in `message`; a test failure when it throws none.
template <typename F>
StoreErrorCode failureOf(F&& f, std::string& message) {
  try {
    f();
  } catch (const StoreError& e) {
    message = e.what();
    return e.code();
  }
  ADD_FAILURE() << "no StoreError";
  return StoreErrorCode::invalid;
}

}  // namespace zarvo::reminders::testing
